// How large the timer's windows open: the main window shows every column of its list whole, and
// the settings fit a laptop screen.
#include <gtest/gtest.h>

#include <QGroupBox>
#include <QHeaderView>
#include <QScrollBar>

#include "tests/timer_ui/main_window_fixture.h"
#include "tests/timer_ui/private_home.h"
#include "timer_ui/setting_dlg.h"

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

// The controls of the dialog itself, group boxes aside (they hold others).
std::vector<const QWidget*> PlacedControls(const ui::Dialog& dialog) {
    std::vector<const QWidget*> controls;
    for (const QWidget* control : dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (qobject_cast<const QGroupBox*>(control) == nullptr) controls.push_back(control);
    }
    return controls;
}

class SettingsSizeTest : public DialogTest {};

TEST_F(SettingsSizeTest, TheWholeDialogFitsALaptopScreen) {
    // 1366 x 768 (or 1024 x 768) with a 40-pixel panel and a 32-pixel title bar.
    constexpr int kScreenHeight = 768;
    constexpr int kPanel = 40;
    constexpr int kTitleBar = 32;
    PrivateHome home;
    timer_ui::CSettingDlg settings(home.IniPath());
    ASSERT_TRUE(settings.Create());
    const QRect client = settings.GetClientRect();
    EXPECT_LE(client.height() + kTitleBar + kPanel, kScreenHeight);
    EXPECT_LE(client.width(), 1024);
    // Every control within the client area, OK and キャンセル included, none over another.
    const std::vector<const QWidget*> controls = PlacedControls(settings);
    for (std::size_t i = 0; i < controls.size(); ++i) {
        EXPECT_TRUE(client.contains(controls[i]->geometry())) << controls[i]->geometry().y();
        for (std::size_t j = i + 1; j < controls.size(); ++j) {
            EXPECT_FALSE(controls[i]->geometry().intersects(controls[j]->geometry()))
                << i << " " << j;
        }
    }
    settings.DestroyWindow();
}

}  // namespace
}  // namespace timer_ui_test
