// Windows and message queues within one process: posting, sending across threads, the quit
// message, timers and the hooks an outside event loop uses.
#include "platform/window_messages.h"

#include <gtest/gtest.h>
#include <poll.h>

#include <atomic>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

#include "tests/support/private_runtime.h"

namespace platform {
namespace {

// Records what reaches it, with the thread it reached.
class RecordingWindow : public WindowTarget {
  public:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        const std::lock_guard lock(mutex);
        received.push_back(MSG{0, message, wParam, lParam});
        threads.push_back(GetCurrentThreadId());
        return static_cast<LRESULT>(wParam) * 2 + 1;
    }
    void OnShowRequest(int command) override { shown = command; }
    void OnForegroundRequest() override { foreground = true; }

    std::vector<UINT> Messages() {
        const std::lock_guard lock(mutex);
        std::vector<UINT> out;
        for (const MSG& m : received)
            out.push_back(m.message);
        return out;
    }

    std::mutex mutex;
    std::vector<MSG> received;
    std::vector<DWORD> threads;
    std::atomic<int> shown{-1};
    std::atomic<bool> foreground{false};
};

class WindowMessagesTest : public ::testing::Test {
  protected:
    void SetUp() override { test_support::UsePrivateRuntime(); }
};

// Runs GetMessageW/DispatchMessageW until WM_QUIT; returns the quit's wParam.
WPARAM RunLoop() {
    MSG msg;
    while (GetMessageW(&msg, 0, 0, 0))
        DispatchMessageW(&msg);
    return msg.wParam;
}

TEST_F(WindowMessagesTest, PostedMessagesArriveInOrderAndQuitEndsTheLoop) {
    RecordingWindow target;
    const HWND hwnd = CreateWindowHandle(&target, L"first", 0, true);
    ASSERT_NE(hwnd, 0u);
    EXPECT_TRUE(PostMessageW(hwnd, WM_USER + 1, 10, 20));
    EXPECT_TRUE(PostMessageW(hwnd, WM_USER + 2, 0, 0));
    PostQuitMessage(7);
    EXPECT_TRUE(PostMessageW(hwnd, WM_USER + 3, 0, 0));
    EXPECT_EQ(RunLoop(), 7u);
    // The quit comes after everything posted before the loop looked.
    EXPECT_EQ(target.Messages(), (std::vector<UINT>{WM_USER + 1, WM_USER + 2, WM_USER + 3}));
    EXPECT_EQ(target.received[0].lParam, 20);
    EXPECT_TRUE(DestroyWindowHandle(hwnd));
}

TEST_F(WindowMessagesTest, PostingWmQuitToAWindowEndsItsThreadsLoop) {
    RecordingWindow target;
    std::promise<HWND> created;
    std::thread owner([&] {
        const HWND hwnd = CreateWindowHandle(&target, L"box", 0, true);
        created.set_value(hwnd);
        RunLoop();
        DestroyWindowHandle(hwnd);
    });
    const HWND hwnd = created.get_future().get();
    EXPECT_TRUE(PostMessageW(hwnd, WM_USER, 1, 0));
    EXPECT_TRUE(PostMessageW(hwnd, WM_QUIT, 0, 0));
    owner.join();
    EXPECT_EQ(target.Messages(), std::vector<UINT>{WM_USER});
}

TEST_F(WindowMessagesTest, SendRunsOnTheOwningThreadAndReturnsItsResult) {
    RecordingWindow target;
    std::promise<HWND> created;
    std::promise<DWORD> ownerId;
    std::thread owner([&] {
        created.set_value(CreateWindowHandle(&target, L"owner", 0, true));
        ownerId.set_value(GetCurrentThreadId());
        RunLoop();
    });
    const HWND hwnd = created.get_future().get();
    const DWORD ownerThread = ownerId.get_future().get();
    EXPECT_EQ(SendMessageW(hwnd, WM_USER + 5, 20, 0), 41);
    ASSERT_EQ(target.threads.size(), 1u);
    EXPECT_EQ(target.threads[0], ownerThread);
    EXPECT_TRUE(PostThreadMessageW(ownerThread, WM_QUIT, 0, 0));
    owner.join();
    // The thread ended: its window went with it.
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_FALSE(PostMessageW(hwnd, WM_USER, 0, 0));
    EXPECT_EQ(SendMessageW(hwnd, WM_USER, 1, 0), 0);
}

TEST_F(WindowMessagesTest, SendToOwnThreadIsADirectCall) {
    RecordingWindow target;
    const HWND hwnd = CreateWindowHandle(&target, L"self", 0, true);
    EXPECT_EQ(SendMessageW(hwnd, WM_USER, 3, 0), 7);
    EXPECT_EQ(target.Messages(), std::vector<UINT>{WM_USER});
    DestroyWindowHandle(hwnd);
}

TEST_F(WindowMessagesTest, SendToAThreadThatEndsWithoutAnsweringGivesZero) {
    RecordingWindow target;
    std::promise<HWND> created;
    std::atomic<bool> sendWaited{false};
    std::thread owner([&] {
        created.set_value(CreateWindowHandle(&target, L"leaves", 0, true));
        // Never pumps: ends as soon as the sent message waits in its queue.
        pollfd p{GetThreadMessageWakeFd(), POLLIN, 0};
        sendWaited = ::poll(&p, 1, 10000) == 1;
    });
    const HWND hwnd = created.get_future().get();
    auto reply = std::async(std::launch::async, [&] { return SendMessageW(hwnd, WM_USER, 5, 0); });
    owner.join();
    EXPECT_TRUE(sendWaited);
    EXPECT_EQ(reply.get(), 0);
    EXPECT_TRUE(target.Messages().empty());
}

TEST_F(WindowMessagesTest, TwoThreadsSendingToEachOtherDoNotLockUp) {
    struct Echo : WindowTarget {
        HWND peer = 0;
        LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM) override {
            // The first message makes this window ask its peer back while its sender waits.
            if (message == WM_USER && peer != 0) return SendMessageW(peer, WM_USER + 1, wParam, 0);
            return static_cast<LRESULT>(wParam) + 100;
        }
    } a, b;
    std::promise<HWND> created;
    std::thread owner([&] {
        created.set_value(CreateWindowHandle(&b, L"b", 0, true));
        RunLoop();
    });
    const HWND hwndA = CreateWindowHandle(&a, L"a", 0, true);
    const HWND hwndB = created.get_future().get();
    b.peer = hwndA;
    EXPECT_EQ(SendMessageW(hwndB, WM_USER, 5, 0), 105);
    PostMessageW(hwndB, WM_QUIT, 0, 0);
    owner.join();
    DestroyWindowHandle(hwndA);
}

