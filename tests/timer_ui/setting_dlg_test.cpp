// The timer's settings dialog: defaults, the keys and forms OK writes (and Cancel does not), the
// time list with its messages and ticks, the exclusive pair of recording options, the file
// pickers, and the two buttons that open other dialogs.
#include "timer_ui/setting_dlg.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <filesystem>

#include "platform/known_folders.h"
#include "platform/paths.h"
#include "platform/private_profile.h"
#include "tests/timer_ui/auto_add_test_data.h"
#include "tests/timer_ui/private_home.h"
#include "tests/timer_ui/timer_ui_test_environment.h"
#include "timer_ui/search_ch_set_dlg.h"
#include "timer_ui/search_channels.h"
#include "ui/list_box.h"
#include "ui/pickers.h"

namespace timer_ui {
namespace {

using timer_ui_test::ClickButton;
using timer_ui_test::MessageBoxes;
using timer_ui_test::WhenModal;
using Dlg = CSettingDlg;

class SettingDlgTest : public timer_ui_test::DialogTest {
  protected:
    void TearDown() override {
        ui::SetOpenFileAnswer({});
        timer_ui_test::DialogTest::TearDown();
    }

    void Open(Dlg& dlg) {
        ASSERT_TRUE(dlg.Create());
        dlg.ShowWindow(ui::SW_SHOW);
        ASSERT_TRUE(timer_ui_test::WaitUntil([&] { return dlg.isVisible(); }));
        times = dlg.Item<ui::ListBox>(Dlg::IDC_TIMES);
        ASSERT_NE(times, nullptr);
    }

    // The value of a key, or "-" when the file has none.
    std::wstring Ini(const wchar_t* section, const wchar_t* key) const {
        wchar_t value[512];
        platform::GetPrivateProfileStringW(section, key, L"-", value, 512, ini.c_str());
        return value;
    }
    void SetIni(const wchar_t* section, const wchar_t* key, const wchar_t* value) const {
        platform::WritePrivateProfileStringW(section, key, value, ini.c_str());
    }
    void AddTime(Dlg& dlg, const std::wstring& hour, const std::wstring& minute) {
        dlg.SetDlgItemText(Dlg::IDC_HOUR, hour);
        dlg.SetDlgItemText(Dlg::IDC_MINUTE, minute);
        ClickButton(dlg, Dlg::IDC_ADD_TIME);
    }
    std::vector<std::wstring> TimeItems() const {
        std::vector<std::wstring> items;
        for (int i = 0; i < times->GetCount(); ++i)
            items.push_back(times->GetText(i) + (times->GetCheck(i) == 1 ? L"+" : L"-"));
        return items;
    }

