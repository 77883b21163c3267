#include <gtest/gtest.h>

#include <fstream>

#include "capture_plugin/channel_list_source.h"
#include "capture_plugin/setting_dlg.h"
#include "platform/code_page.h"
#include "platform/paths.h"
#include "platform/private_profile.h"
#include "platform/registry.h"
#include "tests/capture_plugin/window_parts_environment.h"
#include "tests/support/review_picture.h"
#include "ui/list_box.h"
#include "ui/message_box.h"
#include "ui/pickers.h"
#include "ui/screenshot.h"

namespace capture_plugin {
namespace {

class SettingDlgTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto folder = window_parts_test::FreshFolder("host");
        host_ = platform::FromNativePath(folder.native()) + L"/";
        ini_ = host_ + L"friio_Quorvantel.ini";
        WriteShiftJis(folder / "channels.ini",
                      L"[東京]\r\n27=みなと総合\r\n5=さくらテレビ\r\n[大阪]\r\n24=なにわ放送\r\n");
        WriteShiftJis(folder / "bscs.ini",
                      L"[BS110CS]\r\n11727,4010=BSみなと\r\n12034,4030=BSさくら\r\n");
        SetArea(L"東京");
        ui::SetMessageBoxAnswer([this](const ui::MessageBoxRequest& r) {
            boxes_.push_back(r.text);
            return ui::IDOK;
        });
    }
    void TearDown() override {
        ui::SetMessageBoxAnswer({});
        ui::SetFolderPickerAnswer({});
        ui::SetOpenFileAnswer({});
    }

    static void WriteShiftJis(const std::filesystem::path& path, const std::wstring& text) {
        std::ofstream(path, std::ios::binary) << platform::WideToShiftJis(text);
    }

    static void SetArea(const std::wstring& area) {
        platform::RegistryKey::Create(L"Software\\Friio")->SetString(L"Area", area);
    }

    std::wstring Key(const wchar_t* key, const wchar_t* fallback = L"<none>") const {
        wchar_t buffer[512];
        platform::GetPrivateProfileStringW(L"Set", key, fallback, buffer, 512, ini_.c_str());
        return buffer;
    }
    void Write(const wchar_t* key, const wchar_t* value) const {
        platform::WritePrivateProfileStringW(L"Set", key, value, ini_.c_str());
    }

    std::wstring host_;
    std::wstring ini_;
    std::vector<std::wstring> boxes_;
};

