// The main window's buttons and list clicks: change, delete, programme information, search,
// standby and hibernation, and exit, with their refusal texts.
#include <gtest/gtest.h>

#include <functional>
#include <mutex>
#include <string>

#include "tests/support/epg_test_store.h"
#include "tests/support/queue_probe.h"
#include "tests/support/scoped_environment.h"
#include "tests/timer_ui/main_window_fixture.h"
#include "timer_ui/auto_add_dlg.h"
#include "timer_ui/auto_add_search_dlg.h"
#include "timer_ui/main_window_texts.h"
#include "timer_ui/program_info_dlg.h"
#include "timer_ui/program_info_text.h"
#include "timer_ui/reserve_chg_dlg.h"
#include "timer_ui/setting_dlg.h"

namespace timer_ui_test {
namespace {

using timer_ui::COrvandelDlg;
namespace texts = timer_ui::texts;

class MainWindowCommandsTest : public MainWindowTest {
  protected:
    // Two reservations tomorrow evening: row 0 "港町ニュース" (ID 1), row 1 "さくらドラマ" (ID 2).
    void OpenWithTwo() {
        WriteChannelTables();
        timer_core::ReserveEntry drama =
            Reservation(L"さくらドラマ", DaysAhead(1, 21), 54, 0, 0x2001);
        drama.channelName = L"さくらテレビ";
        drama.channelValue = kSakuraChannel;
        drama.serviceId = kSakuraService;
        WriteProgram({Reservation(L"港町ニュース", DaysAhead(1, 19), 30, 0, 0x1001), drama});
        OpenWindow();
        CloseNotice();
    }

    void Click(int id) { ClickButton(Window(), id); }

    // Both commands show their refusal, and neither reaches the machine.
    void ExpectStandbyAndHibernateRefused() {
        Click(COrvandelDlg::IDC_STANDBY);
        EXPECT_EQ(OpenNotice(), texts::kStandbyRefused);
        Click(COrvandelDlg::IDC_HIBERNATE);
        EXPECT_EQ(OpenNotice(), texts::kHibernateRefused);
        for (const std::string& request : PowerRequests()) {
            EXPECT_NE(request, "standby");
            EXPECT_NE(request, "hibernate");
        }
    }

    // A double-click where the list has no row, as the list reports it after ClickBelowRows.
    void DoubleClickBelowRows() {
        ASSERT_EQ(List().GetHotItem(), -1);
        ui::Notification n{COrvandelDlg::IDC_RESERVE_LIST, ui::NM_DBLCLK, -1};
        Window().SendMessage(ui::WM_NOTIFY, COrvandelDlg::IDC_RESERVE_LIST,
                             reinterpret_cast<ui::LPARAM>(&n));
    }
};

TEST_F(MainWindowCommandsTest, DeleteWithNothingCheckedChangesNothing) {
    OpenWithTwo();
    const auto before = ProgramEntries();
    Click(COrvandelDlg::IDC_DELETE);
    EXPECT_EQ(OpenNotice(), texts::kCheckToDelete);
    EXPECT_EQ(List().GetItemCount(), 2);
    EXPECT_EQ(ProgramEntries().size(), before.size());
}

TEST_F(MainWindowCommandsTest, DeleteRemovesTheCheckedRowsFromListAndFile) {
    OpenWithTwo();
    List().SetCheck(0, true);
    Click(COrvandelDlg::IDC_DELETE);
    EXPECT_EQ(OpenNotice(), L"");
    ASSERT_EQ(List().GetItemCount(), 1);
    EXPECT_EQ(RowTexts(0)[2], L"さくらドラマ");
    EXPECT_FALSE(List().GetCheck(0));
    const auto entries = ProgramEntries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].title, L"さくらドラマ");
}

TEST_F(MainWindowCommandsTest, ChangeBeforeAnyClickAsksForARow) {
    OpenWithTwo();
    EXPECT_EQ(Window().SelectedRow(), -1);
    Click(COrvandelDlg::IDC_CHANGE);
    EXPECT_EQ(OpenNotice(), texts::kSelectToChange);
    // A double-click on no row runs the change command, which refuses in the same words.
    CloseNotice();
    ClickBelowRows(List());
    DoubleClickBelowRows();
    EXPECT_EQ(Window().SelectedRow(), -1);
    EXPECT_EQ(OpenNotice(), texts::kSelectToChange);
}

