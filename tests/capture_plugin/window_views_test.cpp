// The plug-in window's two views, its persisted settings, the font, settings and EPG viewer
// buttons, and pictures of both views with the programmes of a synthetic channel.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <fstream>

#include "capture_plugin/quorvantel.h"
#include "capture_plugin/setting_dlg.h"
#include "platform/paths.h"
#include "platform/private_profile.h"
#include "tests/capture_plugin/plugin_test_support.h"
#include "tests/capture_plugin/window_parts_environment.h"
#include "tests/support/review_picture.h"
#include "tests/support/wait_until.h"
#include "ui/list_box.h"
#include "ui/pickers.h"
#include "ui/screenshot.h"

namespace capture_plugin {
namespace {

class WindowViewsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        world_.SetArea(L"東京");
        world_.WriteChannelsIni(L"[東京]\r\n21=みなと\r\n22=さくら\r\n");
        host_.AddChannel(plugin_test::MakeChannel(21, 0x7F10, {{1024, 0x01}}));
    }
    void TearDown() override {
        host_.Detach();
        plugin_.reset();
        ui::SetFontPickerAnswer({});
    }

    CQuorvantelDlg& Open() {
        hostWindow_ = std::make_unique<plugin_test::HostWindow>(1);
        plugin_ = std::make_unique<CQuorvantel>(nullptr, world_.HostFolder());
        plugin_->Init(&host_, kDtvSdkVersion);
        plugin_->CreatePluginWindow(hostWindow_->hwnd());
        return plugin_->Window();
    }
    // Destroying the plug-in object destroys its window, which writes its settings back.
    void Close() {
        host_.Detach();
        plugin_.reset();
    }
    std::wstring Setting(const wchar_t* key) const {
        wchar_t buffer[512];
        platform::GetPrivateProfileStringW(L"Set", key, L"<none>", buffer, 512,
                                           (world_.HostFolder() + L"friio_Quorvantel.ini").c_str());
        return buffer;
    }
    static QRect Geometry(CQuorvantelDlg& dlg, int id) { return dlg.GetDlgItem(id)->geometry(); }

    plugin_test::PluginWorld world_;
    plugin_test::FakeHost host_;
    std::unique_ptr<plugin_test::HostWindow> hostWindow_;
    std::unique_ptr<CQuorvantel> plugin_;
};

TEST_F(WindowViewsTest, SettingsOfTheIniAreAppliedAndWrittenBackWhenTheWindowGoes) {
    world_.SetPluginSetting(L"View", L"1");
    world_.SetPluginSetting(L"PosW", L"300");
    world_.SetPluginSetting(L"PosH", L"400");
    world_.SetPluginSetting(L"PosX", L"40");
    world_.SetPluginSetting(L"PosY", L"60");
    world_.SetPluginSetting(L"Font_1", L"-16,0,0,0,700");
    world_.SetPluginSetting(L"Font_2", L"1,0,0,128");
    world_.SetPluginSetting(L"Font_4", L"Noto Sans CJK JP Extra Long Face Name Beyond 31");
    world_.SetPluginSetting(L"Color", L"200,10,20");
    CQuorvantelDlg& dlg = Open();
    EXPECT_EQ(dlg.GetClientRect().size(), QSize(300, 400));
    EXPECT_EQ(dlg.GetWindowRect().topLeft(), QPoint(40, 60));
    EXPECT_TRUE(dlg.IsResizable());
    EXPECT_EQ(Geometry(dlg, IDC_VIEW_ONLY), QRect(194, 1, 120, 14));
    EXPECT_EQ(Geometry(dlg, IDC_PRESENT_TEXT).width(), 298);
    EXPECT_FALSE(dlg.GetDlgItem(IDC_START)->isVisibleTo(&dlg));
    EXPECT_EQ(dlg.InfoLogFont().lfWeight, 700);
    EXPECT_EQ(dlg.InfoLogFont().lfItalic, 1);
    EXPECT_EQ(std::wstring(dlg.InfoLogFont().lfFaceName).size(), 31u);
    EXPECT_TRUE(dlg.GetDlgItem(IDC_PRESENT_TEXT)->font().bold());
    EXPECT_EQ(dlg.TextColor(), ui::RGB(200, 10, 20));
    Close();
    EXPECT_EQ(Setting(L"View"), L"1");
    EXPECT_EQ(Setting(L"PosX"), L"40");
    EXPECT_EQ(Setting(L"PosY"), L"60");
    EXPECT_EQ(Setting(L"PosW"), L"300");
    EXPECT_EQ(Setting(L"PosH"), L"400");
    EXPECT_EQ(Setting(L"Font_1"), L"-16,0,0,0,700");
    EXPECT_EQ(Setting(L"Font_2"), L"1,0,0,128");
    EXPECT_EQ(Setting(L"Font_3"), L"0,0,0,50");
    EXPECT_EQ(Setting(L"Font_4"), L"Noto Sans CJK JP Extra Long Fac");
    EXPECT_EQ(Setting(L"Color"), L"200,10,20");
    EXPECT_EQ(Setting(L"DefArea"), L"東京");
    EXPECT_EQ(Setting(L"SavePath"), platform::FromNativePath(world_.CaptureFolder().native()));
}

