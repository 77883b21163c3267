// The timer's messages to a plug-in: found through the window the plug-in published under its
// viewer's process id, posted there, and reported as 0 only when the plug-in cannot be found.
#include "shared/plugin_posts.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "platform/named_file_mapping.h"
#include "platform/window_messages.h"
#include "shared/shared_memory_block.h"
#include "shared/shared_memory_names.h"
#include "shared/shared_memory_readers.h"
#include "shared/window_message_ids.h"
#include "tests/support/private_runtime.h"

namespace shared {
namespace {

using Message = std::tuple<platform::UINT, platform::WPARAM, platform::LPARAM>;

// A window of the test thread standing in for the plug-in window.
class PluginWindow : public platform::WindowTarget {
  public:
    PluginWindow() : hwnd_(platform::CreateWindowHandle(this, L"Quorvantel", 0, true)) {}
    ~PluginWindow() override { platform::DestroyWindowHandle(hwnd_); }
    platform::LRESULT WindowProc(platform::UINT message, platform::WPARAM wParam,
                                 platform::LPARAM lParam) override {
        received.emplace_back(message, wParam, lParam);
        return 0;
    }
    platform::HWND hwnd() const { return hwnd_; }

    std::vector<Message> received;

  private:
    platform::HWND hwnd_;
};

constexpr platform::DWORD kViewerPid = 1234;
constexpr platform::UINT kMarker = platform::WM_USER + 77;

int PostEveryMessage(platform::DWORD pid) {
    return PostPluginStartCapture(pid) + PostPluginCancelCapture(pid) + PostPluginCloseViewer(pid) +
           PostPluginSetChannel(pid, 27, 0x400) + PostPluginStartRec(pid, 0x40010, 0x101) +
           PostPluginStopRec(pid) + PostPluginUpdateRecLength(pid, 31, 65) +
           PostPluginRequestProgramText(pid);
}

class PluginPostsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test_support::UsePrivateRuntime();
        ASSERT_NE(window_.hwnd(), 0u);
    }
    // Delivers what waits in the thread's queue, up to a marker posted last; messages posted to
    // no window (to the thread) are kept apart.
    void Deliver() {
        ASSERT_TRUE(platform::PostMessageW(window_.hwnd(), kMarker, 0, 0));
        platform::MSG msg;
        while (platform::GetMessageW(&msg, 0, 0, 0) > 0 && msg.message != kMarker) {
            if (msg.hwnd == 0) {
                threadMessages_.push_back(msg.message);
            } else {
                platform::DispatchMessageW(&msg);
            }
        }
        EXPECT_EQ(msg.message, kMarker);
    }

    PluginWindow window_;
    std::vector<platform::UINT> threadMessages_;
};

TEST_F(PluginPostsTest, EachPostReachesTheWindowPublishedUnderTheSixDigitProcessId) {
    SharedMemoryBlock plugin;
    ASSERT_EQ(plugin.WritePostHwnd(window_.hwnd(), kViewerPid), 1);
    ASSERT_EQ(plugin.WriteStatus(3, kViewerPid), 1);
    EXPECT_TRUE(
        platform::NamedFileMapping::OpenForReading("Global\\QuorvantelPostHwnd001234").Valid());
    EXPECT_TRUE(
        platform::NamedFileMapping::OpenForReading("Global\\QuorvantelStatus001234").Valid());
    std::int32_t status = 0;
    EXPECT_EQ(ReadPluginStatus(kViewerPid, &status), 1);
    EXPECT_EQ(status, 3);

    EXPECT_EQ(PostEveryMessage(kViewerPid), 8);
    Deliver();
    EXPECT_EQ(window_.received, (std::vector<Message>{
                                    {WM_CAPTURE_START, 0, 0},
                                    {WM_CAPTURE_CANCEL, 0, 0},
                                    {WM_VIEWER_CLOSE, 0, 0},
                                    {WM_PLUGIN_TUNE, 27, 0x400},
                                    {WM_PLUGIN_REC_START, 0x40010, 0x101},
                                    {WM_PLUGIN_REC_STOP, 0, 0},
                                    {WM_PLUGIN_REC_LENGTH, 31, 65},
                                    {WM_PLUGIN_WRITE_PROGRAM_TEXT, 0, 0},
                                }));
    // The window pumps its messages.
    EXPECT_EQ(IsPluginWindowHung(kViewerPid), 0);
    // Another viewer's plug-in is not this one.
    EXPECT_EQ(PostPluginStopRec(kViewerPid + 1), 0);
}

TEST_F(PluginPostsTest, WithoutAPlugInEveryReaderAndEveryPostGivesZero) {
    PluginEventInfo event;
    event.channel = 99;
    std::int32_t status = 7, tuner = 7, offset = 7;
    EXPECT_EQ(ReadPluginEvent(kViewerPid, &event), 0);
    EXPECT_EQ(ReadPluginStatus(kViewerPid, &status), 0);
    EXPECT_EQ(ReadPluginFriioId(kViewerPid, &tuner), 0);
    EXPECT_EQ(ReadPluginTime(kViewerPid, &offset), 0);
    EXPECT_EQ(event.channel, 99u);
    EXPECT_EQ(status + tuner + offset, 21);
    EXPECT_EQ(PostEveryMessage(kViewerPid), 0);
    EXPECT_EQ(IsPluginWindowHung(kViewerPid), 0);
}

TEST_F(PluginPostsTest, APublishedNullWindowTakesThePostsWithoutPostingAnything) {
    // The plug-in's own writer refuses a null window; a foreign writer may still publish one.
    bool existed = false;
    auto mapping = platform::NamedFileMapping::Create("Global\\QuorvantelPostHwnd001234",
                                                      kHandleObjectSize, &existed);
    ASSERT_TRUE(mapping.Valid());
    ASSERT_FALSE(existed);
    EXPECT_EQ(PostEveryMessage(kViewerPid), 8);
    EXPECT_EQ(IsPluginWindowHung(kViewerPid), 0);
    Deliver();
    EXPECT_TRUE(window_.received.empty());
    EXPECT_TRUE(threadMessages_.empty());
}

}  // namespace
}  // namespace shared
