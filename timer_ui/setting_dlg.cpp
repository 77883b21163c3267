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

constexpr int kWidth = 720;
constexpr int kRowWidth = kWidth - 24;

const ui::ControlSpec kControls[] = {
    {ui::IDC_STATIC, ControlKind::Static, L"FriioView.exeへのパス", 12, 12, 300, 16},
    {Dlg::IDC_FRIIO_VIEW_PATH, ControlKind::Edit, L"", 12, 30, 600, 22},
    {Dlg::IDC_OPEN_FRIIO_VIEW_PATH, ControlKind::PushButton, L"開く", 620, 29, 88, 24},
    {ui::IDC_STATIC, ControlKind::Static, L"EPG表示アプリへのパス", 12, 60, 300, 16},
    {Dlg::IDC_EPG_VIEW_PATH, ControlKind::Edit, L"", 12, 78, 600, 22},
    {Dlg::IDC_OPEN_EPG_VIEW_PATH, ControlKind::PushButton, L"開く", 620, 77, 88, 24},
    {ui::IDC_STATIC, ControlKind::GroupBox, L"起動時のオプション", 12, 110, kRowWidth, 130},
    {Dlg::IDC_VIEW_OPTION, ControlKind::RadioButton, L"何もなし", 24, 136, 672, 18, style::Group},
    {1073, ControlKind::RadioButton, L"Friio_NowEpgList.datのパス", 24, 155, 672, 18},
    {1074, ControlKind::RadioButton, L"Quorvantelのデータパス一覧", 24, 174, 672, 18},
    {1076, ControlKind::RadioButton, L"Friio_NowEpgList.dat+Quorvantelのデータパス一覧", 24, 193,
     672, 18},
    {1077, ControlKind::RadioButton, L"Friio_NowEpgList.dat+Quorvantelのデータパス一覧(-SAVEあり)",
     24, 212, 672, 18},
    {ui::IDC_STATIC, ControlKind::Static, L"チューナー数", 12, 255, 96, 16},
    {ui::IDC_STATIC, ControlKind::Static, L"白（地デジ）", 112, 255, 96, 16},
    {Dlg::IDC_TUNER_COUNT, ControlKind::Edit, L"", 210, 252, 48, 22},
    {ui::IDC_STATIC, ControlKind::Static, L"黒（BS/CS）", 280, 255, 96, 16},
    {Dlg::IDC_TUNER_COUNT2, ControlKind::Edit, L"", 378, 252, 48, 22},
    {ui::IDC_STATIC, ControlKind::GroupBox, L"予約録画終了後の処理", 12, 286, kRowWidth, 54},
    {Dlg::IDC_REC_END, ControlKind::RadioButton, L"何もしない", 24, 312, 180, 18, style::Group},
    {1012, ControlKind::RadioButton, L"PCをスタンバイにする", 210, 312, 200, 18},
    {1013, ControlKind::RadioButton, L"PCを休止にする", 420, 312, 200, 18},
    {ui::IDC_STATIC, ControlKind::Static, L"予約録画開始時のマージン　開始時間", 12, 355, 260, 16},
    {Dlg::IDC_START_SEC, ControlKind::Edit, L"", 276, 352, 48, 22},
    {ui::IDC_STATIC, ControlKind::Static, L"秒前から録画を開始する", 330, 355, 240, 16},
    {ui::IDC_STATIC, ControlKind::Static, L"予約録画終了時のマージン　終了時間", 12, 385, 260, 16},
    {Dlg::IDC_END_SEC, ControlKind::Edit, L"", 276, 382, 48, 22},
    {ui::IDC_STATIC, ControlKind::Static, L"秒後に録画を停止する", 330, 385, 240, 16},
    {Dlg::IDC_REC_PRIORITY, ControlKind::CheckBox,
     L"優先度が同じで時間が重なった場合は後の番組を優先する", 12, 414, kRowWidth, 20},
    {Dlg::IDC_AUTO_DEL, ControlKind::CheckBox,
     L"HDDの空きが少ない場合は古い録画ファイルを自動的に削除する", 12, 436, kRowWidth, 20},
    {Dlg::IDC_NAME_MANUAL, ControlKind::CheckBox,
     L"録画時のファイル名を番組名にする　（※録画ファイル自動削除機能とは同時に使用できません）", 12,
     458, kRowWidth, 20},
    {Dlg::IDC_NO_ERR_LOG, ControlKind::CheckBox, L"録画時にエラーログを出力しない", 12, 480,
     kRowWidth, 20},
    {Dlg::IDC_NO_INFO_LOG, ControlKind::CheckBox,
     L"録画時に番組情報の出力をしない　（追従するの時のみ有効）", 12, 502, kRowWidth, 20},
    {ui::IDC_STATIC, ControlKind::GroupBox, L"EPGデータ自動取得設定", 12, 534, kRowWidth, 188},
    {ui::IDC_STATIC, ControlKind::Static, L"※Quorvantel Plug-Inを導入している必要があります", 24,
     560, 660, 16},
    {ui::IDC_STATIC, ControlKind::Static,
     L"取得開始時間　（有効にするものにチェック入れてください）", 24, 580, 660, 16},
    {Dlg::IDC_TIMES, ControlKind::CheckListBox, L"", 24, 600, 160, 110},
    {Dlg::IDC_HOUR, ControlKind::Edit, L"", 196, 600, 40, 22},
    {ui::IDC_STATIC, ControlKind::Static, L"時", 240, 603, 18, 16},
    {Dlg::IDC_MINUTE, ControlKind::Edit, L"", 262, 600, 40, 22},
    {ui::IDC_STATIC, ControlKind::Static, L"分", 306, 603, 18, 16},
    {ui::IDC_STATIC, ControlKind::Static, L"（0時0分～23時59）", 330, 603, 180, 16},
    {Dlg::IDC_ADD_TIME, ControlKind::PushButton, L"追加", 196, 630, 88, 24},
    {Dlg::IDC_DEL_TIME, ControlKind::PushButton, L"削除", 292, 630, 88, 24},
    {ui::IDC_STATIC, ControlKind::Static, L"※FriioViewが起動していない場合かつ", 196, 660, 400, 16},
    {ui::IDC_STATIC, ControlKind::Static, L"90分以内に予約録画がない場合", 196, 678, 400, 16},
    {ui::IDC_STATIC, ControlKind::Static, L"にEPGデータの取得を行います", 196, 696, 400, 16},
    {Dlg::IDC_SUPPRESS, ControlKind::PushButton, L"抑制条件", 12, 732, 120, 24},
    {Dlg::IDC_SEARCH_CH_DEFAULT, ControlKind::PushButton,
     L"検索時のデフォルト対象チャンネルを設定する", 140, 732, 340, 24},
    {ui::IDC_STATIC, ControlKind::Static,
     L"※予約情報とチャンネル設定はマイドキュメントのOrvandelフォルダに保存してます", 12, 770,
     kRowWidth, 16},
    {ui::IDOK, ControlKind::PushButton, L"OK", 528, 800, 84, 24},
    {ui::IDCANCEL, ControlKind::PushButton, L"キャンセル", 620, 800, 88, 24},
};

const ui::DialogTemplate kTemplate{L"設定", kWidth, 836, 0, kControls};

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
