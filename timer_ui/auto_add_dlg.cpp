#include "timer_ui/auto_add_dlg.h"

#include <cwchar>
#include <iterator>
#include <vector>

#include "timer_core/epg/epg_search.h"
#include "timer_core/epg/epg_search_context.h"
#include "timer_core/epg/search_tables.h"
#include "timer_core/scheduling/timer_ini_path.h"
#include "timer_ui/auto_add_search_dlg.h"
#include "timer_ui/search_channels.h"
#include "timer_ui/search_result_list.h"
#include "ui/list_view.h"

namespace timer_ui {
namespace {

using ui::ControlKind;

constexpr int kWidth = 984;

const ui::ControlSpec kControls[] = {
    {ui::IDC_STATIC, ControlKind::Static,
     L"※使用するにはQuorvantelでEPGデータを取得する必要があります", 10, 12, 600, 16},
    {ui::IDC_STATIC, ControlKind::Static, L"自動登録条件一覧", 10, 42, 300, 16},
    {CAutoAddDlg::IDC_ADD, ControlKind::PushButton, L"追加", kWidth - 286, 36, 84, 24},
    {CAutoAddDlg::IDC_CHANGE, ControlKind::PushButton, L"変更", kWidth - 194, 36, 84, 24},
    {CAutoAddDlg::IDC_DELETE, ControlKind::PushButton, L"削除", kWidth - 102, 36, 84, 24},
    {CAutoAddDlg::IDC_CONDITIONS, ControlKind::ListView, L"", 10, 66, kWidth - 20, 220},
    {ui::IDC_STATIC, ControlKind::Static, L"現在の条件での全検索結果", 10, 302, 300, 16},
    {CAutoAddDlg::IDC_RESULTS, ControlKind::ListView, L"", 10, 322, kWidth - 20, 280},
};

const ui::DialogTemplate kTemplate{L"自動予約登録", kWidth, 614, 0, kControls};

struct Column {
    const wchar_t* heading;
    int width;
};

constexpr Column kConditionColumns[] = {
    {L"AND", 150},  {L"NOT", 150},   {L"番組名のみ", 70}, {L"ジャンル", 100}, {L"時間", 100},
    {L"曜日", 100}, {L"優先度", 70}, {L"追従", 50},       {L"放送局", 150},
};

constexpr std::wstring_view kWeekdayLetters = L"月火水木金土日";  // Monday to Sunday

// A genre that the table does not name (a hand-edited file) shows as its number, so that the
// user sees what the condition asks for.
std::wstring GenreText(int genre) {
    if (genre == -1) return L"全ジャンル";
    if (genre >= 0 && static_cast<std::size_t>(genre) < timer_core::GenreNameTable.size()) {
        return std::wstring(timer_core::GenreNameTable[static_cast<std::size_t>(genre)]);
    }
    return std::to_wstring(genre);
}

// Numbers out of the range of a time (a hand-edited file) show as they are; the search reads
// them the same way.
std::wstring TimeWindowText(const timer_core::AutoSearchCondition& condition) {
    wchar_t text[64];
    std::swprintf(text, std::size(text), L"%02d:%02d～%02d:%02d", condition.startHour,
                  condition.startMinute, condition.endHour, condition.endMinute);
    return text;
}

std::wstring WeekdaysText(const timer_core::AutoSearchCondition& condition) {
    std::wstring text;
    for (int day = 0; day < timer_core::kWeekdayCount; ++day) {
        if (condition.weekdays[static_cast<std::size_t>(day)] == 1) {
            text += kWeekdayLetters[static_cast<std::size_t>(day)];
        }
    }
    return text;
}

}  // namespace

CAutoAddDlg::CAutoAddDlg() : CAutoAddDlg(timer_core::TimerIniPathBesideExecutable()) {}

CAutoAddDlg::CAutoAddDlg(std::wstring iniPath)
    : ui::Dialog(kTemplate), iniPath_(std::move(iniPath)) {
    SetMessageMap<CAutoAddDlg>({
        {IDC_ADD, ui::BN_CLICKED, &CAutoAddDlg::OnBnClickedAdd},
        {IDC_CHANGE, ui::BN_CLICKED, &CAutoAddDlg::OnBnClickedChange},
        {IDC_DELETE, ui::BN_CLICKED, &CAutoAddDlg::OnBnClickedDelete},
        {IDC_CONDITIONS, ui::NM_CLICK, &CAutoAddDlg::OnNMClickConditionList},
        {IDC_CONDITIONS, ui::NM_DBLCLK, &CAutoAddDlg::OnNMDblclkConditionList},
        {IDC_RESULTS, ui::NM_CLICK, &CAutoAddDlg::OnNMClickResultList},
        {IDC_RESULTS, ui::NM_DBLCLK, &CAutoAddDlg::OnNMDblclkResultList},
    });
}

ui::BOOL CAutoAddDlg::OnInitDialog() {
    ui::Dialog::OnInitDialog();
    selectedCondition_ = -1;
    selectedResult_ = -1;
    file_.Load();
    if (auto* conditions = Item<ui::ListView>(IDC_CONDITIONS)) {
        for (const Column& column : kConditionColumns)
            conditions->InsertColumn(conditions->GetColumnCount(), column.heading, ui::LVCFMT_LEFT,
                                     column.width);
        conditions->SetExtendedStyle(conditions->GetExtendedStyle() | ui::LVS_EX_FULLROWSELECT);
    }
    if (auto* results = Item<ui::ListView>(IDC_RESULTS)) PrepareSearchResultList(*results);
    SearchAllConditions();
    FillConditionList();
    FillResultList();
    return ui::TRUE;
}

int CAutoAddDlg::SearchAllConditions() {
    if (store_ == nullptr) return 0;
    results_.clear();
    // One run of every condition: each service's texts are folded once for all of them.
    std::vector<const timer_core::AutoSearchCondition*> conditions;
    for (const auto& [key, condition] : file_.conditions)
        conditions.push_back(&condition);
    timer_core::EpgSearchContext context;
    context.store = store_;
    timer_core::SearchEpgByConditions(&context, conditions, &results_);
    return 1;
}

void CAutoAddDlg::FillConditionList() {
    auto* list = Item<ui::ListView>(IDC_CONDITIONS);
    if (list == nullptr) return;
    list->DeleteAllItems();
    int row = 0;
    for (const auto& [key, condition] : file_.conditions)
        AddConditionRow(row++, condition);
}

void CAutoAddDlg::FillResultList() {
    if (auto* list = Item<ui::ListView>(IDC_RESULTS)) FillSearchResultList(*list, results_);
}

void CAutoAddDlg::AddConditionRow(int row, const timer_core::AutoSearchCondition& condition) {
    auto* list = Item<ui::ListView>(IDC_CONDITIONS);
    if (list == nullptr) return;
    const int index = list->InsertItem(row, condition.andWords);
    list->SetItemText(index, 1, condition.notWords);
    list->SetItemText(index, 2, condition.titleOnly == 1 ? L"○" : L"×");
    list->SetItemText(index, 3, GenreText(condition.genre));
    list->SetItemText(index, 4, TimeWindowText(condition));
    list->SetItemText(index, 5, WeekdaysText(condition));
    list->SetItemText(index, 6, std::to_wstring(condition.priority));
    list->SetItemText(index, 7, condition.follow == 1 ? L"する" : L"しない");
    list->SetItemText(index, 8, ConditionServiceText(store_, condition));
    list->SetItemData(index, row);
}

void CAutoAddDlg::AddResultRow(int row, const timer_core::SearchResultEntry& hit) {
    if (auto* list = Item<ui::ListView>(IDC_RESULTS)) AddSearchResultRow(*list, row, hit);
}

bool CAutoAddDlg::HasSelectedCondition() const {
    return selectedCondition_ >= 0 &&
           static_cast<std::size_t>(selectedCondition_) < file_.conditions.size();
}

void CAutoAddDlg::OnBnClickedAdd() {
    RunEditor(0, 0);
}

void CAutoAddDlg::OnBnClickedChange() {
    if (!HasSelectedCondition()) {
        MessageBox(L"変更する条件を選択してください");
        return;
    }
    RunEditor(1, selectedCondition_);
}

void CAutoAddDlg::OnBnClickedDelete() {
    if (!HasSelectedCondition()) {
        MessageBox(L"削除する条件を選択してください");
        return;
    }
    file_.conditions.erase(std::next(file_.conditions.begin(), selectedCondition_));
    if (!file_.Save()) MessageBox(kConditionsSaveFailed);
    Reload();
}

void CAutoAddDlg::RunEditor(int mode, int index) {
    {
        CAutoAddSearchDlg editor(iniPath_);
        editor.SetMode(mode);
        editor.SetStore(store_);
        editor.SetConditionIndex(index);
        editor.DoModal(GetSafeHwnd());
    }
    // The editor saved the file itself; whatever way it was closed, read it again.
    Reload();
}

void CAutoAddDlg::Reload() {
    file_.Load();
    SearchAllConditions();
    FillConditionList();
    FillResultList();
}

int CAutoAddDlg::HotItem(int listId) const {
    const auto* list = Item<ui::ListView>(listId);
    return list != nullptr ? list->GetHotItem() : -1;
}

void CAutoAddDlg::OnNMClickConditionList() {
    selectedCondition_ = HotItem(IDC_CONDITIONS);
}

void CAutoAddDlg::OnNMDblclkConditionList() {
    selectedCondition_ = HotItem(IDC_CONDITIONS);
    OnBnClickedChange();
}

void CAutoAddDlg::OnNMClickResultList() {
    selectedResult_ = HotItem(IDC_RESULTS);
}

void CAutoAddDlg::OnNMDblclkResultList() {
    selectedResult_ = HotItem(IDC_RESULTS);
    if (selectedResult_ == -1) return;
    const auto* list = Item<ui::ListView>(IDC_RESULTS);
    if (list == nullptr) return;
    if (const timer_core::SearchResultEntry* hit = HitOfRow(*list, selectedResult_, results_)) {
        ShowHitProgramInfo(GetSafeHwnd(), store_, *hit);
    }
}

}  // namespace timer_ui