    timer_ui_test::PrivateHome home;
    const std::wstring ini = home.IniPath();
    ui::ListBox* times = nullptr;
};

TEST_F(SettingDlgTest, TheTimersIniFileLiesBesideTheExecutable) {
    EXPECT_EQ(Dlg().IniPath(),
              platform::FolderOf(platform::HostExecutablePath()) + L"timer_ui_tests.ini");
}

TEST_F(SettingDlgTest, WithoutAnIniTheDefaultsShowAndCancelWritesNothing) {
    Dlg dlg(ini);
    Open(dlg);
    EXPECT_EQ(dlg.GetWindowText(), L"設定");
    EXPECT_EQ(dlg.GetDlgItemText(Dlg::IDC_START_SEC), L"15");
    EXPECT_EQ(dlg.GetDlgItemText(Dlg::IDC_END_SEC), L"1");
    EXPECT_EQ(dlg.GetDlgItemText(Dlg::IDC_TUNER_COUNT), L"1");
    EXPECT_EQ(dlg.GetDlgItemText(Dlg::IDC_TUNER_COUNT2), L"0");
    EXPECT_EQ(dlg.GetDlgItemText(Dlg::IDC_FRIIO_VIEW_PATH), L"");
    EXPECT_EQ(dlg.IsDlgButtonChecked(Dlg::IDC_NO_INFO_LOG), 1);
    EXPECT_EQ(dlg.IsDlgButtonChecked(Dlg::IDC_NO_ERR_LOG), 0);
    EXPECT_EQ(dlg.IsDlgButtonChecked(Dlg::IDC_REC_END), 1);
    EXPECT_EQ(dlg.IsDlgButtonChecked(Dlg::IDC_VIEW_OPTION), 1);
    EXPECT_EQ(times->GetCount(), 0);

    dlg.SetDlgItemText(Dlg::IDC_TUNER_COUNT, L"2");
    AddTime(dlg, L"4", L"30");
    ClickButton(dlg, ui::IDCANCEL);
    EXPECT_FALSE(std::filesystem::exists(platform::ToNativePath(ini)));
}

TEST_F(SettingDlgTest, OkWritesEveryKeyInItsForm) {
    SetIni(L"Orvandel", L"Unrelated", L"kept");
    Dlg dlg(ini);
    Open(dlg);
    dlg.SetDlgItemText(Dlg::IDC_FRIIO_VIEW_PATH, L"/opt/friio/FriioView.exe");
    dlg.SetDlgItemText(Dlg::IDC_EPG_VIEW_PATH, L"/opt/epg/番組表.exe");
    dlg.SetDlgItemText(Dlg::IDC_START_SEC, L"30秒");  // written as it is
    dlg.SetDlgItemText(Dlg::IDC_END_SEC, L"5");
    dlg.SetDlgItemText(Dlg::IDC_TUNER_COUNT, L"2");
    dlg.SetDlgItemText(Dlg::IDC_TUNER_COUNT2, L"1");
    dlg.CheckDlgButton(1013, 1);  // PCを休止にする
    dlg.CheckDlgButton(1077, 1);  // (-SAVEあり), after the check box 1075 in id order
    dlg.CheckDlgButton(Dlg::IDC_REC_PRIORITY, 1);
    dlg.CheckDlgButton(Dlg::IDC_NO_ERR_LOG, 1);
    dlg.CheckDlgButton(Dlg::IDC_NO_INFO_LOG, 0);
    dlg.CheckDlgButton(Dlg::IDC_NAME_MANUAL, 1);
    AddTime(dlg, L"4", L"30");
    ClickButton(dlg, ui::IDOK);
    EXPECT_FALSE(dlg.isVisible());

    EXPECT_EQ(Ini(L"SET", L"FriioViewPath"), L"/opt/friio/FriioView.exe");
    EXPECT_EQ(Ini(L"SET", L"EpgViewPath"), L"/opt/epg/番組表.exe");
    EXPECT_EQ(Ini(L"SET", L"StartSec"), L"30秒");
    EXPECT_EQ(Ini(L"SET", L"EndSec"), L"5");
    EXPECT_EQ(Ini(L"SET", L"TunerCount"), L"2");
    EXPECT_EQ(Ini(L"SET", L"TunerCount2"), L"1");
    EXPECT_EQ(Ini(L"SET", L"RecEnd"), L"2");
    EXPECT_EQ(Ini(L"SET", L"ViewOption"), L"4");
    EXPECT_EQ(Ini(L"SET", L"AutoDel"), L"0");
    EXPECT_EQ(Ini(L"SET", L"RecPriority"), L"1");
    EXPECT_EQ(Ini(L"SET", L"NoErrLog"), L"1");
    EXPECT_EQ(Ini(L"SET", L"NoInfoLog"), L"0");
    EXPECT_EQ(Ini(L"SET", L"NameManual"), L"1");
    EXPECT_EQ(Ini(L"Orvandel", L"Count"), L"1");
    EXPECT_EQ(Ini(L"Orvandel", L"0"), L"4,30,1");
    EXPECT_EQ(Ini(L"Orvandel", L"Unrelated"), L"kept");
    EXPECT_EQ(Ini(L"CH", L"1"), L"-");

    // Opened again, it shows what it wrote.
    Dlg again(ini);
    Open(again);
    EXPECT_EQ(again.GetDlgItemText(Dlg::IDC_START_SEC), L"30秒");
    EXPECT_EQ(again.IsDlgButtonChecked(1077), 1);
    EXPECT_EQ(again.IsDlgButtonChecked(1013), 1);
    EXPECT_EQ(TimeItems(), std::vector<std::wstring>{L"04:30+"});
    again.DestroyWindow();
}

TEST_F(SettingDlgTest, TheTimeListRefusesWhatIsNoNewTimeOfDay) {
    SetIni(L"Orvandel", L"Count", L"1");
    SetIni(L"Orvandel", L"0", L"7,5,1");
    MessageBoxes boxes;
    Dlg dlg(ini);
    Open(dlg);
    AddTime(dlg, L"7", L"");
    AddTime(dlg, L"07", L"05");
    AddTime(dlg, L"24", L"00");
    AddTime(dlg, L"23", L"60");
    AddTime(dlg, L"-1", L"0");
    AddTime(dlg, L"23", L"5a");
    AddTime(dlg, L"0", L"0");
    ClickButton(dlg, Dlg::IDC_DEL_TIME);
    EXPECT_EQ(boxes.Texts(), (std::vector<std::wstring>{
                                 L"追加する時間を半角数字で入力してください",
                                 L"すでに登録されています",
                                 L"0時00分～23時59分で指定してください",
                                 L"0時00分～23時59分で指定してください",
                                 L"0時00分～23時59分で指定してください",
                                 L"項目を選択してください",
                             }));
    EXPECT_EQ(boxes.shown[0].caption, ui::ApplicationTitle());
    EXPECT_EQ(TimeItems(), (std::vector<std::wstring>{L"07:05+", L"23:05+", L"00:00+"}));

    times->SetCurSel(1);
    ClickButton(dlg, Dlg::IDC_DEL_TIME);
    EXPECT_EQ(TimeItems(), (std::vector<std::wstring>{L"07:05+", L"00:00+"}));
    EXPECT_EQ(Ini(L"Orvandel", L"Count"), L"1");  // not before OK
    ClickButton(dlg, ui::IDOK);
    EXPECT_EQ(Ini(L"Orvandel", L"Count"), L"2");
    EXPECT_EQ(Ini(L"Orvandel", L"0"), L"7,5,1");
    EXPECT_EQ(Ini(L"Orvandel", L"1"), L"0,0,1");
}

TEST_F(SettingDlgTest, UntickingATimeDisablesItAndTickingEnablesIt) {
    SetIni(L"Orvandel", L"Count", L"2");
    SetIni(L"Orvandel", L"0", L"3,0,1");
    SetIni(L"Orvandel", L"1", L"15,45,0");
    Dlg dlg(ini);
    Open(dlg);
    EXPECT_EQ(TimeItems(), (std::vector<std::wstring>{L"03:00+", L"15:45-"}));
    times->SetCheck(0, 0);
    times->SetCheck(1, 1);
    ClickButton(dlg, ui::IDOK);
    EXPECT_EQ(Ini(L"Orvandel", L"0"), L"3,0,0");
    EXPECT_EQ(Ini(L"Orvandel", L"1"), L"15,45,1");
}

TEST_F(SettingDlgTest, ThreeTimesSavedOverFiveLeaveTheLastTwoKeys) {
    SetIni(L"Orvandel", L"Count", L"5");
    const wchar_t* values[] = {L"1,0,1", L"2,0,1", L"3,0,1", L"4,0,1", L"5,0,1"};
    for (int n = 0; n < 5; ++n)
        SetIni(L"Orvandel", std::to_wstring(n).c_str(), values[n]);
    Dlg dlg(ini);
    Open(dlg);
    ASSERT_EQ(times->GetCount(), 5);
    times->SetCurSel(0);
    ClickButton(dlg, Dlg::IDC_DEL_TIME);
    times->SetCurSel(3);
    ClickButton(dlg, Dlg::IDC_DEL_TIME);
    ClickButton(dlg, ui::IDOK);
    EXPECT_EQ(Ini(L"Orvandel", L"Count"), L"3");
    EXPECT_EQ(Ini(L"Orvandel", L"0"), L"2,0,1");
    EXPECT_EQ(Ini(L"Orvandel", L"2"), L"4,0,1");
    EXPECT_EQ(Ini(L"Orvandel", L"3"), L"4,0,1");
    EXPECT_EQ(Ini(L"Orvandel", L"4"), L"5,0,1");
}

TEST_F(SettingDlgTest, HandEditedTimesThatAreNoTimeOfDayAreNotListed) {
    SetIni(L"Orvandel", L"Count", L"7");
    const wchar_t* values[] = {L"25,0,1", L"7,70,1", L"x",    L"6,30,2",
                               L"-1,0,1", L"8,5,1",  L"8,5,0"};
    for (int n = 0; n < 7; ++n)
        SetIni(L"Orvandel", std::to_wstring(n).c_str(), values[n]);
    Dlg dlg(ini);
    Open(dlg);
    EXPECT_EQ(TimeItems(), (std::vector<std::wstring>{L"06:30+", L"08:05+", L"08:05-"}));
    // The second of the two 08:05 goes, and the first stays usable.
    times->SetCurSel(2);
    ClickButton(dlg, Dlg::IDC_DEL_TIME);
    ClickButton(dlg, ui::IDOK);
    EXPECT_EQ(Ini(L"Orvandel", L"Count"), L"2");
    EXPECT_EQ(Ini(L"Orvandel", L"0"), L"6,30,1");
    EXPECT_EQ(Ini(L"Orvandel", L"1"), L"8,5,1");
}

TEST_F(SettingDlgTest, ACountNoDialogWritesListsTheTimesPresent) {
    SetIni(L"Orvandel", L"Count", L"2147483647");
    SetIni(L"Orvandel", L"0", L"6,30,1");
    SetIni(L"Orvandel", L"3", L"8,5,0");
    Dlg dlg(ini);
    Open(dlg);
    EXPECT_EQ(TimeItems(), (std::vector<std::wstring>{L"06:30+", L"08:05-"}));
    ClickButton(dlg, ui::IDOK);
    EXPECT_EQ(Ini(L"Orvandel", L"Count"), L"2");
    EXPECT_EQ(Ini(L"Orvandel", L"1"), L"8,5,0");
}

TEST_F(SettingDlgTest, NameManualAndAutoDelExcludeEachOther) {
    Dlg dlg(ini);
    Open(dlg);
    auto* autoDel = dlg.Item<QCheckBox>(Dlg::IDC_AUTO_DEL);
    auto* nameManual = dlg.Item<QCheckBox>(Dlg::IDC_NAME_MANUAL);
    autoDel->click();
    EXPECT_TRUE(autoDel->isChecked());
    nameManual->click();
    EXPECT_TRUE(nameManual->isChecked());
    EXPECT_FALSE(autoDel->isChecked());
    autoDel->click();
    EXPECT_TRUE(autoDel->isChecked());
    EXPECT_FALSE(nameManual->isChecked());
    ClickButton(dlg, ui::IDOK);
    EXPECT_EQ(Ini(L"SET", L"AutoDel"), L"1");
    EXPECT_EQ(Ini(L"SET", L"NameManual"), L"0");
}

TEST_F(SettingDlgTest, FilePickersSetThePathsThatOkWrites) {
    std::vector<ui::OpenFileRequest> asked;
    std::optional<std::wstring> answer = L"/opt/friio/FriioView.exe";
    ui::SetOpenFileAnswer([&](const ui::OpenFileRequest& request) {
        asked.push_back(request);
        return answer;
    });
    Dlg dlg(ini);
    Open(dlg);
    dlg.SetDlgItemText(Dlg::IDC_TUNER_COUNT, L"3");  // kept across the picker
    ClickButton(dlg, Dlg::IDC_OPEN_FRIIO_VIEW_PATH);
    EXPECT_EQ(dlg.GetDlgItemText(Dlg::IDC_FRIIO_VIEW_PATH), L"/opt/friio/FriioView.exe");
    EXPECT_EQ(dlg.GetDlgItemText(Dlg::IDC_TUNER_COUNT), L"3");
    answer = std::nullopt;  // cancelled: nothing changes
    ClickButton(dlg, Dlg::IDC_OPEN_FRIIO_VIEW_PATH);
    EXPECT_EQ(dlg.GetDlgItemText(Dlg::IDC_FRIIO_VIEW_PATH), L"/opt/friio/FriioView.exe");
    answer = L"/opt/epg/EpgView\n.exe";  // a line end cannot reach the file
    ClickButton(dlg, Dlg::IDC_OPEN_EPG_VIEW_PATH);
    ASSERT_EQ(asked.size(), 3u);
    EXPECT_EQ(asked[0].owner, dlg.GetSafeHwnd());
    ASSERT_EQ(asked[0].filters.size(), 2u);
    EXPECT_EQ(asked[0].filters[0].description, L"exe files (*.exe)");
    EXPECT_EQ(asked[0].filters[0].pattern, L"*.exe");
    EXPECT_EQ(asked[0].filters[1].description, L"All files (*.*)");
    EXPECT_EQ(asked[0].filters[1].pattern, L"*.*");
    EXPECT_EQ(Ini(L"SET", L"FriioViewPath"), L"-");
    ClickButton(dlg, ui::IDOK);
    EXPECT_EQ(Ini(L"SET", L"FriioViewPath"), L"/opt/friio/FriioView.exe");
    EXPECT_EQ(Ini(L"SET", L"EpgViewPath"), L"/opt/epg/EpgView .exe");
    EXPECT_EQ(Ini(L"SET", L"TunerCount"), L"3");
}

TEST_F(SettingDlgTest, SearchChannelDefaultsAreWrittenWhenTheirDialogClosesWhateverTheButton) {
    MessageBoxes boxes;
    Dlg dlg(ini);
    Open(dlg);
    ClickButton(dlg, Dlg::IDC_SEARCH_CH_DEFAULT);
    broadcast::EpgStore store;
    dlg.SetStore(&store);
    ClickButton(dlg, Dlg::IDC_SEARCH_CH_DEFAULT);  // no service loaded
    ASSERT_EQ(boxes.shown.size(), 2u);
    for (const ui::MessageBoxRequest& box : boxes.shown) {
        EXPECT_EQ(box.text, L"EPGデータを読み込めていないため使用できません");
        EXPECT_EQ(box.caption, L"");
    }

    timer_ui_test::FillStore(store);
    WriteChannelDefault(ini, timer_ui_test::SakuraKey(), 0);
    WhenModal([](ui::Dialog& channels) {
        auto* list = channels.Item<ui::ListBox>(CSearchChSetDlg::IDC_CHANNELS);
        ASSERT_NE(list, nullptr);
        // The radio service is not listed.
        ASSERT_EQ(list->GetCount(), 2);
        EXPECT_EQ(list->GetText(0), L"みなと総合");
        EXPECT_EQ(list->GetCheck(1), 0);
        list->SetCheck(0, 0);
        list->SetCheck(1, 1);
        ClickButton(channels, ui::IDCANCEL);
    });
    ClickButton(dlg, Dlg::IDC_SEARCH_CH_DEFAULT);
    const std::wstring minato = std::to_wstring(timer_ui_test::MinatoKey());
    const std::wstring sakura = std::to_wstring(timer_ui_test::SakuraKey());
    EXPECT_EQ(Ini(L"CH", minato.c_str()), L"0");
    EXPECT_EQ(Ini(L"CH", sakura.c_str()), L"1");
    EXPECT_EQ(Ini(L"CH", std::to_wstring(timer_ui_test::RadioKey()).c_str()), L"-");
    EXPECT_EQ(Ini(L"SET", L"StartSec"), L"-");
    ClickButton(dlg, ui::IDCANCEL);
    EXPECT_EQ(Ini(L"CH", minato.c_str()), L"0");
}

TEST_F(SettingDlgTest, TheSuppressionButtonOpensItsDialogOnTheSameIni) {
    SetIni(L"NO_SUSPEND", L"Count", L"1");
    SetIni(L"NO_SUSPEND", L"0", L"encoder.exe");
    Dlg dlg(ini);
    Open(dlg);
    int rows = -1;
    WhenModal([&](ui::Dialog& suppression) {
        EXPECT_EQ(suppression.GetWindowText(), L"抑制条件");
        rows = suppression.Item<ui::ListBox>(1069)->GetCount();
        ClickButton(suppression, ui::IDCANCEL);
    });
    ClickButton(dlg, Dlg::IDC_SUPPRESS);
    EXPECT_EQ(rows, 1);
    dlg.DestroyWindow();
}

}  // namespace
}  // namespace timer_ui
