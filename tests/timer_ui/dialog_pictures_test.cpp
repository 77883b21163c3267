// Pictures of the timer's dialogs filled with realistic data, for review: every text must fit its
// control. Written into ORVANDEL_SCREENSHOT_DIR when it is set.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QFontMetrics>
#include <QLabel>

#include "broadcast_sim/sim_time.h"
#include "broadcast_sim/time_builder.h"
#include "platform/private_profile.h"
#include "platform/window_messages.h"
#include "tests/timer_ui/auto_add_test_data.h"
#include "tests/timer_ui/private_home.h"
#include "tests/timer_ui/synthetic_epg_store.h"
#include "tests/timer_ui/timer_ui_test_environment.h"
#include "timer_ui/async_message_box.h"
#include "timer_ui/auto_add_dlg.h"
#include "timer_ui/auto_add_search_dlg.h"
#include "timer_ui/no_standby_dlg.h"
#include "timer_ui/program_info_dlg.h"
#include "timer_ui/reserve_chg_dlg.h"
#include "timer_ui/search_ch_set_dlg.h"
#include "timer_ui/search_channels.h"
#include "timer_ui/setting_dlg.h"
#include "timer_ui/sleep_wait_dlg.h"
#include "ui/combo_box.h"
#include "ui/list_box.h"
#include "ui/list_view.h"
#include "ui/progress_bar.h"

namespace timer_ui {
namespace {

using timer_ui_test::ClickButton;
using timer_ui_test::SaveScreenshot;
using timer_ui_test::WaitUntil;

// Every label and button of the dialog shows its whole text on one line.
void ExpectTextsFit(const ui::Dialog& dialog) {
    for (const QLabel* label : dialog.findChildren<QLabel*>()) {
        if (label->text().isEmpty() || !label->pixmap().isNull()) continue;
        const int needed = QFontMetrics(label->font()).horizontalAdvance(label->text());
        EXPECT_LE(needed, label->width()) << label->text().toStdString();
    }
    for (const QAbstractButton* button : dialog.findChildren<QAbstractButton*>()) {
        const int needed = QFontMetrics(button->font()).horizontalAdvance(button->text()) + 12;
        EXPECT_LE(needed, button->width()) << button->text().toStdString();
    }
}

// Shows a dialog made with Create and saves its picture once it is on the screen.
void ShowAndSave(ui::Dialog& dialog, const char* name) {
    dialog.ShowWindow(ui::SW_SHOW);
    ASSERT_TRUE(WaitUntil([&] { return dialog.isVisible(); }));
    ExpectTextsFit(dialog);
    EXPECT_TRUE(SaveScreenshot(dialog, QString::fromLatin1(name)));
}

class DialogPicturesTest : public timer_ui_test::DialogTest {
  protected:
    static constexpr std::uint16_t kService = 0x0400;  // みなと総合１
    const broadcast_sim::SampleChannel& channel_ = broadcast_sim::SampleChannels()[0];
    const std::uint64_t now_ =
        broadcast_sim::ToTimeValue(broadcast_sim::JstTime(2026, 12, 9, 21, 10));
};

TEST_F(DialogPicturesTest, MessageBoxAndCountdown) {
    AsyncMessageBox notices;
    notices.Show(
        L"7分以内に予約録画かEPGデータの取得を行う、もしくは指定プロセスが起動しているため"
        L"スタンバイにできません");
    const ui::HWND hwnd =
        platform::FindWindowW(nullptr, std::wstring(AsyncMessageBox::kCaption).c_str());
    ui::Dialog* box = ui::Dialog::FromHandle(hwnd);
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return box->isVisible(); }));
    EXPECT_TRUE(SaveScreenshot(*box, QStringLiteral("timer_message_box")));
    notices.Close();

    CSleepWaitDlg countdown;
    ASSERT_TRUE(countdown.Create());  // shows itself and starts counting
    const auto* bar = countdown.Item<ui::ProgressBar>(CSleepWaitDlg::IDC_PROGRESS);
    ASSERT_TRUE(WaitUntil([&] { return bar->GetPos() <= 10; }));
    ExpectTextsFit(countdown);
    EXPECT_TRUE(SaveScreenshot(countdown, QStringLiteral("timer_sleep_wait")));
    countdown.DestroyWindow();
}

