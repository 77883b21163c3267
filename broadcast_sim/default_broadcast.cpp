#include "broadcast_sim/default_broadcast.h"

#include "broadcast_sim/sample_schedule.h"
#include "broadcast_sim/sim_time.h"

namespace broadcast_sim {
namespace {

constexpr std::uint32_t Bs(std::uint32_t mhz, std::uint16_t tsid) {
    return (mhz << 16) | tsid;
}

constexpr SampleChannel kSampleChannels[] = {
    {21, 0x7F10, 0x7F10, L"みなと総合", {{{0x0400, L"みなと総合１"}, {0x0401, L"みなと総合２"}}}},
    {22,
     0x7F20,
     0x7F20,
     L"さくらテレビ",
     {{{0x0408, L"さくらテレビ"}, {0x0409, L"さくらテレビ２"}}}},
    {24,
     0x7F30,
     0x7F30,
     L"あおぞら放送",
     {{{0x0410, L"あおぞら放送"}, {0x0411, L"あおぞら放送２"}}}},
    {26, 0x7F40, 0x7F40, L"東都テレビ", {{{0x0418, L"東都テレビ"}, {0x0419, L"東都テレビ２"}}}},
    {Bs(11727, 0x4010),
     0x4010,
     0x0004,
     L"ＢＳみなと",
     {{{101, L"ＢＳみなと１"}, {102, L"ＢＳみなと２"}}}},
    {Bs(11765, 0x4031),
     0x4031,
     0x0004,
     L"ＢＳさくら",
     {{{141, L"ＢＳさくら"}, {142, L"ＢＳさくら２"}}}},
    {Bs(12291, 0x6020),
     0x6020,
     0x0006,
     L"ＣＳシネマ",
     {{{296, L"ＣＳシネマ"}, {297, L"ＣＳシネマ２"}}}},
    {Bs(12331, 0x7040),
     0x7040,
     0x0007,
     L"ＣＳスポーツ",
     {{{333, L"ＣＳスポーツ"}, {334, L"ＣＳスポーツ２"}}}},
};

// Days are numbered from 2000-01-01.
constexpr std::uint64_t kDayZero = 145731ULL * platform::kFileTimePerDay;  // 2000-01-01
constexpr std::uint64_t kMinute = 60 * platform::kFileTimePerSecond;

std::uint32_t Mix(std::uint32_t a, std::uint32_t b) {
    std::uint32_t h = a * 0x9E3779B1u ^ (b + 0x7F4A7C15u + (a << 6) + (a >> 2));
    h ^= h >> 15;
    return h * 0x85EBCA6Bu;
}

// A day's first programme starts a little after midnight on some days, so that the last one
// of the day before runs past midnight.
std::uint64_t DayStart(std::uint64_t day) {
    static constexpr std::uint64_t kOffsetsMinutes[] = {0, 10, 20, 30, 5};
    const std::uint32_t pick = Mix(static_cast<std::uint32_t>(day), 17) % 5;
    return kDayZero + day * platform::kFileTimePerDay + kOffsetsMinutes[pick] * kMinute;
}

void AppendDay(ServiceSchedule& service, std::uint32_t channel, std::uint64_t day) {
    const std::uint64_t from = DayStart(day);
    const std::uint64_t to = DayStart(day + 1);
    const auto firstId = static_cast<std::uint16_t>(((day % 250) << 8) + 1);
    const std::uint32_t seed =
        Mix(Mix(channel, service.service_id), static_cast<std::uint32_t>(day));
    for (EventDescription& event : MakeSampleEvents(ToCalendar(from), 26, firstId, seed)) {
        const std::uint64_t start = ToTimeValue(event.start);
        if (start >= to) break;
        const std::uint64_t end = start + event.duration_seconds * platform::kFileTimePerSecond;
        if (end > to) {
            event.duration_seconds =
                static_cast<std::uint32_t>((to - start) / platform::kFileTimePerSecond);
        }
        service.events.push_back(std::move(event));
    }
}

}  // namespace

std::span<const SampleChannel> SampleChannels() {
    return kSampleChannels;
}

ChannelBroadcast MakeDefaultChannel(const SampleChannel& sample, std::uint64_t now) {
    ChannelBroadcast channel;
    channel.channel = sample.channel;
    channel.transport_stream_id = sample.transport_stream_id;
    channel.original_network_id = sample.original_network_id;
    channel.ts_name = sample.ts_name;
    const std::uint64_t today = (StartOfDay(now) - kDayZero) / platform::kFileTimePerDay;
    for (const SampleService& s : sample.services) {
        ServiceSchedule service;
        service.service_id = s.service_id;
        service.name = s.name;
        for (std::uint64_t day = today - kDefaultDaysBefore; day <= today + kDefaultDaysAfter;
             ++day) {
            AppendDay(service, sample.channel, day);
        }
        channel.services.push_back(std::move(service));
    }
    return channel;
}

BroadcastDescription MakeDefaultBroadcast(std::uint64_t now) {
    BroadcastDescription description;
    for (const SampleChannel& sample : kSampleChannels)
        description.channels.push_back(MakeDefaultChannel(sample, now));
    return description;
}

}  // namespace broadcast_sim