TEST_F(SettingDlgTest, ChannelListShowsTheAreaWithItsChecksAndOkWritesEverything) {
    Write(L"05ch", L"0");
    Write(L"24ch", L"0");  // another area's key stays as it is
    Write(L"SavePath", L"/data/epg");
    Write(L"StartOption", L"3");
    CSettingDlg dlg(host_);
    dlg.SetTunerKind(1);
    ASSERT_TRUE(dlg.Create());
    auto* list = dlg.Item<ui::ListBox>(CSettingDlg::IDC_CHANNELS);
    ASSERT_EQ(list->GetCount(), 2);
    EXPECT_EQ(list->GetText(0), L"27ch : みなと総合");
    EXPECT_EQ(list->GetText(1), L"05ch : さくらテレビ");
    EXPECT_EQ(list->GetCheck(0), 1);  // no key: ticked
    EXPECT_EQ(list->GetCheck(1), 0);
    EXPECT_EQ(dlg.ChannelValues(), (std::vector<std::uint32_t>{27, 5}));
    EXPECT_EQ(dlg.GetDlgItemText(CSettingDlg::IDC_SAVE_PATH), L"/data/epg");
    EXPECT_EQ(dlg.IsDlgButtonChecked(5027), 1);
    EXPECT_EQ(Key(L"27ch"), L"<none>");

    dlg.CheckDlgButton(CSettingDlg::IDC_TIME_SYNC, 1);
    dlg.CheckDlgButton(CSettingDlg::IDC_CS_BASIC_ONLY, 1);
    dlg.CheckDlgButton(5027, 0);
    dlg.CheckDlgButton(5028, 1);
    dlg.SetDlgItemText(CSettingDlg::IDC_EPG_PATH, L"/opt/epg/view");
    window_parts_test::ClickButton(dlg, ui::IDOK);
    EXPECT_EQ(Key(L"27ch"), L"1");
    EXPECT_EQ(Key(L"05ch"), L"0");
    EXPECT_EQ(Key(L"24ch"), L"0");
    EXPECT_EQ(Key(L"DefArea"), L"東京");
    EXPECT_EQ(Key(L"SavePath"), L"/data/epg");
    EXPECT_EQ(Key(L"EpgPath"), L"/opt/epg/view");
    EXPECT_EQ(Key(L"BSBasicOnly"), L"0");
    EXPECT_EQ(Key(L"CSBasicOnly"), L"1");
    EXPECT_EQ(Key(L"StartOption"), L"4");
    EXPECT_EQ(Key(L"TimeSync"), L"1");
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(SettingDlgTest, CancelWritesNothingAndCheckAllButtonsTickEveryItem) {
    CSettingDlg dlg(host_);
    dlg.SetTunerKind(1);
    ASSERT_TRUE(dlg.Create());
    auto* list = dlg.Item<ui::ListBox>(CSettingDlg::IDC_CHANNELS);
    window_parts_test::ClickButton(dlg, CSettingDlg::IDC_UNCHECK_ALL);
    EXPECT_EQ(list->GetCheck(0) + list->GetCheck(1), 0);
    window_parts_test::ClickButton(dlg, CSettingDlg::IDC_CHECK_ALL);
    EXPECT_EQ(list->GetCheck(0) + list->GetCheck(1), 2);
    dlg.CheckDlgButton(CSettingDlg::IDC_TIME_SYNC, 1);
    window_parts_test::ClickButton(dlg, ui::IDCANCEL);
    EXPECT_EQ(Key(L"TimeSync"), L"<none>");
    EXPECT_EQ(Key(L"27ch"), L"<none>");
}

TEST_F(SettingDlgTest, BsCsTunerListsBscsIniAndWritesNoDefArea) {
    CSettingDlg dlg(host_);
    dlg.SetTunerKind(2);
    ASSERT_TRUE(dlg.Create());
    auto* list = dlg.Item<ui::ListBox>(CSettingDlg::IDC_CHANNELS);
    ASSERT_EQ(list->GetCount(), 2);
    EXPECT_EQ(list->GetText(0), L"11727MHz,0x4010 : BSみなと");
    const std::uint32_t value = (11727u << 16) | 0x4010u;
    EXPECT_EQ(dlg.ChannelValues()[0], value);
    window_parts_test::ClickButton(dlg, ui::IDOK);
    EXPECT_EQ(Key(ChannelCheckKey(value).c_str()), L"1");
    EXPECT_EQ(ChannelCheckKey(value), std::to_wstring(value) + L"ch");
    EXPECT_EQ(Key(L"DefArea"), L"<none>");
}

TEST_F(SettingDlgTest, BsCsAreaOnATerrestrialTunerUsesDefAreaOrTellsTheUser) {
    SetArea(L"bs110cs");
    Write(L"DefArea", L"大阪");
    {
        CSettingDlg dlg(host_);
        dlg.SetTunerKind(1);
        ASSERT_TRUE(dlg.Create());
        EXPECT_EQ(dlg.ChannelValues(), (std::vector<std::uint32_t>{24}));
        window_parts_test::ClickButton(dlg, ui::IDOK);
        EXPECT_EQ(Key(L"DefArea"), L"大阪");  // Area BS110CS is never written as DefArea
    }
    Write(L"DefArea", L"");
    CSettingDlg dlg(host_);
    dlg.SetTunerKind(1);
    ASSERT_TRUE(dlg.Create());
    EXPECT_TRUE(dlg.ChannelValues().empty());
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0],
              L"channels.ini または bscs.ini が正常に読み込めていません\r\n"
              L"FriioViewの設定などを確認してください");
    window_parts_test::ClickButton(dlg, ui::IDOK);  // the other settings are still written
    EXPECT_EQ(Key(L"TimeSync"), L"0");
}

TEST_F(SettingDlgTest, PickersFillThePathsAndCancelledPickersChangeNothing) {
    std::vector<ui::FileFilter> filters;
    std::wstring title;
    ui::SetFolderPickerAnswer([&](const ui::FolderPickerRequest& r) {
        title = r.title;
        return std::optional<std::wstring>(L"/chosen/folder");
    });
    ui::SetOpenFileAnswer([&](const ui::OpenFileRequest& r) {
        filters = r.filters;
        return std::optional<std::wstring>();
    });
    CSettingDlg dlg(host_);
    ASSERT_TRUE(dlg.Create());
    dlg.SetDlgItemText(CSettingDlg::IDC_EPG_PATH, L"/typed/epg");
    window_parts_test::ClickButton(dlg, CSettingDlg::IDC_OPEN_SAVE_PATH);
    window_parts_test::ClickButton(dlg, CSettingDlg::IDC_OPEN_EPG_PATH);
    EXPECT_EQ(title, L"EPGデータを保存するフォルダを選択してください");
    EXPECT_EQ(dlg.GetDlgItemText(CSettingDlg::IDC_SAVE_PATH), L"/chosen/folder");
    EXPECT_EQ(dlg.GetDlgItemText(CSettingDlg::IDC_EPG_PATH), L"/typed/epg");
    ASSERT_EQ(filters.size(), 2u);
    EXPECT_EQ(filters[0].description, L"exe files (*.exe)");
    EXPECT_EQ(filters[0].pattern, L"*.exe");
    EXPECT_EQ(filters[1].description, L"All files (*.*)");
    EXPECT_EQ(filters[1].pattern, L"*.*");
}

TEST_F(SettingDlgTest, ScreenshotForReview) {
    CSettingDlg dlg(host_);
    dlg.SetTunerKind(1);
    ASSERT_TRUE(dlg.Create());
    dlg.ShowWindow(ui::SW_SHOW);
    EXPECT_TRUE(test_support::SaveReviewPicture(dlg, ui::ScreenshotDirectory(),
                                                QStringLiteral("capture_plugin_settings")));
}

}  // namespace
}  // namespace capture_plugin
