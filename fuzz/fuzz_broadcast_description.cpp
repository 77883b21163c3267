// Broadcast description files, as the viewer reads them for its tuner: any bytes are parsed or
// refused with a line number, and the stream of every channel they describe is produced for a
// while without ending the process, whatever the texts and times hold.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "broadcast_sim/broadcast_description_file.h"
#include "broadcast_sim/live_channel_stream.h"
#include "broadcast_sim/sim_time.h"
#include "broadcast_sim/time_builder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace broadcast_sim;
    DescriptionError error;
    const auto description = ParseBroadcastDescription(
        std::string_view(reinterpret_cast<const char*>(data), size), &error);
    if (!description) {
        if (error.line < 1 || error.message.empty()) __builtin_trap();
        return 0;
    }
    for (const ChannelBroadcast& channel : description->channels) {
        LiveChannelStream stream([&](std::uint64_t) { return channel; }, description->changes, {});
        std::uint64_t now = ToTimeValue(JstTime(2026, 12, 9, 23, 59, 58));
        std::vector<TsPacket> packets;
        for (std::uint64_t tick = 0; tick < 4000; tick += 1000, now += 10'000'000) {
            stream.Produce(now, tick, 10, packets);
        }
        for (const TsPacket& p : packets) {
            if (p[0] != 0x47) __builtin_trap();
        }
    }
    return 0;
}
