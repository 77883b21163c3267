// The live stream of a channel, decoded by our own SI capture, gives back exactly the broadcast
// it was made from; its programmes follow the clock and scripted changes.
#include "broadcast_sim/live_channel_stream.h"

#include <gtest/gtest.h>

#include <set>

#include "broadcast/section_assembler.h"
#include "broadcast/stream_si_capture.h"
#include "broadcast/time_sections.h"
#include "broadcast_sim/broadcast_description_file.h"
#include "broadcast_sim/default_broadcast.h"
#include "broadcast_sim/sim_time.h"
#include "broadcast_sim/time_builder.h"
#include "tests/support/broadcast_expectations.h"

namespace broadcast_sim {
namespace {

constexpr std::uint64_t kSecond = platform::kFileTimePerSecond;
constexpr std::uint64_t kThreeHours = 3 * 3600 * kSecond;

// A receiver on the simulated clock: plays the stream in 100 ms steps of clock time.
struct Receiver {
    Receiver() { capture.store = &store; }

    // Plays `ms` of clock time; true when the schedules became complete meanwhile.
    bool Play(LiveChannelStream& stream, int ms, std::size_t budgetPerStep = 40) {
        bool complete = false;
        for (int elapsed = 0; elapsed < ms; elapsed += 100) {
            std::vector<TsPacket> packets;
            stream.Produce(now, tick, budgetPerStep, packets);
            for (const TsPacket& p : packets) {
                if (p[0] != 0x47) ADD_FAILURE() << "packet without sync byte";
                if (capture.AddPacket(p.data()) == broadcast::kScheduleComplete) complete = true;
            }
            now += 100 * platform::kFileTimePerMillisecond;
            tick += 100;
        }
        return complete;
    }

