// Present/following sections that a capture context receives again: a repeat that would change
// nothing is passed over, anything else is stored as the first time, and the store ends as it
// would with every section stored.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <random>

#include "broadcast/eit_event_records.h"
#include "broadcast/stream_si_capture.h"
#include "broadcast_sim/eit_builder.h"
#include "broadcast_sim/sample_schedule.h"
#include "broadcast_sim/si_packet_stream.h"
#include "broadcast_sim/time_builder.h"
#include "tests/support/si_test_util.h"

namespace broadcast {
namespace {

namespace sim = broadcast_sim;

constexpr std::uint16_t kTsid = 0x4010, kOtherTsid = 0x4011, kOnid = 4;

using Sections = std::vector<sim::Section>;
using ExpectedEvents =
    std::map<std::uint32_t, std::map<std::uint16_t, std::unique_ptr<EpgEventRecord>>>;

class PresentFollowingRepeatsTest : public ::testing::Test {
  protected:
    void SetUp() override { capture.store = &store; }

    void Send(const Sections& sections) {
        stream.Add(sim::kPidEit, sections);
        test::Feed(capture, stream);
    }
    const EpgEventRecord* Stored(std::uint16_t eventId, std::uint16_t sid = 101) const {
        const auto& events = store.presentFollowing.at(ServiceKey(kTsid, sid))->events;
        const auto found = events.find(eventId);
        return found == events.end() ? nullptr : found->second.get();
    }
    Sections PresentFollowing(std::uint8_t version, const sim::EventDescription* present,
                              const sim::EventDescription* following, std::uint16_t sid = 101) {
        return sim::BuildEitPresentFollowing({sid, kTsid, kOnid}, version, present, following);
    }

