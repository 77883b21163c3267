// The plug-in window as the timer drives it through its messages 0x432-0x440, the recording's
// timers, the file name the viewer asks for, the clock, and the window's end.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <QApplication>
#include <QKeyEvent>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <future>
#include <limits>
#include <mutex>
#include <thread>
#include <vector>

#include "capture_plugin/quorvantel.h"
#include "platform/clock.h"
#include "platform/code_page.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "shared/shared_memory_block.h"
#include "shared/shared_memory_readers.h"
#include "shared/window_message_ids.h"
#include "tests/capture_plugin/plugin_test_support.h"
#include "tests/capture_plugin/window_parts_environment.h"
#include "tests/support/queue_probe.h"
#include "tests/support/wait_until.h"

namespace capture_plugin {
namespace {

using platform::LPARAM;
using platform::UINT;
using platform::WPARAM;

// The viewer's side: every host call and every message to its main window is recorded.
class RecordingHost : public PluginHost, public platform::WindowTarget {
  public:
    RecordingHost() { hwnd_ = platform::CreateWindowHandle(this, L"Friio HDTV Player", 0, true); }
    ~RecordingHost() override { platform::DestroyWindowHandle(hwnd_); }

    int SetChannel(platform::DWORD channel) override { return Record("channel", channel); }
    int SetService(platform::WORD service) override { return Record("service", service); }
    int CloseViewer() override { return Record("close", 0); }
    int GetStatus(PluginHostStatus* status) override {
        std::lock_guard lock(mutex_);
        *status = status_;
        return 1;
    }
    platform::LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == shared::WM_HOST_GET_TUNER_KIND) return 1;
        std::lock_guard lock(mutex_);
        posts_.push_back({0, message, wParam, lParam});
        return 0;
    }

    void SetStatus(int recording, int recordSeconds, int cardState = 0, int errors = 0) {
        std::lock_guard lock(mutex_);
        status_.recording = recording;
        status_.recordSeconds = recordSeconds;
        status_.cardState = cardState;
        status_.errorCount = errors;
    }
    std::vector<std::pair<std::string, std::uint32_t>> Calls() {
        std::lock_guard lock(mutex_);
        return calls_;
    }
    std::vector<platform::MSG> Posts() {
        std::lock_guard lock(mutex_);
        return posts_;
    }
    void Clear() {
        std::lock_guard lock(mutex_);
        calls_.clear();
        posts_.clear();
    }
    platform::HWND hwnd() const { return hwnd_; }

  private:
    int Record(const char* what, std::uint32_t value) {
        std::lock_guard lock(mutex_);
        calls_.emplace_back(what, value);
        return 1;
    }

    std::mutex mutex_;
    PluginHostStatus status_;
    std::vector<std::pair<std::string, std::uint32_t>> calls_;
    std::vector<platform::MSG> posts_;
    platform::HWND hwnd_ = 0;
};

using Calls = std::vector<std::pair<std::string, std::uint32_t>>;

class WindowMessagesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        world_.WriteChannelsIni(L"[東京]\r\n27=みなと総合\r\n26=教育\r\n");
        world_.SetArea(L"東京");
        recordings_ = world_.Root() / "recordings";
        std::filesystem::create_directories(recordings_);
        SetFriioSavePath(platform::FromNativePath(recordings_.native()));
    }

    CQuorvantelDlg& Open() {
        plugin_ = std::make_unique<CQuorvantel>(nullptr, world_.HostFolder());
        plugin_->Init(&host_, kDtvSdkVersion);
        plugin_->CreatePluginWindow(host_.hwnd());
        host_.Clear();
        return plugin_->Window();
    }

    static void SetFriioSavePath(const std::wstring& folder) {
        platform::RegistryKey::Create(L"Software\\Friio")->SetString(L"SavePath", folder);
    }

    // Publishes the timer's record request for this process, as the timer's record thread does.
    void Publish(const std::wstring& name, std::uint32_t channel = 27,
                 std::uint16_t service = 0x400, std::uint32_t minutes = 90,
                 std::uint32_t noErrLog = 0) {
        const auto request = window_parts_test::MakeRecordRequest(
            name, {channel, service, 0x1234, minutes, noErrLog, 65});
        ASSERT_EQ(rec_.WriteRec(request, static_cast<platform::DWORD>(::getpid())), 1);
    }

    CQuorvantelDlg& Dlg() { return plugin_->Window(); }
    void Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        Dlg().SendMessage(message, wParam, lParam);
    }
    // The posts to the viewer's window that arrive within a short (real) while.
    std::vector<platform::MSG> PostsAfter(std::size_t count, int timeoutMs = 10000) {
        test_support::WaitUntil([&] { return host_.Posts().size() >= count; }, timeoutMs);
        return host_.Posts();
    }
    std::wstring RecFileName() {
        std::vector<wchar_t> buffer(kRecFileNameBufferChars, L'#');
        buffer[0] = L'\0';
        plugin_->GetRecFileName(buffer.data(), kRecFileNameBufferChars);
        return buffer.data();
    }

    plugin_test::PluginWorld world_;
    RecordingHost host_;
    std::unique_ptr<CQuorvantel> plugin_;
    shared::SharedMemoryBlock rec_;
    std::filesystem::path recordings_;
};

