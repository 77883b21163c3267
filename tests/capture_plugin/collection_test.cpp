// EPG collection through the plug-in window and its worker, on synthetic channels played by a
// stand-in host: the channel rules (60 to 420 seconds), the files, the channel tables, the
// Status values, and what ends a collection early.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QWidget>
#include <array>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <thread>

#include "broadcast/stream_si_capture.h"
#include "capture_plugin/capture_texts.h"
#include "capture_plugin/quorvantel.h"
#include "platform/code_page.h"
#include "platform/file_handle.h"
#include "platform/paths.h"
#include "shared/shared_memory_readers.h"
#include "shared/window_message_ids.h"
#include "tests/capture_plugin/plugin_test_support.h"
#include "tests/capture_plugin/window_parts_environment.h"
#include "tests/support/queue_probe.h"
#include "tests/support/wait_until.h"
#include "tests/support/wall_clock_hold.h"
#include "ui/message_box.h"

namespace capture_plugin {
namespace {

using plugin_test::ReadFile;
using test_support::WaitUntil;

// Looks at done() every few milliseconds, for at most 10 s, without running the thread's events:
// the window's timers do not fire meanwhile.
bool WaitWithoutEvents(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

class CollectionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        world_.SetArea(L"東京");
        world_.WriteChannelsIni(L"[東京]\r\n21=みなと\r\n22=さくら\r\n24=あおぞら\r\n");
        world_.SetPluginSetting(L"22ch", L"0");
        host_.AddChannel(
            plugin_test::MakeChannel(21, 0x7F10, {{1024, 0x01}, {1025, 0xA5}, {1026, 0xC0}}));
        host_.AddChannel(plugin_test::MakeChannel(22, 0x7F20, {{1032, 0x01}}));
        // No EIT: its schedule never completes.
        host_.AddChannel(plugin_test::MakeChannel(24, 0x7F30, {{1040, 0x01}}), false);
    }
    void TearDown() override {
        host_.Detach();
        plugin_.reset();
    }

    void Open(std::uint32_t tunedChannel = 21) {
        hostWindow_ = std::make_unique<plugin_test::HostWindow>(1);
        plugin_ = std::make_unique<CQuorvantel>(nullptr, world_.HostFolder());
        ASSERT_EQ(plugin_->Init(&host_, kDtvSdkVersion), 1);
        plugin_->CreatePluginWindow(hostWindow_->hwnd());
        host_.Attach(plugin_.get(), tunedChannel);
    }
    CQuorvantelDlg& Dlg() { return plugin_->Window(); }
    void Post(platform::UINT message) {
        platform::PostMessageW(Dlg().GetSafeHwnd(), message, 0, 0);
    }
    bool WaitForStatus(int status, int timeoutMs = 20000) {
        return WaitUntil([&] { return Dlg().LastPublishedStatus() == status; }, timeoutMs);
    }
    // The worker ends a collection by posting its message to the window and then publishing the
    // final Status: once that Status is seen, a probe posted now comes through after the
    // message, so the window has shown the end by then.
    bool WaitForCollectionEnd(int status) {
        return WaitForStatus(status) && test_support::WaitForQueuedMessages();
    }
    // A fetch takes what the worker has read of the channel on air. A viewer has shown that
    // channel for a while; a worker that has just started may not have read it yet.
    bool WaitUntilTheWorkerKnows(std::uint16_t tsid) {
        return WaitUntil([&] { return CQuorvantelDlgTestAccess::KnowsServicesOf(Dlg(), tsid); });
    }
    // The fetch gives each channel it tunes 7.5 s of the clock before it merges what the worker
    // read; the test's fast clock leaves a busy machine's worker less than a second of real time
    // for that. So the window runs until the fetch has tuned `channel` and has been told so, and
    // then waits without running its events (no fetch step comes meanwhile) until the worker has
    // read the channel's services.
    bool LetTheFetchTune(std::uint32_t channel, std::uint16_t tsid) {
        const bool tuned = WaitUntil([&] {
            const auto tunings = host_.Tunings();
            return !tunings.empty() && tunings.back().channel == channel &&
                   Dlg().CurrentChannel() == static_cast<std::int32_t>(channel);
        });
        return tuned && WaitWithoutEvents(
                            [&] { return CQuorvantelDlgTestAccess::KnowsServicesOf(Dlg(), tsid); });
    }
    std::filesystem::path Capture(const char* name) { return world_.CaptureFolder() / name; }
    std::filesystem::path EpgData(const char* name) {
        return world_.DataFolder() / "EpgData" / name;
    }
    void ExpectTheFailedCopyToEndTheCollection();

