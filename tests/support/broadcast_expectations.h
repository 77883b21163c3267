// Checks that an EPG store holds what a synthetic broadcast described: for the tests that decode
// the simulator's streams (live streams, collected EPG data files).
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>

#include "broadcast/epg_store.h"
#include "broadcast_sim/broadcast_description.h"
#include "broadcast_sim/sim_time.h"
#include "tests/support/expected_extended_text.h"

namespace test_support {

inline void ExpectEvent(const broadcast_sim::EventDescription& want,
                        const broadcast::EpgEventRecord& got) {
    SCOPED_TRACE(want.event_id);
    EXPECT_EQ(got.name, want.name);
    EXPECT_EQ(got.text, want.text);
    EXPECT_EQ(got.startYear, want.start.wYear);
    EXPECT_EQ(got.startMonth, want.start.wMonth);
    EXPECT_EQ(got.startDay, want.start.wDay);
    EXPECT_EQ(got.startHour, want.start.wHour);
    EXPECT_EQ(got.startMinute, want.start.wMinute);
    EXPECT_EQ(got.startSecond, want.start.wSecond);
    EXPECT_EQ(got.durationHours * 3600 + got.durationMinutes * 60 + got.durationSeconds,
              static_cast<int>(want.duration_seconds));
    ASSERT_EQ(got.contentEntries.size(), want.genres.size());
    for (std::size_t i = 0; i < want.genres.size(); ++i) {
        EXPECT_EQ(got.contentEntries[i].contentNibbleLevel1, want.genres[i].level1);
        EXPECT_EQ(got.contentEntries[i].contentNibbleLevel2, want.genres[i].level2);
    }
    if (want.component) {
        EXPECT_EQ(got.componentType, want.component->component_type);
        EXPECT_EQ(got.componentText, want.component->text);
    }
    if (want.audio) {
        EXPECT_EQ(got.audioComponent.componentType, want.audio->component_type);
        EXPECT_EQ(got.audioComponent.samplingRate, want.audio->sampling_rate);
        EXPECT_EQ(got.audioText, want.audio->text);
    }
}

// Every event of the channel that starts in [from, to) is in the store's schedule, as described,
// with its extended text when it has items; no other event is.
inline void ExpectSchedules(const broadcast::EpgStore& store,
                            const broadcast_sim::ChannelBroadcast& channel, std::uint64_t from,
                            std::uint64_t to) {
    for (const broadcast_sim::ServiceSchedule& service : channel.services) {
        const auto key = broadcast::ServiceKey(channel.transport_stream_id, service.service_id);
        ASSERT_TRUE(store.schedules.contains(key)) << service.service_id;
        const broadcast::ServiceScheduleRecord& got = *store.schedules.at(key);
        std::set<std::uint16_t> expected;
        for (const broadcast_sim::EventDescription& e : service.events) {
            const std::uint64_t start = broadcast_sim::ToTimeValue(e.start);
            if (start < from || start >= to) continue;
            expected.insert(e.event_id);
            ASSERT_TRUE(got.events.contains(e.event_id)) << e.event_id;
            ExpectEvent(e, *got.events.at(e.event_id));
            if (!e.extended_items.empty()) {
                ASSERT_TRUE(got.extendedTexts.contains(e.event_id)) << e.event_id;
                EXPECT_EQ(got.extendedTexts.at(e.event_id), ExpectedExtendedText(e));
            }
        }
        std::set<std::uint16_t> received;
        for (const auto& [id, event] : got.events)
            received.insert(id);
        EXPECT_EQ(received, expected);
    }
}

}  // namespace test_support