TEST_F(WindowMessagesTest, StartRecordingTunesAsksTheViewerToRecordAndLogsErrors) {
    Open();
    Publish(L"ニュース.ts");
    Send(shared::WM_PLUGIN_REC_START, 27, 0x400);
    EXPECT_EQ(host_.Calls(), (Calls{{"channel", 27}, {"service", 0x400}}));
    EXPECT_EQ(Dlg().FollowedService(), 0x400);
    // The viewer records the minutes, lengthened at once by the margin (65 - 5).
    auto posts = PostsAfter(2);
    ASSERT_EQ(posts.size(), 2u);
    EXPECT_EQ(posts[0].message, shared::WM_HOST_REC_START);
    EXPECT_EQ(posts[0].wParam, 0x50000u | 90u);
    EXPECT_EQ(posts[1].message, shared::WM_HOST_REC_ADJUST);
    EXPECT_EQ(posts[1].lParam, 60);
    // The error-log timer fires after 15 s of clock time: a new log and its first line.
    host_.SetStatus(1, 5460, 2, 3);
    const auto log = recordings_ / "ニュース.ts.err";
    ASSERT_TRUE(test_support::WaitUntil([&] { return std::filesystem::exists(log); }, 20000));
    ASSERT_TRUE(test_support::WaitUntil([&] {
        return plugin_test::ReadFile(log).find("Card:DTV_CARD_NOCARD\r\n") != std::string::npos;
    }));
    EXPECT_NE(plugin_test::ReadFile(log).find(" Errors:3 Scramble:0 Card:"), std::string::npos);
    // The stop kills the recording's timers and stops the viewer's recording.
    Send(shared::WM_PLUGIN_REC_STOP);
    posts = PostsAfter(3);
    ASSERT_EQ(posts.size(), 3u);
    EXPECT_EQ(posts[2].message, shared::WM_HOST_REC_STOP);
    const std::string written = plugin_test::ReadFile(log);
    ASSERT_TRUE(test_support::WaitForTimerPeriod(kErrorLogMs));  // a tick would have come
    EXPECT_EQ(plugin_test::ReadFile(log), written);
}

TEST_F(WindowMessagesTest, StartRecordingIsRefusedWhileRecordingOrWithoutARequest) {
    Open();
    // No request: nothing is tuned, asked or armed.
    Send(shared::WM_PLUGIN_REC_START, 27, 0x400);
    // The viewer records already.
    Publish(L"a.ts");
    host_.SetStatus(1, 100);
    Send(shared::WM_PLUGIN_REC_START, 27, 0x400);
    ASSERT_TRUE(test_support::WaitForQueuedMessages());
    EXPECT_TRUE(host_.Calls().empty());
    EXPECT_TRUE(host_.Posts().empty());
    // NoErrLog 1: the viewer records with the margin all the same, no log is kept.
    host_.SetStatus(0, 0);
    Publish(L"b.ts", 27, 0x400, 30, 1);
    Send(shared::WM_PLUGIN_REC_START, 27, 0x400);
    ASSERT_EQ(PostsAfter(2).size(), 2u);
    EXPECT_EQ(host_.Posts()[0].wParam, 0x50000u | 30u);
    EXPECT_EQ(host_.Posts()[1].message, shared::WM_HOST_REC_ADJUST);
    EXPECT_EQ(host_.Posts()[1].lParam, 60);
    ASSERT_TRUE(test_support::WaitForTimerPeriod(kErrorLogMs));
    EXPECT_FALSE(std::filesystem::exists(recordings_ / "b.ts.err"));
    EXPECT_EQ(host_.Posts().size(), 2u);
}

