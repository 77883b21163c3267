#include "tests/capture_plugin/plugin_test_support.h"

#include <stdlib.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>
#include <utility>

#include "broadcast_sim/live_channel_stream.h"
#include "broadcast_sim/sample_schedule.h"
#include "broadcast_sim/si_packet_stream.h"
#include "broadcast_sim/sim_time.h"
#include "broadcast_sim/stream_pacer.h"
#include "broadcast_sim/time_builder.h"
#include "platform/clock.h"
#include "platform/code_page.h"
#include "platform/paths.h"
#include "platform/private_profile.h"
#include "platform/registry.h"
#include "tests/capture_plugin/window_parts_environment.h"
#include "ui/message_box.h"

namespace capture_plugin {

void CQuorvantelDlgTestAccess::SetCollection(CQuorvantelDlg& d, std::vector<ChannelItem> list,
                                             int bsBasicOnly, int csBasicOnly) {
    std::lock_guard lock(d.captureLock_);
    d.captureList_ = std::move(list);
    d.captureIndex_ = 0;
    d.bsBasicOnly_ = bsBasicOnly;
    d.csBasicOnly_ = csBasicOnly;
    d.cs1Done_ = 0;
    d.cs2Done_ = 0;
}

std::size_t CQuorvantelDlgTestAccess::QueueSize(CQuorvantelDlg& d) {
    if (!d.TakeQueueLock()) return static_cast<std::size_t>(-1);
    const std::size_t size = d.streamQueue_.size();
    d.ReleaseQueueLock();
    return size;
}

bool CQuorvantelDlgTestAccess::KnowsServicesOf(CQuorvantelDlg& d, std::uint16_t tsid) {
    if (d.CurrentTransportStreamId() != tsid) return false;
    std::lock_guard lock(d.storeLock_);
    if (!d.store_) return false;
    const auto first = d.store_->services.lower_bound(broadcast::ServiceKey(tsid, 0));
    return first != d.store_->services.end() && first->first >> 16 == tsid;
}

std::optional<int> CQuorvantelDlgTestAccess::Advance(CQuorvantelDlg& d, int index,
                                                     std::uint32_t channel) {
    std::uint64_t generation = 0;
    {
        std::lock_guard lock(d.captureLock_);
        generation = d.captureGeneration_;
        d.captureIndex_ = index;
    }
    return d.AdvanceCollection(generation, index, channel);
}

}  // namespace capture_plugin

namespace plugin_test {
namespace {

// A channel's live stream without its EIT: its schedules never complete.
class WithoutEit : public broadcast_sim::PacketSource {
  public:
    explicit WithoutEit(std::unique_ptr<broadcast_sim::PacketSource> inner)
        : inner_(std::move(inner)) {}
    void Produce(std::uint64_t nowLocal, std::uint64_t tickMs, std::size_t budget,
                 std::vector<broadcast_sim::TsPacket>& out) override {
        round_.clear();
        inner_->Produce(nowLocal, tickMs, budget, round_);
        for (const auto& packet : round_) {
            if ((((packet[1] & 0x1F) << 8) | packet[2]) != broadcast_sim::kPidEit)
                out.push_back(packet);
        }
    }

