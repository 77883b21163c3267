#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>
#include <QWindow>
#include <atomic>
#include <string>
#include <thread>

#include "platform/window_messages.h"
#include "tests/support/helper_process.h"
#include "tests/support/queue_probe.h"
#include "tests/ui/table_dialog.h"
#include "tests/ui/ui_test_support.h"
#include "ui/progress_bar.h"

namespace ui_test {
namespace {

constexpr ui::UINT kTestMessage = ui::WM_USER + 1;

int CountOf(const TableDialog& dialog, ui::UINT message) {
    return static_cast<int>(std::count_if(dialog.messages.begin(), dialog.messages.end(),
                                          [&](const ui::MSG& m) { return m.message == message; }));
}

TEST(MessagesTest, MessagesFromAnotherThreadReachWindowProcOnTheGuiThreadInOrder) {
    TableDialog dialog;
    ASSERT_TRUE(dialog.Create());
    const ui::HWND hwnd = dialog.GetSafeHwnd();
    ASSERT_NE(hwnd, 0u);
    std::atomic<ui::LRESULT> echoed{0};
    std::thread sender([&] {
        for (ui::WPARAM i = 0; i < 100; ++i)
            platform::PostMessageW(hwnd, kTestMessage, i, -1);
        echoed = platform::SendMessageW(hwnd, TableDialog::kEchoMessage, 21, 0);
    });
    ASSERT_TRUE(WaitUntil([&] { return echoed.load() != 0; }));
    sender.join();
    std::vector<ui::WPARAM> order;
    for (const ui::MSG& m : dialog.messages) {
        if (m.message == kTestMessage) order.push_back(m.wParam);
    }
    ASSERT_EQ(order.size(), 100u);
    for (ui::WPARAM i = 0; i < 100; ++i)
        EXPECT_EQ(order[i], i);
    EXPECT_EQ(echoed.load(), 42);
    EXPECT_EQ(dialog.messagesOffGuiThread, 0);
    dialog.DestroyWindow();
    EXPECT_FALSE(platform::PostMessageW(hwnd, kTestMessage, 0, 0));
}

TEST(MessagesTest, MessagesFromAnotherProcessReachWindowProc) {
    TableDialog dialog;
    ASSERT_TRUE(dialog.Create());
    test_support::HelperProcess helper(
        UI_TEST_HELPER,
        {"post", std::to_string(dialog.GetSafeHwnd()), std::to_string(kTestMessage), "7", "-3"});
    EXPECT_EQ(helper.Expect("posted "), "1");
    ASSERT_TRUE(WaitUntil([&] { return CountOf(dialog, kTestMessage) == 1; }));
    const auto it = std::find_if(dialog.messages.begin(), dialog.messages.end(),
                                 [](const ui::MSG& m) { return m.message == kTestMessage; });
    EXPECT_EQ(it->wParam, 7u);
    EXPECT_EQ(it->lParam, -3);
    dialog.DestroyWindow();
}

TEST(MessagesTest, TimersFireAtTheSimulatedRateUntilKilled) {
    TableDialog dialog;
    ASSERT_TRUE(dialog.Create());
    QElapsedTimer real;
    real.start();
    ASSERT_EQ(dialog.SetTimer(5, 1000), 5u);
    ASSERT_TRUE(WaitUntil([&] { return dialog.events.size() >= 5; }));
    const qint64 elapsed = real.elapsed();
    // Five simulated seconds at rate 10: half a real second.
    EXPECT_GE(elapsed, static_cast<qint64>(5 * 1000 / kClockRate) - 20);
    EXPECT_LT(elapsed, 2500);
    EXPECT_EQ(dialog.events.front(), "timer 5");
    EXPECT_TRUE(dialog.KillTimer(5));
    const std::size_t fired = dialog.events.size();
    ASSERT_TRUE(test_support::WaitForTimerPeriod(1000));  // a tick would have come
    EXPECT_EQ(dialog.events.size(), fired);
    dialog.DestroyWindow();
}

// The standby countdown's shape: a modal dialog counting down on a timer.
class CountdownDialog : public ui::Dialog {
  public:
    static constexpr ui::UINT kEndMessage = ui::WM_USER + 3;

    CountdownDialog() : ui::Dialog(Template()) { SetDataMap({{1039, ui::Ddx::Position, &count}}); }

    int count = 0;
    std::vector<int> positions;
    Qt::WindowModality modalityAtEnd = Qt::NonModal;
    QWindow* transientParentAtEnd = nullptr;
    std::function<void(CountdownDialog&)> onInit;
    std::function<void(CountdownDialog&)> onTick;

