#include "broadcast_sim/collected_epg_data.h"

#include <vector>

#include "broadcast_sim/live_channel_stream.h"
#include "broadcast_sim/si_packet_stream.h"

namespace broadcast_sim {
namespace {

bool IsWrittenPid(int pid) {
    return pid == kPidPat || pid == kPidNit || pid == kPidSdt || pid == kPidEit || pid == kPidTot;
}

}  // namespace

std::string CollectEpgData(const ChannelBroadcast& channel, std::uint64_t start,
                           std::uint64_t durationMs, std::uint64_t scheduleCycleMs) {
    LiveStreamSettings settings;
    settings.schedule_cycle_ms = scheduleCycleMs;
    LiveChannelStream stream([&channel](std::uint64_t) { return channel; }, {}, settings);
    std::string file;
    std::vector<TsPacket> packets;
    for (std::uint64_t ms = 0; ms < durationMs; ms += 100) {
        packets.clear();
        // No budget: the tables only, without the services' filler.
        stream.Produce(start + ms * platform::kFileTimePerMillisecond, ms, 0, packets);
        for (const TsPacket& p : packets) {
            if (IsWrittenPid(((p[1] & 0x1F) << 8) | p[2])) {
                file.append(reinterpret_cast<const char*>(p.data()), p.size());
            }
        }
    }
    return file;
}

}  // namespace broadcast_sim
