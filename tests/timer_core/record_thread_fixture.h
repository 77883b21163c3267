// What the record-thread tests share: the scheduler's TimerManager on a private ini file, its
// viewer the fake viewer (tests/timer_core/helpers) in "viewer" mode, a stand-in for the main
// window that logs the messages it gets, a stand-in for the plug-in of a viewer (its shared-memory
// objects and its window, published under the viewer's process id by the test process), and slots
// that a test drives cycle by cycle (RecordThread) on the simulated clock, which it sets as it
// needs.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/clock.h"
#include "platform/paths.h"
#include "platform/private_profile.h"
#include "platform/process.h"
#include "platform/process_snapshot.h"
#include "platform/registry.h"
#include "platform/window_messages.h"
#include "shared/friio_view_window.h"
#include "shared/shared_memory_block.h"
#include "shared/shared_memory_layouts.h"
#include "shared/window_message_ids.h"
#include "tests/timer_core/fake_viewer.h"
#include "tests/timer_core/scheduler_fixture.h"
#include "timer_core/recording/friio_view_launcher.h"
#include "timer_core/recording/friio_view_processes.h"
#include "timer_core/recording/friio_view_windows.h"
#include "timer_core/recording/record_request.h"
#include "timer_core/recording/record_thread.h"
#include "timer_core/scheduling/reserve_time.h"
#include "timer_core/scheduling/timer_manager.h"

namespace record_thread_test {

using scheduler_test::At;
using scheduler_test::kMinato;
using scheduler_test::kSoraBs;
using scheduler_test::SetClock;
using scheduler_test::Today;
using timer_core::RecordThread;
using timer_core::RecThreadSlot;
using timer_core::ReserveEntry;
using timer_core::TimerManager;

inline std::uint64_t Clock(const platform::SYSTEMTIME& time) {
    return timer_core::LocalFileTime(time);
}
inline std::uint64_t Now() {
    return timer_core::LocalNowFileTime();
}
// Seconds from `from` to `to` (FILETIME values), with fractions.
inline double SecondsBetween(std::uint64_t from, std::uint64_t to) {
    return (static_cast<double>(to) - static_cast<double>(from)) / 1e7;
}
// The clock set to `seconds` (fractions allowed) before or after `time`.
inline void SetClockAround(const platform::SYSTEMTIME& time, double seconds) {
    const auto at = static_cast<std::uint64_t>(static_cast<double>(Clock(time)) + seconds * 1e7);
    const platform::SYSTEMTIME moved = timer_core::LocalSystemTime(at);
    ASSERT_TRUE(platform::SetLocalTime(&moved));
}

// A window on a thread of its own that logs every message it gets with the clock time.
class MessageLog : public platform::WindowTarget {
  public:
    struct Entry {
        platform::UINT message = 0;
        platform::WPARAM wParam = 0;
        platform::LPARAM lParam = 0;
        std::uint64_t time = 0;
    };

    // `react`, when given, runs on the window's thread for every message after it was logged.
    explicit MessageLog(std::wstring title, std::function<void(platform::UINT)> react = {})
        : title_(std::move(title)), react_(std::move(react)) {
        thread_ = std::thread([this] { Run(); });
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return ready_; });
    }
    ~MessageLog() override {
        platform::PostMessageW(hwnd_, platform::WM_QUIT, 0, 0);
        thread_.join();
    }
    MessageLog(const MessageLog&) = delete;
    MessageLog& operator=(const MessageLog&) = delete;

    platform::HWND hwnd() const { return hwnd_; }

    platform::LRESULT WindowProc(platform::UINT message, platform::WPARAM wParam,
                                 platform::LPARAM lParam) override {
        {
            const std::lock_guard lock(mutex_);
            entries_.push_back({message, wParam, lParam, Now()});
            changed_.notify_all();
        }
        if (react_) react_(message);
        return 0;
    }

    std::vector<Entry> Entries() const {
        const std::lock_guard lock(mutex_);
        return entries_;
    }
    std::vector<Entry> Of(platform::UINT message) const {
        std::vector<Entry> found;
        for (const Entry& entry : Entries()) {
            if (entry.message == message) found.push_back(entry);
        }
        return found;
    }
    int Count(platform::UINT message) const { return static_cast<int>(Of(message).size()); }
    // Waits, in real time, until `count` messages of the kind have come.
    bool WaitFor(platform::UINT message, int count = 1, int timeoutMs = 20000) const {
        return timer_core_test::WaitUntil([&] { return Count(message) >= count; }, timeoutMs);
    }

  private:
    void Run() {
        const platform::HWND hwnd = platform::CreateWindowHandle(this, title_, 0, true);
        {
            const std::lock_guard lock(mutex_);
            hwnd_ = hwnd;
            ready_ = true;
            changed_.notify_all();
        }
        platform::MSG msg;
        while (platform::GetMessageW(&msg, 0, 0, 0) > 0)
            platform::DispatchMessageW(&msg);
        platform::DestroyWindowHandle(hwnd);
    }

    std::wstring title_;
    std::function<void(platform::UINT)> react_;
    std::thread thread_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool ready_ = false;
    platform::HWND hwnd_ = 0;
    std::vector<Entry> entries_;
};