TEST_F(DialogPicturesTest, ProgrammeInformationAndChangeOfTheNextProgramme) {
    broadcast::EpgStore store;
    ASSERT_TRUE(timer_ui_test::ReceiveSyntheticChannel(channel_, now_, store));
    const broadcast::EpgEventRecord* event = timer_ui_test::NextEvent(
        store, broadcast::ServiceKey(channel_.transport_stream_id, kService), now_);
    ASSERT_NE(event, nullptr);

    CProgramInfoDlg info;
    info.SetProgram(&store, event->transportStreamId, event->serviceId, event->eventId);
    ASSERT_TRUE(info.Create());
    EXPECT_NE(info.Text().find(L"番組名 : " + event->name), std::wstring::npos);
    ShowAndSave(info, "timer_program_info");
    info.DestroyWindow();

    CReserveChgDlg change;
    wchar_t start[32];
    std::swprintf(start, std::size(start), L"%04d/%02d/%02d(水) %02d:%02d", int{event->startYear},
                  int{event->startMonth}, int{event->startDay}, int{event->startHour},
                  int{event->startMinute});
    change.startText = start;
    change.titleText = event->name;
    change.priorityIndex = 2;
    change.followIndex = 1;
    change.minutesText = std::to_wstring(event->durationHours * 60 + event->durationMinutes);
    ASSERT_TRUE(change.Create());
    ShowAndSave(change, "timer_reserve_change");
    change.DestroyWindow();
}

TEST_F(DialogPicturesTest, SearchChannelsOfTheSampleBroadcast) {
    std::vector<SearchChannelRow> rows;
    for (const broadcast_sim::SampleChannel& sample : broadcast_sim::SampleChannels()) {
        for (const broadcast_sim::SampleService& service : sample.services) {
            const int key = static_cast<int>(
                broadcast::ServiceKey(sample.transport_stream_id, service.service_id));
            rows.push_back({key, service.name, rows.size() % 3 != 2 ? 1 : 0});
        }
    }
    const std::vector<SearchChannelRow> shown = rows;
    {
        CSearchChSetDlg channels;
        channels.SetRows(&rows);
        ASSERT_TRUE(channels.Create());
        ShowAndSave(channels, "timer_search_channels");
        channels.DestroyWindow();
    }
    EXPECT_EQ(rows, shown);
}

// The automatic-reservation dialogs and the settings on the programmes of two channels of the
// synthetic broadcast, with a few conditions and a settings file with acquisition times.
class TimerSettingsPicturesTest : public DialogPicturesTest {
  protected:
    void SetUp() override {
        for (const broadcast_sim::SampleChannel& sample :
             broadcast_sim::SampleChannels().first(2)) {
            ASSERT_TRUE(timer_ui_test::ReceiveSyntheticChannel(sample, now_, store));
            for (const broadcast_sim::SampleService& service : sample.services) {
                keys.push_back(static_cast<int>(
                    broadcast::ServiceKey(sample.transport_stream_id, service.service_id)));
            }
        }
        timer_core::AutoSearchCondition news = timer_ui_test::Condition(L"ニュース", keys);
        news.titleOnly = 1;
        news.startHour = 18;
        news.endHour = 22;
        news.endMinute = 0;
        news.priority = 3;
        timer_core::AutoSearchCondition drama =
            timer_ui_test::Condition(L"風の記憶", {keys[0], keys[2]});
        drama.notWords = L"[再]";
        drama.genre = 3;
        drama.weekdays = {1, 0, 1, 0, 1, 0, 0};
        drama.priority = 5;
        timer_core::AutoSearchCondition walk = timer_ui_test::Condition(L"港町さんぽ", keys);
        walk.weekdays = {0, 0, 0, 0, 0, 1, 1};
        walk.follow = 0;
        timer_ui_test::SaveConditions({news, drama, walk});
        // The second service of さくらテレビ is not searched by default.
        WriteChannelDefault(home.IniPath(), keys[3], 0);
    }

    void SetIni(const wchar_t* section, const wchar_t* key, const wchar_t* value) const {
        platform::WritePrivateProfileStringW(section, key, value, home.IniPath().c_str());
    }

