// What the plug-in tests share, on top of the test program's environment (offscreen Qt, private
// runtime, simulated clock; window_parts_environment.h): a private world per test (home, Documents,
// viewer folder, capture folder), a stand-in host that tunes synthetic channels and plays them into
// the plug-in from a tuner thread, and the host's main window that answers the tuner-kind question.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "broadcast_sim/broadcast_description.h"
#include "broadcast_sim/packet_source.h"
#include "capture_plugin/quorvantel.h"
#include "platform/thread.h"
#include "platform/window_messages.h"
#include "shared/dtv_plugin.h"
#include "tests/support/scoped_environment.h"
#include "ui/message_box.h"

namespace capture_plugin {

// Reaches the window's private state for the tests that need it.
struct CQuorvantelDlgTestAccess {
    static std::mutex& StoreLock(CQuorvantelDlg& d) { return d.storeLock_; }
    static std::size_t QueueSize(CQuorvantelDlg& d);
    static int ChannelChanged(CQuorvantelDlg& d) { return d.channelChanged_; }
    static void SetCollection(CQuorvantelDlg& d, std::vector<ChannelItem> list, int bsBasicOnly,
                              int csBasicOnly);
    static std::optional<int> Advance(CQuorvantelDlg& d, int index, std::uint32_t channel);
    // The queue lock, taken and given back as the window's own code does.
    static bool TakeQueueLock(CQuorvantelDlg& d) { return d.TakeQueueLock(); }
    static void ReleaseQueueLock(CQuorvantelDlg& d) { d.ReleaseQueueLock(); }
    // Whether the worker's thread object still exists (it is let go only once the thread ended).
    static bool HasWorkerThread(CQuorvantelDlg& d) { return d.worker_ != nullptr; }
    // Whether the worker has parsed the services of the stream `tsid` and takes it as the one on
    // air.
    static bool KnowsServicesOf(CQuorvantelDlg& d, std::uint16_t tsid);
    static void SetBroadcastTimeOffset(CQuorvantelDlg& d, std::uint64_t broadcastTime) {
        d.SetBroadcastTimeOffset(broadcastTime);
    }
};

}  // namespace capture_plugin

namespace plugin_test {

// The modal boxes shown so far (each answered at once with OK).
std::vector<ui::MessageBoxRequest>& MessageBoxes();

// Seconds of the (simulated) local clock.
double ClockSeconds();
// Moves the simulated local clock on (timers and waits keep their pace).
void AdvanceClock(double seconds);

std::string ReadFile(const std::filesystem::path& path);
void WriteFile(const std::filesystem::path& path, const std::string& bytes);

// The viewer's main window: answers 0x101C with the tuner kind.
class HostWindow : public platform::WindowTarget {
  public:
    explicit HostWindow(int tunerKind);
    ~HostWindow() override;
    platform::LRESULT WindowProc(platform::UINT message, platform::WPARAM wParam,
                                 platform::LPARAM lParam) override;
    platform::HWND hwnd() const { return hwnd_; }

  private:
    int tunerKind_;
    platform::HWND hwnd_ = 0;
};

// A synthetic channel: its services of the given types, each with a day of programmes.
broadcast_sim::ChannelBroadcast MakeChannel(
    std::uint32_t channel, std::uint16_t tsid,
    std::vector<std::pair<std::uint16_t, std::uint8_t>> servicesAndTypes);

// The host: tunes the channels it was given and plays the tuned one into the plug-in.
class FakeHost : public PluginHost {
  public:
    struct Tuning {
        std::uint32_t channel;
        double clockSeconds;
    };

    FakeHost();
    ~FakeHost() override;

    // The channel plays its live stream (schedule carousel of `scheduleCycleMs`); without EIT
    // its schedules never complete.
    void AddChannel(const broadcast_sim::ChannelBroadcast& channel, bool withEit = true);
    // Starts playing into the plug-in, tuned to `channel`.
    void Attach(IDTVPlugin* plugin, std::uint32_t channel);
    void Detach();

    // Tunes a channel it was given (and tells the plug-in on the window's thread); refuses any
    // other. Every call is noted in Tunings().
    int SetChannel(platform::DWORD channel) override;
    int SetService(platform::WORD) override { return 1; }
    int CloseViewer() override { return 1; }
    int GetStatus(PluginHostStatus* status) override;

    void SetRecording(bool recording) { recording_ = recording; }
    std::vector<Tuning> Tunings() const;

  private:
    // Tells the plug-in of a channel change on the GUI thread, as the viewer's window does: the
    // plug-in's worker tunes, the window's thread hears of it through a posted message.
    class ChannelNotices : public platform::WindowTarget {
      public:
        explicit ChannelNotices(const std::atomic<IDTVPlugin*>& plugin);
        ~ChannelNotices() override;
        void Post(platform::DWORD channel, std::uint16_t service) const;
        platform::LRESULT WindowProc(platform::UINT message, platform::WPARAM wParam,
                                     platform::LPARAM lParam) override;

      private:
        const std::atomic<IDTVPlugin*>& plugin_;
        platform::HWND hwnd_ = 0;
    };

    platform::DWORD Play();

    std::map<std::uint32_t, std::function<std::unique_ptr<broadcast_sim::PacketSource>()>>
        channels_;
    std::map<std::uint32_t, std::uint16_t> firstService_;
    mutable std::mutex mutex_;
    std::unique_ptr<broadcast_sim::PacketSource> source_;  // under mutex_
    bool retuned_ = false;                                 // under mutex_
    std::vector<Tuning> tunings_;                          // under mutex_
    std::atomic<IDTVPlugin*> plugin_{nullptr};
    std::atomic<bool> recording_{false};
    platform::Event stop_{true, false};
    std::unique_ptr<platform::Thread> player_;
    ChannelNotices notices_{plugin_};
};

// A private world for one test: HOME (with Documents), the viewer folder holding the channel lists
// and the plug-in's ini, and the capture folder. Modal boxes are answered with OK and counted in
// MessageBoxes(); once the world goes, HOME and the configuration folder are as before and a modal
// box fails the test again.
class PluginWorld {
  public:
    PluginWorld();
    ~PluginWorld();

    std::filesystem::path Root() const { return root_; }
    std::filesystem::path ViewerFolder() const { return root_ / "viewer"; }
    std::filesystem::path CaptureFolder() const { return root_ / "capture"; }
    std::filesystem::path DataFolder() const { return root_ / "home" / "Documents" / "Orvandel"; }
    std::wstring HostFolder() const;

    void WriteChannelsIni(const std::wstring& text);
    void WriteBscsIni(const std::wstring& text);
    // Section "Set" of friio_Quorvantel.ini.
    void SetPluginSetting(const std::wstring& key, const std::wstring& value);
    void SetArea(const std::wstring& area);

  private:
    std::filesystem::path root_;
    test_support::ScopedEnvironment env_;
};

}  // namespace plugin_test
