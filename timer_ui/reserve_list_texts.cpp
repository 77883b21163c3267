#include "timer_ui/reserve_list_texts.h"

#include <string_view>

#include "platform/code_page.h"
#include "timer_core/scheduling/reserve_time.h"
#include "timer_ui/main_window_texts.h"
#include "ui/notify_icon.h"

namespace timer_ui {

std::array<std::wstring, kReserveColumns> ReserveRowTexts(const timer_core::ReserveEntry& entry) {
    std::wstring when;
    timer_core::FormatReserveTimeRange(
        &when, entry.start, timer_core::LocalSystemTime(timer_core::ReserveEndFileTime(entry)));
    return {when,
            entry.channelName,
            entry.title,
            std::to_wstring(entry.priority),
            entry.follow == 1 ? L"する" : L"しない",
            entry.resultText};
}

std::wstring NextReserveTip(const timer_core::ReserveEntry* next) {
    if (next == nullptr) return std::wstring(texts::kNoNextReserve);
    const std::wstring text = std::wstring(texts::kNextReservePrefix) +
                              timer_core::FormatStartDateTime(next->start) + L" " + next->title;
    std::wstring shown = platform::ShiftJisToWide(platform::WideToShiftJis(text));
    if (shown.size() > ui::kMaxTipLength) shown.resize(ui::kMaxTipLength);
    return shown;
}

}  // namespace timer_ui
