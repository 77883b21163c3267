#include "viewer/broadcast_catalog.h"

#include <algorithm>

#include "broadcast_sim/broadcast_description_file.h"
#include "broadcast_sim/default_broadcast.h"
#include "broadcast_sim/live_channel_stream.h"
#include "broadcast_sim/ts_file_player.h"

namespace viewer {
namespace {

const broadcast_sim::SampleChannel* FindSample(std::uint32_t channel) {
    const auto samples = broadcast_sim::SampleChannels();
    const auto it = std::find_if(samples.begin(), samples.end(),
                                 [&](const auto& s) { return s.channel == channel; });
    return it == samples.end() ? nullptr : &*it;
}

}  // namespace

std::optional<BroadcastCatalog> BroadcastCatalog::Load(const ViewerSettings& settings,
                                                       std::wstring* error) {
    BroadcastCatalog catalog;
    catalog.tsFolder_ = settings.tsFolder;
    catalog.scheduleCycleMs_ = settings.scheduleCycleMs;
    if (settings.broadcastFile.empty()) return catalog;
    broadcast_sim::DescriptionError e;
    catalog.file_ = broadcast_sim::LoadBroadcastDescription(settings.broadcastFile, &e);
    if (!catalog.file_) {
        if (error != nullptr) {
            *error = settings.broadcastFile + L":" + std::to_wstring(e.line) + L": " + e.message;
        }
        return std::nullopt;
    }
    return catalog;
}

std::unique_ptr<broadcast_sim::PacketSource> BroadcastCatalog::OpenSource(
    std::uint32_t channel, const DeviceSettings& device) const {
    if (!tsFolder_.empty()) return broadcast_sim::TsFilePlayer::Open(tsFolder_, channel);
    broadcast_sim::LiveChannelStream::DayProvider provider;
    std::vector<broadcast_sim::ScheduleChange> changes;
    if (file_) {
        const broadcast_sim::ChannelBroadcast* found = file_->FindChannel(channel);
        if (found == nullptr) return nullptr;
        provider = [c = *found](std::uint64_t) { return c; };
        changes = file_->changes;
    } else {
        const broadcast_sim::SampleChannel* sample = FindSample(channel);
        if (sample == nullptr) return nullptr;
        provider = [sample](std::uint64_t now) {
            return broadcast_sim::MakeDefaultChannel(*sample, now);
        };
    }
    broadcast_sim::LiveStreamSettings settings;
    settings.scrambled_share = device.scrambledShare;
    settings.schedule_cycle_ms = scheduleCycleMs_;
    return std::make_unique<broadcast_sim::LiveChannelStream>(std::move(provider),
                                                              std::move(changes), settings);
}

std::optional<broadcast_sim::ChannelBroadcast> BroadcastCatalog::Outline(
    std::uint32_t channel) const {
    broadcast_sim::ChannelBroadcast outline;
    outline.channel = channel;
    if (file_) {
        const broadcast_sim::ChannelBroadcast* found = file_->FindChannel(channel);
        if (found == nullptr) return std::nullopt;
        outline.ts_name = found->ts_name;
        for (const auto& s : found->services)
            outline.services.push_back({s.service_id, s.service_type, s.name, {}});
    } else {
        const broadcast_sim::SampleChannel* sample = FindSample(channel);
        if (sample == nullptr) return std::nullopt;
        outline.ts_name = sample->ts_name;
        for (const auto& s : sample->services)
            outline.services.push_back({s.service_id, 0x01, s.name, {}});
    }
    return outline;
}

std::uint16_t BroadcastCatalog::FirstService(std::uint32_t channel) const {
    const auto outline = Outline(channel);
    return outline && !outline->services.empty() ? outline->services.front().service_id : 0;
}

std::wstring BroadcastCatalog::ServiceName(std::uint32_t channel, std::uint16_t serviceId) const {
    const auto outline = Outline(channel);
    if (!outline) return L"";
    const broadcast_sim::ServiceSchedule* service = outline->FindService(serviceId);
    return service != nullptr ? service->name : L"";
}

}  // namespace viewer
