// The user's windows as every process sees them: enumeration, titles in both encodings, owner,
// visibility, the hang test, and window timers on a simulated clock.
#include "platform/window_registry.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/window_messages.h"
#include "tests/support/helper_process.h"
#include "tests/support/private_runtime.h"
#include "tests/support/wait_until.h"

namespace platform {
namespace {

using test_support::HelperProcess;

constexpr UINT kStallMessage = WM_USER + 50;

class WindowRegistryTest : public ::testing::Test {
  protected:
    void SetUp() override { test_support::UsePrivateRuntime(); }
};

class NullWindow : public WindowTarget {
  public:
    LRESULT WindowProc(UINT, WPARAM, LPARAM) override { return 0; }
};

HWND StartWindow(HelperProcess& helper) {
    const auto line = helper.Expect("hwnd ");
    return line ? static_cast<HWND>(std::strtoul(line->c_str(), nullptr, 10)) : 0;
}

BOOL CollectWindow(HWND hwnd, LPARAM lParam) {
    reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hwnd);
    return TRUE;
}

std::vector<HWND> AllWindows() {
    std::vector<HWND> all;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&all));
    return all;
}

TEST_F(WindowRegistryTest, OtherProcessesWindowsAreSeenWithTheirTitlesOwnerAndVisibility) {
    NullWindow mine;
    const HWND own = CreateWindowHandle(&mine, L"Orvandel メッセージ", 0, false);
    ASSERT_NE(own, 0u);
    HelperProcess viewer(PLATFORM_TEST_HELPER, {"window", "Friio HDTV Player", "0", "1"});
    const HWND main = StartWindow(viewer);
    HelperProcess owned(PLATFORM_TEST_HELPER,
                        {"window", "Friio HDTV Player", std::to_string(main), "1"});
    const HWND child = StartWindow(owned);
    ASSERT_NE(main, 0u);
    ASSERT_NE(child, 0u);
    EXPECT_NE(main, child);

    // Newest first.
    EXPECT_EQ(AllWindows(), (std::vector<HWND>{child, main, own}));
    DWORD pid = 0;
    EXPECT_NE(GetWindowThreadProcessId(main, &pid), 0u);
    EXPECT_EQ(pid, static_cast<DWORD>(viewer.Pid()));
    EXPECT_EQ(GetWindow(main, GW_OWNER), 0u);
    EXPECT_EQ(GetWindow(child, GW_OWNER), main);
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_FALSE(IsWindowVisible(own));
    EXPECT_TRUE(SetWindowVisibleState(own, true));
    EXPECT_TRUE(IsWindowVisible(own));
    EXPECT_FALSE(SetWindowVisibleState(main, false));  // not this process's window

    char narrow[256];
    EXPECT_EQ(GetWindowTextA(main, narrow, sizeof narrow), 17);
    EXPECT_STREQ(narrow, "Friio HDTV Player");
    EXPECT_EQ(GetWindowTextA(main, narrow, 6), 5);  // cut to fit, terminated
    EXPECT_STREQ(narrow, "Friio");
    GetWindowTextA(own, narrow, sizeof narrow);
    EXPECT_STREQ(narrow, "Orvandel \x83\x81\x83\x62\x83\x5A\x81\x5B\x83\x57");  // code page 932

    EXPECT_EQ(FindWindowW(nullptr, L"FRIIO HDTV PLAYER"), child);
    EXPECT_EQ(FindWindowW(nullptr, L"Orvandel メッセージ"), own);
    EXPECT_TRUE(SetWindowTextW(own, L"renamed"));
    EXPECT_EQ(FindWindowW(nullptr, L"Orvandel メッセージ"), 0u);
    EXPECT_EQ(FindWindowW(nullptr, L"Renamed"), own);
    EXPECT_TRUE(SetWindowTextW(own, L"ｒｅｎａｍｅｄ"));  // full-width letters fold too
    EXPECT_EQ(FindWindowW(nullptr, L"ＲＥＮＡＭＥＤ"), own);

    // A killed process's windows disappear from every query.
    owned.Kill();
    EXPECT_EQ(AllWindows(), (std::vector<HWND>{main, own}));
    EXPECT_FALSE(IsWindow(child));
    EXPECT_EQ(GetWindowThreadProcessId(child, &pid), 0u);
    EXPECT_EQ(GetWindowTextA(child, narrow, sizeof narrow), 0);
    EXPECT_EQ(FindWindowW(nullptr, L"Friio HDTV Player"), main);
    DestroyWindowHandle(own);
}

TEST_F(WindowRegistryTest, HandlesAreUniqueAndNeverZero) {
    NullWindow target;
    std::vector<HWND> handles;
    for (int i = 0; i < 200; ++i) {
        const HWND hwnd = CreateWindowHandle(&target, L"many", 0, true);
        ASSERT_NE(hwnd, 0u);
        handles.push_back(hwnd);
    }
    std::sort(handles.begin(), handles.end());
    EXPECT_EQ(std::adjacent_find(handles.begin(), handles.end()), handles.end());
    for (const HWND hwnd : handles)
        DestroyWindowHandle(hwnd);
    EXPECT_TRUE(AllWindows().empty());
}