    ui::LRESULT WindowProc(ui::UINT message, ui::WPARAM wParam, ui::LPARAM lParam) override {
        if (message == kEndMessage) {
            modalityAtEnd = windowModality();
            transientParentAtEnd = windowHandle()->transientParent();
            EndDialog(static_cast<int>(wParam));
        }
        return ui::Dialog::WindowProc(message, wParam, lParam);
    }

  protected:
    ui::BOOL OnInitDialog() override {
        Item<ui::ProgressBar>(1039)->SetRange(0, 15);
        count = 15;
        ui::Dialog::OnInitDialog();
        SetTimer(123, 1000);
        if (onInit) onInit(*this);
        return ui::TRUE;
    }

    void OnTimer(ui::UINT_PTR id) override {
        if (id != 123) return;
        if (count == 0) {
            KillTimer(123);
            EndDialog(ui::IDOK);
            return;
        }
        --count;
        UpdateData(false);
        positions.push_back(Item<ui::ProgressBar>(1039)->GetPos());
        if (onTick) onTick(*this);
    }

  private:
    static const ui::DialogTemplate& Template() {
        static const ui::ControlSpec controls[] = {
            {-1, ui::ControlKind::Static, L"スタンバイ or 休止状態に移行します", 10, 10, 220, 14},
            {1039, ui::ControlKind::ProgressBar, L"", 10, 30, 220, 14},
            {ui::IDOK, ui::ControlKind::PushButton, L"OK", 74, 54, 75, 23},
            {ui::IDCANCEL, ui::ControlKind::PushButton, L"キャンセル", 155, 54, 75, 23},
        };
        static const ui::DialogTemplate dialogTemplate{L"スタンバイ or 休止状態移行", 240, 86, 0,
                                                       controls};
        return dialogTemplate;
    }
};

TEST(MessagesTest, ModalCountdownRunsOnItsTimerToOk) {
    CountdownDialog countdown;
    EXPECT_EQ(countdown.DoModal(), ui::IDOK);
    std::vector<int> expected;
    for (int i = 14; i >= 0; --i)
        expected.push_back(i);
    EXPECT_EQ(countdown.positions, expected);
    EXPECT_EQ(countdown.GetSafeHwnd(), 0u);
}

TEST(MessagesTest, ModalDialogAndItsOwnerKeepReceivingPostedMessages) {
    TableDialog owner;
    ASSERT_TRUE(owner.Create());
    const ui::HWND ownerHwnd = owner.GetSafeHwnd();
    CountdownDialog modal;
    std::thread poster;
    modal.onInit = [&](CountdownDialog& self) {
        const ui::HWND modalHwnd = self.GetSafeHwnd();
        poster = std::thread([=] {
            platform::PostMessageW(ownerHwnd, kTestMessage, 1, 0);
            platform::PostMessageW(modalHwnd, CountdownDialog::kEndMessage, 42, 0);
        });
    };
    const int result = modal.DoModal(ownerHwnd);
    const int ownerMessagesAtEnd = CountOf(owner, kTestMessage);
    poster.join();
    EXPECT_EQ(result, 42);
    EXPECT_EQ(ownerMessagesAtEnd, 1);
    // Modal to its owner only: a box opened meanwhile stays usable.
    EXPECT_EQ(modal.modalityAtEnd, Qt::WindowModal);
    EXPECT_EQ(modal.transientParentAtEnd, owner.windowHandle());
    owner.DestroyWindow();
}

TEST(MessagesTest, CancelEndsTheCountdownAndNoTickFollows) {
    CountdownDialog countdown;
    countdown.onTick = [](CountdownDialog& self) {
        if (self.positions.size() == 5) self.Item<QPushButton>(ui::IDCANCEL)->click();
    };
    EXPECT_EQ(countdown.DoModal(), ui::IDCANCEL);
    EXPECT_EQ(countdown.positions.size(), 5u);
    ASSERT_TRUE(test_support::WaitForTimerPeriod(1000));  // a tick would have come
    EXPECT_EQ(countdown.positions.size(), 5u);
}

TEST(MessagesTest, AnIdleDialogWithATimerArmedUsesNoCpu) {
    TableDialog dialog;
    ASSERT_TRUE(dialog.Create());
    dialog.SetTimer(1000, 120000);
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    RunFor(1000);
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    const auto cpuUs = [](const rusage& r) {
        return (r.ru_utime.tv_sec + r.ru_stime.tv_sec) * 1000000L + r.ru_utime.tv_usec +
               r.ru_stime.tv_usec;
    };
    EXPECT_LT(cpuUs(after) - cpuUs(before), 150000L);
    EXPECT_TRUE(dialog.events.empty());
    dialog.DestroyWindow();
}

}  // namespace
}  // namespace ui_test
