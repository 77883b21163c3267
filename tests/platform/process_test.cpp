#include "platform/process.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/command_line.h"
#include "platform/paths.h"
#include "platform/process_snapshot.h"
#include "platform/shell_execute.h"
#include "platform/window_messages.h"
#include "tests/support/helper_process.h"
#include "tests/support/other_user.h"
#include "tests/support/sandbox.h"
#include "tests/support/services_helper.h"
#include "tests/support/wait_until.h"

namespace platform {
namespace {

using Args = std::vector<std::wstring>;

TEST(CommandLineTest, SplitsByWindowsQuotingRules) {
    EXPECT_EQ(SplitArguments(L" -n -c 27 -r 31 -x -f \"2026 MINATO.ts\" -d 5 -e -o 1"),
              (Args{L"-n", L"-c", L"27", L"-r", L"31", L"-x", L"-f", L"2026 MINATO.ts", L"-d", L"5",
                    L"-e", L"-o", L"1"}));
    EXPECT_EQ(SplitArguments(LR"(a\\b "c\\" d\"e "f""g" \\\"h)"),
              (Args{LR"(a\\b)", LR"(c\)", LR"(d"e)", LR"(f"g)", LR"(\"h)"}));
    EXPECT_EQ(SplitArguments(L"\"\" x\t\ty"), (Args{L"", L"x", L"y"}));
    EXPECT_EQ(SplitCommandLine(LR"("C:\my app\v.exe" "a b" c)"),
              (Args{LR"(C:\my app\v.exe)", L"a b", L"c"}));
    EXPECT_EQ(SplitCommandLine(L" -n -o 2"), (Args{L"", L"-n", L"-o", L"2"}));
    for (const std::wstring& arg :
         {std::wstring(L"plain"), std::wstring(L"two words"), std::wstring(LR"(tail\)"),
          std::wstring(LR"(q"uo\"te)"), std::wstring(L"")}) {
        EXPECT_EQ(SplitArguments(QuoteArgument(arg)), Args{arg}) << QuoteArgument(arg);
    }
}

class ProcessTest : public ::testing::Test {
  protected:
    std::vector<std::string> Lines(const std::string& name) const {
        std::ifstream in(sandbox.Native(name));
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }
    // Whether a snapshot holds the process; looking at that process alone must tell the same.
    static bool InSnapshot(DWORD pid) {
        bool found = false;
        for (const ProcessEntry& e : TakeProcessSnapshot()) {
            if (e.processId != pid) continue;
            found = true;
            const auto alone = FindProcess(pid);
            EXPECT_TRUE(alone && alone->imageName == e.imageName &&
                        alone->parentProcessId == e.parentProcessId)
                << pid;
        }
        EXPECT_EQ(FindProcess(pid).has_value(), found) << pid;
        return found;
    }
    test_support::Sandbox sandbox;
    std::wstring helper = test_support::ServicesHelperPath();
};

TEST_F(ProcessTest, StartsTheProgramDirectlyInItsWorkingFolderWithItsArguments) {
    const std::wstring out = sandbox.Wide("args.txt");
    DWORD pid = 0;
    ASSERT_TRUE(CreateProcessW(helper, L" args " + out + L" -f \"a b.ts\" $HOME;x",
                               sandbox.Wide(""), &pid));
    EXPECT_EQ(WaitForProcess(pid, 10000), WAIT_OBJECT_0);
    EXPECT_EQ(Lines("args.txt"),
              (std::vector<std::string>{sandbox.Native("").parent_path().native(), "-f", "a b.ts",
                                        "$HOME;x"}));  // no shell: nothing expanded
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeProcess(pid, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_FALSE(CreateProcessW(sandbox.Wide("missing"), L" x", L"", &pid));
}

TEST_F(ProcessTest, WithoutApplicationNameTheProgramComesFromTheCommandLine) {
    // A program whose folder has a blank, named without quotes and with ".exe", as Windows
    // settings name it.
    std::filesystem::create_directories(sandbox.Native("my tools"));
    const auto copy = sandbox.Native("my tools/viewer");
    std::filesystem::copy_file(platform::ToNativePath(helper), copy);
    const std::wstring line =
        FromNativePath(copy.native()) + L".exe args " + sandbox.Wide("out.txt") + L" \"x y\"";
    DWORD pid = 0;
    ASSERT_TRUE(CreateProcessW(L"", line, L"", &pid));
    EXPECT_EQ(test_support::FinishServicesHelper(pid), 0);
    const auto lines = Lines("out.txt");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "x y");
}

TEST_F(ProcessTest, AChildOutlivesItsParentsWaitAndIsReapedWhenItEnds) {
    const DWORD pid = test_support::StartServicesHelper(L"sleep 20000");
    ASSERT_NE(pid, 0u);
    EXPECT_EQ(WaitForProcess(pid, 200), WAIT_TIMEOUT);
    EXPECT_TRUE(InSnapshot(pid));
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeProcess(pid, &code));
    EXPECT_EQ(code, STILL_ACTIVE);
    bool named = false;
    for (const ProcessEntry& e : TakeProcessSnapshot()) {
        if (e.processId == pid)
            named = ImageNamesEqual(e.imageName, L"PLATFORM_SERVICES_HELPER.EXE");
    }
    EXPECT_TRUE(named);

