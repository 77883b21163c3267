#include "capture_plugin/setting_dlg.h"

#include <cwchar>

#include "platform/private_profile.h"
#include "platform/registry.h"
#include "platform/text_case.h"
#include "ui/list_box.h"
#include "ui/message_box.h"
#include "ui/pickers.h"

namespace capture_plugin {

namespace {

using ui::ControlKind;
namespace style = ui::style;

constexpr wchar_t kSection[] = L"Set";
constexpr std::wstring_view kBsCsArea = L"BS110CS";
constexpr std::wstring_view kChannelFileErrorMessage =
    L"channels.ini または bscs.ini "
    L"が正常に読み込めていません\r\nFriioViewの設定などを確認してください";

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

std::wstring ReadArea() {
    const auto key = platform::RegistryKey::Open(L"Software\\Friio");
    if (!key) return {};
    return key->QueryString(L"Area").value_or(std::wstring());
}

// The number at the start of a text in the given base, as the C library reads it, kept to 32
// bits.
std::uint32_t NumberAtStart(const std::wstring& text, int base) {
    return static_cast<std::uint32_t>(std::wcstoul(text.c_str(), nullptr, base));
}

}  // namespace

ChannelListEntry ParseChannelListEntry(const std::wstring& key, const std::wstring& name) {
    wchar_t text[64];
    ChannelListEntry entry;
    const std::size_t comma = key.find(L',');
    if (comma != std::wstring::npos) {
        const std::uint32_t mhz = NumberAtStart(key.substr(0, comma), 10);
        const std::uint32_t tsid = NumberAtStart(key.substr(comma + 1), 16);
        entry.channel = (mhz << 16) | tsid;
        std::swprintf(text, std::size(text), L"%dMHz,0x%04X : ", static_cast<int>(mhz), tsid);
    } else {
        entry.channel = NumberAtStart(key, 10);
        std::swprintf(text, std::size(text), L"%02dch : ", static_cast<int>(entry.channel));
    }
    entry.text = text + name;
    return entry;
}

std::wstring ChannelCheckKey(std::uint32_t channel) {
    wchar_t key[32];
    std::swprintf(key, std::size(key), L"%02dch", static_cast<int>(channel));
    return key;
}

CSettingDlg::CSettingDlg(std::wstring hostFolder, IniSectionReader readSection)
    : ui::Dialog(kTemplate),
      readSection_(std::move(readSection)),
      hostFolder_(std::move(hostFolder)) {
    iniPath_ = hostFolder_ + L"friio_Quorvantel.ini";
    channelsIniPath_ = hostFolder_ + L"channels.ini";
    bscsIniPath_ = hostFolder_ + L"bscs.ini";
    area_ = ReadArea();
    savePath_ = ReadString(L"SavePath");
    epgPath_ = ReadString(L"EpgPath");
    defArea_ = ReadString(L"DefArea");
    bsBasicOnly_ = ReadInt(L"BSBasicOnly", 0);
    csBasicOnly_ = ReadInt(L"CSBasicOnly", 0);
    startOption_ = ReadInt(L"StartOption", 0);
    timeSync_ = ReadInt(L"TimeSync", 0);
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
    std::wstring path = channelsIniPath_;
    std::wstring section = area_;
    if (tunerKind_ == 2) {
        path = bscsIniPath_;
        section = kBsCsArea;
    } else if (platform::EqualsNoCase(area_, kBsCsArea)) {
        section = defArea_;
    }
    const auto entries = readSection_ ? readSection_(path, section) : std::nullopt;
    if (!entries) {
        MessageBox(kChannelFileErrorMessage);
        return;
    }
    for (const auto& [key, name] : *entries) {
        const ChannelListEntry entry = ParseChannelListEntry(key, name);
        if (list != nullptr) {
            const int index = list->AddString(entry.text);
            list->SetCheck(index, ReadInt(ChannelCheckKey(entry.channel).c_str(), 1));
            list->SetItemData(index, static_cast<ui::LPARAM>(entry.channel));
        }
        channelValues_.push_back(entry.channel);
    }
}

void CSettingDlg::SaveSettings() {
    UpdateData(true);
    if (tunerKind_ == 1 && !platform::EqualsNoCase(area_, kBsCsArea)) {
        WriteString(L"DefArea", area_);
    }
    if (auto* list = Item<ui::ListBox>(IDC_CHANNELS)) {
        for (int i = 0; i < list->GetCount(); ++i) {
            const auto channel = static_cast<std::uint32_t>(list->GetItemData(i));
            WriteInt(ChannelCheckKey(channel), list->GetCheck(i) == 1 ? 1 : 0);
        }
    }
    WriteString(L"SavePath", savePath_);
    WriteString(L"EpgPath", epgPath_);
    WriteInt(L"BSBasicOnly", bsBasicOnly_);
    WriteInt(L"CSBasicOnly", csBasicOnly_);
    WriteInt(L"StartOption", startOption_);
    WriteInt(L"TimeSync", timeSync_);
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

std::wstring CSettingDlg::ReadString(const wchar_t* key) const {
    wchar_t buffer[512];
    platform::GetPrivateProfileStringW(kSection, key, L"", buffer, 512, iniPath_.c_str());
    return buffer;
}

int CSettingDlg::ReadInt(const wchar_t* key, int defaultValue) const {
    return static_cast<int>(
        platform::GetPrivateProfileIntW(kSection, key, defaultValue, iniPath_.c_str()));
}

void CSettingDlg::WriteString(const std::wstring& key, const std::wstring& value) const {
    platform::WritePrivateProfileStringW(kSection, key.c_str(), value.c_str(), iniPath_.c_str());
}

void CSettingDlg::WriteInt(const std::wstring& key, int value) const {
    WriteString(key, std::to_wstring(value));
}

}  // namespace capture_plugin
