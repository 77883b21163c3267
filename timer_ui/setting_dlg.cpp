#include "timer_ui/setting_dlg.h"

#include <algorithm>
#include <cwchar>
#include <iterator>

#include "platform/private_profile.h"
#include "shared/channel_table_text.h"
#include "shared/text_lines.h"
#include "timer_core/scheduling/timer_ini_path.h"
#include "timer_ui/no_standby_dlg.h"
#include "timer_ui/search_ch_set_dlg.h"
#include "timer_ui/search_channels.h"
#include "ui/list_box.h"
#include "ui/pickers.h"

namespace timer_ui {
namespace {

using ui::ControlKind;
using Dlg = CSettingDlg;
namespace style = ui::style;

// Two columns between the paths above and the check boxes below, so that the whole dialog, OK
// and キャンセル included, fits a laptop screen 768 pixels high (and 1024 wide) beside its title
// bar and a panel: the recording settings on the left, the EPG acquisition on the right.
constexpr int kWidth = 940;
constexpr int kHeight = 546;
constexpr int kRowWidth = kWidth - 24;
constexpr int kLeftWidth = 448;
constexpr int kRightX = 476;
constexpr int kRightWidth = kWidth - 12 - kRightX;
constexpr int kTimesX = 652;  // the acquisition time's fields, right of its list

const ui::ControlSpec kControls[] = {
    {ui::IDC_STATIC, ControlKind::Static, L"FriioView.exeへのパス", 12, 15, 148, 16},
    {Dlg::IDC_FRIIO_VIEW_PATH, ControlKind::Edit, L"", 164, 12, 668, 22},
    {Dlg::IDC_OPEN_FRIIO_VIEW_PATH, ControlKind::PushButton, L"開く", 840, 11, 88, 24},
    {ui::IDC_STATIC, ControlKind::Static, L"EPG表示アプリへのパス", 12, 45, 148, 16},
    {Dlg::IDC_EPG_VIEW_PATH, ControlKind::Edit, L"", 164, 42, 668, 22},
    {Dlg::IDC_OPEN_EPG_VIEW_PATH, ControlKind::PushButton, L"開く", 840, 41, 88, 24},
    {ui::IDC_STATIC, ControlKind::GroupBox, L"起動時のオプション", 12, 76, kLeftWidth, 130},
    {Dlg::IDC_VIEW_OPTION, ControlKind::RadioButton, L"何もなし", 24, 102, 424, 18, style::Group},
    {1073, ControlKind::RadioButton, L"Friio_NowEpgList.datのパス", 24, 121, 424, 18},
    {1074, ControlKind::RadioButton, L"Quorvantelのデータパス一覧", 24, 140, 424, 18},
    {1076, ControlKind::RadioButton, L"Friio_NowEpgList.dat+Quorvantelのデータパス一覧", 24, 159,
     424, 18},
    {1077, ControlKind::RadioButton, L"Friio_NowEpgList.dat+Quorvantelのデータパス一覧(-SAVEあり)",
     24, 178, 424, 18},
    {ui::IDC_STATIC, ControlKind::Static, L"チューナー数", 12, 223, 90, 16},
    {ui::IDC_STATIC, ControlKind::Static, L"白（地デジ）", 106, 223, 90, 16},
    {Dlg::IDC_TUNER_COUNT, ControlKind::Edit, L"", 198, 220, 48, 22},
    {ui::IDC_STATIC, ControlKind::Static, L"黒（BS/CS）", 262, 223, 90, 16},
    {Dlg::IDC_TUNER_COUNT2, ControlKind::Edit, L"", 354, 220, 48, 22},
    {ui::IDC_STATIC, ControlKind::GroupBox, L"予約録画終了後の処理", 12, 254, kLeftWidth, 54},
    {Dlg::IDC_REC_END, ControlKind::RadioButton, L"何もしない", 24, 280, 110, 18, style::Group},
    {1012, ControlKind::RadioButton, L"PCをスタンバイにする", 140, 280, 160, 18},
    {1013, ControlKind::RadioButton, L"PCを休止にする", 306, 280, 140, 18},
    {ui::IDC_STATIC, ControlKind::Static, L"予約録画開始時のマージン　開始時間", 12, 325, 228, 16},
    {Dlg::IDC_START_SEC, ControlKind::Edit, L"", 244, 322, 44, 22},
    {ui::IDC_STATIC, ControlKind::Static, L"秒前から録画を開始する", 294, 325, 166, 16},
    {ui::IDC_STATIC, ControlKind::Static, L"予約録画終了時のマージン　終了時間", 12, 355, 228, 16},
    {Dlg::IDC_END_SEC, ControlKind::Edit, L"", 244, 352, 44, 22},
    {ui::IDC_STATIC, ControlKind::Static, L"秒後に録画を停止する", 294, 355, 166, 16},
    {ui::IDC_STATIC, ControlKind::GroupBox, L"EPGデータ自動取得設定", kRightX, 76, kRightWidth,
     196},
    {ui::IDC_STATIC, ControlKind::Static, L"※Quorvantel Plug-Inを導入している必要があります", 488,
     102, 428, 16},
    {ui::IDC_STATIC, ControlKind::Static,
     L"取得開始時間　（有効にするものにチェック入れてください）", 488, 122, 428, 16},
    {Dlg::IDC_TIMES, ControlKind::CheckListBox, L"", 488, 142, 150, 118},
    {Dlg::IDC_HOUR, ControlKind::Edit, L"", kTimesX, 142, 40, 22},
    {ui::IDC_STATIC, ControlKind::Static, L"時", kTimesX + 44, 145, 18, 16},
    {Dlg::IDC_MINUTE, ControlKind::Edit, L"", kTimesX + 66, 142, 40, 22},
    {ui::IDC_STATIC, ControlKind::Static, L"分", kTimesX + 110, 145, 18, 16},
    {ui::IDC_STATIC, ControlKind::Static, L"（0時0分～23時59）", kTimesX, 170, 180, 16},
    {Dlg::IDC_ADD_TIME, ControlKind::PushButton, L"追加", kTimesX, 190, 88, 24},
    {Dlg::IDC_DEL_TIME, ControlKind::PushButton, L"削除", kTimesX + 96, 190, 88, 24},
    {ui::IDC_STATIC, ControlKind::Static, L"※FriioViewが起動していない場合かつ", kTimesX, 220, 264,
     16},
    {ui::IDC_STATIC, ControlKind::Static, L"90分以内に予約録画がない場合", kTimesX, 236, 264, 16},
    {ui::IDC_STATIC, ControlKind::Static, L"にEPGデータの取得を行います", kTimesX, 252, 264, 16},
    {Dlg::IDC_SUPPRESS, ControlKind::PushButton, L"抑制条件", kRightX, 284, 120, 24},
    {Dlg::IDC_SEARCH_CH_DEFAULT, ControlKind::PushButton,
     L"検索時のデフォルト対象チャンネルを設定する", kRightX + 128, 284, kRightWidth - 128, 24},
    {Dlg::IDC_REC_PRIORITY, ControlKind::CheckBox,
     L"優先度が同じで時間が重なった場合は後の番組を優先する", 12, 386, kRowWidth, 20},
    {Dlg::IDC_AUTO_DEL, ControlKind::CheckBox,
     L"HDDの空きが少ない場合は古い録画ファイルを自動的に削除する", 12, 408, kRowWidth, 20},
    {Dlg::IDC_NAME_MANUAL, ControlKind::CheckBox,
     L"録画時のファイル名を番組名にする　（※録画ファイル自動削除機能とは同時に使用できません）", 12,
     430, kRowWidth, 20},
    {Dlg::IDC_NO_ERR_LOG, ControlKind::CheckBox, L"録画時にエラーログを出力しない", 12, 452,
     kRowWidth, 20},
    {Dlg::IDC_NO_INFO_LOG, ControlKind::CheckBox,
     L"録画時に番組情報の出力をしない　（追従するの時のみ有効）", 12, 474, kRowWidth, 20},
    {ui::IDC_STATIC, ControlKind::Static,
     L"※予約情報とチャンネル設定はマイドキュメントのOrvandelフォルダに保存してます", 12, 514, 700,
     16},
    {ui::IDOK, ControlKind::PushButton, L"OK", 744, 510, 84, 24},
    {ui::IDCANCEL, ControlKind::PushButton, L"キャンセル", 840, 510, 88, 24},
};

const ui::DialogTemplate kTemplate{L"設定", kWidth, kHeight, 0, kControls};

constexpr const wchar_t* kSet = L"SET";
constexpr const wchar_t* kTimes = L"Orvandel";
constexpr platform::DWORD kTextBuffer = 512;

std::wstring TimeText(const timer_core::EpgTimeEntry& entry) {
    wchar_t text[32];
    std::swprintf(text, std::size(text), L"%02d:%02d", entry.hour, entry.minute);
    return text;
}

int TimeKey(const timer_core::EpgTimeEntry& entry) {
    return entry.hour * 100 + entry.minute;
}

// The acquisition never runs at a time that is no time of day; such an entry of a hand-edited
// file is not listed (and OK writes the list without it).
bool IsTimeOfDay(int hour, int minute) {
    return hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59;
}

timer_core::EpgTimeEntry* EntryOfItem(const ui::ListBox& list, int item) {
    return reinterpret_cast<timer_core::EpgTimeEntry*>(list.GetItemData(item));
}

}  // namespace

CSettingDlg::CSettingDlg() : CSettingDlg(timer_core::TimerIniPathBesideExecutable()) {}

CSettingDlg::CSettingDlg(std::wstring iniPath)
    : ui::Dialog(kTemplate), iniPath_(std::move(iniPath)) {
    SetDataMap({
        {IDC_FRIIO_VIEW_PATH, ui::Ddx::Text, &FriioViewPath_},
        {IDC_EPG_VIEW_PATH, ui::Ddx::Text, &EpgViewPath_},
        {IDC_HOUR, ui::Ddx::Text, &hour_},
        {IDC_MINUTE, ui::Ddx::Text, &minute_},
        {IDC_START_SEC, ui::Ddx::Text, &StartSec_},
        {IDC_REC_END, ui::Ddx::Radio, &RecEnd_},
        {IDC_TUNER_COUNT, ui::Ddx::Text, &TunerCount_},
        {IDC_AUTO_DEL, ui::Ddx::Check, &AutoDel_},
        {IDC_REC_PRIORITY, ui::Ddx::Check, &RecPriority_},
        {IDC_NO_ERR_LOG, ui::Ddx::Check, &NoErrLog_},
        {IDC_NO_INFO_LOG, ui::Ddx::Check, &NoInfoLog_},
        {IDC_TUNER_COUNT2, ui::Ddx::Text, &TunerCount2_},
        {IDC_VIEW_OPTION, ui::Ddx::Radio, &ViewOption_},
        {IDC_NAME_MANUAL, ui::Ddx::Check, &NameManual_},
        {IDC_END_SEC, ui::Ddx::Text, &EndSec_},
    });
    SetMessageMap<CSettingDlg>({
        {ui::IDOK, ui::BN_CLICKED, &CSettingDlg::OnBnClickedOk},
        {IDC_OPEN_FRIIO_VIEW_PATH, ui::BN_CLICKED, &CSettingDlg::OnBnClickedOpenFriioViewPath},
        {IDC_OPEN_EPG_VIEW_PATH, ui::BN_CLICKED, &CSettingDlg::OnBnClickedOpenEpgViewPath},
        {IDC_ADD_TIME, ui::BN_CLICKED, &CSettingDlg::OnBnClickedAddTime},
        {IDC_DEL_TIME, ui::BN_CLICKED, &CSettingDlg::OnBnClickedDelTime},
        {IDC_SUPPRESS, ui::BN_CLICKED, &CSettingDlg::OnBnClickedSuppress},
        {IDC_NAME_MANUAL, ui::BN_CLICKED, &CSettingDlg::OnBnClickedNameManual},
        {IDC_AUTO_DEL, ui::BN_CLICKED, &CSettingDlg::OnBnClickedAutoDel},
        {IDC_SEARCH_CH_DEFAULT, ui::BN_CLICKED, &CSettingDlg::OnBnClickedSearchChDefault},
    });
}

CSettingDlg::~CSettingDlg() = default;

ui::BOOL CSettingDlg::OnInitDialog() {
    ui::Dialog::OnInitDialog();
    ReadIni();
    UpdateData(false);
    return ui::TRUE;
}

std::wstring CSettingDlg::ReadText(const wchar_t* key, const wchar_t* fallback) const {
    wchar_t buffer[kTextBuffer];
    platform::GetPrivateProfileStringW(kSet, key, fallback, buffer, kTextBuffer, iniPath_.c_str());
    return buffer;
}

int CSettingDlg::ReadInt(const wchar_t* key, int fallback) const {
    return static_cast<int>(platform::GetPrivateProfileIntW(kSet, key, fallback, iniPath_.c_str()));
}

void CSettingDlg::WriteText(const wchar_t* section, const wchar_t* key,
                            const std::wstring& value) const {
    // A line end (a picked file's name may hold one) would start a line of its own in the file.
    platform::WritePrivateProfileStringW(section, key, shared::OneLineName(value, L"\r\n").c_str(),
                                         iniPath_.c_str());
}

void CSettingDlg::ReadIni() {
    times_.clear();
    FriioViewPath_ = ReadText(L"FriioViewPath", L"");
    EpgViewPath_ = ReadText(L"EpgViewPath", L"");
    ViewOption_ = ReadInt(L"ViewOption", 0);
    TunerCount_ = ReadText(L"TunerCount", L"1");
    TunerCount2_ = ReadText(L"TunerCount2", L"0");
    RecEnd_ = ReadInt(L"RecEnd", 0);
    StartSec_ = ReadText(L"StartSec", L"15");
    EndSec_ = ReadText(L"EndSec", L"1");
    RecPriority_ = ReadInt(L"RecPriority", 0);
    AutoDel_ = ReadInt(L"AutoDel", 0);
    NoErrLog_ = ReadInt(L"NoErrLog", 0);
    NoInfoLog_ = ReadInt(L"NoInfoLog", 1);
    NameManual_ = ReadInt(L"NameManual", 0);
    if (auto* list = Item<ui::ListBox>(IDC_TIMES)) list->ResetContent();
    for (const auto& [n, value] :
         platform::GetPrivateProfileCountedValues(kTimes, kTextBuffer, iniPath_.c_str())) {
        auto entry = std::make_unique<timer_core::EpgTimeEntry>();
        if (timer_core::ParseEpgTimeEntry(value, entry.get()) &&
            IsTimeOfDay(entry->hour, entry->minute)) {
            AddTime(std::move(entry));
        }
    }
}

void CSettingDlg::AddTime(std::unique_ptr<timer_core::EpgTimeEntry> entry) {
    if (auto* list = Item<ui::ListBox>(IDC_TIMES)) {
        const int item = list->AddString(TimeText(*entry));
        list->SetItemData(item, reinterpret_cast<ui::LPARAM>(entry.get()));
        // The timer acquires at every time whose flag is not 0.
        list->SetCheck(item, entry->enabled != 0 ? 1 : 0);
    }
    times_.push_back(std::move(entry));
}

void CSettingDlg::WriteIni() {
    // A radio group that showed no choice (a value out of range in the file) keeps its value.
    const int recEnd = RecEnd_;
    const int viewOption = ViewOption_;
    UpdateData(true);
    if (RecEnd_ < 0) RecEnd_ = recEnd;
    if (ViewOption_ < 0) ViewOption_ = viewOption;
    WriteText(kSet, L"FriioViewPath", FriioViewPath_);
    WriteText(kSet, L"EpgViewPath", EpgViewPath_);
    WriteText(kSet, L"StartSec", StartSec_);
    WriteText(kSet, L"EndSec", EndSec_);
    WriteText(kSet, L"TunerCount", TunerCount_);
    WriteText(kSet, L"TunerCount2", TunerCount2_);
    WriteText(kSet, L"RecEnd", std::to_wstring(RecEnd_));
    WriteText(kSet, L"ViewOption", std::to_wstring(ViewOption_));
    WriteText(kSet, L"AutoDel", std::to_wstring(AutoDel_));
    WriteText(kSet, L"RecPriority", std::to_wstring(RecPriority_));
    WriteText(kSet, L"NoErrLog", std::to_wstring(NoErrLog_));
    WriteText(kSet, L"NoInfoLog", std::to_wstring(NoInfoLog_));
    WriteText(kSet, L"NameManual", std::to_wstring(NameManual_));
    if (const auto* list = Item<ui::ListBox>(IDC_TIMES)) {
        for (int item = 0; item < list->GetCount(); ++item)
            EntryOfItem(*list, item)->enabled = list->GetCheck(item) == 1 ? 1 : 0;
    }
    WriteText(kTimes, L"Count", std::to_wstring(times_.size()));
    for (std::size_t n = 0; n < times_.size(); ++n) {
        wchar_t value[48];
        std::swprintf(value, std::size(value), L"%d,%d,%d", times_[n]->hour, times_[n]->minute,
                      times_[n]->enabled);
        WriteText(kTimes, std::to_wstring(n).c_str(), value);
    }
    UpdateData(false);
}

void CSettingDlg::OnBnClickedOk() {
    WriteIni();
    ui::Dialog::OnOK();
}

void CSettingDlg::OpenProgram(std::wstring* path) {
    UpdateData(true);
    const std::vector<ui::FileFilter> filters = {{L"exe files (*.exe)", L"*.exe"},
                                                 {L"All files (*.*)", L"*.*"}};
    if (auto file = ui::GetOpenFileName(GetSafeHwnd(), filters)) {
        *path = *file;
        UpdateData(false);
    }
}

void CSettingDlg::OnBnClickedOpenFriioViewPath() {
    OpenProgram(&FriioViewPath_);
}

void CSettingDlg::OnBnClickedOpenEpgViewPath() {
    OpenProgram(&EpgViewPath_);
}

void CSettingDlg::OnBnClickedAddTime() {
    UpdateData(true);
    if (hour_.empty() || minute_.empty()) {
        MessageBox(L"追加する時間を半角数字で入力してください");
        return;
    }
    auto entry = std::make_unique<timer_core::EpgTimeEntry>();
    entry->hour = shared::LeadingDecimal(hour_);
    entry->minute = shared::LeadingDecimal(minute_);
    entry->enabled = 1;
    if (!IsTimeOfDay(entry->hour, entry->minute)) {
        MessageBox(L"0時00分～23時59分で指定してください");
        return;
    }
    const int key = TimeKey(*entry);
    if (std::any_of(times_.begin(), times_.end(),
                    [key](const auto& time) { return TimeKey(*time) == key; })) {
        MessageBox(L"すでに登録されています");
        return;
    }
    AddTime(std::move(entry));
    UpdateData(false);
}

void CSettingDlg::OnBnClickedDelTime() {
    UpdateData(true);
    auto* list = Item<ui::ListBox>(IDC_TIMES);
    const int item = list != nullptr ? list->GetCurSel() : -1;
    if (item < 0) {
        MessageBox(L"項目を選択してください");
        return;
    }
    // The item's own entry: a hand-edited file may list a time twice, and removing the other
    // entry of the same time would leave this item pointing at a freed one.
    const timer_core::EpgTimeEntry* selected = EntryOfItem(*list, item);
    const auto entry = std::find_if(times_.begin(), times_.end(), [selected](const auto& time) {
        return time.get() == selected;
    });
    list->DeleteString(item);
    if (entry != times_.end()) times_.erase(entry);
    UpdateData(false);
}

void CSettingDlg::OnBnClickedSuppress() {
    CNoStandbyDlg suppression(iniPath_);
    suppression.DoModal(GetSafeHwnd());
}

void CSettingDlg::OnBnClickedNameManual() {
    UpdateData(true);
    AutoDel_ = 0;
    UpdateData(false);
}

void CSettingDlg::OnBnClickedAutoDel() {
    UpdateData(true);
    NameManual_ = 0;
    UpdateData(false);
}

void CSettingDlg::OnBnClickedSearchChDefault() {
    if (store_ == nullptr || store_->services.empty()) {
        MessageBox(L"EPGデータを読み込めていないため使用できません", L"");
        return;
    }
    std::vector<SearchChannelRow> rows = SearchChannelRows(*store_, iniPath_);
    {
        CSearchChSetDlg channels;
        channels.SetRows(&rows);
        channels.DoModal(GetSafeHwnd());
    }
    // Whichever button closed it, its ticks are the new defaults.
    for (const SearchChannelRow& row : rows)
        WriteChannelDefault(iniPath_, row.serviceKey, row.checked);
}

}  // namespace timer_ui