    EXPECT_TRUE(TerminateProcess(pid, 1));
    EXPECT_EQ(WaitForProcess(pid, 10000), WAIT_OBJECT_0);
    EXPECT_FALSE(InSnapshot(pid));
    // Reaped: no zombie is left behind.
    EXPECT_TRUE(test_support::WaitUntil(
        [&] { return !std::filesystem::exists("/proc/" + std::to_string(pid)); }));
    EXPECT_TRUE(GetExitCodeProcess(pid, &code));
    EXPECT_EQ(code, 128u + 9);
    EXPECT_EQ(test_support::RunServicesHelper(L"exit 3"), 3);
}

TEST_F(ProcessTest, SnapshotsNameProcessesAndCompareImagesWithoutCaseOrExe) {
    EXPECT_TRUE(ImageNamesEqual(L"FriioView.exe", L"friioview"));
    EXPECT_TRUE(ImageNamesEqual(L"FRIIOVIEW.EXE", L"FriioView.exe"));
    EXPECT_FALSE(ImageNamesEqual(L"FriioView2", L"FriioView"));
    const auto snapshot = TakeProcessSnapshot();
    ASSERT_FALSE(snapshot.empty());
    EXPECT_TRUE(std::is_sorted(
        snapshot.begin(), snapshot.end(),
        [](const ProcessEntry& a, const ProcessEntry& b) { return a.processId < b.processId; }));
    bool self = false;
    for (const ProcessEntry& e : snapshot) {
        if (e.processId == GetCurrentProcessId()) self = e.imageName == L"platform_tests";
    }
    EXPECT_TRUE(self);
    EXPECT_EQ(WaitForProcess(0x7FFFFFF0, 0), WAIT_OBJECT_0);  // no such process
}

TEST_F(ProcessTest, SnapshotsAndLookupsByNameSeeOnlyTheProcessesOfTheirOwnNamespace) {
    const DWORD mine = test_support::StartServicesHelper(L"sleep 20000");
    const std::string own = std::getenv("ORVANDEL_NAMESPACE");
    ::setenv("ORVANDEL_NAMESPACE", (own + "-beside").c_str(), 1);
    const DWORD beside = test_support::StartServicesHelper(L"sleep 20000");
    ::setenv("ORVANDEL_NAMESPACE", own.c_str(), 1);
    ASSERT_NE(mine, 0u);
    ASSERT_NE(beside, 0u);
    EXPECT_TRUE(InSnapshot(mine));
    EXPECT_FALSE(InSnapshot(beside));
    // This process started without the namespace it has set since.
    EXPECT_TRUE(InSnapshot(GetCurrentProcessId()));
    // Looking for names sees what the snapshot sees.
    const std::vector<std::wstring> helperName = {L"nothing-of-that-name",
                                                  L"Platform_Services_Helper.exe"};
    EXPECT_TRUE(IsProcessRunning(helperName));
    EXPECT_TRUE(IsProcessRunning({L"PLATFORM_TESTS.EXE"}));
    EXPECT_FALSE(IsProcessRunning({L"nothing-of-that-name", L"platform_services"}));
    EXPECT_FALSE(IsProcessRunning({}));
    EXPECT_TRUE(TerminateProcess(mine, 1));
    EXPECT_EQ(WaitForProcess(mine, 10000), WAIT_OBJECT_0);
    EXPECT_FALSE(IsProcessRunning(helperName));  // only the one of the other namespace runs
    EXPECT_TRUE(TerminateProcess(beside, 1));
    EXPECT_EQ(WaitForProcess(beside, 10000), WAIT_OBJECT_0);
}

// The uid a process runs as (its effective one), read as root may.
std::optional<unsigned> UserOf(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(in, line);) {
        unsigned real = 0;
        unsigned effective = 0;
        if (std::sscanf(line.c_str(), "Uid: %u %u", &real, &effective) == 2) return effective;
    }
    return std::nullopt;
}