TEST_F(WindowRegistryTest, AStalledWindowIsHungAndABusyButPumpingOneIsNot) {
    HelperProcess idle(PLATFORM_TEST_HELPER, {"window", "idle", "0", "1"});
    HelperProcess stalled(PLATFORM_TEST_HELPER, {"window", "stalled", "0", "1"});
    HelperProcess busy(PLATFORM_TEST_HELPER, {"busy-window", "busy", "60"});
    const HWND idleHwnd = StartWindow(idle);
    const HWND stalledHwnd = StartWindow(stalled);
    const HWND busyHwnd = StartWindow(busy);
    ASSERT_NE(idleHwnd, 0u);
    ASSERT_NE(stalledHwnd, 0u);
    ASSERT_NE(busyHwnd, 0u);
    // The stalled window stops pumping until it is given a line; then a message waits for it.
    ASSERT_TRUE(PostMessageW(stalledHwnd, kStallMessage, 0, 0));
    ASSERT_TRUE(stalled.Expect("stall").has_value());
    const auto waitingSince = std::chrono::steady_clock::now();
    ASSERT_TRUE(PostMessageW(stalledHwnd, WM_USER, 0, 0));
    // Meanwhile the busy window, which pumps between its steps, keeps getting messages.
    bool busyEverHung = false;
    auto lastPost = std::chrono::steady_clock::time_point{};
    const bool stalledHung = test_support::WaitUntil(
        [&] {
            const auto now = std::chrono::steady_clock::now();
            if (now - lastPost >= std::chrono::milliseconds(100)) {
                PostMessageW(busyHwnd, WM_USER, 0, 0);
                lastPost = now;
            }
            busyEverHung |= IsHungAppWindow(busyHwnd) != 0;
            return IsHungAppWindow(stalledHwnd) != 0;
        },
        30000);
    ASSERT_TRUE(stalledHung);
    // Not before a message had waited for five seconds of real time.
    EXPECT_GE(std::chrono::steady_clock::now() - waitingSince, std::chrono::milliseconds(4990));
    EXPECT_FALSE(busyEverHung);
    // A window with nothing waiting is fine, however long its thread has not pumped.
    EXPECT_FALSE(IsHungAppWindow(idleHwnd));
    // Once it pumps again it is no longer hung.
    stalled.WriteLine("go");
    EXPECT_TRUE(stalled.Expect("msg " + std::to_string(kStallMessage)).has_value());
    EXPECT_TRUE(test_support::WaitUntil([&] { return IsHungAppWindow(stalledHwnd) == 0; }));
}

// A stopped process takes nothing into its queues, so nothing waits there: its window is hung
// once a message posted to it has been on its way for five seconds. A live window that takes its
// messages in is never hung by them, and the stopped one is no longer hung once it goes on.
TEST_F(WindowRegistryTest, AWindowOfAStoppedProcessIsHungOnceAPostWentUnansweredFiveSeconds) {
    HelperProcess live(PLATFORM_TEST_HELPER, {"window", "live", "0", "1"});
    HelperProcess stopped(PLATFORM_TEST_HELPER, {"window", "stopped", "0", "1"});
    const HWND liveHwnd = StartWindow(live);
    const HWND stoppedHwnd = StartWindow(stopped);
    ASSERT_NE(liveHwnd, 0u);
    ASSERT_NE(stoppedHwnd, 0u);
    ASSERT_TRUE(PostMessageW(liveHwnd, WM_USER, 1, 0));
    ASSERT_TRUE(live.Expect("msg " + std::to_string(WM_USER) + " 1 ").has_value());
    ASSERT_EQ(::kill(stopped.Pid(), SIGSTOP), 0);
    siginfo_t info{};
    ASSERT_EQ(::waitid(P_PID, static_cast<id_t>(stopped.Pid()), &info, WSTOPPED | WNOWAIT), 0);
    // Stopped with nothing sent to it: not hung.
    EXPECT_FALSE(IsHungAppWindow(stoppedHwnd));
    ASSERT_TRUE(PostMessageW(stoppedHwnd, WM_USER, 2, 0));
    const auto posted = std::chrono::steady_clock::now();
    ASSERT_TRUE(test_support::WaitUntil([&] { return IsHungAppWindow(stoppedHwnd) != 0; }, 30000));
    EXPECT_GE(std::chrono::steady_clock::now() - posted, std::chrono::milliseconds(4990));
    // The live window has not looked at its queue for as long, with nothing on its way.
    EXPECT_FALSE(IsHungAppWindow(liveHwnd));
    ASSERT_EQ(::kill(stopped.Pid(), SIGCONT), 0);
    EXPECT_TRUE(stopped.Expect("msg " + std::to_string(WM_USER) + " 2 ").has_value());
    EXPECT_TRUE(test_support::WaitUntil([&] { return IsHungAppWindow(stoppedHwnd) == 0; }));
}

TEST_F(WindowRegistryTest, WindowTimersRunAtTheSimulatedRate) {
    SYSTEMTIME start{};
    start.wYear = 2024;
    start.wMonth = 5;
    start.wDay = 1;
    start.wHour = 12;
    // 1000 ms of clock time at 20 times real speed: 50 ms apart in real time.
    HelperProcess helper(PLATFORM_TEST_HELPER, {"timer-window", "1000", "4"},
                         {"ORVANDEL_SIM_CLOCK=" + FormatSimClockSetting(start, 20.0)});
    ASSERT_NE(StartWindow(helper), 0u);
    std::vector<long> at;
    for (int i = 0; i < 4; ++i) {
        const auto line = helper.Expect("timer ");
        ASSERT_TRUE(line.has_value());
        at.push_back(std::strtol(line->c_str(), nullptr, 10));
    }
    EXPECT_GE(at[0], 45);
    EXPECT_GE(at[3], 4 * 45);
    EXPECT_LT(at[3], 2500);  // far below the four real seconds of an unscaled timer
}

}  // namespace
}  // namespace platform
