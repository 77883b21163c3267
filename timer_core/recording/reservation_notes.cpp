#include "timer_core/recording/reservation_notes.h"

#include <cwchar>

namespace timer_core {

void AppendNote(std::wstring& text, std::wstring_view note) {
    if (text.find(note) != std::wstring::npos) return;
    text += note;
    text += L' ';
}

std::wstring StartChangedNote(const platform::SYSTEMTIME& plannedStart) {
    wchar_t stamp[48];
    std::swprintf(stamp, 48, L"(予約時 %04d/%02d/%02d %02d:%02d) ", plannedStart.wYear,
                  plannedStart.wMonth, plannedStart.wDay, plannedStart.wHour, plannedStart.wMinute);
    return std::wstring(kNoteStartChanged) + stamp;
}

void AppendStartChangedNote(std::wstring& text, const platform::SYSTEMTIME& plannedStart) {
    if (text.find(kNoteStartChanged) != std::wstring::npos) return;
    text += StartChangedNote(plannedStart);
}

}  // namespace timer_core