TEST_F(ProcessTest, AnotherUsersProcessesAreNeverInASnapshotWhateverTheyAreNamed) {
    if (!test_support::CanStartAsOtherUser())
        GTEST_SKIP() << "only root can start a program as another user";
    // Another user's program named as the viewer, with this test's namespace in its environment.
    const test_support::SharedProgramCopy viewer(ToNativePath(helper), "FriioView");
    test_support::HelperProcess other(viewer.Path(), {"sleep", "20000"}, {},
                                      test_support::kOtherUser);
    ASSERT_TRUE(test_support::WaitUntilRunning(other.Pid(), viewer.Path()));
    EXPECT_FALSE(InSnapshot(static_cast<DWORD>(other.Pid())));

    // That user, without a namespace, cannot read the environment of this user's processes: it
    // sees none of them, only its own.
    const test_support::SharedProgramCopy taker(ToNativePath(helper), "platform_services_helper");
    test_support::HelperProcess looking(taker.Path(), {"snapshot"}, {"ORVANDEL_NAMESPACE"},
                                        test_support::kOtherUser);
    std::vector<pid_t> seen;
    for (auto line = looking.ReadLine(); line && *line != "end"; line = looking.ReadLine())
        seen.push_back(static_cast<pid_t>(std::stol(*line)));
    EXPECT_THAT(seen, ::testing::Contains(looking.Pid()));
    EXPECT_THAT(seen, ::testing::Not(::testing::Contains(::getpid())));
    for (const pid_t pid : seen)
        EXPECT_EQ(UserOf(pid).value_or(test_support::kOtherUser), test_support::kOtherUser) << pid;
}

TEST_F(ProcessTest, ShellOpenRunsExecutablesAndHandsDocumentsToXdgOpen) {
    const std::wstring out = sandbox.Wide("opened.txt");
    // A stand-in for the desktop's xdg-open, found first in PATH.
    std::filesystem::create_directories(sandbox.Native("bin"));
    const auto fake = sandbox.Native("bin/xdg-open");
    std::ofstream(fake) << "#!/bin/sh\necho \"$@\" > '" << sandbox.Native("opened.txt").native()
                        << "'\n";
    ::chmod(fake.c_str(), 0755);
    sandbox.SetEnv("PATH", sandbox.Native("bin").native() + ":" + std::getenv("PATH"));

    std::ofstream(sandbox.Native("list.dat")) << "x";
    EXPECT_GT(
        ShellExecuteW(0, L"open", sandbox.Wide("list.dat").c_str(), nullptr, nullptr, SW_SHOW), 32);
    EXPECT_TRUE(test_support::WaitUntil([&] { return !Lines("opened.txt").empty(); }));
    EXPECT_EQ(Lines("opened.txt"), std::vector<std::string>{sandbox.Native("list.dat").native()});

    const std::wstring params = L"args " + sandbox.Wide("exe.txt") + L" \"p q\"";
    EXPECT_GT(ShellExecuteW(0, L"open", helper.c_str(), params.c_str(), nullptr, SW_SHOW), 32);
    EXPECT_TRUE(test_support::WaitUntil([&] { return Lines("exe.txt").size() >= 2; }));
    EXPECT_EQ(Lines("exe.txt").size(), 2u);
    EXPECT_EQ(ShellExecuteW(0, L"open", sandbox.Wide("none.doc").c_str(), nullptr, nullptr, 5),
              SE_ERR_FNF);
    EXPECT_EQ(ShellExecuteW(0, L"print", helper.c_str(), nullptr, nullptr, 5), SE_ERR_NOASSOC);
}

}  // namespace
}  // namespace platform