    timer_ui_test::PrivateHome home;
    broadcast::EpgStore store;
    std::vector<int> keys;
};

TEST_F(TimerSettingsPicturesTest, AutomaticReservationsAndTheConditionEditor) {
    CAutoAddDlg list(home.IniPath());
    list.SetStore(&store);
    ASSERT_TRUE(list.Create());
    EXPECT_EQ(list.Item<ui::ListView>(CAutoAddDlg::IDC_CONDITIONS)->GetItemCount(), 3);
    EXPECT_GT(list.Item<ui::ListView>(CAutoAddDlg::IDC_RESULTS)->GetItemCount(), 10);
    ShowAndSave(list, "timer_auto_add");
    list.DestroyWindow();

    CAutoAddSearchDlg change(home.IniPath());
    change.SetMode(CAutoAddSearchDlg::kModeChange);
    change.SetStore(&store);
    change.SetConditionIndex(1);
    ASSERT_TRUE(change.Create());
    ClickButton(change, CAutoAddSearchDlg::IDC_SEARCH);
    EXPECT_GT(change.Item<ui::ListView>(CAutoAddSearchDlg::IDC_RESULTS)->GetItemCount(), 0);
    ShowAndSave(change, "timer_auto_add_search");
    change.DestroyWindow();
}

TEST_F(TimerSettingsPicturesTest, SearchOfTheMainWindow) {
    CAutoAddSearchDlg search(home.IniPath());
    search.SetMode(CAutoAddSearchDlg::kModeSearch);
    search.SetStore(&store);
    ASSERT_TRUE(search.Create());
    search.SetDlgItemText(CAutoAddSearchDlg::IDC_AND, L"旅");
    ClickButton(search, CAutoAddSearchDlg::IDC_SEARCH);
    auto* results = search.Item<ui::ListView>(CAutoAddSearchDlg::IDC_RESULTS);
    ASSERT_GT(results->GetItemCount(), 2);
    results->setCurrentItem(results->topLevelItem(2));
    ShowAndSave(search, "timer_search");
    search.DestroyWindow();
}

TEST_F(TimerSettingsPicturesTest, SettingsAndSuppressionProcesses) {
    SetIni(L"SET", L"FriioViewPath", L"/home/user/FriioView/FriioView.exe");
    SetIni(L"SET", L"EpgViewPath", L"/home/user/EpgView/番組表.exe");
    SetIni(L"SET", L"ViewOption", L"3");
    SetIni(L"SET", L"TunerCount", L"2");
    SetIni(L"SET", L"TunerCount2", L"1");
    SetIni(L"SET", L"RecEnd", L"1");
    SetIni(L"SET", L"StartSec", L"20");
    SetIni(L"SET", L"EndSec", L"5");
    SetIni(L"SET", L"AutoDel", L"1");
    SetIni(L"Orvandel", L"Count", L"3");
    SetIni(L"Orvandel", L"0", L"4,30,1");
    SetIni(L"Orvandel", L"1", L"12,0,0");
    SetIni(L"Orvandel", L"2", L"18,45,1");
    SetIni(L"NO_SUSPEND", L"Count", L"3");
    SetIni(L"NO_SUSPEND", L"0", L"encoder.exe");
    SetIni(L"NO_SUSPEND", L"1", L"backup-tool.exe");
    SetIni(L"NO_SUSPEND", L"2", L"動画変換.exe");

    CSettingDlg settings(home.IniPath());
    settings.SetStore(&store);
    ASSERT_TRUE(settings.Create());
    EXPECT_EQ(settings.Item<ui::ListBox>(CSettingDlg::IDC_TIMES)->GetCount(), 3);
    ShowAndSave(settings, "timer_settings");
    settings.DestroyWindow();

    CNoStandbyDlg suppression(home.IniPath());
    ASSERT_TRUE(suppression.Create());
    suppression.Item<ui::ListBox>(CNoStandbyDlg::IDC_NAMES)->SetCurSel(1);
    suppression.SetDlgItemText(CNoStandbyDlg::IDC_NAME, L"recorder.exe");
    ShowAndSave(suppression, "timer_no_standby");
    suppression.DestroyWindow();
}

}  // namespace
}  // namespace timer_ui
