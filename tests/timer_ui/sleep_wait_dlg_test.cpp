// The standby countdown on the simulated clock: sixteen ticks to OK with the bar falling from
// full to empty, Cancel at once with no tick after it.
#include "timer_ui/sleep_wait_dlg.h"

#include <gtest/gtest.h>

#include <QPushButton>
#include <vector>

#include "platform/clock.h"
#include "platform/system_time.h"
#include "tests/timer_ui/timer_ui_test_environment.h"
#include "ui/progress_bar.h"

namespace timer_ui {
namespace {

using timer_ui_test::WaitUntil;

// The countdown with a record of the bar after every tick; clicks Cancel after `cancelAfter`
// ticks when that is set.
class RecordedCountdown : public CSleepWaitDlg {
  public:
    int cancelAfter = -1;
    std::vector<int> positions;
    int initialPosition = -1;
    int minimum = -1;
    int maximum = -1;
    bool visibleAtStart = false;
    std::uint64_t opened = 0;
    std::uint64_t ended = 0;

  protected:
    ui::BOOL OnInitDialog() override {
        const ui::BOOL result = CSleepWaitDlg::OnInitDialog();
        const ui::ProgressBar* bar = Item<ui::ProgressBar>(IDC_PROGRESS);
        initialPosition = bar->GetPos();
        minimum = bar->minimum();
        maximum = bar->maximum();
        visibleAtStart = isVisible();
        opened = platform::Clock::Instance().NowLocal();
        return result;
    }
    void OnTimer(ui::UINT_PTR id) override {
        CSleepWaitDlg::OnTimer(id);
        ended = platform::Clock::Instance().NowLocal();
        positions.push_back(Item<ui::ProgressBar>(IDC_PROGRESS)->GetPos());
        if (static_cast<int>(positions.size()) == cancelAfter) {
            Item<QPushButton>(ui::IDCANCEL)->click();
        }
    }
};

// A window timer of its own, to know that simulated time has passed.
class TickProbe : public ui::Dialog {
  public:
    TickProbe() : ui::Dialog(kTemplate) {}
    int ticks = 0;

  protected:
    void OnTimer(ui::UINT_PTR) override { ++ticks; }

  private:
    static constexpr ui::DialogTemplate kTemplate{L"probe", 10, 10, 0, {}};
};

class SleepWaitDlgTest : public timer_ui_test::DialogTest {};

TEST_F(SleepWaitDlgTest, WithoutTheUserItEndsWithOkOnTheSixteenthTickTheBarFullToEmpty) {
    RecordedCountdown dlg;
    EXPECT_EQ(dlg.DoModal(), ui::IDOK);
    EXPECT_TRUE(dlg.visibleAtStart);
    EXPECT_EQ(dlg.GetWindowText(), L"スタンバイ or 休止状態移行");
    EXPECT_EQ(dlg.minimum, 0);
    EXPECT_EQ(dlg.maximum, 15);
    EXPECT_EQ(dlg.initialPosition, 15);
    const std::vector<int> expected = {14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 0};
    EXPECT_EQ(dlg.positions, expected);
    // One tick a second of the clock: the sixteenth comes about sixteen seconds after opening.
    const std::uint64_t elapsed = dlg.ended - dlg.opened;
    EXPECT_GE(elapsed, 16 * platform::kFileTimePerSecond - platform::kFileTimePerSecond / 2);
}

TEST_F(SleepWaitDlgTest, CancelAfterFiveSecondsEndsAtOnceAndNoTickFollows) {
    RecordedCountdown dlg;
    dlg.cancelAfter = 5;
    EXPECT_EQ(dlg.DoModal(), ui::IDCANCEL);
    EXPECT_EQ(dlg.positions, (std::vector<int>{14, 13, 12, 11, 10}));
    // Two and a half seconds of the clock would have brought two more ticks.
    TickProbe probe;
    ASSERT_TRUE(probe.Create());
    probe.SetTimer(1, 2500);
    EXPECT_TRUE(WaitUntil([&] { return probe.ticks > 0; }));
    probe.DestroyWindow();
    EXPECT_EQ(dlg.positions.size(), 5u);
}

}  // namespace
}  // namespace timer_ui