TEST_F(WindowViewsTest, HalfAPositionIsNoPositionAndABsCsAreaIsNoLastArea) {
    world_.SetArea(L"BS110CS");
    world_.SetPluginSetting(L"DefArea", L"東京");
    world_.SetPluginSetting(L"PosX", L"-1");
    world_.SetPluginSetting(L"PosY", L"200");
    CQuorvantelDlg& dlg = Open();
    EXPECT_NE(dlg.GetWindowRect().top(), 200);
    EXPECT_EQ(dlg.GetClientRect().size(), QSize(365, 458));
    EXPECT_FALSE(dlg.IsResizable());
    Close();
    EXPECT_EQ(Setting(L"DefArea"), L"東京");
    EXPECT_EQ(Setting(L"View"), L"0");
    EXPECT_EQ(Setting(L"PosW"), L"365");
    EXPECT_EQ(Setting(L"PosH"), L"468");
}

TEST_F(WindowViewsTest, AFontOfTheIniBeyondEveryRangeStillOpensTheWindow) {
    world_.SetPluginSetting(L"Font_1", L"-2147483648,0,0,0,-2147483648");
    CQuorvantelDlg& dlg = Open();
    EXPECT_EQ(dlg.InfoLogFont().lfHeight, -2147483647 - 1);
    EXPECT_EQ(dlg.GetDlgItem(IDC_PRESENT_TEXT)->font().pixelSize(), 2048);
    Close();
    EXPECT_EQ(Setting(L"Font_1"), L"-2147483648,0,0,0,-2147483648");
}

TEST_F(WindowViewsTest, CompactViewFollowsTheWindowSizeAndTheNextProgrammeToggle) {
    CQuorvantelDlg& dlg = Open();
    dlg.CheckDlgButton(IDC_VIEW_ONLY, 1);
    window_parts_test::ClickButton(dlg, IDC_VIEW_ONLY);
    EXPECT_EQ(dlg.GetClientRect().size(), QSize(365, 468));
    EXPECT_TRUE(dlg.GetDlgItem(IDC_NEXT_TEXT)->isVisibleTo(&dlg));
    EXPECT_FALSE(dlg.GetDlgItem(IDC_NEXT_PROGRAM)->isVisibleTo(&dlg));
    EXPECT_FALSE(dlg.GetDlgItem(IDC_STATUS_TEXT)->isVisibleTo(&dlg));

    dlg.SetClientSize(300, 100);  // a low window: one programme, the toggle chooses which
    EXPECT_EQ(dlg.CompactWidth(), 300);
    EXPECT_EQ(dlg.CompactHeight(), 100);
    EXPECT_TRUE(dlg.GetDlgItem(IDC_NEXT_PROGRAM)->isVisibleTo(&dlg));
    EXPECT_EQ(Geometry(dlg, IDC_PRESENT_TEXT), QRect(1, 19, 298, 80));
    dlg.CheckDlgButton(IDC_NEXT_PROGRAM, 1);
    window_parts_test::ClickButton(dlg, IDC_NEXT_PROGRAM);
    EXPECT_EQ(Geometry(dlg, IDC_NEXT_TEXT), QRect(1, 19, 298, 80));
    EXPECT_EQ(Geometry(dlg, IDC_PRESENT_TEXT).y(), 141);

    dlg.SetClientSize(300, 150);
    EXPECT_FALSE(dlg.GetDlgItem(IDC_NEXT_PROGRAM)->isVisibleTo(&dlg));
    EXPECT_EQ(Geometry(dlg, IDC_NEXT_TEXT), QRect(1, 141, 298, 38));

    dlg.CheckDlgButton(IDC_VIEW_ONLY, 0);
    window_parts_test::ClickButton(dlg, IDC_VIEW_ONLY);
    EXPECT_EQ(dlg.GetClientRect().size(), QSize(365, 458));
    EXPECT_FALSE(dlg.IsResizable());
    EXPECT_FALSE(dlg.GetDlgItem(IDC_NEXT_PROGRAM)->isVisibleTo(&dlg));
    EXPECT_TRUE(dlg.GetDlgItem(IDC_START)->isVisibleTo(&dlg));
    EXPECT_EQ(Geometry(dlg, IDC_NEXT_TEXT), QRect(11, 193, 345, 67));
    Close();
    EXPECT_EQ(Setting(L"PosW"), L"300");
    EXPECT_EQ(Setting(L"PosH"), L"150");
}

