// How large the timer's windows open: the main window shows every column of its list whole.
#include <gtest/gtest.h>

#include <QHeaderView>
#include <QScrollBar>

#include "tests/timer_ui/main_window_fixture.h"

namespace timer_ui_test {
namespace {

class MainWindowLayoutTest : public MainWindowTest {};

TEST_F(MainWindowLayoutTest, OpensWideEnoughForEveryColumnBesideAScrollBar) {
    // More reservations than the list shows at once, so it has its vertical scroll bar.
    std::vector<timer_core::ReserveEntry> entries;
    for (int n = 0; n < 40; ++n)
        entries.push_back(Reservation(L"港町ニュース９", DaysAhead(1 + n / 12, 8 + n % 12), 30));
    WriteProgram(entries);
    OpenWindow();
    ASSERT_EQ(List().GetItemCount(), 40);
    ASSERT_TRUE(WaitUntil([&] { return List().verticalScrollBar()->isVisible(); }));
    EXPECT_LE(List().header()->length(), List().viewport()->width());
    EXPECT_EQ(List().horizontalScrollBar()->maximum(), 0);
}

}  // namespace
}  // namespace timer_ui_test