    std::uint64_t now = ToTimeValue(JstTime(2026, 12, 9, 10, 20));
    std::uint64_t tick = 5000;
    broadcast::EpgStore store;
    broadcast::StreamSiCapture capture;
};

LiveChannelStream FixedStream(const ChannelBroadcast& channel,
                              std::vector<ScheduleChange> changes = {}) {
    return LiveChannelStream([channel](std::uint64_t) { return channel; }, std::move(changes), {});
}

using test_support::ExpectedExtendedText;
using test_support::ExpectEvent;

// Every event that starts between the current three-hour segment and the end of the eighth day
// is in the store's schedule, as described; nothing else is.
void ExpectSchedules(const Receiver& r, const ChannelBroadcast& channel) {
    const std::uint64_t from = r.now - (r.now - StartOfDay(r.now)) % kThreeHours;
    const std::uint64_t to = StartOfDay(r.now) + 8 * platform::kFileTimePerDay;
    test_support::ExpectSchedules(r.store, channel, from, to);
}

TEST(LiveChannelStreamTest, DecodesToTheDefaultBroadcastAndCompletesWithinACycle) {
    Receiver r;
    const SampleChannel& sample = SampleChannels()[4];  // BS, two services
    LiveChannelStream stream([&](std::uint64_t now) { return MakeDefaultChannel(sample, now); }, {},
                             {});
    ASSERT_TRUE(r.Play(stream, 27000));
    const ChannelBroadcast& channel = stream.OnAir();

    EXPECT_EQ(r.capture.transportStreamId, sample.transport_stream_id);
    EXPECT_EQ(r.capture.tsName, sample.ts_name);
    EXPECT_EQ(r.capture.firstProgramNumber, sample.services[0].service_id);
    ASSERT_EQ(r.store.services.size(), 2u);
    for (const SampleService& s : sample.services) {
        const auto& record =
            *r.store.services.at(broadcast::ServiceKey(sample.transport_stream_id, s.service_id));
        EXPECT_EQ(record.serviceName, s.name);
        EXPECT_EQ(record.serviceType, 0x01);
        EXPECT_EQ(record.originalNetworkId, sample.original_network_id);
    }
    ExpectSchedules(r, channel);

    // The broadcast time is the clock's, at most the TOT period behind.
    EXPECT_LE(r.capture.broadcastTime, r.now);
    EXPECT_GE(r.capture.broadcastTime + 5 * kSecond, r.now - kSecond);

    // Present/following: the event on air now and the next one, with extended texts.
    for (const ServiceSchedule& service : channel.services) {
        const auto& pf = r.store.presentFollowing.at(
            broadcast::ServiceKey(sample.transport_stream_id, service.service_id));
        auto present = std::find_if(service.events.begin(), service.events.end(), [&](auto& e) {
            const std::uint64_t start = ToTimeValue(e.start);
            return start <= r.now && r.now < start + e.duration_seconds * kSecond;
        });
        ASSERT_NE(present, service.events.end());
        ASSERT_TRUE(pf->events.contains(present->event_id));
        ExpectEvent(*present, *pf->events.at(present->event_id));
        EXPECT_EQ(pf->events.at(present->event_id)->extendedText, ExpectedExtendedText(*present));
        EXPECT_TRUE(pf->events.contains((present + 1)->event_id));
    }
}

TEST(LiveChannelStreamTest, NewSegmentAndScriptedChangesGoOnAirWithNewVersions) {
    const char* text =
        "channel\t27\t0x7FE0\t0x7FE0\tテスト放送\n"
        "service\t0x0400\t1\tテスト１\n"
        "event\t1\t2026-12-09 10:00:00\t3600\t朝のニュース\t最新の話題\n"
        "item\t番組内容\t全国の天気\n"
        "genre\t0\t0\n"
        "event\t2\t2026-12-09 11:00:00\t1800\tドラマ「坂道」\t第１話\n"
        "genre\t3\t0\n"
        "event\t3\t2026-12-09 11:30:00\t1800\t料理の時間\n"
        "event\t4\t2026-12-10 23:30:00\t3600\t深夜映画\t日付をまたぐ\n"
        "change\t2026-12-09 10:20:40\t27\t0x0400\t1\tresize\t4200\n"
        "change\t2026-12-09 10:20:40\t27\t0x0400\t2\tmove\t2026-12-09 11:10:00\n"
        "change\t2026-12-09 10:20:40\t27\t0x0400\t3\treplace\n"
        "event\t5\t2026-12-09 11:40:00\t1200\t臨時ニュース\n";
    DescriptionError error;
    const auto description = ParseBroadcastDescription(text, &error);
    ASSERT_TRUE(description) << error.line;
    Receiver r;
    LiveChannelStream stream = FixedStream(description->channels[0], description->changes);
    ASSERT_TRUE(r.Play(stream, 30000));
    const auto key = broadcast::ServiceKey(0x7FE0, 0x0400);
    ExpectSchedules(r, description->channels[0]);
    EXPECT_EQ(r.store.schedules.at(key)->basicTables.begin()->second->versionNumber, 0);

    // Ten seconds later the changes are on air: the schedule is carried again in a new
    // version, present/following too.
    ASSERT_TRUE(r.Play(stream, 30000));
    const ChannelBroadcast changed =
        WithChangesUntil(description->channels[0], description->changes, r.now);
    ExpectSchedules(r, changed);
    const auto& events = r.store.schedules.at(key)->events;
    EXPECT_FALSE(events.contains(3));
    EXPECT_EQ(events.at(2)->startMinute, 10);
    EXPECT_EQ(events.at(1)->durationMinutes, 10);
    EXPECT_EQ(events.at(1)->durationHours, 1);
    EXPECT_EQ(r.store.schedules.at(key)->basicTables.begin()->second->versionNumber, 1);
    ExpectEvent(changed.services[0].events[0], *r.store.presentFollowing.at(key)->events.at(1));

    // At the next three-hour boundary the schedule drops the past segment, again in a new
    // version, and is complete once more.
    r.now = ToTimeValue(JstTime(2026, 12, 9, 11, 59, 50));
    ASSERT_TRUE(r.Play(stream, 40000));
    EXPECT_EQ(r.capture.broadcastHour, 12u);
    EXPECT_EQ(r.store.schedules.at(key)->basicTables.begin()->second->versionNumber, 2);
    ExpectSchedules(r, changed);
}

TEST(LiveChannelStreamTest, FillerFillsTheBudgetWithScrambledShareAndOneInjectedError) {
    ChannelBroadcast channel =
        MakeDefaultChannel(SampleChannels()[0], ToTimeValue(JstTime(2026, 12, 9)));
    LiveChannelStream stream([channel](std::uint64_t) { return channel; }, {},
                             {.scrambled_share = 0.25, .schedule_cycle_ms = 25000});
    std::vector<TsPacket> packets;
    const std::uint64_t now = ToTimeValue(JstTime(2026, 12, 9, 12));
    stream.Produce(now, 0, 0, packets);  // tables only: the first of every carousel
    const std::size_t tables = packets.size();
    EXPECT_GT(tables, 5u);
    packets.clear();
    stream.Produce(now, 1, 20000, packets);
    stream.BreakContinuity();
    stream.Produce(now, 2, 20000, packets);
    EXPECT_EQ(packets.size(), 40000u);  // nothing else was due within 2 ms

    std::map<int, int> counters;
    int scrambled = 0, discontinuities = 0;
    for (const TsPacket& p : packets) {
        const int pid = ((p[1] & 0x1F) << 8) | p[2];
        EXPECT_TRUE(pid == VideoPid(0) || pid == AudioPid(0) || pid == VideoPid(1) ||
                    pid == AudioPid(1));
        scrambled += (p[3] & 0xC0) == 0xC0 ? 1 : 0;
        const int cc = p[3] & 0x0F;
        if (counters.contains(pid) && cc != ((counters[pid] + 1) & 0x0F)) ++discontinuities;
        counters[pid] = cc;
    }
    EXPECT_EQ(scrambled, 10000);
    EXPECT_EQ(discontinuities, 1);
}

// A recording must show to the second which part of the broadcast it holds: every second of
// the clock is marked, by a TOT every five seconds and by a TDT in the others.
TEST(LiveChannelStreamTest, EverySecondIsMarkedByATotOrATdt) {
    ChannelBroadcast channel =
        MakeDefaultChannel(SampleChannels()[0], ToTimeValue(JstTime(2026, 12, 9)));
    LiveChannelStream stream = FixedStream(channel);
    std::uint64_t now = ToTimeValue(JstTime(2026, 12, 9, 12)) + 450 * kSecond / 1000;
    std::uint64_t tick = 7000;
    broadcast::SectionAssembler assembler;
    std::vector<std::pair<int, bool>> marks;  // second of the minute, TOT or TDT
    for (int step = 0; step < 120; ++step, now += kSecond / 10, tick += 100) {
        std::vector<TsPacket> packets;
        stream.Produce(now, tick, 0, packets);
        for (const TsPacket& p : packets) {
            if ((((p[1] & 0x1F) << 8) | p[2]) != 0x14 || assembler.AddPacket(p.data()) != 1)
                continue;
            for (const auto& section : assembler.published_sections()) {
                if (section->tot) marks.emplace_back(section->tot->second, true);
                if (section->tdt) marks.emplace_back(section->tdt->second, false);
            }
        }
    }
    std::set<int> seconds;
    int tots = 0;
    for (const auto& [second, tot] : marks) {
        seconds.insert(second);
        tots += tot ? 1 : 0;
    }
    EXPECT_EQ(seconds, (std::set<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
    EXPECT_LE(marks.size(), seconds.size() + tots);  // a TDT at most besides a TOT
    EXPECT_EQ(tots, 3);
}

TEST(DefaultBroadcastTest, EachDayDependsOnlyOnItsDateAndProgrammesCrossMidnight) {
    const SampleChannel& sample = SampleChannels()[1];
    const std::uint64_t day = ToTimeValue(JstTime(2026, 12, 9));
    const ChannelBroadcast a = MakeDefaultChannel(sample, day + 3600 * kSecond);
    const ChannelBroadcast b = MakeDefaultChannel(sample, day + platform::kFileTimePerDay);
    for (std::size_t s = 0; s < a.services.size(); ++s) {
        const auto& ea = a.services[s].events;
        const auto& eb = b.services[s].events;
        // b starts a day later: a's second day onwards is b's first day onwards.
        auto first = std::find_if(ea.begin(), ea.end(),
                                  [&](auto& e) { return e.event_id == eb.front().event_id; });
        ASSERT_NE(first, ea.end());
        for (auto ia = first, ib = eb.begin(); ia != ea.end(); ++ia, ++ib) {
            EXPECT_EQ(ia->name, ib->name);
            EXPECT_EQ(ToTimeValue(ia->start), ToTimeValue(ib->start));
        }
        std::set<std::uint16_t> ids;
        std::set<int> genres;
        int acrossMidnight = 0;
        for (std::size_t i = 0; i < ea.size(); ++i) {
            const std::uint64_t start = ToTimeValue(ea[i].start);
            const std::uint64_t end = start + ea[i].duration_seconds * kSecond;
            EXPECT_TRUE(ids.insert(ea[i].event_id).second);
            genres.insert(ea[i].genres.at(0).level1);
            if (StartOfDay(start) != StartOfDay(end - 1)) ++acrossMidnight;
            if (i + 1 < ea.size()) {
                EXPECT_EQ(end, ToTimeValue(ea[i + 1].start));
            }
        }
        EXPECT_GE(acrossMidnight, 2);
        EXPECT_GE(genres.size(), 4u);
        EXPECT_LE(ToTimeValue(ea.front().start), day - platform::kFileTimePerDay + 1800 * kSecond);
        EXPECT_GE(ToTimeValue(ea.back().start), day + 9 * platform::kFileTimePerDay - kThreeHours);
    }
}

}  // namespace
}  // namespace broadcast_sim