TEST_F(MainWindowCommandsTest, ChangeAppliesTheDialogsFieldsAndKeepsStartAndId) {
    OpenWithTwo();
    ClickRow(List(), 1);
    EXPECT_EQ(Window().SelectedRow(), 1);
    WhenModal([](ui::Dialog& modal) {
        auto& change = dynamic_cast<timer_ui::CReserveChgDlg&>(modal);
        EXPECT_EQ(change.titleText, L"さくらドラマ");
        EXPECT_EQ(change.priorityIndex, 1);
        EXPECT_EQ(change.followIndex, 1);
        EXPECT_EQ(change.minutesText, L"54");
        EXPECT_NE(change.startText.find(L" 21:00"), std::wstring::npos);
        modal.SetDlgItemText(timer_ui::CReserveChgDlg::IDC_TITLE, L"さくらドラマ（最終回）");
        modal.SetDlgItemText(timer_ui::CReserveChgDlg::IDC_MINUTES, L"84分");
        change.OnBnClickedOk();
    });
    Click(COrvandelDlg::IDC_CHANGE);
    EXPECT_EQ(RowTexts(1)[2], L"さくらドラマ（最終回）");
    EXPECT_NE(RowTexts(1)[0].find(L"21:00～22:24"), std::wstring::npos);
    const auto entries = ProgramEntries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1].title, L"さくらドラマ（最終回）");
    EXPECT_EQ(entries[1].durationMinutes, 84u);
    EXPECT_EQ(entries[1].id, 2);
    EXPECT_EQ(entries[1].start.wHour, 21);
}

TEST_F(MainWindowCommandsTest, APriorityTheListDoesNotOfferStaysAsItWasAndNegativeLengthsAreZero) {
    timer_core::ReserveEntry odd = Reservation(L"手で直した予約", MinutesFromNow(24 * 60), 30);
    odd.priority = 0;  // a hand-edited file; the list offers 1 to 5
    odd.follow = 7;
    WriteProgram({odd});
    OpenWindow();
    ClickRow(List(), 0);
    WhenModal([](ui::Dialog& modal) {
        auto& change = dynamic_cast<timer_ui::CReserveChgDlg&>(modal);
        modal.SetDlgItemText(timer_ui::CReserveChgDlg::IDC_MINUTES, L"-30");
        change.OnBnClickedOk();
    });
    Click(COrvandelDlg::IDC_CHANGE);
    const auto entries = ProgramEntries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].priority, 0);
    EXPECT_EQ(entries[0].follow, 7);
    EXPECT_EQ(entries[0].durationMinutes, 0u);
    EXPECT_EQ(RowTexts(0)[3], L"0");
    EXPECT_EQ(RowTexts(0)[4], L"しない");

    // A choice made in the dialog is taken.
    WhenModal([](ui::Dialog& modal) {
        auto& change = dynamic_cast<timer_ui::CReserveChgDlg&>(modal);
        change.priorityIndex = 4;
        change.followIndex = 1;
        change.UpdateData(false);
        change.OnBnClickedOk();
    });
    Click(COrvandelDlg::IDC_CHANGE);
    EXPECT_EQ(ProgramEntries()[0].priority, 5);
    EXPECT_EQ(ProgramEntries()[0].follow, 1);
}

TEST_F(MainWindowCommandsTest, CancelInTheChangeDialogChangesNothing) {
    OpenWithTwo();
    ClickRow(List(), 0);
    WhenModal([](ui::Dialog& modal) {
        modal.SetDlgItemText(timer_ui::CReserveChgDlg::IDC_TITLE, L"別の番組");
        ClickButton(modal, ui::IDCANCEL);
    });
    Click(COrvandelDlg::IDC_CHANGE);
    EXPECT_EQ(RowTexts(0)[2], L"港町ニュース");
    EXPECT_EQ(ProgramEntries()[0].title, L"港町ニュース");
}

TEST_F(MainWindowCommandsTest, ARowWhoseReservationVanishedIsAnInternalError) {
    OpenWithTwo();
    ClickRow(List(), 1);
    // Gone behind the list's back (a record thread, another command) before the list was rebuilt.
    Window().Manager().DeleteReserve(2);
    ASSERT_EQ(List().GetItemCount(), 2);
    Click(COrvandelDlg::IDC_CHANGE);
    EXPECT_EQ(OpenNotice(), texts::kInternalError);
    CloseNotice();
    DoubleClickRow(List(), 1);
    EXPECT_EQ(OpenNotice(), texts::kInternalError);
}

// A 19:00 (ID 1) and B 21:00 (ID 2) from the file, C 20:00 added later (ID 3): a load of the
// file (the end of a timed EPG acquisition) renumbers them A 1, C 2, B 3.
class ChangeDuringALoadTest : public MainWindowCommandsTest {
  protected:
    void OpenWithThree() {
        WriteChannelTables();
        WriteProgram({Reservation(L"港町ニュース", DaysAhead(1, 19), 30, 0, 0x1001),
                      Reservation(L"さくらドラマ", DaysAhead(1, 21), 54, 0, 0x1002)});
        OpenWindow();
        const timer_core::ReserveEntry later =
            Reservation(L"みなと紀行", DaysAhead(1, 20), 45, 0, 0x1003);
        {
            const std::lock_guard lock(Window().Manager().DataLock());
            ASSERT_EQ(Window().Manager().Reservations().Add(&later, 0), 1);
        }
        ASSERT_EQ(Window().Manager().SaveReserveFile(Window().ProgramFilePath()), 1);
        Window().FillReserveList();
        ASSERT_EQ(RowTexts(2)[2], L"さくらドラマ");
        ASSERT_EQ(List().GetItemData(2), 2);
        CloseNotice();
    }

