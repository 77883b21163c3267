// The messages that reach the main window: a second instance's reload (with its lock), the
// record threads' notes, the end of a recording or an EPG acquisition with the countdown to
// standby, the suspend query and the resume, and the notification icon's menu.
#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>

#include "platform/clock.h"
#include "platform/power.h"
#include "platform/suspend_query.h"
#include "tests/support/queue_probe.h"
#include "tests/timer_ui/main_window_fixture.h"
#include "timer_core/recording/main_window_messages.h"
#include "timer_ui/main_window_texts.h"
#include "ui/notify_icon.h"
#include "ui/popup_menu.h"

namespace timer_ui {

struct COrvandelDlgTestAccess {
    static platform::Event& ReloadLock(COrvandelDlg& window) { return *window.reloadLock_; }
};

}  // namespace timer_ui

namespace timer_ui_test {
namespace {

using timer_ui::COrvandelDlg;

bool Contains(const std::vector<std::string>& requests, const std::string& request) {
    return std::find(requests.begin(), requests.end(), request) != requests.end();
}

class MainWindowMessagesTest : public MainWindowTest {
  protected:
    void Post(ui::UINT message) { ASSERT_TRUE(Window().PostMessage(message)); }
    // Sets the result text of a stored reservation, as a record thread does.
    void SetResult(std::int32_t id, const std::wstring& text) {
        const std::lock_guard lock(Window().Manager().DataLock());
        Window().Manager().Reservations().FindById(id)->resultText = text;
    }
};

TEST_F(MainWindowMessagesTest, ASecondInstancesLineIsNumberedAndListedOnReload) {
    WriteChannelTables();
    WriteProgram({Reservation(L"港町ニュース", MinutesFromNow(24 * 60), 30)});
    OpenWindow();
    ASSERT_EQ(List().GetItemCount(), 1);

    timer_core::IepgRecord record;
    record.title = L"さくら紀行";
    record.start = MinutesFromNow(48 * 60);
    record.durationMinutes = 45;
    record.stationName = L"みなと総合１";
    record.serviceId = kMinatoService;
    record.eventId = 0x3003;
    record.networkClass = 1;
    COrvandelDlg::AddIepgReservation(Window().DocumentsFolder(), kMinatoChannel, record);
    auto entries = ProgramEntries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1].id, 0);

    Post(timer_core::WM_RELOAD_RESERVATIONS);
    ASSERT_TRUE(WaitUntil([&] { return List().GetItemCount() == 2; }));
    EXPECT_EQ(RowTexts(1)[2], L"さくら紀行");
    EXPECT_EQ(List().GetItemData(1), 2);
    entries = ProgramEntries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1].id, 2);
    EXPECT_EQ(entries[1].priority, 2);
    EXPECT_EQ(entries[1].follow, 1);
}

TEST_F(MainWindowMessagesTest, AReloadWaitsAtMost300MsForTheOneBeforeItAndThenRuns) {
    OpenWindow();
    platform::Event& lock = timer_ui::COrvandelDlgTestAccess::ReloadLock(Window());
    // Taken, as by a reload under way.
    ASSERT_EQ(platform::WaitForSingleObject(lock, 0), platform::WAIT_OBJECT_0);
    WriteProgram({Reservation(L"遅れて来た予約", MinutesFromNow(24 * 60), 30)});
    const std::uint64_t before = platform::Clock::Instance().NowLocal();
    Window().SendMessage(timer_core::WM_RELOAD_RESERVATIONS);
    const std::uint64_t waited = platform::Clock::Instance().NowLocal() - before;
    EXPECT_GE(waited, 300 * platform::kFileTimePerMillisecond);
    // It ran anyway (the unnumbered line is merged) and gave the lock back.
    EXPECT_EQ(List().GetItemCount(), 1);
    EXPECT_EQ(platform::WaitForSingleObject(lock, 0), platform::WAIT_OBJECT_0);
    platform::SetEvent(lock);
}

