// Messages between processes: posts in order per sender, sends with their results, requests, and
// what happens when the other process dies, and the messages that never leave their process.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <future>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/last_error.h"
#include "platform/message_route.h"
#include "platform/process_windows.h"
#include "platform/window_messages.h"
#include "tests/support/helper_process.h"
#include "tests/support/private_runtime.h"

namespace platform {
namespace {

using test_support::HelperProcess;

constexpr UINT kStallMessage = WM_USER + 50;
constexpr UINT kDieMessage = WM_USER + 51;

class WindowMessagesCrossProcessTest : public ::testing::Test {
  protected:
    void SetUp() override { test_support::UsePrivateRuntime(); }
};

// Starts a helper window and returns its handle (0 when it did not come up).
HWND StartWindow(HelperProcess& helper) {
    const auto line = helper.Expect("hwnd ");
    return line ? static_cast<HWND>(std::strtoul(line->c_str(), nullptr, 10)) : 0;
}

std::string Msg(UINT message, unsigned long wParam, long lParam = 0) {
    return std::to_string(message) + " " + std::to_string(wParam) + " " + std::to_string(lParam);
}

TEST_F(WindowMessagesCrossProcessTest, PostsFromEachSenderArriveInOrder) {
    HelperProcess receiver(PLATFORM_TEST_HELPER, {"window", "receiver", "0", "1"});
    const HWND hwnd = StartWindow(receiver);
    ASSERT_NE(hwnd, 0u);
    // Two other processes and this one post at the same time.
    const std::string target = std::to_string(hwnd);
    HelperProcess senderA(PLATFORM_TEST_HELPER,
                          {"post", target, std::to_string(WM_USER + 1), "300"});
    HelperProcess senderB(PLATFORM_TEST_HELPER,
                          {"post", target, std::to_string(WM_USER + 2), "300"});
    for (int i = 0; i < 300; ++i)
        ASSERT_TRUE(PostMessageW(hwnd, WM_USER + 3, i, -i));
    EXPECT_EQ(senderA.Expect("posted "), "300");
    EXPECT_EQ(senderB.Expect("posted "), "300");
    int next[3] = {0, 0, 0};
    while (next[0] + next[1] + next[2] < 900) {
        const auto line = receiver.Expect("msg ");
        ASSERT_TRUE(line.has_value());
        const UINT message = static_cast<UINT>(std::strtoul(line->c_str(), nullptr, 10));
        const int sender = static_cast<int>(message - (WM_USER + 1));
        ASSERT_TRUE(sender >= 0 && sender < 3) << *line;
        const long lParam = sender == 2 ? -next[sender] : 0;
        ASSERT_EQ(*line, Msg(message, next[sender], lParam));
        ++next[sender];
    }
}

TEST_F(WindowMessagesCrossProcessTest, SendReturnsTheOtherProcesssResult) {
    HelperProcess helper(PLATFORM_TEST_HELPER, {"window", "sendee", "0", "1"});
    const HWND hwnd = StartWindow(helper);
    ASSERT_NE(hwnd, 0u);
    EXPECT_EQ(SendMessageW(hwnd, 0x101C, 20, 0), 41);
    EXPECT_EQ(helper.Expect("msg "), Msg(0x101C, 20));
    // Requests are carried out by the owning process.
    ShowWindow(hwnd, SW_RESTORE);
    EXPECT_EQ(helper.Expect("show "), "9");
    EXPECT_TRUE(SetForegroundWindow(hwnd));
    EXPECT_TRUE(helper.Expect("foreground").has_value());
    // WM_CLOSE ends the helper's loop.
    EXPECT_TRUE(PostMessageW(hwnd, WM_CLOSE, 0, 0));
    EXPECT_TRUE(helper.Expect("quit").has_value());
}

TEST_F(WindowMessagesCrossProcessTest, SendToAProcessThatDiesGivesZeroAtOnce) {
    HelperProcess helper(PLATFORM_TEST_HELPER, {"window", "dies", "0", "1"});
    const HWND hwnd = StartWindow(helper);
    ASSERT_NE(hwnd, 0u);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(SendMessageW(hwnd, kDieMessage, 1, 0), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    helper.Wait();
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST_F(WindowMessagesCrossProcessTest, SendToAStalledWindowGivesUpAfterItsBound) {
    HelperProcess helper(PLATFORM_TEST_HELPER, {"window", "stalls", "0", "1"});
    const HWND hwnd = StartWindow(helper);
    ASSERT_NE(hwnd, 0u);
    // The helper stops pumping until it is given a line.
    ASSERT_TRUE(PostMessageW(hwnd, kStallMessage, 0, 0));
    ASSERT_TRUE(helper.Expect("stall").has_value());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(SendMessageW(hwnd, WM_USER, 1, 0), 0);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::seconds(10));
    EXPECT_LT(waited, std::chrono::seconds(14));
}

TEST_F(WindowMessagesCrossProcessTest, PostToADeadOrUnknownWindowFails) {
    EXPECT_FALSE(PostMessageW(0x12345678, WM_USER, 0, 0));
    EXPECT_EQ(SendMessageW(0x12345678, WM_USER, 0, 0), 0);
    HelperProcess helper(PLATFORM_TEST_HELPER, {"window", "killed", "0", "1"});
    const HWND hwnd = StartWindow(helper);
    ASSERT_NE(hwnd, 0u);
    EXPECT_TRUE(PostMessageW(hwnd, WM_USER, 0, 0));
    helper.Kill();
    EXPECT_FALSE(PostMessageW(hwnd, WM_USER, 0, 0));
    EXPECT_EQ(SendMessageW(hwnd, WM_USER, 0, 0), 0);
    EXPECT_FALSE(ShowWindow(hwnd, SW_SHOW));
    EXPECT_FALSE(SetForegroundWindow(hwnd));
}

TEST_F(WindowMessagesCrossProcessTest, PostThreadMessageReachesAThreadOfAnotherProcess) {
    HelperProcess helper(PLATFORM_TEST_HELPER, {"window", "thread", "0", "1"});
    const auto line = helper.Expect("hwnd ");
    ASSERT_TRUE(line.has_value());
    const DWORD tid =
        static_cast<DWORD>(std::strtoul(line->substr(line->find("tid ") + 4).c_str(), nullptr, 10));
    EXPECT_TRUE(PostThreadMessageW(tid, WM_QUIT, 0, 0));
    EXPECT_TRUE(helper.Expect("quit").has_value());
    helper.Wait();
    EXPECT_FALSE(PostThreadMessageW(tid, WM_QUIT, 0, 0));
}

// Records what a window of this process receives.
class RecordingWindow : public WindowTarget {
  public:
    LRESULT WindowProc(UINT message, WPARAM, LPARAM) override {
        received.push_back(message);
        return 0;
    }
    std::vector<UINT> received;
};

// Waits (real time) for the reply to a send request of this thread; nullopt after 5 s.
std::optional<LRESULT> AwaitReply(ThreadQueue& self, std::uint64_t requestId) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < end) {
        const std::uint64_t seen = self.Generation();
        if (const auto result = self.TakeReply(requestId)) return result;
        self.WaitForChange(seen, std::chrono::milliseconds(100));
    }
    self.ForgetRequest(requestId);
    return std::nullopt;
}

TEST_F(WindowMessagesCrossProcessTest, PointerAndWindowLifeMessagesStayInTheProcessThatMadeThem) {
    const std::string log = (test_support::UsePrivateRuntime() / "local-only.log").string();
    HelperProcess receiver(PLATFORM_TEST_HELPER, {"window", "receiver", "0", "1"},
                           {"ORVANDEL_DEBUG_LOG=" + log});
    const auto line = receiver.Expect("hwnd ");
    ASSERT_TRUE(line.has_value());
    const auto hwnd = static_cast<HWND>(std::strtoul(line->c_str(), nullptr, 10));
    const auto tid =
        static_cast<DWORD>(std::strtoul(line->substr(line->find("tid ") + 4).c_str(), nullptr, 10));
    const auto pid = static_cast<DWORD>(receiver.Pid());
    const auto self = ProcessWindows::Instance().CurrentQueue();
    constexpr UINT kLocalOnly[] = {WM_CREATE,
                                   WM_DESTROY,
                                   0x000C /* WM_SETTEXT */,
                                   0x004A /* WM_COPYDATA */,
                                   WM_NOTIFY,
                                   WM_NCCREATE,
                                   WM_NCDESTROY,
                                   WM_DROPFILES};
    for (const UINT message : kLocalOnly) {
        SCOPED_TRACE(message);
        // This layer refuses to carry them to another process.
        EXPECT_FALSE(PostMessageW(hwnd, message, 1, 0x1234));
        EXPECT_EQ(GetLastError(), ERROR_MESSAGE_SYNC_ONLY);
        EXPECT_EQ(SendMessageW(hwnd, message, 1, 0x1234), 0);
        EXPECT_FALSE(PostThreadMessageW(tid, message, 1, 0x1234));
        // A program that writes the datagrams itself gets them there; the receiver drops them,
        // and answers a send at once.
        RoutedMessage raw;
        raw.hwnd = hwnd;
        raw.message = message;
        raw.wParam = 1;
        raw.lParam = 0x1234;
        EXPECT_TRUE(RouteMessage(pid, raw));
        raw.kind = RouteKind::PostThread;
        raw.targetTid = tid;
        EXPECT_TRUE(RouteMessage(pid, raw));
        raw.kind = RouteKind::Send;
        raw.replyPid = static_cast<DWORD>(::getpid());
        raw.replyTid = self->ThreadId();
        raw.requestId = self->NewRequest();
        EnsureReachable();
        EXPECT_TRUE(RouteMessage(pid, raw));
        EXPECT_EQ(AwaitReply(*self, raw.requestId), 0);
    }
    // Datagrams of one sender arrive in order: the first message the window gets is this one.
    ASSERT_TRUE(PostMessageW(hwnd, WM_USER + 9, 7, 0));
    EXPECT_EQ(receiver.Expect("msg "), Msg(WM_USER + 9, 7));
    std::ifstream in(log);
    int dropped = 0;
    for (std::string text; std::getline(in, text);)
        dropped += text.find("dropped") != std::string::npos ? 1 : 0;
    EXPECT_EQ(dropped, 3 * static_cast<int>(std::size(kLocalOnly)));

    // Within a process they are carried as before.
    RecordingWindow own;
    const HWND mine = CreateWindowHandle(&own, L"own", 0, false);
    ASSERT_NE(mine, 0u);
    EXPECT_TRUE(PostMessageW(mine, WM_NOTIFY, 0, 0));
    EXPECT_TRUE(PostMessageW(mine, WM_DESTROY, 0, 0));
    PumpThreadMessages();
    EXPECT_EQ(own.received, (std::vector<UINT>{WM_NOTIFY, WM_DESTROY}));
    DestroyWindowHandle(mine);
}

}  // namespace
}  // namespace platform