// The plug-in of a viewer as the timer sees it: its objects and its window, published by the
// test process under the viewer's process id. Asked to close its viewer (0x434), it closes it.
class FakePlugin {
  public:
    explicit FakePlugin(platform::DWORD pid)
        : pid_(pid), window_(L"Quorvantel", [pid](platform::UINT message) {
              if (message == shared::WM_VIEWER_CLOSE) {
                  platform::PostMessageW(shared::FindFriioViewMainWindow(pid), platform::WM_CLOSE,
                                         0, 0);
              }
          }) {
        Publish([&] { return objects_.WritePostHwnd(window_.hwnd(), pid_); });
    }
    void PublishEvent(const shared::PluginEventInfo& info) {
        Publish([&] { return objects_.WriteEvent(info, pid_); });
    }
    void PublishTime(std::int32_t offsetSeconds) {
        Publish([&] { return objects_.WriteTime(offsetSeconds, pid_); });
    }
    const MessageLog& Messages() const { return window_; }

  private:
    // A write finds the object held by a reader now and then: it is tried again.
    template <class Write>
    void Publish(Write write) {
        ASSERT_TRUE(timer_core_test::WaitUntil([&] { return write() == 1; }));
    }

    platform::DWORD pid_;
    MessageLog window_;
    shared::SharedMemoryBlock objects_;
};

// What the plug-in tells of a service's present and following programmes.
inline shared::PluginEventInfo EventInfo(const ReserveEntry& present, const ReserveEntry& next) {
    shared::PluginEventInfo info;
    info.channel = static_cast<std::uint32_t>(present.channelValue);
    info.serviceId = present.serviceId;
    info.eventId = present.eventId;
    info.start = present.start;
    info.durationMinutes = static_cast<std::int32_t>(present.durationMinutes);
    info.nextEventId = next.eventId;
    info.nextStart = next.start;
    info.nextDurationMinutes = static_cast<std::int32_t>(next.durationMinutes);
    return info;
}

// One start of the fake viewer.
struct ViewerRun {
    platform::DWORD pid = 0;
    std::uint64_t time = 0;  // local clock when it started
    std::vector<std::string> args;

    bool Has(const std::string& option, const std::string& value) const {
        for (std::size_t i = 0; i + 1 < args.size(); ++i) {
            if (args[i] == option && args[i + 1] == value) return true;
        }
        return false;
    }
    bool HasFlag(const std::string& option) const {
        for (const std::string& arg : args) {
            if (arg == option) return true;
        }
        return false;
    }
    std::string Value(const std::string& option) const {
        for (std::size_t i = 0; i + 1 < args.size(); ++i) {
            if (args[i] == option) return args[i + 1];
        }
        return {};
    }
};

// The scheduler's fixture with the record thread as every slot's procedure.
class RecordThreadFixture : public scheduler_test::SchedulerFixture {
  protected:
    void SetUp() override {
        SchedulerFixture::SetUp();
        manager_.SetRecordProcedure(timer_core::RecordThreadProc);
        Set(L"FriioViewPath", viewer_.Path());
        Set(L"StartSec", L"15");
        Set(L"EndSec", L"1");
        manager_.SetMainWindow(main_.hwnd());
        recordings_ = folder_ / "recordings";
        std::filesystem::create_directories(recordings_);
        auto friio = platform::RegistryKey::Create(L"Software\\Friio");
        ASSERT_TRUE(friio.has_value());
        friio->SetString(L"SavePath", platform::FromNativePath(recordings_.native()));
    }
    void TearDown() override {
        manager_.StopAllRecordThreads();
        for (const auto& slot : slots_)
            platform::SetEvent(slot->stopEvent);
        for (const ViewerRun& run : Runs()) {
            platform::TerminateProcess(run.pid, 1);
            platform::WaitForProcess(run.pid, timer_core_test::kProcessEndMs);
        }
        SchedulerFixture::TearDown();
    }

    // A value of section SET, read again by the manager.
    void Set(const wchar_t* key, const std::wstring& value) {
        Ini(L"SET", key, value);
        manager_.LoadSettings();
    }

    // One cycle of the thread with the clock `seconds` before (negative) or after `start`.
    bool CycleAt(RecordThread& thread, const platform::SYSTEMTIME& start, double seconds) {
        SetClockAround(start, seconds);
        return thread.Cycle();
    }
    // Takes a follow-mode thread to its final minute, 80 s before its start, with the device
    // chosen and a viewer started: the plug-in of that viewer.
    std::unique_ptr<FakePlugin> FollowFinalMinute(RecordThread& thread,
                                                  const std::shared_ptr<RecThreadSlot>& slot) {
        const platform::SYSTEMTIME start = Read(slot->currentReserve).start;
        EXPECT_TRUE(thread.Begin());
        EXPECT_TRUE(CycleAt(thread, start, -100));  // r = 80 s: the device
        EXPECT_TRUE(CycleAt(thread, start, -80));   // r = 60 s: the viewer
        EXPECT_NE(ViewerOf(slot), 0u);
        return std::make_unique<FakePlugin>(ViewerOf(slot));
    }
    bool IsViewer(platform::DWORD pid) const {
        return timer_core::IsFriioViewPid(pid, platform::TakeProcessSnapshot()) == 1;
    }

