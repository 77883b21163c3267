// The list of programs that keep the PC awake: loading, saving, and a running process of a
// listed name.
#include "timer_core/power/suppression_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/private_profile.h"
#include "platform/process.h"
#include "platform/process_snapshot.h"
#include "tests/support/sandbox.h"
#include "tests/support/services_helper.h"
#include "tests/timer_core/scheduler_fixture.h"

namespace scheduler_test {
namespace {

using Names = std::vector<std::wstring>;
using SuppressionListTest = SchedulerFixture;

TEST_F(SuppressionListTest, EmptyValuesAreSkippedAndSavingNumbersTheRestAfresh) {
    Ini(L"NO_SUSPEND", L"Count", L"4");
    Ini(L"NO_SUSPEND", L"0", L"録画編集.exe");
    Ini(L"NO_SUSPEND", L"1", L"");
    Ini(L"NO_SUSPEND", L"3", L"encoder.exe");
    timer_core::SuppressionList list(manager_.IniPath());
    list.LoadList();
    EXPECT_EQ(list.names(), (Names{L"録画編集.exe", L"encoder.exe"}));

    list.names().push_back(L"backup.exe");
    list.SaveList();
    timer_core::SuppressionList again(manager_.IniPath());
    again.LoadList();
    EXPECT_EQ(again.names(), (Names{L"録画編集.exe", L"encoder.exe", L"backup.exe"}));
    wchar_t value[64];
    platform::GetPrivateProfileStringW(L"NO_SUSPEND", L"1", L"", value, 64,
                                       manager_.IniPath().c_str());
    EXPECT_EQ(std::wstring(value), L"encoder.exe");
    EXPECT_EQ(
        platform::GetPrivateProfileIntW(L"NO_SUSPEND", L"Count", 0, manager_.IniPath().c_str()),
        3u);
}

TEST_F(SuppressionListTest, ARunningListedProgramInAnyCaseKeepsThePcAwake) {
    timer_core::SuppressionList list(manager_.IniPath());
    list.names() = {L"みなと録画監視.exe"};
    list.SaveList();
    EXPECT_EQ(list.IsBlockingProcessRunning(), 0);

    platform::DWORD pid = 0;
    ASSERT_TRUE(
        platform::CreateProcessW(test_support::ServicesHelperPath(), L" sleep 600000", L"", &pid));
    ASSERT_TRUE(timer_core_test::WaitUntil([&] {
        for (const auto& process : platform::TakeProcessSnapshot())
            if (process.processId == pid) return true;
        return false;
    }));
    list.names().push_back(L"PLATFORM_SERVICES_HELPER.EXE");
    list.SaveList();
    list.names().clear();  // reloaded from the file by the check
    EXPECT_EQ(list.IsBlockingProcessRunning(), 1);
    EXPECT_EQ(list.names().size(), 2u);

    // The scheduler asks it too, whether or not anything lies ahead: with nothing to wake for
    // no wake-up is armed, with a reservation one is, and in both cases the PC may not sleep.
    SetClock(Today(12, 0));
    EXPECT_EQ(manager_.SetNextWakeUp(), 0);
    EXPECT_TRUE(PowerRequests().empty());
    Add(L"港町ドラマ", Today(21, 0), 60);
    EXPECT_EQ(manager_.SetNextWakeUp(), 0);
    EXPECT_FALSE(PowerRequests().empty());

    platform::TerminateProcess(pid, 1);
    EXPECT_EQ(platform::WaitForProcess(pid, timer_core_test::kProcessEndMs),
              platform::WAIT_OBJECT_0);
    EXPECT_EQ(list.IsBlockingProcessRunning(), 0);
    EXPECT_EQ(manager_.SetNextWakeUp(), 1);
}

}  // namespace
}  // namespace scheduler_test
