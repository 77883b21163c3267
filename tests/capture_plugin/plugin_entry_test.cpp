// The plug-in's entry: the library export and its lifetime, the SDK version test, and the stream
// and channel calls of the viewer.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <memory>

#include "capture_plugin/quorvantel.h"
#include "tests/capture_plugin/plugin_test_support.h"
#include "tests/capture_plugin/window_parts_environment.h"
#include "tests/support/wait_until.h"

namespace capture_plugin {
namespace {

TEST(PluginEntryTest, SdkVersionsNeedASecondByteOfFourAndAThirdByte) {
    EXPECT_TRUE(IsSupportedSdkVersion(kDtvSdkVersion));
    EXPECT_TRUE(IsSupportedSdkVersion(0x00FFFF00));
    EXPECT_TRUE(IsSupportedSdkVersion(0x00010400));
    EXPECT_FALSE(IsSupportedSdkVersion(0x000103FF));  // second byte 3
    EXPECT_FALSE(IsSupportedSdkVersion(0xFF00FF00));  // third byte 0
}

TEST(PluginEntryTest, TheLibraryHandsOutObjectsThatRefuseAnOldViewerAndDeletesThemAtUnload) {
    plugin_test::PluginWorld world;
    void* library = ::dlopen(FRIIO_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << ::dlerror();
    auto getIface = reinterpret_cast<GetIface2Function>(::dlsym(library, kGetIface2Symbol));
    ASSERT_NE(getIface, nullptr);
    IDTVPlugin* first = nullptr;
    IDTVPlugin* second = nullptr;
    EXPECT_EQ(getIface(0, &first), 1);
    EXPECT_EQ(getIface(0, &second), 1);
    ASSERT_NE(first, nullptr);
    EXPECT_NE(first, second);

    plugin_test::FakeHost host;
    plugin_test::MessageBoxes().clear();
    EXPECT_EQ(first->Init(&host, 0x00010300), 0);
    ASSERT_EQ(plugin_test::MessageBoxes().size(), 1u);
    EXPECT_EQ(plugin_test::MessageBoxes()[0].text, L"Wrong SDK Version");
    EXPECT_EQ(plugin_test::MessageBoxes()[0].caption, L"Error");
    EXPECT_EQ(plugin_test::MessageBoxes()[0].type & ui::MB_ICONMASK, ui::MB_ICONERROR);
    EXPECT_EQ(second->Init(&host, kDtvSdkVersion), 1);
    EXPECT_EQ(::dlclose(library), 0);
}

class StreamCallsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        world_.WriteChannelsIni(L"[東京]\r\n21=みなと\r\n");
        world_.SetArea(L"東京");
        plugin_ = std::make_unique<CQuorvantel>(nullptr, world_.HostFolder());
        plugin_->Init(&host_, kDtvSdkVersion);
    }
    void CreateWindow() { plugin_->CreatePluginWindow(hostWindow_.hwnd()); }
    CQuorvantelDlg& Dlg() { return plugin_->Window(); }
    // Packets of PID 0x100 with the scrambling bits set.
    static std::vector<platform::BYTE> ScrambledChunk(std::size_t bytes) {
        std::vector<platform::BYTE> chunk(bytes, 0xFF);
        for (std::size_t at = 0; at + 188 <= bytes; at += 188) {
            chunk[at] = 0x47;
            chunk[at + 1] = 0x01;
            chunk[at + 2] = 0x00;
            chunk[at + 3] = 0xD0;
        }
        return chunk;
    }

    plugin_test::PluginWorld world_;
    plugin_test::FakeHost host_;
    plugin_test::HostWindow hostWindow_{1};
    std::unique_ptr<CQuorvantel> plugin_;
};

TEST_F(StreamCallsTest, NothingIsQueuedBeforeTheWindowOrForAnEmptyChunk) {
    const auto chunk = ScrambledChunk(188);
    EXPECT_EQ(plugin_->OnStreamData(chunk.data(), 188), 1);
    EXPECT_EQ(CQuorvantelDlgTestAccess::QueueSize(Dlg()), 0u);
    CreateWindow();
    {
        // The worker takes one chunk and waits for the store: whatever follows stays queued.
        std::lock_guard lock(CQuorvantelDlgTestAccess::StoreLock(Dlg()));
        plugin_->OnStreamData(chunk.data(), 188);
        ASSERT_TRUE(test_support::WaitUntil(
            [&] { return CQuorvantelDlgTestAccess::QueueSize(Dlg()) == 0; }));
        EXPECT_EQ(plugin_->OnStreamData(chunk.data(), 0), 1);
        EXPECT_EQ(plugin_->OnStreamData(nullptr, 188), 1);
        EXPECT_EQ(CQuorvantelDlgTestAccess::QueueSize(Dlg()), 0u);
    }
    // A further chunk: once it is counted, anything queued before it has been.
    plugin_->OnStreamData(chunk.data(), 188);
    ASSERT_TRUE(test_support::WaitUntil([&] { return Dlg().ScrambleCount() >= 2; }));
    EXPECT_EQ(Dlg().ScrambleCount(), 2);
}

TEST_F(StreamCallsTest, WholePacketsAreCountedAndAFullQueueDropsItsOldestChunks) {
    const window_parts_test::DebugLogTail log;
    CreateWindow();
    plugin_->OnChannelChanged(21, 1024);
    ASSERT_TRUE(test_support::WaitUntil(
        [&] { return CQuorvantelDlgTestAccess::ChannelChanged(Dlg()) == 0; }));
    // 1000 bytes: five packets, the last 60 bytes ignored.
    const auto five = ScrambledChunk(1000);
    plugin_->OnStreamData(five.data(), 1000);
    ASSERT_TRUE(test_support::WaitUntil([&] { return Dlg().ScrambleCount() == 5; }));

    // The worker takes one chunk and waits for the store; 501 more pile up meanwhile.
    const auto one = ScrambledChunk(188);
    {
        std::lock_guard lock(CQuorvantelDlgTestAccess::StoreLock(Dlg()));
        plugin_->OnStreamData(one.data(), 188);
        ASSERT_TRUE(test_support::WaitUntil(
            [&] { return CQuorvantelDlgTestAccess::QueueSize(Dlg()) == 0; }));
        for (int i = 0; i < 501; ++i)
            plugin_->OnStreamData(one.data(), 188);
    }
    ASSERT_TRUE(
        test_support::WaitUntil([&] { return CQuorvantelDlgTestAccess::QueueSize(Dlg()) == 0; }));
    // A last chunk: once it is counted, every chunk taken before it has been.
    plugin_->OnStreamData(one.data(), 188);
    ASSERT_TRUE(test_support::WaitUntil([&] { return Dlg().ScrambleCount() >= 5 + 1 + 499 + 1; }));
    EXPECT_EQ(Dlg().ScrambleCount(), 5 + 1 + 499 + 1);  // the two oldest of the 501 dropped
    EXPECT_EQ(log.Text(), "BuffOverr\n");

    // The same channel again: no restart, but the count starts over.
    plugin_->OnChannelChanged(21, 1024);
    EXPECT_EQ(Dlg().ScrambleCount(), 0);
    EXPECT_EQ(CQuorvantelDlgTestAccess::ChannelChanged(Dlg()), 0);
}

}  // namespace
}  // namespace capture_plugin
