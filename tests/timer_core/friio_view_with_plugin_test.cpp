// The real FriioView stand-in, started and closed as the timer does it: with the real plug-in,
// whose objects and window the timer's side of the protocol reaches, and without one, where every
// reader and every post reports the plug-in missing.
#ifdef FRIIOVIEW_PATH

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tools/collection_world.h"
#include "platform/clock.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "shared/friio_view_window.h"
#include "shared/plugin_posts.h"
#include "shared/shared_memory_layouts.h"
#include "shared/shared_memory_readers.h"
#include "tests/support/private_runtime.h"
#include "tests/timer_core/fake_viewer.h"
#include "timer_core/recording/friio_view_launcher.h"
#include "timer_core/recording/friio_view_processes.h"
#include "timer_core/recording/friio_view_windows.h"

namespace timer_core {
namespace {

namespace fs = std::filesystem;
using timer_core_test::WaitUntil;

// Generous: the viewer is a Qt program and the machine may be busy.
constexpr int kViewerStartMs = 20000;

const std::string kVideoPos("\x0A\0\0\0\x14\0\0\0\x6E\x01\0\0\x28\x01\0\0", 16);
const std::string kControlPos("\x1E\0\0\0\x28\0\0\0\x82\x01\0\0\x3C\x01\0\0", 16);

class FriioViewWithPluginTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test_support::UsePrivateRuntime();
        ASSERT_TRUE(world_.PrepareViewerFolder({}));
        auto key = platform::RegistryKey::Create(L"Software\\Friio");
        ASSERT_TRUE(key.has_value());
        ASSERT_TRUE(key->SetBinary(L"VideoWindowPos", kVideoPos));
        ASSERT_TRUE(key->SetBinary(L"ControlWindowPos", kControlPos));
        launcher_.SetPath(platform::FromNativePath(world_.ViewerPath().native()));
    }
    void TearDown() override {
        if (pid_ != 0 && platform::WaitForProcess(pid_, 0) != platform::WAIT_OBJECT_0) {
            platform::TerminateProcess(pid_, 1);
            platform::WaitForProcess(pid_, timer_core_test::kProcessEndMs);
        }
    }

    // Waits for the viewer's end; its exit code (128 + 9 when it was killed), or -1.
    int ExitCode() const {
        if (platform::WaitForProcess(pid_, timer_core_test::kProcessEndMs) !=
            platform::WAIT_OBJECT_0)
            return -1;
        platform::DWORD code = 0;
        return platform::GetExitCodeProcess(pid_, &code) ? static_cast<int>(code) : -1;
    }
    // The viewer ends by itself, is reaped (no zombie is left) and the timer's wait for it
    // returns at once.
    void ExpectEndedByItself() const {
        const int code = ExitCode();
        EXPECT_NE(code, -1);
        EXPECT_NE(code, 128 + 9);
        EXPECT_TRUE(WaitUntil([&] { return !fs::exists("/proc/" + std::to_string(pid_)); }));
        const std::uint64_t start = platform::GetTickCount64();
        TerminateViewer(pid_);
        EXPECT_LT(platform::GetTickCount64() - start, timer_core_test::kEarlyMs);
    }
    // The positions remembered at the start are put back over whatever the viewer left.
    void ExpectPositionsRestored() {
        auto key = platform::RegistryKey::Open(L"Software\\Friio");
        ASSERT_TRUE(key.has_value());
        ASSERT_TRUE(key->SetBinary(L"VideoWindowPos", std::string(16, '\x7F')));
        EXPECT_EQ(launcher_.SaveWindowPos(), 1);
        EXPECT_EQ(key->QueryValue(L"VideoWindowPos")->data, kVideoPos);
        EXPECT_EQ(key->QueryValue(L"ControlWindowPos")->data, kControlPos);
    }

    timer_core_test::PrivateHome home_;
    tools::CollectionWorld world_{timer_core_test::FreshFolder("world"),
                                          fs::path(FRIIOVIEW_PATH).parent_path()};
    FriioViewLauncher launcher_;
    platform::DWORD pid_ = 0;
};

TEST_F(FriioViewWithPluginTest, ThePlugInPublishesForItsViewerAndClosesItOnRequest) {
    ASSERT_EQ(launcher_.StartForEpg(1, &pid_), 1);
    ASSERT_EQ(IsFriioViewPid(pid_, platform::TakeProcessSnapshot()), 1);
    platform::HWND plugin = 0;
    ASSERT_TRUE(
        WaitUntil([&] { return shared::ReadPluginPostHwnd(pid_, &plugin) == 1; }, kViewerStartMs));
    EXPECT_NE(plugin, 0u);
    std::int32_t kind = 0;
    EXPECT_TRUE(WaitUntil([&] { return shared::ReadPluginFriioId(pid_, &kind) == 1; }));
    EXPECT_EQ(kind, 2);  // device 1 is the BS/CS tuner
    EXPECT_EQ(QueryFriioViewWindow(pid_), 2u);
    EXPECT_EQ(shared::IsPluginWindowHung(pid_), 0);

    // The plug-in asks its viewer to close.
    EXPECT_EQ(shared::PostPluginCloseViewer(pid_), 1);
    ExpectEndedByItself();
    // Gone with its viewer: the plug-in's objects.
    EXPECT_EQ(shared::PostPluginStopRec(pid_), 0);
    ExpectPositionsRestored();
}

TEST_F(FriioViewWithPluginTest, WithoutThePlugInReadersAndPostsFindNothingAndTheWindowCloses) {
    fs::remove(world_.ViewerPath().parent_path() / "friio_Quorvantel.so");
    ASSERT_EQ(launcher_.StartOnChannel(27, 0, &pid_), 1);
    ASSERT_EQ(IsFriioViewPid(pid_, platform::TakeProcessSnapshot()), 1);
    // The viewer answers once it has started, with its plug-ins loaded.
    ASSERT_TRUE(WaitUntil([&] { return QueryFriioViewWindow(pid_) == 1; }, kViewerStartMs));

    shared::PluginEventInfo event;
    std::int32_t value = 0;
    platform::HWND plugin = 0;
    EXPECT_EQ(shared::ReadPluginEvent(pid_, &event), 0);
    EXPECT_EQ(shared::ReadPluginStatus(pid_, &value), 0);
    EXPECT_EQ(shared::ReadPluginFriioId(pid_, &value), 0);
    EXPECT_EQ(shared::ReadPluginTime(pid_, &value), 0);
    EXPECT_EQ(shared::ReadPluginPostHwnd(pid_, &plugin), 0);
    EXPECT_EQ(shared::PostPluginStartCapture(pid_) + shared::PostPluginCancelCapture(pid_) +
                  shared::PostPluginCloseViewer(pid_) + shared::PostPluginSetChannel(pid_, 27, 1) +
                  shared::PostPluginStartRec(pid_, 27, 1) + shared::PostPluginStopRec(pid_) +
                  shared::PostPluginUpdateRecLength(pid_, 30, 20) +
                  shared::PostPluginRequestProgramText(pid_),
              0);
    EXPECT_EQ(shared::IsPluginWindowHung(pid_), 0);

    // Closed through its main window, as the record thread closes a viewer.
    CloseFriioViewWindow(pid_);
    ExpectEndedByItself();
    ExpectPositionsRestored();
}

}  // namespace
}  // namespace timer_core

#endif  // FRIIOVIEW_PATH