TEST_F(MainWindowMessagesTest, TwoRecordingEndsWithin20sGiveOneCountdownAnEpgAcquisitionASecond) {
    WriteIni("RecEnd=1\r\n");
    OpenWindow();
    CountdownWatch countdowns;
    Post(timer_core::WM_RECORDING_ENDED);
    Post(timer_core::WM_RECORDING_ENDED);
    ASSERT_TRUE(WaitUntil([&] { return countdowns.Opened() >= 1; }));
    ASSERT_TRUE(test_support::WaitForQueuedMessages());
    EXPECT_EQ(countdowns.Opened(), 1);

    Post(timer_core::WM_EPG_ACQUIRED);
    ASSERT_TRUE(WaitUntil([&] { return countdowns.Opened() == 2; }));
    ASSERT_TRUE(test_support::WaitForQueuedMessages());
    EXPECT_EQ(countdowns.Opened(), 2);
    // Cancelled every time: the PC stays awake.
    EXPECT_FALSE(Contains(PowerRequests(), "standby"));
}

TEST_F(MainWindowMessagesTest, ACountdownThatRunsOutPutsThePcIntoStandby) {
    WriteIni("RecEnd=1\r\n");
    OpenWindow();
    CountdownWatch countdowns(false);
    Post(timer_core::WM_RECORDING_ENDED);
    ASSERT_TRUE(WaitUntil([&] { return Contains(PowerRequests(), "standby"); }, 30000));
    EXPECT_EQ(countdowns.Opened(), 1);
    EXPECT_FALSE(Contains(PowerRequests(), "hibernate"));
}

TEST_F(MainWindowMessagesTest, ACountdownWithRecEnd2Hibernates) {
    WriteIni("RecEnd=2\r\n");
    OpenWindow();
    CountdownWatch countdowns(false);
    Post(timer_core::WM_EPG_ACQUIRED);
    ASSERT_TRUE(WaitUntil([&] { return Contains(PowerRequests(), "hibernate"); }, 30000));
    EXPECT_FALSE(Contains(PowerRequests(), "standby"));
}

TEST_F(MainWindowMessagesTest, CancelKeepsThePcAwakeAndStillRefreshesAndSaves) {
    WriteIni("RecEnd=1\r\n");
    WriteProgram({Reservation(L"港町ニュース", MinutesFromNow(3 * 24 * 60), 30)});
    OpenWindow();
    SetResult(1, L"録画終了");
    CountdownWatch countdowns;
    Post(timer_core::WM_RECORDING_ENDED);
    ASSERT_TRUE(WaitUntil([&] { return RowTexts(0)[5] == L"録画終了"; }));
    EXPECT_EQ(countdowns.Opened(), 1);
    EXPECT_EQ(ProgramEntries().at(0).resultText, L"録画終了");
    EXPECT_FALSE(Contains(PowerRequests(), "standby"));
}

TEST_F(MainWindowMessagesTest, WithoutAnActionAfterRecordingNoCountdownComes) {
    WriteProgram({Reservation(L"港町ニュース", MinutesFromNow(3 * 24 * 60), 30)});
    OpenWindow();
    CountdownWatch countdowns;
    SetResult(1, L"録画終了");
    Post(timer_core::WM_RECORDING_ENDED);
    ASSERT_TRUE(WaitUntil([&] { return RowTexts(0)[5] == L"録画終了"; }));
    ASSERT_TRUE(test_support::WaitForQueuedMessages());
    EXPECT_EQ(countdowns.Opened(), 0);
}

TEST_F(MainWindowMessagesTest, RecordThreadNotesRefreshTheListAndTheFile) {
    WriteProgram({Reservation(L"港町ニュース", MinutesFromNow(3 * 24 * 60), 30)});
    OpenWindow();
    int n = 0;
    for (const ui::UINT message : {timer_core::WM_RECORDING_CHAINED,
                                   timer_core::WM_RESERVATION_UPDATED, timer_core::WM_RESCHEDULE}) {
        const std::wstring text = L"状態" + std::to_wstring(++n);
        SetResult(1, text);
        Post(message);
        ASSERT_TRUE(WaitUntil([&] { return RowTexts(0)[5] == text; })) << message;
        EXPECT_EQ(ProgramEntries().at(0).resultText, text) << message;
    }
}

