// The main window as it starts and shows its reservations: the list's columns and rows, the
// notification icon's tip, the placement of the controls, hiding when minimised, and the keys
// that must not close it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>

#include "broadcast_sim/time_builder.h"
#include "platform/system_time.h"
#include "tests/support/queue_probe.h"
#include "tests/timer_ui/main_window_fixture.h"
#include "timer_core/reservations/program_line.h"
#include "timer_core/scheduling/reserve_time.h"
#include "timer_ui/main_window_texts.h"
#include "timer_ui/reserve_list_texts.h"
#include "ui/notify_icon.h"

namespace timer_ui_test {
namespace {

using timer_ui::COrvandelDlg;

constexpr const wchar_t* kWeekdays[] = {L"(日)", L"(月)", L"(火)", L"(水)",
                                        L"(木)", L"(金)", L"(土)"};

std::wstring DateText(const platform::SYSTEMTIME& t) {
    wchar_t text[32];
    std::swprintf(text, std::size(text), L"%04d/%02d/%02d%ls", t.wYear, t.wMonth, t.wDay,
                  kWeekdays[platform::DayOfWeek(t.wYear, t.wMonth, t.wDay)]);
    return text;
}

class MainWindowListTest : public MainWindowTest {};

TEST_F(MainWindowListTest, RowsFollowTheStartOrderWithTheirIdsAndEveryColumnText) {
    const platform::SYSTEMTIME lateStart = DaysAhead(1, 23, 30);
    timer_core::ReserveEntry late = Reservation(L"深夜映画　港の灯", lateStart, 90);
    late.follow = 0;
    late.priority = 5;
    timer_core::ReserveEntry early = Reservation(L"朝の港町ニュース", DaysAhead(1, 6, 0), 30);
    early.resultText = L"録画予定";
    timer_core::ReserveEntry past = Reservation(L"昨日の特集", MinutesFromNow(-24 * 60), 54);
    // File order differs from start order: the load numbers in file order, the list shows
    // start order.
    WriteProgram({late, early, past});
    COrvandelDlg& window = OpenWindow();
    EXPECT_EQ(window.GetWindowText(), L"Orvandel");

    ASSERT_EQ(List().GetColumnCount(), 6);
    const std::vector<std::pair<std::wstring, int>> columns = {{L"日時", 200},   {L"放送局", 100},
                                                               {L"番組名", 150}, {L"優先度", 70},
                                                               {L"追従", 50},    {L"結果", 400}};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(List().headerItem()->text(i).toStdWString(), columns[i].first);
        EXPECT_EQ(List().columnWidth(i), columns[i].second) << i;
    }
    EXPECT_EQ(List().GetExtendedStyle(), ui::LVS_EX_FULLROWSELECT | ui::LVS_EX_CHECKBOXES);

    ASSERT_EQ(List().GetItemCount(), 3);
    EXPECT_EQ(List().GetItemData(0), 3);  // the past one, third in the file
    EXPECT_EQ(List().GetItemData(1), 2);
    EXPECT_EQ(List().GetItemData(2), 1);
    EXPECT_EQ(RowTexts(2),
              (std::vector<std::wstring>{DateText(lateStart) + L" 23:30～01:00", L"みなと総合１",
                                         L"深夜映画　港の灯", L"5", L"しない", L""}));
    EXPECT_EQ(RowTexts(1)[0], DateText(early.start) + L" 06:00～06:30");
    EXPECT_EQ(RowTexts(1)[4], L"する");
    EXPECT_EQ(RowTexts(1)[5], L"録画予定");
    // A start that passed without a result is marked missed when the file is read.
    EXPECT_EQ(RowTexts(0)[5], timer_core::kMissedStartText);
    for (int row = 0; row < 3; ++row)
        EXPECT_FALSE(List().GetCheck(row));
    EXPECT_EQ(window.SelectedRow(), -1);
}

TEST_F(MainWindowListTest, TheTipNamesTheNextReservationInAtMost127Characters) {
    EXPECT_EQ(timer_ui::NextReserveTip(nullptr), L"次の予約 なし");
    timer_core::ReserveEntry next =
        Reservation(L"港町ニュース", broadcast_sim::JstTime(2026, 12, 13, 21, 5), 30);
    EXPECT_EQ(timer_ui::NextReserveTip(&next), L"次の予約 2026/12/13(日) 21:05 港町ニュース");
    // Assembled in code page 932: what it lacks shows as "?".
    next.title = L"Caf\u00e9";
    EXPECT_EQ(timer_ui::NextReserveTip(&next), L"次の予約 2026/12/13(日) 21:05 Caf?");
    next.title = std::wstring(200, L'港');
    const std::wstring tip = timer_ui::NextReserveTip(&next);
    ASSERT_EQ(tip.size(), 127u);
    EXPECT_EQ(tip.substr(0, 26), L"次の予約 2026/12/13(日) 21:05 港");

    WriteProgram({Reservation(std::wstring(200, L'灯'), DaysAhead(1, 21, 0), 60)});
    COrvandelDlg& window = OpenWindow();
    EXPECT_EQ(window.TipText().size(), 127u);
    QSystemTrayIcon* icon = ui::FindNotifyIcon(window.GetSafeHwnd(), COrvandelDlg::kNotifyIconId);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->toolTip().toStdWString(), window.TipText());
}