// An earlier recording's log of the same name is appended to, and the margin is there all the
// same; an extreme margin wraps as the host's 32-bit arithmetic does.
TEST_F(WindowMessagesTest, TheMarginIsGivenWithTheStartWhateverBecomesOfTheErrorLog) {
    Open();
    plugin_test::WriteFile(recordings_ / "c.ts.err", "old line\r\n");
    const auto request = window_parts_test::MakeRecordRequest(
        L"c.ts", {27, 0x400, 0x1234, 30, 0, std::numeric_limits<std::int32_t>::min()});
    ASSERT_EQ(rec_.WriteRec(request, static_cast<platform::DWORD>(::getpid())), 1);
    Send(shared::WM_PLUGIN_REC_START, 27, 0x400);
    host_.SetStatus(1, 1800, 2);
    ASSERT_EQ(PostsAfter(2).size(), 2u);
    EXPECT_EQ(host_.Posts()[1].message, shared::WM_HOST_REC_ADJUST);
    EXPECT_EQ(host_.Posts()[1].lParam, std::numeric_limits<std::int32_t>::max() - 4);
    ASSERT_TRUE(test_support::WaitUntil([&] {
        return plugin_test::ReadFile(recordings_ / "c.ts.err").size() > 10;
    }, 20000));
    EXPECT_EQ(host_.Posts().size(), 2u);
}

TEST_F(WindowMessagesTest, AViewerWhoseTimerWentAwayClosesOnceItsRecordingIsDone) {
    Open();
    const auto closes = [&] {
        const auto calls = host_.Calls();
        return std::count(calls.begin(), calls.end(),
                          std::pair<std::string, std::uint32_t>{"close", 0});
    };
    Publish(L"a.ts");
    Send(shared::WM_PLUGIN_REC_START, 27, 0x400);
    host_.SetStatus(1, 10);
    // The timer has gone while the viewer records: the recording runs to its end.
    rec_.CloseAll();
    ASSERT_TRUE(test_support::WaitForTimerPeriod(kStatusPollMs));
    EXPECT_EQ(closes(), 0);
    // Done recording, nobody left to close it: it closes itself, once.
    host_.SetStatus(0, 0);
    ASSERT_TRUE(test_support::WaitUntil([&] { return closes() == 1; }, 20000));
    ASSERT_TRUE(test_support::WaitForTimerPeriod(kStatusPollMs));
    EXPECT_EQ(closes(), 1);

    // While the timer holds its request, closing the viewer is the timer's own matter, even when
    // the viewer's recording has ended before the timer's end.
    host_.Clear();
    Publish(L"b.ts");
    Send(shared::WM_PLUGIN_REC_START, 27, 0x400);
    ASSERT_TRUE(test_support::WaitForTimerPeriod(kStatusPollMs));
    EXPECT_EQ(closes(), 0);
    // Nor after the timer's own stop, or without a recording the timer asked for.
    Send(shared::WM_PLUGIN_REC_STOP);
    rec_.CloseAll();
    ASSERT_TRUE(test_support::WaitForTimerPeriod(kStatusPollMs));
    EXPECT_EQ(closes(), 0);
}

