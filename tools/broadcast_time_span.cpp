#include "tools/broadcast_time_span.h"

#include <algorithm>
#include <cstdint>
#include <fstream>

#include "broadcast/section_assembler.h"
#include "broadcast/time_sections.h"
#include "broadcast_sim/time_builder.h"

namespace tools {
namespace {

constexpr std::uint16_t kTimePid = 0x0014;

template <typename Section>
platform::SYSTEMTIME TimeOf(const Section& section) {
    return broadcast_sim::JstTime(section.year, section.month, section.day, section.hour,
                                  section.minute, section.second);
}

std::int64_t SecondOf(const platform::SYSTEMTIME& time) {
    platform::FILETIME ft{};
    platform::SystemTimeToFileTime(&time, &ft);
    return static_cast<std::int64_t>(platform::FileTimeToU64(ft) / platform::kFileTimePerSecond);
}

std::uint16_t PidOf(const std::uint8_t* packet) {
    return static_cast<std::uint16_t>(((packet[1] & 0x1F) << 8) | packet[2]);
}

}  // namespace

std::optional<BroadcastTimeSpan> ReadBroadcastTimeSpan(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    broadcast::SectionAssembler assembler;
    std::optional<BroadcastTimeSpan> span;
    std::uint8_t packet[broadcast::kTsPacketSize];
    while (in.read(reinterpret_cast<char*>(packet), sizeof packet)) {
        if (packet[0] != 0x47 || PidOf(packet) != kTimePid || assembler.AddPacket(packet) != 1)
            continue;
        for (const auto& section : assembler.published_sections()) {
            platform::SYSTEMTIME time{};
            if (section->tot) {
                time = TimeOf(*section->tot);
            } else if (section->tdt) {
                time = TimeOf(*section->tdt);
            } else {
                continue;
            }
            if (!span) span = BroadcastTimeSpan{time, time};
            span->last = time;
        }
    }
    return span;
}

RecordingShortfall ShortfallOf(const BroadcastTimeSpan& span, const platform::SYSTEMTIME& start,
                               int seconds, int handOverSeconds) {
    const std::int64_t first = SecondOf(start);
    std::int64_t last = first + seconds;
    if (handOverSeconds > 0) last -= handOverSeconds + 1;
    return {static_cast<int>(std::max<std::int64_t>(0, SecondOf(span.first) - first)),
            static_cast<int>(std::max<std::int64_t>(0, last - SecondOf(span.last)))};
}

}  // namespace tools