    // Changes the drama (row 2) to `title` and 90 minutes while `meanwhile` runs.
    void ChangeDrama(const std::wstring& title, const std::function<void()>& meanwhile) {
        ClickRow(List(), 2);
        WhenModal([&](ui::Dialog& modal) {
            meanwhile();
            modal.SetDlgItemText(timer_ui::CReserveChgDlg::IDC_TITLE, title);
            modal.SetDlgItemText(timer_ui::CReserveChgDlg::IDC_MINUTES, L"90");
            dynamic_cast<timer_ui::CReserveChgDlg&>(modal).OnBnClickedOk();
        });
        Click(COrvandelDlg::IDC_CHANGE);
    }
};

TEST_F(ChangeDuringALoadTest, TheChangeReachesTheReservationItWasOpenedOn) {
    OpenWithThree();
    ChangeDrama(L"さくらドラマ（最終回）", [&] { ASSERT_EQ(Window().LoadReservations(), 1); });
    EXPECT_EQ(OpenNotice(), L"");
    const auto entries = ProgramEntries();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].title, L"港町ニュース");
    EXPECT_EQ(entries[1].title, L"みなと紀行");
    EXPECT_EQ(entries[1].durationMinutes, 45u);
    EXPECT_EQ(entries[2].title, L"さくらドラマ（最終回）");
    EXPECT_EQ(entries[2].durationMinutes, 90u);
    EXPECT_EQ(entries[2].start.wHour, 21);
    EXPECT_EQ(entries[2].id, 3);
    EXPECT_EQ(RowTexts(2)[2], L"さくらドラマ（最終回）");
    EXPECT_NE(RowTexts(2)[0].find(L"21:00～22:30"), std::wstring::npos);
}

TEST_F(ChangeDuringALoadTest, AReservationTheLoadDroppedIsAnInternalErrorAndNothingChanges) {
    OpenWithThree();
    ChangeDrama(L"別の番組", [&] {
        // Another editor took the drama out of the file meanwhile.
        WriteProgram({Reservation(L"港町ニュース", DaysAhead(1, 19), 30, 1, 0x1001),
                      Reservation(L"みなと紀行", DaysAhead(1, 20), 45, 2, 0x1003)});
        ASSERT_EQ(Window().LoadReservations(), 1);
    });
    EXPECT_EQ(OpenNotice(), texts::kInternalError);
    const auto entries = ProgramEntries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].title, L"港町ニュース");
    EXPECT_EQ(entries[0].durationMinutes, 30u);
    EXPECT_EQ(entries[1].title, L"みなと紀行");
    EXPECT_EQ(entries[1].durationMinutes, 45u);
}

TEST_F(MainWindowCommandsTest, ADoubleClickShowsTheProgrammeOfTheRowsService) {
    OpenWithTwo();
    WhenModal([](ui::Dialog& modal) {
        auto& info = dynamic_cast<timer_ui::CProgramInfoDlg&>(modal);
        // The window's store holds no EPG data: the dialog says so.
        EXPECT_EQ(info.Text(), timer_ui::kProgramInfoNotFound);
        ClickButton(modal, ui::IDCANCEL);
    });
    DoubleClickRow(List(), 1);
    EXPECT_EQ(Window().SelectedRow(), 1);
    EXPECT_EQ(OpenNotice(), L"");

    // A service ChSet2.txt does not list.
    WriteFile(DataFolder() / "ChSet2.txt", "x\t22\t9\t32544\r\n");
    DoubleClickRow(List(), 1);
    EXPECT_EQ(OpenNotice(), texts::kChannelSearchFailed);

    // Without ChSet2.txt nothing is shown.
    CloseNotice();
    std::filesystem::remove(DataFolder() / "ChSet2.txt");
    DoubleClickRow(List(), 1);
    ASSERT_TRUE(test_support::WaitForQueuedMessages());
    EXPECT_EQ(OpenNotice(), L"");
}

TEST_F(MainWindowCommandsTest, SearchWithoutEpgDataIsRefused) {
    OpenWindow();
    CloseNotice();
    Click(COrvandelDlg::IDC_SEARCH);
    EXPECT_EQ(OpenNotice(), texts::kNoEpgForSearch);
}