TEST_F(WindowMessagesTest, DestroyDropsQueuedMessagesAndTimers) {
    RecordingWindow target;
    const HWND hwnd = CreateWindowHandle(&target, L"gone", 0, true);
    PostMessageW(hwnd, WM_USER, 0, 0);
    SetTimer(hwnd, 1, 10);
    EXPECT_TRUE(DestroyWindowHandle(hwnd));
    EXPECT_FALSE(DestroyWindowHandle(hwnd));
    EXPECT_FALSE(RealTimeUntilNextTimer().has_value());
    PostQuitMessage(0);
    RunLoop();
    EXPECT_TRUE(target.Messages().empty());
}

TEST_F(WindowMessagesTest, TimersRepeatAreReplacedByReArmingAndStopWhenKilled) {
    RecordingWindow target;
    const HWND hwnd = CreateWindowHandle(&target, L"timers", 0, true);
    EXPECT_EQ(SetTimer(hwnd, 5, 10), 5u);
    EXPECT_EQ(SetTimer(hwnd, 6, 60000), 6u);
    EXPECT_EQ(SetTimer(hwnd, 6, 30), 6u);  // replaces the minute
    MSG msg;
    int fired5 = 0;
    int fired6 = 0;
    while (fired6 < 2) {
        ASSERT_TRUE(GetMessageW(&msg, 0, 0, 0));
        ASSERT_EQ(msg.message, WM_TIMER);
        EXPECT_EQ(msg.hwnd, hwnd);
        (msg.wParam == 5 ? fired5 : fired6)++;
    }
    EXPECT_GE(fired5, 3);
    EXPECT_TRUE(KillTimer(hwnd, 5));
    EXPECT_FALSE(KillTimer(hwnd, 5));
    EXPECT_TRUE(KillTimer(hwnd, 6));
    EXPECT_FALSE(RealTimeUntilNextTimer().has_value());
    DestroyWindowHandle(hwnd);
}

bool Readable(int fd) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, 0) == 1;
}

TEST_F(WindowMessagesTest, WakeDescriptorAndPumpServeAnOutsideLoop) {
    RecordingWindow target;
    const HWND hwnd = CreateWindowHandle(&target, L"qt", 0, true);
    const int fd = GetThreadMessageWakeFd();
    PumpThreadMessages();
    EXPECT_FALSE(Readable(fd));
    std::thread([&] { PostMessageW(hwnd, WM_USER + 9, 0, 0); }).join();
    EXPECT_TRUE(Readable(fd));
    PumpThreadMessages();
    EXPECT_FALSE(Readable(fd));
    EXPECT_EQ(target.Messages(), std::vector<UINT>{WM_USER + 9});

    SetTimer(hwnd, 3, 40);
    const auto left = RealTimeUntilNextTimer();
    ASSERT_TRUE(left.has_value());
    EXPECT_LE(*left, std::chrono::milliseconds(40));
    // As the outside loop does: wait on the descriptor until the next timer is due, then pump.
    for (int round = 0; round < 100 && target.Messages().back() != WM_TIMER; ++round) {
        const auto next = RealTimeUntilNextTimer();
        pollfd p{fd, POLLIN, 0};
        ::poll(&p, 1, next ? static_cast<int>(next->count()) : 1000);
        PumpThreadMessages();
    }
    EXPECT_EQ(target.Messages().back(), WM_TIMER);
    KillTimer(hwnd, 3);

    ShowWindow(hwnd, SW_HIDE);
    EXPECT_EQ(target.shown, SW_HIDE);
    DestroyWindowHandle(hwnd);
}

TEST_F(WindowMessagesTest, ShowAndForegroundRequestsRunOnTheOwningThread) {
    RecordingWindow target;
    std::promise<HWND> created;
    std::thread owner([&] {
        created.set_value(CreateWindowHandle(&target, L"shown", 0, false));
        RunLoop();
    });
    const HWND hwnd = created.get_future().get();
    EXPECT_FALSE(ShowWindow(hwnd, SW_SHOW));
    EXPECT_TRUE(SetForegroundWindow(hwnd));
    EXPECT_TRUE(PostMessageW(hwnd, WM_QUIT, 0, 0));
    owner.join();
    EXPECT_EQ(target.shown, SW_SHOW);
    EXPECT_TRUE(target.foreground);
}

}  // namespace
}  // namespace platform