TEST_F(WindowViewsTest, FontButtonTakesTheChosenFontAndColourAndKeepsThemOnCancel) {
    CQuorvantelDlg& dlg = Open();
    std::optional<ui::FontChoice> answer;
    ui::FontChoice offered;
    ui::SetFontPickerAnswer([&](const ui::FontPickerRequest& request) {
        offered = request.initial;
        return answer;
    });
    ui::FontChoice chosen;
    chosen.font = dlg.InfoLogFont();
    chosen.font.lfHeight = -20;
    chosen.color = ui::RGB(0, 0, 255);
    answer = chosen;
    window_parts_test::ClickButton(dlg, IDC_FONT);
    EXPECT_EQ(offered.font.lfHeight, -12);
    EXPECT_EQ(dlg.InfoLogFont().lfHeight, -20);
    EXPECT_EQ(dlg.TextColor(), ui::RGB(0, 0, 255));
    EXPECT_EQ(dlg.GetDlgItem(IDC_NEXT_TEXT)->font().pixelSize(), 20);
    answer.reset();
    window_parts_test::ClickButton(dlg, IDC_FONT);
    EXPECT_EQ(offered.color, ui::RGB(0, 0, 255));
    EXPECT_EQ(dlg.InfoLogFont().lfHeight, -20);
    Close();
    EXPECT_EQ(Setting(L"Font_1"), L"-20,0,0,0,400");
    EXPECT_EQ(Setting(L"Color"), L"0,0,255");
}

TEST_F(WindowViewsTest, SettingsButtonReloadsTheSettingsOnlyAfterOk) {
    CQuorvantelDlg& dlg = Open();
    ASSERT_EQ(dlg.ChannelList().size(), 2u);
    // The dialog answers itself once it runs: first Cancel, then OK with changes.
    int answer = ui::IDCANCEL;
    const auto answerDialog = [&] {
        QTimer::singleShot(50, [&] {
            auto* settings = dynamic_cast<CSettingDlg*>(QApplication::activeModalWidget());
            ASSERT_NE(settings, nullptr);
            settings->CheckDlgButton(CSettingDlg::IDC_TIME_SYNC, 1);
            settings->Item<ui::ListBox>(CSettingDlg::IDC_CHANNELS)->SetCheck(1, 0);
            settings->SendMessage(ui::WM_COMMAND,
                                  ui::MAKEWPARAM(static_cast<ui::WORD>(answer), ui::BN_CLICKED), 0);
        });
    };
    answerDialog();
    window_parts_test::ClickButton(dlg, IDC_SETTINGS);
    EXPECT_EQ(dlg.TimeSync(), 0);
    EXPECT_EQ(dlg.ChannelList()[1].checked, 1);
    answer = ui::IDOK;
    answerDialog();
    window_parts_test::ClickButton(dlg, IDC_SETTINGS);
    EXPECT_EQ(dlg.TimeSync(), 1);
    EXPECT_EQ(dlg.ChannelList()[1].checked, 0);
    EXPECT_EQ(Setting(L"22ch"), L"0");
}

TEST_F(WindowViewsTest, EpgViewerButtonStartsTheProgramOfTheSettings) {
    const auto marker = world_.Root() / "started";
    const auto script = world_.Root() / "epg viewer.sh";
    std::ofstream(script) << "#!/bin/sh\necho \"$1\" > '" << marker.native() << "'\n";
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    world_.SetPluginSetting(L"EpgPath", platform::FromNativePath(script.native()));
    world_.SetPluginSetting(L"StartOption", L"1");
    CQuorvantelDlg& dlg = Open();
    window_parts_test::ClickButton(dlg, IDC_START_EPG_VIEWER);
    ASSERT_TRUE(test_support::WaitUntil([&] { return std::filesystem::exists(marker); }));
    ASSERT_TRUE(test_support::WaitUntil([&] { return !plugin_test::ReadFile(marker).empty(); }));
    EXPECT_EQ(plugin_test::ReadFile(marker),
              (world_.ViewerFolder() / "Friio_NowEpgList.dat").string() + "\n");
}

TEST_F(WindowViewsTest, PicturesOfBothViewsWithTheProgrammesOnAir) {
    CQuorvantelDlg& dlg = Open();
    host_.Attach(plugin_.get(), 21);
    ASSERT_TRUE(
        test_support::WaitUntil([&] { return !dlg.GetDlgItemText(IDC_NEXT_TEXT).empty(); }, 20000));
    const QString folder = ui::ScreenshotDirectory();
    EXPECT_TRUE(test_support::SaveReviewPicture(dlg, folder, QStringLiteral("plugin_full_view")));
    dlg.CheckDlgButton(IDC_VIEW_ONLY, 1);
    window_parts_test::ClickButton(dlg, IDC_VIEW_ONLY);
    dlg.SetClientSize(420, 360);
    EXPECT_TRUE(
        test_support::SaveReviewPicture(dlg, folder, QStringLiteral("plugin_compact_view")));
}

}  // namespace
}  // namespace capture_plugin