TEST_F(MainWindowCommandsTest, StandbyWithARecordingDueIsRefusedAndOtherwiseRequested) {
    WriteProgram({Reservation(L"すぐ始まる番組", MinutesFromNow(5), 30)});
    OpenWindow();
    CloseNotice();
    ExpectStandbyAndHibernateRefused();

    List().SetCheck(0, true);
    Click(COrvandelDlg::IDC_DELETE);
    CloseNotice();
    Click(COrvandelDlg::IDC_HIBERNATE);
    EXPECT_EQ(OpenNotice(), L"");
    const auto requests = PowerRequests();
    EXPECT_NE(std::find(requests.begin(), requests.end(), "hibernate"), requests.end());
}

// Without the wake-alarm capability the PC would sleep through the next recording: standby and
// hibernation are refused as when the recording is near, and the sleep lock is held.
TEST_F(MainWindowCommandsTest, StandbyIsRefusedWhileTheWakeUpCannotBeArmed) {
    test_support::ScopedEnvironment environment;
    environment.Set("ORVANDEL_SIM_NO_WAKE_ALARM", "1");
    WriteProgram({Reservation(L"あしたの番組", DaysAhead(1, 21), 30)});
    OpenWindow();
    CloseNotice();
    EXPECT_TRUE(Window().BlockingSleep());
    ExpectStandbyAndHibernateRefused();

    CloseNotice();
    environment.Set("ORVANDEL_SIM_NO_WAKE_ALARM", std::nullopt);
    Click(COrvandelDlg::IDC_STANDBY);
    EXPECT_EQ(OpenNotice(), L"");
    const auto requests = PowerRequests();
    EXPECT_NE(std::find(requests.begin(), requests.end(), "standby"), requests.end());
}

TEST_F(MainWindowCommandsTest, TheAutomaticReservationListOpensOnTheWindowsStore) {
    OpenWithTwo();
    bool opened = false;
    WhenModal([&](ui::Dialog& modal) {
        opened = dynamic_cast<timer_ui::CAutoAddDlg*>(&modal) != nullptr;
        ClickButton(modal, ui::IDCANCEL);
    });
    Click(COrvandelDlg::IDC_AUTO_ADD);
    EXPECT_TRUE(opened);
    // Nothing is refreshed afterwards.
    EXPECT_EQ(List().GetItemCount(), 2);
    EXPECT_EQ(OpenNotice(), L"");
}

TEST_F(MainWindowCommandsTest, SettingsTakenWithOkAreReadAgainCancelChangesNothing) {
    OpenWithTwo();
    EXPECT_EQ(Window().RecEnd(), 0);
    WhenModal([this](ui::Dialog& modal) {
        ASSERT_NE(dynamic_cast<timer_ui::CSettingDlg*>(&modal), nullptr);
        // What another program wrote meanwhile; Cancel does not make the window read it.
        WriteIni("RecEnd=2\r\nViewOption=3\r\n");
        ClickButton(modal, ui::IDCANCEL);
    });
    Click(COrvandelDlg::IDC_SETTING);
    EXPECT_EQ(Window().RecEnd(), 0);

    WhenModal([](ui::Dialog& modal) {
        modal.CheckDlgButton(timer_ui::CSettingDlg::IDC_REC_END, 0);
        modal.CheckDlgButton(timer_ui::CSettingDlg::IDC_REC_END + 2, 0);
        modal.CheckDlgButton(timer_ui::CSettingDlg::IDC_REC_END + 1, 1);
        ClickButton(modal, ui::IDOK);
    });
    Click(COrvandelDlg::IDC_SETTING);
    EXPECT_EQ(Window().RecEnd(), 1);
}

TEST_F(MainWindowCommandsTest, TheSearchOpensInItsFreeSearchModeOnTheWindowsStore) {
    OpenWithTwo();
    test_support::AddService(Window().Store(), kSakuraStream, kSakuraService, L"さくらテレビ");
    test_support::StoreEvent event;
    event.eventId = 0x2222;
    event.start = DaysAhead(3, 21);
    event.minutes = 54;
    event.name = L"さくら紀行";
    test_support::AddEvent(Window().Store(), kSakuraStream, kSakuraService, event);
    bool opened = false;
    WhenModal([&](ui::Dialog& modal) {
        opened = dynamic_cast<timer_ui::CAutoAddSearchDlg*>(&modal) != nullptr;
        modal.SendMessage(ui::WM_SYSCOMMAND, ui::SC_CLOSE, 0);
    });
    Click(COrvandelDlg::IDC_SEARCH);
    EXPECT_TRUE(opened);
    EXPECT_EQ(OpenNotice(), L"");
}

TEST_F(MainWindowCommandsTest, ExitEndsTheWindowAsCancelDoes) {
    OpenWindow();
    Click(COrvandelDlg::IDC_EXIT);
    EXPECT_FALSE(Window().IsWindowVisible());
}

}  // namespace
}  // namespace timer_ui_test