  private:
    std::unique_ptr<broadcast_sim::PacketSource> inner_;
    std::vector<broadcast_sim::TsPacket> round_;
};

constexpr double kBitsPerRealSecond = 400000.0;
constexpr std::size_t kChunkPackets = 32;
constexpr std::uint64_t kScheduleCycleMs = 5000;
constexpr auto kRoundClockMs = static_cast<platform::DWORD>(2 * window_parts_test::kClockRate);

}  // namespace

std::vector<ui::MessageBoxRequest>& MessageBoxes() {
    static std::vector<ui::MessageBoxRequest> boxes;
    return boxes;
}

double ClockSeconds() {
    return static_cast<double>(platform::Clock::Instance().NowLocal()) / 1e7;
}

void AdvanceClock(double seconds) {
    platform::Clock& clock = platform::Clock::Instance();
    clock.SetLocal(clock.NowLocal() + static_cast<std::uint64_t>(seconds * 1e7));
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

HostWindow::HostWindow(int tunerKind) : tunerKind_(tunerKind) {
    hwnd_ = platform::CreateWindowHandle(this, L"Friio HDTV Player", 0, true);
}

HostWindow::~HostWindow() {
    platform::DestroyWindowHandle(hwnd_);
}

platform::LRESULT HostWindow::WindowProc(platform::UINT message, platform::WPARAM,
                                         platform::LPARAM) {
    return message == 0x101C ? tunerKind_ : 0;
}

broadcast_sim::ChannelBroadcast MakeChannel(
    std::uint32_t channel, std::uint16_t tsid,
    std::vector<std::pair<std::uint16_t, std::uint8_t>> servicesAndTypes) {
    broadcast_sim::ChannelBroadcast result;
    result.channel = channel;
    result.transport_stream_id = tsid;
    result.original_network_id = tsid;
    result.ts_name = L"試験" + std::to_wstring(channel);
    for (const auto& [sid, type] : servicesAndTypes) {
        broadcast_sim::ServiceSchedule service;
        service.service_id = sid;
        service.service_type = type;
        service.name = L"局" + std::to_wstring(sid);
        const std::uint64_t yesterday =
            broadcast_sim::StartOfDay(platform::Clock::Instance().NowLocal()) -
            platform::kFileTimePerDay;
        service.events =
            broadcast_sim::MakeSampleEvents(broadcast_sim::ToCalendar(yesterday), 24 * 10,
                                            static_cast<std::uint16_t>(sid * 7), sid);
        result.services.push_back(std::move(service));
    }
    return result;
}

FakeHost::FakeHost() = default;

FakeHost::~FakeHost() {
    Detach();
}

void FakeHost::AddChannel(const broadcast_sim::ChannelBroadcast& channel, bool withEit) {
    firstService_[channel.channel] =
        channel.services.empty() ? 0 : channel.services.front().service_id;
    channels_[channel.channel] = [channel,
                                  withEit]() -> std::unique_ptr<broadcast_sim::PacketSource> {
        broadcast_sim::LiveStreamSettings settings;
        settings.schedule_cycle_ms = kScheduleCycleMs;
        auto live = std::make_unique<broadcast_sim::LiveChannelStream>(
            [channel](std::uint64_t) { return channel; },
            std::vector<broadcast_sim::ScheduleChange>{}, settings);
        if (withEit) return live;
        return std::make_unique<WithoutEit>(std::move(live));
    };
}

void FakeHost::Attach(IDTVPlugin* plugin, std::uint32_t channel) {
    plugin_ = plugin;
    {
        std::lock_guard lock(mutex_);
        source_ = channels_.count(channel) ? channels_[channel]() : nullptr;
    }
    plugin->OnChannelChanged(channel, firstService_[channel]);
    player_ = std::make_unique<platform::Thread>([this] { return Play(); }, false);
}

void FakeHost::Detach() {
    plugin_ = nullptr;
    if (!player_) return;
    platform::SetEvent(stop_);
    player_->Wait(platform::INFINITE);
    player_.reset();
}

int FakeHost::SetChannel(platform::DWORD channel) {
    {
        std::lock_guard lock(mutex_);
        tunings_.push_back({channel, ClockSeconds()});
        // A channel it does not carry is refused, as the viewer refuses one its tuner cannot
        // receive: the tuned channel plays on.
        if (!channels_.count(channel)) return 0;
        source_ = channels_[channel]();
        retuned_ = true;
    }
    // Read only: the worker tunes channels it was never given as well.
    const auto first = firstService_.find(channel);
    notices_.Post(channel, first == firstService_.end() ? 0 : first->second);
    return 1;
}

FakeHost::ChannelNotices::ChannelNotices(const std::atomic<IDTVPlugin*>& plugin)
    : plugin_(plugin), hwnd_(platform::CreateWindowHandle(this, L"", 0, false)) {}

FakeHost::ChannelNotices::~ChannelNotices() {
    platform::DestroyWindowHandle(hwnd_);
}

void FakeHost::ChannelNotices::Post(platform::DWORD channel, std::uint16_t service) const {
    platform::PostMessageW(hwnd_, platform::WM_USER, channel, service);
}

platform::LRESULT FakeHost::ChannelNotices::WindowProc(platform::UINT message,
                                                       platform::WPARAM wParam,
                                                       platform::LPARAM lParam) {
    if (message != platform::WM_USER) return 0;
    if (IDTVPlugin* plugin = plugin_.load())
        plugin->OnChannelChanged(static_cast<platform::DWORD>(wParam),
                                 static_cast<std::uint16_t>(lParam));
    return 0;
}

int FakeHost::GetStatus(PluginHostStatus* status) {
    if (status == nullptr) return 0;
    *status = PluginHostStatus{};
    status->recording = recording_ ? 1 : 0;
    return 1;
}

std::vector<FakeHost::Tuning> FakeHost::Tunings() const {
    std::lock_guard lock(mutex_);
    return tunings_;
}

platform::DWORD FakeHost::Play() {
    broadcast_sim::StreamPacer pacer(kBitsPerRealSecond, kChunkPackets);
    pacer.Restart(std::chrono::steady_clock::now());
    const auto sink = [this](const std::uint8_t* data, std::size_t size) {
        if (IDTVPlugin* plugin = plugin_.load())
            plugin->OnStreamData(data, static_cast<platform::DWORD>(size));
    };
    while (platform::WaitForSingleObject(stop_, 0) != platform::WAIT_OBJECT_0) {
        {
            std::lock_guard lock(mutex_);
            // A new channel starts a new stream: the part of a chunk left from the channel
            // before is dropped, as a tuner drops it.
            if (std::exchange(retuned_, false)) pacer.Restart(std::chrono::steady_clock::now());
            if (source_) {
                const platform::Clock& clock = platform::Clock::Instance();
                pacer.Round(*source_, std::chrono::steady_clock::now(), clock.NowLocal(),
                            clock.TickMs(), sink);
            }
        }
        // The next round comes about 2 ms of real time later; a stop ends the wait at once.
        platform::WaitForSingleObject(stop_, kRoundClockMs);
    }
    return 0;
}

PluginWorld::PluginWorld() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "orvandel-plugin-XXXXXX").string();
    root_ = ::mkdtemp(pattern.data());
    for (const char* sub : {"home/Documents", "config", "viewer", "capture"})
        std::filesystem::create_directories(root_ / sub);
    env_.Set("HOME", (root_ / "home").string());
    env_.Set("XDG_CONFIG_HOME", (root_ / "config").string());
    SetPluginSetting(L"SavePath", platform::FromNativePath(CaptureFolder().native()));
    // Modal boxes answer at once; each test sees only the boxes of its own world.
    MessageBoxes().clear();
    ui::SetMessageBoxAnswer([](const ui::MessageBoxRequest& request) {
        MessageBoxes().push_back(request);
        return ui::IDOK;
    });
}

PluginWorld::~PluginWorld() {
    window_parts_test::RefuseMessageBoxes();
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
}

std::wstring PluginWorld::HostFolder() const {
    return platform::FromNativePath(ViewerFolder().native()) + L"/";
}

void PluginWorld::WriteChannelsIni(const std::wstring& text) {
    WriteFile(ViewerFolder() / "channels.ini", platform::WideToShiftJis(text));
}

void PluginWorld::WriteBscsIni(const std::wstring& text) {
    WriteFile(ViewerFolder() / "bscs.ini", platform::WideToShiftJis(text));
}

void PluginWorld::SetPluginSetting(const std::wstring& key, const std::wstring& value) {
    platform::WritePrivateProfileStringW(L"Set", key.c_str(), value.c_str(),
                                         (HostFolder() + L"friio_Quorvantel.ini").c_str());
}

void PluginWorld::SetArea(const std::wstring& area) {
    platform::RegistryKey::Create(L"Software\\Friio")->SetString(L"Area", area);
}

}  // namespace plugin_test
