#include "tests/timer_ui/synthetic_epg_store.h"

#include <vector>

#include "broadcast/stream_si_capture.h"
#include "broadcast_sim/live_channel_stream.h"
#include "broadcast_sim/sim_time.h"

namespace timer_ui_test {

bool ReceiveSyntheticChannel(const broadcast_sim::SampleChannel& channel, std::uint64_t now,
                             broadcast::EpgStore& store) {
    const broadcast_sim::ChannelBroadcast broadcast =
        broadcast_sim::MakeDefaultChannel(channel, now);
    broadcast_sim::LiveStreamSettings settings;
    settings.schedule_cycle_ms = 2000;
    broadcast_sim::LiveChannelStream stream([broadcast](std::uint64_t) { return broadcast; }, {},
                                            settings);
    broadcast::StreamSiCapture capture;
    capture.store = &store;
    // Plays the stream in steps of 100 ms of its own time, at most two carousel rounds.
    constexpr std::uint64_t kStep = 100;
    std::uint64_t tick = 5000;
    for (std::uint64_t played = 0; played < 2 * settings.schedule_cycle_ms + 5000;
         played += kStep) {
        std::vector<broadcast_sim::TsPacket> packets;
        stream.Produce(now + played * platform::kFileTimePerMillisecond, tick + played, 400,
                       packets);
        for (const broadcast_sim::TsPacket& packet : packets) {
            if (capture.AddPacket(packet.data()) == broadcast::kScheduleComplete) return true;
        }
    }
    return false;
}

const broadcast::EpgEventRecord* NextEvent(const broadcast::EpgStore& store,
                                           std::uint32_t serviceKey, std::uint64_t now) {
    const auto schedule = store.schedules.find(serviceKey);
    if (schedule == store.schedules.end()) return nullptr;
    const broadcast::EpgEventRecord* next = nullptr;
    std::uint64_t nextStart = 0;
    for (const auto& [id, event] : schedule->second->events) {
        const std::uint64_t value = broadcast_sim::ToTimeValue(broadcast::EventStart(*event));
        if (value >= now && (next == nullptr || value < nextStart)) {
            next = event.get();
            nextStart = value;
        }
    }
    return next;
}

}  // namespace timer_ui_test