TEST_F(WindowMessagesTest, TuneLengthAndProgramTextNeedAKnownChannel) {
    const window_parts_test::DebugLogTail log;
    Open();
    Publish(L"a.ts", 25);  // not in the channel list
    Send(shared::WM_PLUGIN_TUNE, 25, 0x400);
    host_.SetStatus(1, 3600);
    Send(shared::WM_PLUGIN_REC_LENGTH, 60, 65);
    Send(shared::WM_PLUGIN_WRITE_PROGRAM_TEXT);
    ASSERT_TRUE(test_support::WaitForQueuedMessages());
    EXPECT_TRUE(host_.Calls().empty());
    EXPECT_TRUE(host_.Posts().empty());
    EXPECT_NE(log.Text().find("Memmap Err?\n"), std::string::npos);

    Publish(L"a.ts", 27, 0x401);
    Send(shared::WM_PLUGIN_TUNE, 27, 0x10401);  // the service is the low word
    EXPECT_EQ(host_.Calls(), (Calls{{"channel", 27}, {"service", 0x401}}));
    Send(shared::WM_PLUGIN_REC_LENGTH, 60, 65);
    const auto posts = PostsAfter(1);
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_EQ(posts[0].message, shared::WM_HOST_REC_ADJUST);
    EXPECT_EQ(posts[0].wParam, 0u);
    EXPECT_EQ(posts[0].lParam, 60);  // 60 x 60 + 65 - 3600 - 5
    Send(shared::WM_PLUGIN_WRITE_PROGRAM_TEXT);
    Send(shared::WM_VIEWER_CLOSE);
    EXPECT_EQ(host_.Calls().back(), (std::pair<std::string, std::uint32_t>{"close", 0}));
}

TEST_F(WindowMessagesTest, RecordingPathIsTheSanitisedNameInTheViewersFolderOrNothing) {
    Open();
    const std::wstring folder = platform::FromNativePath(recordings_.native());
    // No request: the viewer's buffer stays as it was.
    EXPECT_EQ(RecFileName(), L"");
    Publish(L"ニュース: 7/8?.ts");
    EXPECT_EQ(RecFileName(), folder + L"/ニュース： 7／8？.ts");
    Publish(L"../../etc/x\t.ts");
    EXPECT_EQ(RecFileName(), folder + L"/..／..／etc／x_.ts");
    Publish(L"..");
    EXPECT_EQ(RecFileName(), L"");
    Publish(L"");
    EXPECT_EQ(RecFileName(), L"");
    SetFriioSavePath(L"");  // no recording folder: no path at the root of the file system
    Publish(L"a.ts");
    EXPECT_EQ(RecFileName(), L"");
}

TEST_F(WindowMessagesTest, ServiceFollowKeepsTheRecordedServiceUntilTheRequestOrRecordingEnds) {
    Open();
    Publish(L"a.ts", 27, 0x400);
    Send(shared::WM_PLUGIN_REC_START, 27, 0x400);
    RecFileName();  // arms the follow timer (500 ms of clock time)
    ASSERT_TRUE(test_support::WaitUntil([&] { return host_.Calls().size() >= 3; }));
    EXPECT_EQ(host_.Calls()[2], (std::pair<std::string, std::uint32_t>{"service", 0x400}));
    // The viewer reports the service: nothing more to do.
    plugin_->OnChannelChanged(27, 0x400);
    ASSERT_TRUE(test_support::WaitForTimerPeriod(kServiceFollowMs));
    const std::size_t calls = host_.Calls().size();
    ASSERT_TRUE(test_support::WaitForTimerPeriod(kServiceFollowMs));  // another follow tick
    EXPECT_EQ(host_.Calls().size(), calls);
    // 0x43E ends the following even though the request is still there.
    plugin_->OnChannelChanged(27, 0x401);
    Send(shared::WM_PLUGIN_REC_STOP);
    ASSERT_TRUE(test_support::WaitForTimerPeriod(kServiceFollowMs));
    EXPECT_EQ(host_.Calls().size(), calls);
    // Without a request the follow timer ends itself on its first tick.
    rec_.CloseAll();
    RecFileName();
    ASSERT_TRUE(test_support::WaitForTimerPeriod(kServiceFollowMs));
    EXPECT_EQ(host_.Calls().size(), calls);
}

TEST_F(WindowMessagesTest, ErrorLogUsesTheNameOnlyWhenItStaysInTheFolder) {
    Open();
    Publish(L"sub/x.ts");
    Send(platform::WM_TIMER, kErrorLogTimer);
    Publish(L"..\\x.ts");
    Send(platform::WM_TIMER, kErrorLogTimer);
    ASSERT_TRUE(test_support::WaitForQueuedMessages());
    EXPECT_TRUE(host_.Posts().empty());
    EXPECT_TRUE(std::filesystem::is_empty(recordings_));
    // Dots alone are a plain name here: "..", then ".err", inside the folder.
    Publish(L"..");
    Send(platform::WM_TIMER, kErrorLogTimer);
    EXPECT_TRUE(std::filesystem::exists(recordings_ / "...err"));
    // A new log tells the viewer nothing: the margin came with the start.
    ASSERT_TRUE(test_support::WaitForQueuedMessages());
    EXPECT_TRUE(host_.Posts().empty());
}

