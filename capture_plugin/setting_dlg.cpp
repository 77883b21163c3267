#include "capture_plugin/setting_dlg.h"

#include <cwchar>

#include "capture_plugin/capture_texts.h"
#include "capture_plugin/channel_list_source.h"
#include "capture_plugin/plugin_ini.h"
#include "ui/list_box.h"
#include "ui/pickers.h"

namespace capture_plugin {

namespace {

using ui::ControlKind;
namespace style = ui::style;

const ui::ControlSpec kControls[] = {
    {ui::IDC_STATIC, ControlKind::Static, L"EPGデータ保存フォルダ", 10, 10, 300, 14},
    {CSettingDlg::IDC_SAVE_PATH, ControlKind::Edit, L"", 10, 28, 540, 21},
    {CSettingDlg::IDC_OPEN_SAVE_PATH, ControlKind::PushButton, L"開く", 556, 28, 74, 21},
    {ui::IDC_STATIC, ControlKind::Static, L"EPGデータを取得するチャンネル", 10, 58, 300, 14},
    {CSettingDlg::IDC_CHANNELS, ControlKind::CheckListBox, L"", 10, 76, 400, 150},
    {CSettingDlg::IDC_CHECK_ALL, ControlKind::PushButton, L"全チェック", 420, 76, 170, 21},
    {CSettingDlg::IDC_UNCHECK_ALL, ControlKind::PushButton, L"全チェック解除", 420, 104, 170, 21},
    {CSettingDlg::IDC_BS_BASIC_ONLY, ControlKind::CheckBox,
     L"BSは1チャンネルから全チャンネルの基本情報のみ取得する（他チャンネルの番組詳細を取得しない）",
     10, 234, 620, 16},
    {CSettingDlg::IDC_CS_BASIC_ONLY, ControlKind::CheckBox,
     L"CS1/CS2は1チャンネルから全チャンネルの基本情報のみ取得する（他チャンネルの番組詳細を取得し"
     L"ない）",
     10, 254, 620, 16},
    {ui::IDC_STATIC, ControlKind::Static,
     L"※BS、CS1/CS2ともにチェックの入っているチャンネルの、一番周波数の低いチャンネルで取得を行い"
     L"ます",
     22, 274, 608, 14},
    {ui::IDC_STATIC, ControlKind::Static, L"地デジは全チャンネル番組詳細を取得します", 22, 290, 608,
     14},
    {ui::IDC_STATIC, ControlKind::Static,
     L"CS1はND2、ND8、ND10の3チャンネル、CS2はそれ以外になります", 22, 306, 608, 14},
    {ui::IDC_STATIC, ControlKind::Static, L"EPG表示アプリへのパス", 10, 330, 300, 14},
    {CSettingDlg::IDC_EPG_PATH, ControlKind::Edit, L"", 10, 348, 540, 21},
    {CSettingDlg::IDC_OPEN_EPG_PATH, ControlKind::PushButton, L"開く", 556, 348, 74, 21},
    {ui::IDC_STATIC, ControlKind::GroupBox, L"起動時のオプション", 10, 378, 620, 122},
    {CSettingDlg::IDC_START_OPTION, ControlKind::RadioButton, L"何もなし", 22, 398, 596, 16,
     style::Group},
    {5025, ControlKind::RadioButton, L"Friio_NowEpgList.datのパス", 22, 417, 596, 16},
    {5026, ControlKind::RadioButton, L"Quorvantelのデータパス一覧", 22, 436, 596, 16},
    {5027, ControlKind::RadioButton, L"Friio_NowEpgList.dat+Quorvantelのデータパス一覧", 22, 455,
     596, 16},
    {5028, ControlKind::RadioButton, L"Friio_NowEpgList.dat+Quorvantelのデータパス一覧(-SAVEあり)",
     22, 474, 596, 16},
    {CSettingDlg::IDC_TIME_SYNC, ControlKind::CheckBox,
     L"放送波の時間情報を使用してPCの時計を補正する（実時間と誤差出ます）", 10, 508, 620, 16},
    {ui::IDOK, ControlKind::PushButton, L"OK", 440, 536, 90, 24},
    {ui::IDCANCEL, ControlKind::PushButton, L"キャンセル", 540, 536, 90, 24},
};

const ui::DialogTemplate kTemplate{L"設定", 640, 570, 0, kControls};

}  // namespace

std::wstring ChannelItemText(std::wstring_view key, std::uint32_t channel, std::wstring_view name) {
    wchar_t text[64];
    if (key.find(L',') != std::wstring_view::npos) {
        std::swprintf(text, std::size(text), L"%dMHz,0x%04X : ", static_cast<int>(channel >> 16),
                      channel & 0xFFFF);
    } else {
        std::swprintf(text, std::size(text), L"%02dch : ", static_cast<int>(channel));
    }
    return text + std::wstring(name);
}

CSettingDlg::CSettingDlg(std::wstring hostFolder)
    : ui::Dialog(kTemplate), hostFolder_(std::move(hostFolder)) {
    iniPath_ = hostFolder_ + L"friio_Quorvantel.ini";
    channelsIniPath_ = hostFolder_ + L"channels.ini";
    bscsIniPath_ = hostFolder_ + L"bscs.ini";
    area_ = ReadFriioArea();
    savePath_ = ReadIniString(iniPath_, L"SavePath", L"");
    epgPath_ = ReadIniString(iniPath_, L"EpgPath", L"");
    defArea_ = ReadIniString(iniPath_, L"DefArea", L"");
    bsBasicOnly_ = ReadIniInt(iniPath_, L"BSBasicOnly", 0);
    csBasicOnly_ = ReadIniInt(iniPath_, L"CSBasicOnly", 0);
    startOption_ = ReadIniInt(iniPath_, L"StartOption", 0);
    timeSync_ = ReadIniInt(iniPath_, L"TimeSync", 0);
    SetDataMap({
        {IDC_SAVE_PATH, ui::Ddx::Text, &savePath_},
        {IDC_BS_BASIC_ONLY, ui::Ddx::Check, &bsBasicOnly_},
        {IDC_CS_BASIC_ONLY, ui::Ddx::Check, &csBasicOnly_},
        {IDC_EPG_PATH, ui::Ddx::Text, &epgPath_},
        {IDC_START_OPTION, ui::Ddx::Radio, &startOption_},
        {IDC_TIME_SYNC, ui::Ddx::Check, &timeSync_},
    });
    SetMessageMap<CSettingDlg>({
        {IDC_OPEN_SAVE_PATH, ui::BN_CLICKED, &CSettingDlg::OnBnClickedOpenSavePath},
        {IDC_OPEN_EPG_PATH, ui::BN_CLICKED, &CSettingDlg::OnBnClickedOpenEpgPath},
        {IDC_CHECK_ALL, ui::BN_CLICKED, &CSettingDlg::OnBnClickedCheckAll},
        {IDC_UNCHECK_ALL, ui::BN_CLICKED, &CSettingDlg::OnBnClickedUncheckAll},
        {ui::IDOK, ui::BN_CLICKED, &CSettingDlg::OnBnClickedOk},
    });
}

ui::BOOL CSettingDlg::OnInitDialog() {
    ui::Dialog::OnInitDialog();
    FillChannelList();
    UpdateData(false);
    return ui::TRUE;
}

void CSettingDlg::FillChannelList() {
    auto* list = Item<ui::ListBox>(IDC_CHANNELS);
    channelValues_.clear();
    if (list != nullptr) list->ResetContent();
    const ChannelListSource source =
        ChooseChannelListSource(tunerKind_, area_, defArea_, channelsIniPath_, bscsIniPath_);
    const auto entries = ReadChannelList(source, iniPath_);
    if (!entries) {
        MessageBox(kChannelFileErrorText);
        return;
    }
    for (const ChannelListEntry& entry : *entries) {
        if (list != nullptr) {
            const int index =
                list->AddString(ChannelItemText(entry.key, entry.channel, entry.name));
            list->SetCheck(index, entry.checked);
            list->SetItemData(index, static_cast<ui::LPARAM>(entry.channel));
        }
        channelValues_.push_back(entry.channel);
    }
}

void CSettingDlg::SaveSettings() {
    UpdateData(true);
    SaveLastTerrestrialArea(iniPath_, tunerKind_, area_);
    if (auto* list = Item<ui::ListBox>(IDC_CHANNELS)) {
        for (int i = 0; i < list->GetCount(); ++i) {
            const auto channel = static_cast<std::uint32_t>(list->GetItemData(i));
            WriteIniInt(iniPath_, ChannelCheckKey(channel), list->GetCheck(i) == 1 ? 1 : 0);
        }
    }
    WriteIniString(iniPath_, L"SavePath", savePath_);
    WriteIniString(iniPath_, L"EpgPath", epgPath_);
    WriteIniInt(iniPath_, L"BSBasicOnly", bsBasicOnly_);
    WriteIniInt(iniPath_, L"CSBasicOnly", csBasicOnly_);
    WriteIniInt(iniPath_, L"StartOption", startOption_);
    WriteIniInt(iniPath_, L"TimeSync", timeSync_);
    UpdateData(false);
}

void CSettingDlg::OnBnClickedOpenSavePath() {
    UpdateData(true);
    if (auto folder =
            ui::BrowseForFolder(GetSafeHwnd(), L"EPGデータを保存するフォルダを選択してください")) {
        savePath_ = *folder;
    }
    UpdateData(false);
}

void CSettingDlg::OnBnClickedOpenEpgPath() {
    UpdateData(true);
    const std::vector<ui::FileFilter> filters = {{L"exe files (*.exe)", L"*.exe"},
                                                 {L"All files (*.*)", L"*.*"}};
    if (auto file = ui::GetOpenFileName(GetSafeHwnd(), filters)) {
        epgPath_ = *file;
        UpdateData(false);
    }
}

void CSettingDlg::OnBnClickedOk() {
    SaveSettings();
    ui::Dialog::OnOK();
}

void CSettingDlg::SetAllChecks(int checked) {
    auto* list = Item<ui::ListBox>(IDC_CHANNELS);
    if (list == nullptr) return;
    for (int i = 0; i < list->GetCount(); ++i)
        list->SetCheck(i, checked);
}

}  // namespace capture_plugin
