#include "timer_ui/search_result_list.h"

#include <array>
#include <cwchar>
#include <iterator>

#include "timer_ui/program_info_dlg.h"

namespace timer_ui {
namespace {

constexpr std::array<const wchar_t*, 7> kWeekdayTexts = {L"(日)", L"(月)", L"(火)", L"(水)",
                                                         L"(木)", L"(金)", L"(土)"};

// The weekday text of the date through its FILETIME value; empty for a date that has none.
const wchar_t* WeekdayText(const platform::SYSTEMTIME& time) {
    platform::FILETIME fileTime;
    platform::SYSTEMTIME normalised;
    if (!platform::SystemTimeToFileTime(&time, &fileTime) ||
        !platform::FileTimeToSystemTime(&fileTime, &normalised) ||
        normalised.wDayOfWeek >= kWeekdayTexts.size()) {
        return L"";
    }
    return kWeekdayTexts[normalised.wDayOfWeek];
}

}  // namespace

std::wstring FormatResultTimeRange(const platform::SYSTEMTIME& start,
                                   const platform::SYSTEMTIME& end) {
    wchar_t text[64];
    std::swprintf(text, std::size(text), L"%04d/%02d/%02d%ls %02d:%02d～%02d:%02d",
                  int{start.wYear}, int{start.wMonth}, int{start.wDay}, WeekdayText(start),
                  int{start.wHour}, int{start.wMinute}, int{end.wHour}, int{end.wMinute});
    return text;
}

void PrepareSearchResultList(ui::ListView& list) {
    list.InsertColumn(0, L"日時", ui::LVCFMT_LEFT, 170);
    list.InsertColumn(1, L"放送局", ui::LVCFMT_LEFT, 120);
    list.InsertColumn(2, L"タイトル", ui::LVCFMT_LEFT, 300);
    list.SetExtendedStyle(list.GetExtendedStyle() | ui::LVS_EX_FULLROWSELECT);
}

void AddSearchResultRow(ui::ListView& list, int position,
                        const timer_core::SearchResultEntry& hit) {
    const int row = list.InsertItem(list.GetItemCount(), FormatResultTimeRange(hit.start, hit.end));
    list.SetItemText(row, 1, hit.serviceName);
    list.SetItemText(row, 2, hit.title);
    list.SetItemData(row, position);
}

void FillSearchResultList(ui::ListView& list, const timer_core::SearchResultMap& results) {
    list.DeleteAllItems();
    int position = 0;
    for (const auto& [key, hit] : results)
        AddSearchResultRow(list, position++, hit);
}

const timer_core::SearchResultEntry* HitOfRow(const ui::ListView& list, int row,
                                              const timer_core::SearchResultMap& results) {
    if (row < 0 || row >= list.GetItemCount()) return nullptr;
    const ui::LPARAM position = list.GetItemData(row);
    if (position < 0 || static_cast<std::size_t>(position) >= results.size()) return nullptr;
    return &std::next(results.begin(), static_cast<std::ptrdiff_t>(position))->second;
}

void ShowHitProgramInfo(ui::HWND owner, const broadcast::EpgStore* store,
                        const timer_core::SearchResultEntry& hit) {
    CProgramInfoDlg info;
    info.SetProgram(store, hit.transportStreamId, hit.serviceId, hit.eventId);
    info.DoModal(owner);
}

}  // namespace timer_ui
