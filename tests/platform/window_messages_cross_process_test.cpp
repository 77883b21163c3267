// Messages between processes: posts in order per sender, sends with their results, requests, and
// what happens when the other process dies.
#include <gtest/gtest.h>

#include <cstdlib>
#include <future>
#include <string>
#include <thread>

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

}  // namespace
}  // namespace platform