TEST_F(MainWindowListTest, WithoutReservationsTheTipSaysNoneAndTheIconGoesWithTheWindow) {
    COrvandelDlg& window = OpenWindow();
    EXPECT_EQ(List().GetItemCount(), 0);
    EXPECT_EQ(window.TipText(), timer_ui::texts::kNoNextReserve);
    const ui::HWND hwnd = window.GetSafeHwnd();
    ASSERT_NE(ui::FindNotifyIcon(hwnd, COrvandelDlg::kNotifyIconId), nullptr);
    window.DestroyWindow();
    EXPECT_EQ(ui::FindNotifyIcon(hwnd, COrvandelDlg::kNotifyIconId), nullptr);
}

TEST_F(MainWindowListTest, ResizingPlacesTheListButtonsAndNoteAtTheirPixels) {
    COrvandelDlg& window = OpenWindow();
    window.SetClientSize(900, 500);
    ASSERT_TRUE(WaitUntil([&] { return window.GetClientRect().width() == 900; }));
    const QRect list = window.GetDlgItem(COrvandelDlg::IDC_RESERVE_LIST)->geometry();
    EXPECT_EQ(list.size(), QSize(755, 425));
    const QPoint listAt = list.topLeft();
    const std::vector<std::pair<int, int>> buttons = {
        {COrvandelDlg::IDC_SETTING, 12},     {COrvandelDlg::IDC_START_EPG_VIEWER, 43},
        {COrvandelDlg::IDC_AUTO_ADD, 77},    {COrvandelDlg::IDC_SEARCH, 101},
        {COrvandelDlg::IDC_EPG_RELOAD, 126}, {COrvandelDlg::IDC_CHANGE, 160},
        {COrvandelDlg::IDC_DELETE, 186},     {COrvandelDlg::IDC_STANDBY, 220},
        {COrvandelDlg::IDC_HIBERNATE, 247},  {COrvandelDlg::IDC_EXIT, 286}};
    for (const auto& [id, y] : buttons)
        EXPECT_EQ(window.GetDlgItem(id)->pos(), QPoint(770, y)) << id;
    EXPECT_EQ(window.GetDlgItem(COrvandelDlg::IDC_NOTE)->pos(), QPoint(11, 470));

    window.SetClientSize(700, 340);
    ASSERT_TRUE(WaitUntil([&] { return window.GetClientRect().width() == 700; }));
    EXPECT_EQ(window.GetDlgItem(COrvandelDlg::IDC_RESERVE_LIST)->geometry(),
              QRect(listAt, QSize(555, 265)));
    EXPECT_EQ(window.GetDlgItem(COrvandelDlg::IDC_EXIT)->pos(), QPoint(570, 286));
    EXPECT_EQ(window.GetDlgItem(COrvandelDlg::IDC_EXIT)->size(),
              window.GetDlgItem(COrvandelDlg::IDC_SETTING)->size());

    // Every button text fits its button.
    for (const auto& [id, y] : buttons) {
        const auto* button = window.Item<QPushButton>(id);
        EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text()) + 8, button->width())
            << button->text().toStdString();
    }
}

TEST_F(MainWindowListTest, MinimisingHidesTheWindowAndTheIconBringsItBack) {
    ui::SetNotificationAreaAnswer(true);
    COrvandelDlg& window = OpenWindow();
    window.SendMessage(ui::WM_SYSCOMMAND, ui::SC_MINIMIZE, 0);
    EXPECT_TRUE(WaitUntil([&] { return !window.IsWindowVisible(); }));
    QSystemTrayIcon* icon = ui::FindNotifyIcon(window.GetSafeHwnd(), COrvandelDlg::kNotifyIconId);
    ASSERT_NE(icon, nullptr);
    emit icon->activated(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(WaitUntil([&] { return window.IsWindowVisible() && !window.IsIconic(); }));

    // Where the desktop shows no notification icons, a minimised window stays where the user
    // can find it.
    ui::SetNotificationAreaAnswer(false);
    window.SendMessage(ui::WM_SYSCOMMAND, ui::SC_MINIMIZE, 0);
    EXPECT_TRUE(WaitUntil([&] { return window.IsIconic(); }));
    EXPECT_TRUE(window.IsWindowVisible());
    ui::SetNotificationAreaAnswer(std::nullopt);
}

TEST_F(MainWindowListTest, EnterAndEscapeDoNotCloseTheWindow) {
    COrvandelDlg& window = OpenWindow();
    for (const int key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
        QWidget* target = window.focusWidget() != nullptr ? window.focusWidget() : &window;
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(target, &press);
    }
    ASSERT_TRUE(test_support::WaitForQueuedMessages());
    EXPECT_TRUE(window.IsWindowVisible());
    EXPECT_NE(window.GetSafeHwnd(), 0u);
}

}  // namespace
}  // namespace timer_ui_test
