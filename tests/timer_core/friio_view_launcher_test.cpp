// Starting the viewer: the command lines the timer gives it, the process id it gets back (also
// when the viewer hands over to a second process) and the window positions it puts back.
#include "timer_core/recording/friio_view_launcher.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/process.h"
#include "platform/registry.h"
#include "shared/shared_memory_readers.h"
#include "tests/support/private_runtime.h"
#include "tests/timer_core/fake_viewer.h"
#include "timer_core/recording/friio_view_processes.h"
#include "timer_core/recording/stoppable_sleep.h"

namespace timer_core {
namespace {

using timer_core_test::FakeViewer;
using Lines = std::vector<std::string>;

class FriioViewLauncherTest : public ::testing::Test {
  protected:
    void SetUp() override { test_support::UsePrivateRuntime(); }

    // The working folder and arguments the fake viewer was started with.
    Lines Started(const FakeViewer& viewer) {
        auto lines = viewer.Report("args.txt");
        viewer.Forget("args.txt");
        return lines.value_or(Lines{"(not started)"});
    }

    timer_core_test::PrivateHome home_;
};

TEST_F(FriioViewLauncherTest, CommandLinesCarryTheChannelTheRecordingAndTheDevice) {
    FakeViewer viewer("args");
    const std::string folder = viewer.Folder().string();
    FriioViewLauncher launcher;
    launcher.SetPath(viewer.Path());

    // A viewer tuned for follow mode, started in the viewer's own folder.
    EXPECT_EQ(launcher.StartOnChannel(27, 2), 1);
    EXPECT_EQ(Started(viewer), (Lines{folder, "-n", "-c", "27", "-o", "2"}));

    // A stand-alone recording of 31 minutes on device 1 with the viewer's error log; the file
    // name (with a blank) stays one argument, the BS channel value is written in decimal.
    EXPECT_EQ(launcher.StartRecording(5, 31, nullptr, 0x40010, L"202612042100 1-夜の番組.ts", 1, 0),
              1);
    EXPECT_EQ(Started(viewer), (Lines{folder, "-n", "-c", "262160", "-r", "31", "-x", "-f",
                                      "202612042100 1-夜の番組.ts", "-d", "5", "-e", "-o", "1"}));
    EXPECT_EQ(launcher.StartRecording(5, 90, nullptr, 27, L"a.ts", 0, 1), 1);
    EXPECT_EQ(Started(viewer), (Lines{folder, "-n", "-c", "27", "-r", "90", "-x", "-f", "a.ts",
                                      "-d", "5", "-o", "0"}));

    EXPECT_EQ(launcher.StartForEpg(3), 1);
    EXPECT_EQ(Started(viewer), (Lines{folder, "-n", "-o", "3"}));
}

// A viewer's start costs real time whatever the clock's rate. The timed EPG acquisition gives a
// new viewer four seconds of clock before it reads the tuner kind its plug-in publishes; a viewer
// that takes a second and a half of real time to come up (7.5 s of this clock) is ready then.
TEST_F(FriioViewLauncherTest, AViewerSlowToStartHasPublishedItsTunerKindAfterTheUsualPause) {
    FakeViewer viewer("viewer");
    viewer.StartSlowly(1500);
    FriioViewLauncher launcher;
    launcher.SetPath(viewer.Path());
    platform::DWORD pid = 0;
    ASSERT_EQ(launcher.StartForEpg(1, &pid), 1);
    SleepUnlessStopped(4000, nullptr);
    std::int32_t kind = 0;
    EXPECT_EQ(shared::ReadPluginFriioId(pid, &kind), 1);
    EXPECT_EQ(kind, 1);
    platform::TerminateProcess(pid, 1);
    EXPECT_EQ(platform::WaitForProcess(pid, timer_core_test::kProcessEndMs),
              platform::WAIT_OBJECT_0);
}

TEST_F(FriioViewLauncherTest, WithoutAPathNothingStartsAndAMissingProgramKeepsTheId) {
    FriioViewLauncher launcher;
    platform::DWORD pid = 77;
    EXPECT_EQ(launcher.StartForEpg(0, &pid), 0);
    EXPECT_EQ(launcher.StartOnChannel(27, 0, &pid), 0);
    EXPECT_EQ(launcher.StartRecording(5, 30, &pid, 27, L"a.ts", 0, 0), 0);
    launcher.SetPath(timer_core_test::FreshFolder("missing").wstring() + L"/FriioView.exe");
    EXPECT_EQ(launcher.StartForEpg(0, &pid), 1);
    EXPECT_EQ(pid, 77u);
}

TEST_F(FriioViewLauncherTest, AViewerThatHandsOverToASecondProcessGivesTheSecondsId) {
    const FakeViewer handedTo("stubborn");
    const FakeViewer viewer(FakeViewer::HandingOverTo{handedTo});
    FriioViewLauncher launcher;
    launcher.SetPath(viewer.Path());
    platform::DWORD pid = 0;
    ASSERT_EQ(launcher.StartForEpg(0, &pid), 1);
    const auto second = viewer.Report("second.pid");
    ASSERT_TRUE(second.has_value());
    EXPECT_EQ(std::to_string(pid), second->at(0));
    EXPECT_EQ(IsFriioViewPid(pid, platform::TakeProcessSnapshot()), 1);
    EXPECT_EQ(IsFriioViewRunning(platform::TakeProcessSnapshot()), 1);
    std::vector<platform::DWORD> viewers;
    EXPECT_EQ(ListFriioViewPids(&viewers), 1);
    EXPECT_EQ(viewers, std::vector<platform::DWORD>{pid});
    platform::TerminateProcess(pid, 1);
    EXPECT_EQ(platform::WaitForProcess(pid, timer_core_test::kProcessEndMs),
              platform::WAIT_OBJECT_0);
    EXPECT_EQ(IsFriioViewRunning(platform::TakeProcessSnapshot()), 0);
    viewers.clear();
    EXPECT_EQ(ListFriioViewPids(&viewers), 0);
    EXPECT_TRUE(viewers.empty());
}

TEST_F(FriioViewLauncherTest, AProgramThatIsNoViewerAndStartsNoneLeavesTheIdAsItWas) {
    // The started program is not a viewer and no new viewer appears in the pause after it.
    FakeViewer viewer("args", "viewer_starter");
    FriioViewLauncher launcher;
    launcher.SetPath(viewer.Path());
    platform::DWORD pid = 77;
    EXPECT_EQ(launcher.StartForEpg(1, &pid), 1);
    EXPECT_EQ(pid, 77u);
    EXPECT_EQ(Started(viewer).size(), 4u);
}

TEST_F(FriioViewLauncherTest, WindowPositionsRememberedAtTheStartAreWrittenBack) {
    FriioViewLauncher launcher;
    // No key: nothing to remember and nothing written.
    EXPECT_EQ(launcher.LoadWindowPos(), 0);
    EXPECT_EQ(launcher.SaveWindowPos(), 0);
    EXPECT_FALSE(platform::RegistryKey::Open(L"Software\\Friio").has_value());

    auto key = platform::RegistryKey::Create(L"Software\\Friio");
    ASSERT_TRUE(key.has_value());
    ASSERT_TRUE(key->SetString(L"Area", L"東京"));
    // The key without positions: nothing to write back.
    EXPECT_EQ(launcher.LoadWindowPos(), 1);
    EXPECT_EQ(launcher.SaveWindowPos(), 0);

    const std::string video("\x0A\0\0\0\x14\0\0\0\x6E\x01\0\0\x28\x01\0\0", 16);
    const std::string control("\x1E\0\0\0\x28\0\0\0\x82\x01\0\0\x3C\x01\0\0", 16);
    ASSERT_TRUE(key->SetBinary(L"VideoWindowPos", video));
    ASSERT_TRUE(key->SetBinary(L"ControlWindowPos", control));
    EXPECT_EQ(launcher.LoadWindowPos(), 1);
    // The viewer moves its windows meanwhile.
    ASSERT_TRUE(key->SetBinary(L"VideoWindowPos", std::string(16, '\x7F')));
    ASSERT_TRUE(key->SetString(L"ControlWindowPos", L"moved"));
    EXPECT_EQ(launcher.SaveWindowPos(), 1);
    const auto videoBack = key->QueryValue(L"VideoWindowPos");
    const auto controlBack = key->QueryValue(L"ControlWindowPos");
    ASSERT_TRUE(videoBack && controlBack);
    EXPECT_EQ(videoBack->type, platform::REG_BINARY);
    EXPECT_EQ(videoBack->data, video);
    EXPECT_EQ(controlBack->type, platform::REG_BINARY);
    EXPECT_EQ(controlBack->data, control);
    EXPECT_EQ(key->QueryString(L"Area"), L"東京");
}

}  // namespace
}  // namespace timer_core