TEST_F(WindowMessagesTest, ClockOffsetIsPublishedAndCorrectsTheClockOnlyWhenAskedTo) {
    world_.SetPluginSetting(L"TimeSync", L"0");
    CQuorvantelDlg& dlg = Open();
    platform::Clock& clock = platform::Clock::Instance();
    const auto pid = static_cast<platform::DWORD>(::getpid());
    CQuorvantelDlgTestAccess::SetBroadcastTimeOffset(dlg, clock.NowLocal() - 35'000'000);
    std::int32_t published = 0;
    ASSERT_EQ(shared::ReadPluginTime(pid, &published), 1);
    EXPECT_EQ(published, -3);
    EXPECT_EQ(dlg.ClockOffset(), -3);
    std::uint64_t before = clock.NowLocal();
    Send(platform::WM_TIMER, kClockSyncTimer);
    EXPECT_GE(clock.NowLocal(), before);  // TimeSync 0: the clock stays
    plugin_.reset();

    world_.SetPluginSetting(L"TimeSync", L"1");
    CQuorvantelDlg& synced = Open();
    CQuorvantelDlgTestAccess::SetBroadcastTimeOffset(synced, clock.NowLocal() - 35'000'000);
    before = clock.NowLocal();
    Send(platform::WM_TIMER, kClockSyncTimer);
    EXPECT_LT(clock.NowLocal(), before - 25'000'000);
    EXPECT_GT(clock.NowLocal(), before - 35'000'000);
}

TEST_F(WindowMessagesTest, TheUserCannotCloseTheWindowWithTheCloseCommandEnterOrEscape) {
    CQuorvantelDlg& dlg = Open();
    EXPECT_FALSE(dlg.HasCloseCommand());
    EXPECT_EQ(dlg.SendMessage(platform::WM_SYSCOMMAND, ui::SC_CLOSE, 0), 1);
    QWidget* start = dlg.GetDlgItem(IDC_START);
    start->setFocus();
    for (int key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
        QApplication::sendEvent(start, &press);
        QApplication::sendEvent(start, &release);
    }
    ASSERT_TRUE(test_support::WaitForQueuedMessages());
    EXPECT_TRUE(dlg.IsWindowVisible());
    EXPECT_TRUE(plugin_test::MessageBoxes().empty());  // Start was not pressed
    EXPECT_EQ(dlg.LastPublishedStatus(), kStatusIdle);
}

TEST_F(WindowMessagesTest, AWorkerThatOutlivesTheFirstWaitIsWaitedForBeforeAnythingIsFreed) {
    CQuorvantelDlg& dlg = Open();
    // Another thread holds the store, so the worker's next chunk waits for it: once the window
    // has begun to stop the worker, the chunk still takes three times the window's first wait
    // (300 ms of clock time).
    std::mutex& store = CQuorvantelDlgTestAccess::StoreLock(dlg);
    std::promise<void> held;
    std::atomic<bool> released{false};
    std::thread holder([&] {
        std::lock_guard lock(store);
        held.set_value();
        test_support::WaitUntil([&] { return !dlg.WorkerRunning(); });
        platform::Sleep(900);
        released = true;
    });
    held.get_future().wait();
    std::vector<platform::BYTE> chunk(188 * 4, 0);
    for (std::size_t i = 0; i < chunk.size(); i += 188)
        chunk[i] = 0x47;
    plugin_->OnStreamData(chunk.data(), static_cast<platform::DWORD>(chunk.size()));
    ASSERT_TRUE(
        test_support::WaitUntil([&] { return CQuorvantelDlgTestAccess::QueueSize(dlg) == 0; }));
    dlg.DestroyWindow();
    // The window waited for the worker to finish its chunk, and only then let the thread, the
    // queue and the store go.
    EXPECT_TRUE(released);
    holder.join();
    EXPECT_FALSE(CQuorvantelDlgTestAccess::HasWorkerThread(dlg));
    EXPECT_FALSE(dlg.WorkerRunning());
}

}  // namespace
}  // namespace capture_plugin