    plugin_test::PluginWorld world_;
    plugin_test::FakeHost host_;
    std::unique_ptr<plugin_test::HostWindow> hostWindow_;
    std::unique_ptr<CQuorvantel> plugin_;
};

std::string Sjis(const std::wstring& text) {
    return platform::WideToShiftJis(text);
}

// Reads a data file as it grows and tells whether the packets so far complete the stream's
// schedules, judged as the worker judges them. Each look reads only what was added since the last
// (a test on a busy machine looks many times while the file grows by megabytes).
class ScheduleWatch {
  public:
    explicit ScheduleWatch(std::filesystem::path file) : file_(std::move(file)) {
        capture_.store = &store_;
    }
    bool Complete() {
        std::ifstream in(file_, std::ios::binary);
        in.seekg(static_cast<std::streamoff>(read_));
        std::array<char, 188> packet;
        while (!complete_ && in.read(packet.data(), packet.size())) {
            read_ += packet.size();
            complete_ = capture_.AddPacket(reinterpret_cast<const std::uint8_t*>(packet.data())) ==
                        broadcast::kScheduleComplete;
        }
        return complete_;
    }

  private:
    std::filesystem::path file_;
    broadcast::EpgStore store_;
    broadcast::StreamSiCapture capture_;
    std::size_t read_ = 0;
    bool complete_ = false;
};

// Waits until the worker has written to the file twice more: the second time with packets it
// took after the call.
bool WaitForTwoMoreWrites(const std::filesystem::path& file) {
    const auto size = [&] {
        std::error_code ec;
        return std::filesystem::file_size(file, ec);
    };
    for (int write = 0; write < 2; ++write) {
        const auto before = size();
        if (!WaitUntil([&] { return size() > before; })) return false;
    }
    return true;
}

TEST_F(CollectionTest, CollectsTheCheckedChannelsWithinTheirTimeRulesAndWritesTheTables) {
    Open();
    // The channel rules count wall-clock seconds: the clock stands still but for the test's moves,
    // so that a slow machine's waits do not add to them.
    test_support::WallClockHold clock;
    Post(shared::WM_CAPTURE_START);
    ASSERT_TRUE(WaitForStatus(1));
    EXPECT_FALSE(Dlg().GetDlgItem(IDC_START)->isEnabled());
    EXPECT_TRUE(Dlg().GetDlgItem(IDC_CANCEL)->isEnabled());

    // Channel 21 (tuned already): its schedule completes within a few carousel cycles, yet the
    // channel is kept until more than 60 s have passed.
    ScheduleWatch schedule(Capture("ch21_epg.dat"));
    ASSERT_TRUE(WaitUntil([&] { return schedule.Complete(); }));
    ASSERT_TRUE(WaitForTwoMoreWrites(Capture("ch21_epg.dat")));
    clock.Advance(60);
    ASSERT_TRUE(WaitForTwoMoreWrites(Capture("ch21_epg.dat")));
    ASSERT_TRUE(test_support::WaitForQueuedMessages());
    EXPECT_TRUE(host_.Tunings().empty());
    clock.Advance(1);
    ASSERT_TRUE(WaitUntil([&] { return !host_.Tunings().empty(); }));
    EXPECT_EQ(host_.Tunings()[0].channel, 24u);  // 22 is not checked

    // Channel 24 never completes: kept past 60 s and up to 420 s, ended by the first SI packet
    // after that.
    ASSERT_TRUE(WaitUntil([&] { return std::filesystem::exists(Capture("ch24_epg.dat")); }));
    for (const int seconds : {100, 320}) {
        clock.Advance(seconds);
        ASSERT_TRUE(WaitForTwoMoreWrites(Capture("ch24_epg.dat")));
        ASSERT_TRUE(test_support::WaitForQueuedMessages());
        EXPECT_EQ(Dlg().LastPublishedStatus(), 1);
    }
    clock.Advance(1);
    ASSERT_TRUE(WaitForCollectionEnd(3));
    EXPECT_EQ(host_.Tunings().size(), 1u);

    for (const char* name : {"ch21_epg.dat", "ch24_epg.dat"}) {
        const std::string bytes = ReadFile(Capture(name));
        EXPECT_GT(bytes.size(), 0u) << name;
        EXPECT_EQ(bytes.size() % 188, 0u) << name;
        EXPECT_EQ(ReadFile(EpgData(name)), bytes) << name;
    }
    EXPECT_FALSE(std::filesystem::exists(Capture("ch22_epg.dat")));

    // Only TV services (0x01, 0xA5) of the collected streams; ChSet2 by stream, then service.
    EXPECT_EQ(ReadFile(world_.DataFolder() / "ChSet.txt"),
              Sjis(L"局1024=21\r\n局1025=21\r\n局1040=24\r\n"));
    EXPECT_EQ(ReadFile(world_.DataFolder() / "ChSet2.txt"),
              Sjis(L"局1024\t21\t1024\t32528\r\n局1025\t21\t1025\t32528\r\n"
                   L"局1040\t24\t1040\t32560\r\n"));

    EXPECT_EQ(Dlg().StatusText(), kCollectionDoneText);
    EXPECT_EQ(Dlg().CaptureIndex(), -1);
    EXPECT_TRUE(Dlg().GetDlgItem(IDC_START)->isEnabled());
    EXPECT_FALSE(Dlg().GetDlgItem(IDC_CANCEL)->isEnabled());
    std::int32_t status = -1;
    EXPECT_EQ(shared::ReadPluginStatus(static_cast<platform::DWORD>(::getpid()), &status), 1);
    EXPECT_EQ(status, 3);
}

TEST_F(CollectionTest, ARecordingInTheViewerEndsTheCollectionAndRefusesTheNext) {
    Open();
    Post(shared::WM_CAPTURE_START);
    ASSERT_TRUE(WaitUntil([&] { return std::filesystem::exists(Capture("ch21_epg.dat")); }));
    host_.SetRecording(true);
    ASSERT_TRUE(WaitForStatus(0));  // seen by the 5-second status poll
    ASSERT_TRUE(WaitUntil([&] { return Dlg().StatusText() == kCancelledByRecordingText; }));
    EXPECT_EQ(Dlg().CaptureIndex(), -1);
    EXPECT_FALSE(Dlg().Capturing());
    EXPECT_FALSE(std::filesystem::exists(EpgData("ch21_epg.dat")));

    Dlg().SetDlgItemText(IDC_STATUS_TEXT, L"");
    Post(shared::WM_CAPTURE_START);
    ASSERT_TRUE(WaitUntil([&] { return Dlg().StatusText() == kCancelledByRecordingText; }));
    EXPECT_EQ(Dlg().LastPublishedStatus(), 0);
}

TEST_F(CollectionTest, ACancelDuringTheSettleWaitStartsNoCollection) {
    Open();
    Post(shared::WM_CAPTURE_START);
    Post(shared::WM_CAPTURE_CANCEL);  // before the settle message Start posted
    // The settle message comes behind the first probe; the settle timer it arms has fired once
    // a timer of its period armed after it has.
    ASSERT_TRUE(test_support::WaitForQueuedMessages());
    ASSERT_TRUE(test_support::WaitForQueuedMessages());
    ASSERT_TRUE(test_support::WaitForTimerPeriod(kSettleMs));
    EXPECT_FALSE(Dlg().Capturing());
    EXPECT_EQ(Dlg().LastPublishedStatus(), 0);
    EXPECT_EQ(Dlg().StatusText(), kCancelledText);
    EXPECT_FALSE(std::filesystem::exists(Capture("ch21_epg.dat")));

    // Cancel with nothing running clears the text and leaves Start enabled.
    Post(shared::WM_CAPTURE_CANCEL);
    ASSERT_TRUE(WaitUntil([&] { return Dlg().StatusText().empty(); }));
    EXPECT_TRUE(Dlg().GetDlgItem(IDC_START)->isEnabled());
}

TEST_F(CollectionTest, ADataFileThatCannotBeCreatedEndsWithStatus2) {
    world_.SetPluginSetting(L"SavePath",
                            platform::FromNativePath((world_.Root() / "missing").native()));
    Open();
    Post(shared::WM_CAPTURE_START);
    ASSERT_TRUE(WaitForCollectionEnd(2));
    EXPECT_EQ(Dlg().StatusText(), kFileErrorText);
    EXPECT_EQ(Dlg().CaptureIndex(), -1);
}

// A file where the EpgData folder belongs, so that neither the copy nor the folder can be made;
// the collection of channel 21 then ends (60 s) and must end with Status 2, naming the copy.
void CollectionTest::ExpectTheFailedCopyToEndTheCollection() {
    std::filesystem::create_directories(world_.DataFolder());
    std::ofstream(world_.DataFolder() / "EpgData") << "not a folder";
    Open();
    Post(shared::WM_CAPTURE_START);
    ASSERT_TRUE(WaitUntil([&] { return std::filesystem::exists(Capture("ch21_epg.dat")); }));
    plugin_test::AdvanceClock(60);
    ASSERT_TRUE(WaitForCollectionEnd(2));
    const std::wstring copy =
        platform::FromNativePath((world_.DataFolder() / "EpgData" / "ch21_epg.dat").native());
    EXPECT_EQ(Dlg().StatusText(), std::wstring(kFileErrorText) + L"\r\n" + copy);
    EXPECT_EQ(Dlg().CaptureIndex(), -1);
    EXPECT_FALSE(Dlg().Capturing());
    std::int32_t status = -1;
    EXPECT_EQ(shared::ReadPluginStatus(static_cast<platform::DWORD>(::getpid()), &status), 1);
    EXPECT_EQ(status, 2);
}

TEST_F(CollectionTest, ACopyThatFailsBeforeTheNextChannelEndsTheCollectionWithStatus2) {
    ExpectTheFailedCopyToEndTheCollection();
}

TEST_F(CollectionTest, ACopyThatFailsOnTheLastChannelEndsTheCollectionWithStatus2) {
    world_.SetPluginSetting(L"24ch", L"0");
    ExpectTheFailedCopyToEndTheCollection();
}

// A refused Start shows its box. From the button it changes no Status. The timer's request
// (0x432) would be repeated every 10 s while the Status reads 0, each opening one more box behind
// the first; it fails with Status 2 instead, published before its box opens, so that the timer
// closes the viewer and the box is shown once.
TEST_F(CollectionTest, StartRefusesWithoutSaveFolderOrCheckedChannel) {
    std::vector<std::int32_t> statusAtBox;
    ui::SetMessageBoxAnswer([&statusAtBox](const ui::MessageBoxRequest& request) {
        std::int32_t status = -1;
        shared::ReadPluginStatus(static_cast<platform::DWORD>(::getpid()), &status);
        statusAtBox.push_back(status);
        plugin_test::MessageBoxes().push_back(request);
        return ui::IDOK;
    });
    const auto refusal = [&](bool fromTimer) {
        const std::size_t boxes = plugin_test::MessageBoxes().size() + 1;
        if (fromTimer) {
            Post(shared::WM_CAPTURE_START);
        } else {
            window_parts_test::ClickButton(Dlg(), IDC_START);
        }
        EXPECT_TRUE(WaitUntil([&] { return plugin_test::MessageBoxes().size() == boxes; }));
        return std::pair{plugin_test::MessageBoxes().back().text, statusAtBox.back()};
    };
    using Refusal = std::pair<std::wstring, std::int32_t>;
    world_.SetPluginSetting(L"SavePath", L"");
    Open();
    plugin_test::MessageBoxes().clear();
    EXPECT_EQ(refusal(false), (Refusal{kNoSavePathText, 0}));
    EXPECT_EQ(refusal(true), (Refusal{kNoSavePathText, 2}));
    EXPECT_EQ(Dlg().LastPublishedStatus(), 2);

    host_.Detach();
    plugin_.reset();
    world_.SetPluginSetting(L"SavePath", world_.HostFolder());
    world_.SetPluginSetting(L"21ch", L"0");
    world_.SetPluginSetting(L"24ch", L"0");
    Open();
    EXPECT_EQ(refusal(false), (Refusal{kNoChannelCheckedText, 0}));
    EXPECT_EQ(Dlg().LastPublishedStatus(), 0);
    EXPECT_TRUE(Dlg().GetDlgItem(IDC_START)->isEnabled());
    EXPECT_EQ(refusal(true), (Refusal{kNoChannelCheckedText, 2}));
    EXPECT_TRUE(Dlg().GetDlgItem(IDC_START)->isEnabled());
    EXPECT_EQ(plugin_test::MessageBoxes().size(), 4u);
}

TEST_F(CollectionTest, StoppingTheWorkerMidChannelClosesTheFileAndCopiesNothing) {
    Open();
    Post(shared::WM_CAPTURE_START);
    ASSERT_TRUE(WaitUntil([&] {
        std::error_code ec;
        const auto size = std::filesystem::file_size(Capture("ch21_epg.dat"), ec);
        return !ec && size > 0;
    }));
    host_.Detach();
    plugin_.reset();
    const platform::FileHandle exclusive =
        platform::CreateFileW(platform::FromNativePath(Capture("ch21_epg.dat").native()),
                              platform::GENERIC_WRITE, 0, platform::OPEN_EXISTING);
    EXPECT_TRUE(exclusive.IsValid());
    EXPECT_FALSE(std::filesystem::exists(EpgData("ch21_epg.dat")));
}

TEST_F(CollectionTest, TheChannelSettingFetchMergesEveryChannelAndHoldsACollectionOff) {
    Open();
    ASSERT_TRUE(WaitUntilTheWorkerKnows(0x7F10));
    window_parts_test::ClickButton(Dlg(), IDC_GET_CHSET);
    EXPECT_EQ(Dlg().StatusText(), kFetchingText);
    Post(shared::WM_CAPTURE_START);  // refused while the fetch tunes
    ASSERT_TRUE(LetTheFetchTune(22, 0x7F20));
    ASSERT_TRUE(LetTheFetchTune(24, 0x7F30));
    ASSERT_TRUE(WaitUntil([&] { return Dlg().StatusText() == kFetchDoneText; }));
    EXPECT_EQ(Dlg().LastPublishedStatus(), 0);
    EXPECT_FALSE(std::filesystem::exists(Capture("ch21_epg.dat")));
    // Every channel of the list, checked or not.
    EXPECT_EQ(ReadFile(world_.DataFolder() / "ChSet.txt"),
              Sjis(L"局1024=21\r\n局1025=21\r\n局1032=22\r\n局1040=24\r\n"));
    const auto tunings = host_.Tunings();
    ASSERT_EQ(tunings.size(), 2u);
    EXPECT_EQ(tunings[0].channel, 22u);
    EXPECT_EQ(tunings[1].channel, 24u);
}

// The host refuses channel 23 and stays on 22: the step of 23 finds the store still holding
// channel 22 and files none of its services under 23.
TEST_F(CollectionTest, TheFetchFilesNothingUnderAChannelTheHostDidNotTune) {
    world_.WriteChannelsIni(L"[東京]\r\n21=みなと\r\n22=さくら\r\n23=かもめ\r\n");
    Open();
    ASSERT_TRUE(WaitUntilTheWorkerKnows(0x7F10));
    window_parts_test::ClickButton(Dlg(), IDC_GET_CHSET);
    ASSERT_TRUE(LetTheFetchTune(22, 0x7F20));
    ASSERT_TRUE(WaitUntil([&] { return Dlg().StatusText() == kFetchDoneText; }));
    const auto tunings = host_.Tunings();
    ASSERT_EQ(tunings.size(), 2u);
    EXPECT_EQ(tunings[1].channel, 23u);
    EXPECT_EQ(ReadFile(world_.DataFolder() / "ChSet.txt"),
              Sjis(L"局1024=21\r\n局1025=21\r\n局1032=22\r\n"));
    EXPECT_EQ(ReadFile(world_.DataFolder() / "ChSet2.txt"),
              Sjis(L"局1024\t21\t1024\t32528\r\n局1025\t21\t1025\t32528\r\n"
                   L"局1032\t22\t1032\t32544\r\n"));
}

TEST_F(CollectionTest, BasicOnlyModesCollectOneBsChannelAndOneChannelPerCsGroup) {
    Open();
    const std::uint32_t b1 = (11727u << 16) | 0x4010, b2 = (11765u << 16) | 0x4031;
    const std::uint32_t cs1a = 0x30030000, cs1b = 0x307B0000, cs2 = 0x60206020;
    std::vector<ChannelItem> list;
    for (std::uint32_t v : {b1, b2, cs1a, cs1b, cs2, b2})
        list.push_back({v, L"", 1});
    CQuorvantelDlgTestAccess::SetCollection(Dlg(), list, 1, 1);
    EXPECT_EQ(CQuorvantelDlgTestAccess::Advance(Dlg(), 0, b1), 2);
    EXPECT_EQ(CQuorvantelDlgTestAccess::Advance(Dlg(), 2, cs1a), 4);  // cs1b: group done
    EXPECT_EQ(CQuorvantelDlgTestAccess::Advance(Dlg(), 4, cs2), 5);   // the BS entry after it
    EXPECT_EQ(CQuorvantelDlgTestAccess::Advance(Dlg(), 5, b2), 6);

    CQuorvantelDlgTestAccess::SetCollection(Dlg(), list, 0, 0);
    EXPECT_EQ(CQuorvantelDlgTestAccess::Advance(Dlg(), 0, b1), 1);
    EXPECT_EQ(CQuorvantelDlgTestAccess::Advance(Dlg(), 2, cs1a), 3);
}

}  // namespace
}  // namespace capture_plugin