    // Stores a reservation of service 0x400, in follow mode or not, and returns the stored record.
    std::shared_ptr<ReserveEntry> Add(const std::wstring& title, const platform::SYSTEMTIME& start,
                                      std::uint32_t minutes, int follow, int priority = 3,
                                      std::int32_t channel = kMinato) {
        ReserveEntry entry = NewEntry(title, start, minutes, priority, channel);
        entry.serviceId = 0x400;
        entry.follow = static_cast<std::uint8_t>(follow);
        return Store(entry);
    }

    // A slot holding the reservation (and a chained one), as the assignment makes it, for a
    // thread that the test drives; it is not one of the manager's slots.
    std::shared_ptr<RecThreadSlot> Slot(const std::shared_ptr<ReserveEntry>& current,
                                        const std::shared_ptr<ReserveEntry>& chained = nullptr) {
        auto slot = std::make_shared<RecThreadSlot>();
        slot->owner = manager_.ShareWithThread();
        const std::lock_guard lock(manager_.DataLock());
        slot->currentReserve = current;
        current->assigned = 1;
        if (chained) {
            slot->chainedReserve = chained;
            slot->chainedFlag = 1;
            chained->assigned = 1;
        }
        slots_.push_back(slot);
        return slot;
    }

    // A fake viewer started as the timer starts one, with its window up.
    platform::DWORD StartViewer(int device = 0) {
        timer_core::FriioViewLauncher launcher;
        launcher.SetPath(viewer_.Path());
        platform::DWORD pid = 0;
        EXPECT_EQ(launcher.StartOnChannel(kMinato, device, &pid), 1);
        EXPECT_TRUE(
            timer_core_test::WaitUntil([&] { return timer_core::QueryFriioViewWindow(pid) != 0; }));
        return pid;
    }

    // Every start of the fake viewer so far, in the order of their clock times.
    std::vector<ViewerRun> Runs() const {
        std::vector<ViewerRun> runs;
        const auto folder = viewer_.Folder() / "runs";
        std::error_code ec;
        for (const auto& file : std::filesystem::directory_iterator(folder, ec)) {
            if (file.path().extension() != ".txt") continue;
            ViewerRun run;
            run.pid = static_cast<platform::DWORD>(std::stoul(file.path().stem().string()));
            std::ifstream in(file.path());
            std::string line;
            std::getline(in, line);
            run.time = std::stoull(line);
            while (std::getline(in, line))
                run.args.push_back(line);
            runs.push_back(run);
        }
        std::ranges::sort(runs, {}, &ViewerRun::time);
        return runs;
    }
    // The messages the fake viewer's window of that process got, as "0x<hex>" with clock times.
    std::vector<std::pair<std::uint64_t, std::string>> ViewerMessages(platform::DWORD pid) const {
        std::ifstream in(viewer_.Folder() / "runs" / (std::to_string(pid) + ".messages"));
        std::vector<std::pair<std::uint64_t, std::string>> lines;
        std::uint64_t time = 0;
        std::string message;
        while (in >> time >> message)
            lines.emplace_back(time, message);
        return lines;
    }
    int DebugCount(const std::string& text) const {
        int count = 0;
        for (const std::string& line : DebugLines())
            count += line.find(text) != std::string::npos ? 1 : 0;
        return count;
    }

    // A copy of the reservation's fields, read under the data lock.
    ReserveEntry Read(const std::shared_ptr<ReserveEntry>& entry) const {
        const std::lock_guard lock(manager_.DataLock());
        return *entry;
    }
    std::int32_t DeviceOf(const std::shared_ptr<RecThreadSlot>& slot) const {
        const std::lock_guard lock(manager_.DataLock());
        return slot->deviceIndex;
    }
    platform::DWORD ViewerOf(const std::shared_ptr<RecThreadSlot>& slot) const {
        const std::lock_guard lock(manager_.DataLock());
        return slot->viewerProcessId;
    }
    // The file the slot's viewer records its current reservation into (no NameManual).
    std::filesystem::path RecordingOf(const std::shared_ptr<RecThreadSlot>& slot) const {
        const std::lock_guard lock(manager_.DataLock());
        return recordings_ / platform::ToNativePath(timer_core::RecordingFileName(
                                 *slot->currentReserve, 0, slot->deviceIndex));
    }
    // What the slot's viewer does once it records (the fake viewer records nothing): the file
    // grows by a packet.
    void GrowRecording(const std::shared_ptr<RecThreadSlot>& slot) const {
        std::ofstream(RecordingOf(slot), std::ios::binary | std::ios::app) << std::string(188, 'G');
    }

    timer_core_test::PrivateHome home_;
    timer_core_test::FakeViewer viewer_{"viewer"};
    MessageLog main_{L"Orvandel"};
    std::filesystem::path recordings_;
    std::vector<std::shared_ptr<RecThreadSlot>> slots_;
};

}  // namespace record_thread_test
