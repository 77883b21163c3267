#include "timer_ui/auto_add_search_dlg.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include "platform/known_folders.h"
#include "platform/paths.h"
#include "platform/window_messages.h"
#include "shared/ch_set_file.h"
#include "shared/epg_data_folder.h"
#include "timer_core/epg/epg_search_context.h"
#include "timer_core/epg/search_result_reservation.h"
#include "timer_core/epg/search_tables.h"
#include "timer_core/recording/main_window_messages.h"
#include "timer_core/scheduling/timer_ini_path.h"
#include "timer_ui/search_ch_set_dlg.h"
#include "timer_ui/search_channels.h"
#include "timer_ui/search_result_list.h"
#include "ui/combo_box.h"
#include "ui/list_box.h"
#include "ui/list_view.h"

namespace timer_ui {
namespace {

using ui::ControlKind;
using Dlg = CAutoAddSearchDlg;

constexpr int kWidth = 640;
constexpr int kHeight = 700;
// The result list fills the width and the height below the other controls.
constexpr int kResultsTop = 398;
constexpr int kResultsRightMargin = 25;
constexpr int kResultsBottomMargin = 410;

const ui::ControlSpec kControls[] = {
    {ui::IDC_STATIC, ControlKind::Static, L"ANDキーワード", 12, 15, 96, 16},
    {Dlg::IDC_AND, ControlKind::Edit, L"", 112, 12, 300, 22},
    {ui::IDC_STATIC, ControlKind::Static, L"NOTキーワード", 12, 43, 96, 16},
    {Dlg::IDC_NOT, ControlKind::Edit, L"", 112, 40, 300, 22},
    {Dlg::IDC_TITLE_ONLY, ControlKind::CheckBox, L"番組名のみを検索対象にする", 112, 68, 300, 20},
    {ui::IDC_STATIC, ControlKind::Static, L"ジャンル", 12, 99, 96, 16},
    {Dlg::IDC_GENRE, ControlKind::ComboBox, L"", 112, 96, 220, 22},
    {ui::IDC_STATIC, ControlKind::Static, L"時間", 12, 129, 96, 16},
    {Dlg::IDC_START_HOUR, ControlKind::ComboBox, L"", 112, 126, 56, 22},
    {ui::IDC_STATIC, ControlKind::Static, L":", 172, 129, 8, 16},
    {Dlg::IDC_START_MINUTE, ControlKind::ComboBox, L"", 182, 126, 56, 22},
    {ui::IDC_STATIC, ControlKind::Static, L"～", 244, 129, 18, 16},
    {Dlg::IDC_END_HOUR, ControlKind::ComboBox, L"", 266, 126, 56, 22},
    {ui::IDC_STATIC, ControlKind::Static, L":", 326, 129, 8, 16},
    {Dlg::IDC_END_MINUTE, ControlKind::ComboBox, L"", 336, 126, 56, 22},
    {ui::IDC_STATIC, ControlKind::Static, L"曜日", 12, 159, 96, 16},
    {1041, ControlKind::CheckBox, L"月", 112, 157, 40, 20},
    {1042, ControlKind::CheckBox, L"火", 156, 157, 40, 20},
    {1043, ControlKind::CheckBox, L"水", 200, 157, 40, 20},
    {1044, ControlKind::CheckBox, L"木", 244, 157, 40, 20},
    {1045, ControlKind::CheckBox, L"金", 288, 157, 40, 20},
    {1046, ControlKind::CheckBox, L"土", 332, 157, 40, 20},
    {1047, ControlKind::CheckBox, L"日", 376, 157, 40, 20},
    {ui::IDC_STATIC, ControlKind::Static, L"追従", 12, 189, 96, 16},
    {Dlg::IDC_FOLLOW, ControlKind::ComboBox, L"", 112, 186, 90, 22},
    {ui::IDC_STATIC, ControlKind::Static, L"優先度", 12, 219, 96, 16},
    {Dlg::IDC_PRIORITY, ControlKind::ComboBox, L"", 112, 216, 56, 22},
    {ui::IDC_STATIC, ControlKind::Static, L"（低）１～５（高）", 176, 219, 160, 16},
    {Dlg::IDC_ADD_OR_CHANGE, ControlKind::PushButton, L"この条件で追加 or 変更する", 12, 258, 300,
     26},
    {ui::IDC_STATIC, ControlKind::Static, L"放送局", 430, 15, 100, 16},
    {Dlg::IDC_CHANNELS, ControlKind::CheckListBox, L"", 430, 36, 198, 248},
    {Dlg::IDC_CHECK_ALL, ControlKind::PushButton, L"全チェック", 430, 290, 96, 24},
    {Dlg::IDC_UNCHECK_ALL, ControlKind::PushButton, L"全解除", 532, 290, 96, 24},
    {Dlg::IDC_ENLARGE, ControlKind::PushButton, L"拡大表示", 430, 320, 198, 24},
    {Dlg::IDC_SEARCH, ControlKind::PushButton, L"検索", 12, 362, 120, 26},
    {Dlg::IDC_RESERVE, ControlKind::PushButton, L"予約登録", 140, 362, 120, 26, ui::style::Hidden},
    {Dlg::IDC_RESULTS, ControlKind::ListView, L"", 12, kResultsTop, kWidth - kResultsRightMargin,
     kHeight - kResultsBottomMargin},
};

const ui::DialogTemplate kTemplate{L"自動予約登録条件", kWidth, kHeight,
                                   ui::dialog_style::Resizable, kControls};

constexpr std::wstring_view kNoSearchTerms = L"検索文字を入力、またはジャンルを選択してください";
constexpr std::wstring_view kChannelTableError = L"チャンネル設定リストの読み込みに失敗しました";

// <Documents>/Orvandel/<name>
std::wstring DataFile(std::wstring_view name) {
    return platform::JoinPath(shared::TimerDataFolder(platform::GetDocumentsFolder()), name);
}

void AddNumbers(ui::ComboBox* combo, int count) {
    if (combo == nullptr) return;
    for (int n = 0; n < count; ++n)
        combo->AddString(std::to_wstring(n));
}

// A stored value the combo cannot show (a hand-edited file) selects the nearest row, so that
// the controls show what a change would save.
void SelectClamped(ui::ComboBox* combo, int index) {
    if (combo == nullptr || combo->GetCount() == 0) return;
    combo->SetCurSel(std::clamp(index, 0, combo->GetCount() - 1));
}

}  // namespace

CAutoAddSearchDlg::CAutoAddSearchDlg()
    : CAutoAddSearchDlg(timer_core::TimerIniPathBesideExecutable()) {}

CAutoAddSearchDlg::CAutoAddSearchDlg(std::wstring iniPath)
    : ui::Dialog(kTemplate), iniPath_(std::move(iniPath)) {
    SetDataMap({
        {IDC_AND, ui::Ddx::Text, &andWords_},
        {IDC_NOT, ui::Ddx::Text, &notWords_},
        {IDC_TITLE_ONLY, ui::Ddx::Check, &titleOnly_},
        {1041, ui::Ddx::Check, &weekdays_[0]},
        {1042, ui::Ddx::Check, &weekdays_[1]},
        {1043, ui::Ddx::Check, &weekdays_[2]},
        {1044, ui::Ddx::Check, &weekdays_[3]},
        {1045, ui::Ddx::Check, &weekdays_[4]},
        {1046, ui::Ddx::Check, &weekdays_[5]},
        {1047, ui::Ddx::Check, &weekdays_[6]},
    });
    SetMessageMap<CAutoAddSearchDlg>({
        {IDC_CHECK_ALL, ui::BN_CLICKED, &CAutoAddSearchDlg::OnBnClickedCheckAll},
        {IDC_UNCHECK_ALL, ui::BN_CLICKED, &CAutoAddSearchDlg::OnBnClickedUncheckAll},
        {IDC_ADD_OR_CHANGE, ui::BN_CLICKED, &CAutoAddSearchDlg::OnBnClickedAddOrChange},
        {IDC_SEARCH, ui::BN_CLICKED, &CAutoAddSearchDlg::OnBnClickedSearch},
        {IDC_RESULTS, ui::NM_CLICK, &CAutoAddSearchDlg::OnNMClickResultList},
        {IDC_RESULTS, ui::NM_DBLCLK, &CAutoAddSearchDlg::OnNMDblclkResultList},
        {IDC_RESERVE, ui::BN_CLICKED, &CAutoAddSearchDlg::OnBnClickedReserve},
        {IDC_ENLARGE, ui::BN_CLICKED, &CAutoAddSearchDlg::OnBnClickedEnlarge},
    });
}

ui::BOOL CAutoAddSearchDlg::OnInitDialog() {
    ui::Dialog::OnInitDialog();
    selectedResult_ = -1;
    if (auto* results = Item<ui::ListView>(IDC_RESULTS)) PrepareSearchResultList(*results);
    FillCombos();
    FillChannelRows();
    if (mode_ == kModeSearch) {
        SetWindowText(L"検索");
        SetDlgItemText(IDC_ADD_OR_CHANGE, L"この条件で自動予約登録に追加する");
        ShowItem(IDC_RESERVE, true);
        SelectClamped(Item<ui::ComboBox>(IDC_PRIORITY), 2);
    }
    if (mode_ == kModeChange) ShowStoredCondition();
    UpdateData(false);
    return ui::TRUE;
}

void CAutoAddSearchDlg::FillCombos() {
    if (auto* genre = Item<ui::ComboBox>(IDC_GENRE)) {
        genre->SetItemData(genre->AddString(L"全ジャンル"), -1);
        for (std::size_t n = 0; n < timer_core::GenreNameTable.size(); ++n)
            genre->SetItemData(genre->AddString(timer_core::GenreNameTable[n]),
                               static_cast<ui::LPARAM>(n));
        genre->SetCurSel(0);
    }
    AddNumbers(Item<ui::ComboBox>(IDC_START_HOUR), 24);
    AddNumbers(Item<ui::ComboBox>(IDC_START_MINUTE), 60);
    AddNumbers(Item<ui::ComboBox>(IDC_END_HOUR), 24);
    AddNumbers(Item<ui::ComboBox>(IDC_END_MINUTE), 60);
    SelectClamped(Item<ui::ComboBox>(IDC_START_HOUR), 0);
    SelectClamped(Item<ui::ComboBox>(IDC_START_MINUTE), 0);
    SelectClamped(Item<ui::ComboBox>(IDC_END_HOUR), 23);
    SelectClamped(Item<ui::ComboBox>(IDC_END_MINUTE), 59);
    if (auto* follow = Item<ui::ComboBox>(IDC_FOLLOW)) {
        follow->AddString(L"しない");
        follow->AddString(L"する");
        follow->SetCurSel(1);
    }
    if (auto* priority = Item<ui::ComboBox>(IDC_PRIORITY)) {
        for (const wchar_t* text : {L"1", L"2", L"3", L"4", L"5"})
            priority->AddString(text);
        priority->SetCurSel(1);
    }
}

void CAutoAddSearchDlg::FillChannelRows() {
    auto* list = Item<ui::ListBox>(IDC_CHANNELS);
    if (list == nullptr || store_ == nullptr) return;
    AppendChannelRows(*list, SearchChannelRows(*store_, iniPath_));
}

void CAutoAddSearchDlg::ShowStoredCondition() {
    file_.Load();
    if (!HasStoredCondition()) return;
    const timer_core::AutoSearchCondition& condition =
        std::next(file_.conditions.begin(), conditionIndex_)->second;
    andWords_ = condition.andWords;
    notWords_ = condition.notWords;
    titleOnly_ = condition.titleOnly == 1 ? 1 : 0;
    const bool namedGenre = condition.genre >= 0 && static_cast<std::size_t>(condition.genre) <
                                                        timer_core::GenreNameTable.size();
    SelectClamped(Item<ui::ComboBox>(IDC_GENRE), namedGenre ? condition.genre + 1 : 0);
    SelectClamped(Item<ui::ComboBox>(IDC_START_HOUR), condition.startHour);
    SelectClamped(Item<ui::ComboBox>(IDC_START_MINUTE), condition.startMinute);
    SelectClamped(Item<ui::ComboBox>(IDC_END_HOUR), condition.endHour);
    SelectClamped(Item<ui::ComboBox>(IDC_END_MINUTE), condition.endMinute);
    for (int day = 0; day < timer_core::kWeekdayCount; ++day)
        weekdays_[day] = condition.weekdays[static_cast<std::size_t>(day)] == 1 ? 1 : 0;
    SelectClamped(Item<ui::ComboBox>(IDC_FOLLOW), condition.follow);
    SelectClamped(Item<ui::ComboBox>(IDC_PRIORITY), condition.priority - 1);
    // Channels the condition does not search go unchecked; the others keep their default.
    if (auto* list = Item<ui::ListBox>(IDC_CHANNELS)) {
        for (int i = 0; i < list->GetCount(); ++i) {
            const int key = static_cast<int>(list->GetItemData(i));
            if (std::find(condition.serviceKeys.begin(), condition.serviceKeys.end(), key) ==
                condition.serviceKeys.end()) {
                list->SetCheck(i, 0);
            }
        }
    }
}

bool CAutoAddSearchDlg::HasStoredCondition() const {
    return conditionIndex_ >= 0 &&
           static_cast<std::size_t>(conditionIndex_) < file_.conditions.size();
}

void CAutoAddSearchDlg::ReadControls() {
    UpdateData(true);
    const std::wstring andWords = timer_core::KeywordsForFile(andWords_);
    const std::wstring notWords = timer_core::KeywordsForFile(notWords_);
    if (andWords != andWords_) SetDlgItemText(IDC_AND, andWords);
    if (notWords != notWords_) SetDlgItemText(IDC_NOT, notWords);
    andWords_ = andWords;
    notWords_ = notWords;
}

int CAutoAddSearchDlg::ComboSelection(int id) const {
    const auto* combo = Item<ui::ComboBox>(id);
    return combo != nullptr ? combo->GetCurSel() : -1;
}

timer_core::AutoSearchCondition CAutoAddSearchDlg::ConditionFromControls() const {
    timer_core::AutoSearchCondition condition;
    condition.andWords = andWords_;
    condition.notWords = notWords_;
    condition.titleOnly = titleOnly_;
    const auto* genre = Item<ui::ComboBox>(IDC_GENRE);
    const int genreRow = ComboSelection(IDC_GENRE);
    condition.genre =
        genre != nullptr && genreRow >= 0 ? static_cast<int>(genre->GetItemData(genreRow)) : -1;
    condition.startHour = ComboSelection(IDC_START_HOUR);
    condition.startMinute = ComboSelection(IDC_START_MINUTE);
    condition.endHour = ComboSelection(IDC_END_HOUR);
    condition.endMinute = ComboSelection(IDC_END_MINUTE);
    for (int day = 0; day < timer_core::kWeekdayCount; ++day)
        condition.weekdays[static_cast<std::size_t>(day)] = weekdays_[day];
    condition.follow = ComboSelection(IDC_FOLLOW);
    condition.priority = ComboSelection(IDC_PRIORITY) + 1;
    if (const auto* list = Item<ui::ListBox>(IDC_CHANNELS)) {
        for (int i = 0; i < list->GetCount(); ++i) {
            if (list->GetCheck(i) == 1)
                condition.serviceKeys.push_back(static_cast<int>(list->GetItemData(i)));
        }
    }
    return condition;
}

bool CAutoAddSearchDlg::HasSearchTerms(const timer_core::AutoSearchCondition& condition) const {
    return !condition.andWords.empty() || !condition.notWords.empty() || condition.genre != -1;
}

void CAutoAddSearchDlg::OnBnClickedAddOrChange() {
    ReadControls();
    const timer_core::AutoSearchCondition condition = ConditionFromControls();
    if (!HasSearchTerms(condition)) {
        MessageBox(kNoSearchTerms);
        return;
    }
    if (mode_ == kModeChange) {
        // The condition was read when the dialog opened; an index that named none then (the
        // list changed meanwhile) changes nothing, and the list must be chosen from again.
        if (!HasStoredCondition()) {
            MessageBox(L"変更する条件を選択してください");
            return;
        }
        std::next(file_.conditions.begin(), conditionIndex_)->second = condition;
    } else {
        file_.Load();
        file_.conditions.emplace(static_cast<int>(file_.conditions.size()), condition);
    }
    if (!file_.Save()) MessageBox(kConditionsSaveFailed);
}

void CAutoAddSearchDlg::OnBnClickedSearch() {
    ReadControls();
    if (store_ == nullptr) {
        MessageBox(L"EPGデータの読み込みに失敗しているため使用できません");
        return;
    }
    const timer_core::AutoSearchCondition condition = ConditionFromControls();
    if (!HasSearchTerms(condition)) {
        MessageBox(kNoSearchTerms);
        return;
    }
    auto* list = Item<ui::ListView>(IDC_RESULTS);
    if (list != nullptr) list->DeleteAllItems();
    results_.clear();
    // The rows are new: a row remembered from the last search names another programme now.
    selectedResult_ = -1;
    timer_core::EpgSearchContext context;
    context.store = store_;
    timer_core::SearchEpgByCondition(&context, &condition, &results_);
    if (list != nullptr) FillSearchResultList(*list, results_);
    UpdateData(false);
}

void CAutoAddSearchDlg::OnNMClickResultList() {
    const auto* list = Item<ui::ListView>(IDC_RESULTS);
    selectedResult_ = list != nullptr ? list->GetHotItem() : -1;
}

void CAutoAddSearchDlg::OnNMDblclkResultList() {
    OnNMClickResultList();
    if (selectedResult_ == -1) return;
    const auto* list = Item<ui::ListView>(IDC_RESULTS);
    if (const timer_core::SearchResultEntry* hit = HitOfRow(*list, selectedResult_, results_)) {
        ShowHitProgramInfo(GetSafeHwnd(), store_, *hit);
    }
}

void CAutoAddSearchDlg::OnBnClickedReserve() {
    const auto* list = Item<ui::ListView>(IDC_RESULTS);
    const timer_core::SearchResultEntry* hit =
        list != nullptr ? HitOfRow(*list, selectedResult_, results_) : nullptr;
    if (hit == nullptr) {
        MessageBox(L"予約する番組を選択してください");
        return;
    }
    if (manager_ == nullptr) {
        MessageBox(L"内部エラー");
        return;
    }
    shared::ChSetFile channels;
    timer_core::ReserveEntry entry;
    if (!channels.Load(DataFile(L"ChSet.txt")) ||
        !timer_core::MakeReservationFromHit(channels, *hit, &entry)) {
        MessageBox(kChannelTableError);
        return;
    }
    // A programme that is reserved already is left as it is; the list reloads all the same.
    timer_core::AddReserveUnlessKnown(*manager_, &entry);
    manager_->SaveReserveFile(DataFile(L"Program.txt"));
    platform::PostMessageW(GetOwnerHwnd(), timer_core::WM_RELOAD_RESERVATIONS, 0, 0);
}

void CAutoAddSearchDlg::OnBnClickedEnlarge() {
    auto* list = Item<ui::ListBox>(IDC_CHANNELS);
    if (list == nullptr) return;
    std::vector<SearchChannelRow> rows = ChannelRowsOf(*list);
    {
        CSearchChSetDlg channels;
        channels.SetRows(&rows);
        channels.DoModal(GetSafeHwnd());
    }
    // The channel dialog wrote its rows back however it was closed.
    list->ResetContent();
    AppendChannelRows(*list, rows);
}

void CAutoAddSearchDlg::OnSize(ui::UINT /*type*/, int cx, int cy) {
    const auto* list = Item<ui::ListView>(IDC_RESULTS);
    if (list == nullptr) return;
    // A minimised window reports 0 x 0; the list keeps no negative size.
    MoveItem(IDC_RESULTS, list->x(), list->y(), std::max(cx - kResultsRightMargin, 0),
             std::max(cy - kResultsBottomMargin, 0));
}

bool CAutoAddSearchDlg::PreTranslateMessage(ui::MSG& msg) {
    if (msg.message == ui::WM_KEYDOWN &&
        (msg.wParam == ui::VK_RETURN || msg.wParam == ui::VK_ESCAPE)) {
        OnBnClickedSearch();
        return false;
    }
    return ui::Dialog::PreTranslateMessage(msg);
}

void CAutoAddSearchDlg::SetAllChecks(int checked) {
    auto* list = Item<ui::ListBox>(IDC_CHANNELS);
    if (list == nullptr) return;
    for (int i = 0; i < list->GetCount(); ++i)
        list->SetCheck(i, checked);
}

}  // namespace timer_ui