TEST_F(MainWindowMessagesTest, TheSuspendQueryIsRefusedWhileARecordingIsDueAndTheSleepLockFollows) {
    OpenWindow();
    EXPECT_NE(Window().SendMessage(platform::WM_POWERBROADCAST, platform::PBT_APMQUERYSUSPEND),
              platform::BROADCAST_QUERY_DENY);
    EXPECT_FALSE(Window().BlockingSleep());

    // A reservation five minutes ahead: the reload's tick takes the lock at once.
    WriteProgram({Reservation(L"すぐ始まる番組", MinutesFromNow(5), 30)});
    Window().SendMessage(timer_core::WM_RELOAD_RESERVATIONS);
    EXPECT_TRUE(Window().BlockingSleep());
    EXPECT_TRUE(Contains(PowerRequests(), "sleep-blocked"));
    EXPECT_EQ(Window().SendMessage(platform::WM_POWERBROADCAST, platform::PBT_APMQUERYSUSPEND),
              platform::BROADCAST_QUERY_DENY);

    // Gone again: the next answer gives the lock back.
    List().SetCheck(0, true);
    ClickButton(Window(), COrvandelDlg::IDC_DELETE);
    EXPECT_FALSE(Window().BlockingSleep());
    EXPECT_TRUE(Contains(PowerRequests(), "sleep-allowed"));
}

TEST_F(MainWindowMessagesTest, TheSleepLockIsRenewedOnceAMinuteAndGivenUpWithTheWindow) {
    OpenWindow();
    EXPECT_FALSE(Window().BlockingSleep());
    // A recording comes near while nothing else happens: the minute's answer takes the lock.
    {
        const std::lock_guard lock(Window().Manager().DataLock());
        const timer_core::ReserveEntry soon = Reservation(L"すぐ始まる番組", MinutesFromNow(4), 30);
        Window().Manager().Reservations().Add(&soon, 0);
    }
    ASSERT_TRUE(WaitUntil([&] { return Window().BlockingSleep(); }, 20000));
    Window().DestroyWindow();
    const auto requests = PowerRequests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests.back(), "sleep-allowed");
}

TEST_F(MainWindowMessagesTest, StandbyGivesUpTheWindowsOwnLockBeforeItAsks) {
    OpenWindow();
    ClickButton(Window(), COrvandelDlg::IDC_STANDBY);
    const auto requests = PowerRequests();
    const auto standby = std::find(requests.begin(), requests.end(), "standby");
    ASSERT_NE(standby, requests.end());
    EXPECT_EQ(std::find(requests.begin(), standby, "sleep-blocked"), standby);
}

TEST_F(MainWindowMessagesTest, TheTrayMenuOffersStandbyAndHibernateAsTheButtonsDo) {
    OpenWindow();
    std::vector<ui::MenuItem> offered;
    ui::SetPopupMenuAnswer([&](const ui::PopupMenuRequest& request) {
        offered = request.items;
        return ui::UINT{COrvandelDlg::IDC_STANDBY};
    });
    QSystemTrayIcon* icon = ui::FindNotifyIcon(Window().GetSafeHwnd(), COrvandelDlg::kNotifyIconId);
    ASSERT_NE(icon, nullptr);
    emit icon->activated(QSystemTrayIcon::Context);
    const bool requested = WaitUntil([&] { return Contains(PowerRequests(), "standby"); });
    ui::SetPopupMenuAnswer(nullptr);
    ASSERT_TRUE(requested);
    ASSERT_EQ(offered.size(), 2u);
    EXPECT_EQ(offered[0].text, L"スタンバイ");
    EXPECT_EQ(offered[1].text, L"休止");
    EXPECT_EQ(offered[1].id, ui::UINT{COrvandelDlg::IDC_HIBERNATE});
}

}  // namespace
}  // namespace timer_ui_test