    StreamSiCapture capture;
    EpgStore store;
    sim::SiPacketStream stream;
    std::vector<sim::EventDescription> events =
        sim::MakeSampleEvents(sim::JstTime(2024, 5, 1, 21, 0), 3, 0x200, 9);
};

TEST_F(PresentFollowingRepeatsTest, AnUnchangedRepeatKeepsTheStoredRecords) {
    const Sections first = PresentFollowing(0, &events[0], &events[1]);
    Send(first);
    const EpgEventRecord* present = Stored(0x200);
    const EpgEventRecord* following = Stored(0x201);
    ASSERT_NE(present, nullptr);
    ASSERT_NE(following, nullptr);
    Send(first);
    Send(PresentFollowing(0, &events[0], &events[1], 102));  // another service between
    Send(first);
    EXPECT_EQ(Stored(0x200), present);
    EXPECT_EQ(Stored(0x201), following);
    EXPECT_EQ(Stored(0x200)->name, events[0].name);
}

TEST_F(PresentFollowingRepeatsTest, ARepeatAfterAnotherSectionWroteItsEventIsStoredAgain) {
    const Sections first = PresentFollowing(0, &events[0], &events[1]);
    Send(first);
    // The next version's present section brings the following event up, renamed; its following
    // section has not come yet.
    sim::EventDescription renamed = events[1];
    renamed.name = L"差し替え番組";
    Send({PresentFollowing(1, &renamed, &events[2])[0]});
    EXPECT_EQ(Stored(0x201)->name, L"差し替え番組");
    // The first version's following section, the last one of its place, comes once more: it
    // writes its event back, as storing every section does.
    Send({first[1]});
    EXPECT_EQ(Stored(0x201)->name, events[1].name);
    Send({first[1]});
    EXPECT_EQ(Stored(0x201)->name, events[1].name);
}

TEST_F(PresentFollowingRepeatsTest, ARepeatOfWhatLeftTheStoreIsStoredAgain) {
    const Sections first = PresentFollowing(0, &events[0], &events[1]);
    Send(first);
    store.ClearPresentFollowing();
    Send(first);
    ASSERT_NE(Stored(0x200), nullptr);
    EXPECT_EQ(Stored(0x201)->name, events[1].name);

    EpgStore other;
    capture.store = &other;
    Send(first);
    ASSERT_TRUE(other.presentFollowing.contains(ServiceKey(kTsid, 101)));
    EXPECT_EQ(other.presentFollowing.at(ServiceKey(kTsid, 101))->events.size(), 2u);
}

void ExpectSameRecord(const EpgEventRecord& want, const EpgEventRecord& got) {
    EXPECT_EQ(got.serviceId, want.serviceId);
    EXPECT_EQ(got.transportStreamId, want.transportStreamId);
    EXPECT_EQ(got.originalNetworkId, want.originalNetworkId);
    EXPECT_EQ(got.eventId, want.eventId);
    EXPECT_EQ(got.startYear * 10000 + got.startMonth * 100 + got.startDay,
              want.startYear * 10000 + want.startMonth * 100 + want.startDay);
    EXPECT_EQ(got.startHour * 3600 + got.startMinute * 60 + got.startSecond,
              want.startHour * 3600 + want.startMinute * 60 + want.startSecond);
    EXPECT_EQ(got.durationHours * 3600 + got.durationMinutes * 60 + got.durationSeconds,
              want.durationHours * 3600 + want.durationMinutes * 60 + want.durationSeconds);
    EXPECT_EQ(got.name, want.name);
    EXPECT_EQ(got.text, want.text);
    EXPECT_EQ(got.extendedText, want.extendedText);
    EXPECT_EQ(got.eventGroupEntries.size(), want.eventGroupEntries.size());
    EXPECT_EQ(got.componentType, want.componentType);
    EXPECT_EQ(got.componentText, want.componentText);
    EXPECT_EQ(got.audioComponent.componentType, want.audioComponent.componentType);
    EXPECT_EQ(got.audioText, want.audioText);
    ASSERT_EQ(got.contentEntries.size(), want.contentEntries.size());
    for (std::size_t i = 0; i < want.contentEntries.size(); ++i)
        EXPECT_EQ(got.contentEntries[i].contentNibbleLevel1,
                  want.contentEntries[i].contentNibbleLevel1);
}

// The store's present/following events are those expected, field by field.
void ExpectSameEvents(const EpgStore& store, const ExpectedEvents& expected) {
    ASSERT_EQ(store.presentFollowing.size(), expected.size());
    for (const auto& [key, events] : expected) {
        SCOPED_TRACE(key);
        const EventMap& got = store.presentFollowing.at(key)->events;
        ASSERT_EQ(got.size(), events.size());
        for (const auto& [id, record] : events)
            ExpectSameRecord(*record, *got.at(id));
    }
}

// Random runs of present/following sections of three services in both streams, in several
// versions and contents, repeated, late and out of order, several to a packet at times: the
// store holds what storing every section in turn gives, after every packet of them.
TEST_F(PresentFollowingRepeatsTest, TheStoreHoldsWhatStoringEverySectionGives) {
    std::mt19937 random(25);
    std::vector<sim::EventDescription> pool = events;
    for (int n = 0; n < 6; ++n) {
        sim::EventDescription variant = events[random() % events.size()];
        variant.name += std::to_wstring(n);
        if (n % 2) variant.extended_items.push_back({L"補足", L"内容" + std::to_wstring(n)});
        pool.push_back(variant);
    }
    ExpectedEvents expected;
    Sections sent;
    for (int round = 0; round < 400; ++round) {
        const bool reuse = !sent.empty() && random() % 3 != 0;
        Sections batch;
        for (int n = 1 + static_cast<int>(random() % 3); n > 0; --n) {
            if (reuse) {
                batch.push_back(sent[random() % sent.size()]);
                continue;
            }
            const auto sid = static_cast<std::uint16_t>(101 + random() % 3);
            const sim::EventDescription* present = &pool[random() % pool.size()];
            const sim::EventDescription* following =
                random() % 4 ? &pool[random() % pool.size()] : nullptr;
            const Sections built = sim::BuildEitPresentFollowing(
                {sid, random() % 2 ? kTsid : kOtherTsid, kOnid},
                static_cast<std::uint8_t>(random() % 4), present, following, random() % 2);
            batch.push_back(built[random() % built.size()]);
        }
        for (const sim::Section& section : batch) {
            sent.push_back(section);
            const auto record = test::ParseOne(section);
            ASSERT_TRUE(record && record->eit);
            const EitSection& eit = *record->eit;
            auto& holder = expected[ServiceKey(eit.transport_stream_id, eit.service_id)];
            for (const EitEventEntry& event : eit.events)
                holder[event.event_id] = BuildEpgEventRecord(eit, event, true);
        }
        Send(batch);
        ExpectSameEvents(store, expected);
        if (HasFailure()) {
            ADD_FAILURE() << "in round " << round;
            return;
        }
    }
}

}  // namespace
}  // namespace broadcast
