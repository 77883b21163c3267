// FileSiCapture, the timer's context for collected EPG data files, on streams from the broadcast
// simulator: what it follows and passes over, and its per-table completeness rule.
#include "broadcast/file_si_capture.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "broadcast_sim/eit_builder.h"
#include "broadcast_sim/nit_builder.h"
#include "broadcast_sim/pat_builder.h"
#include "broadcast_sim/sample_schedule.h"
#include "broadcast_sim/sdt_builder.h"
#include "broadcast_sim/si_packet_stream.h"
#include "broadcast_sim/sim_time.h"
#include "broadcast_sim/time_builder.h"
#include "tests/support/si_test_util.h"

namespace broadcast {
namespace {

namespace sim = broadcast_sim;
using sim::JstTime;

constexpr std::uint16_t kTsid = 0x7F10, kOnid = 0x7F10;
constexpr std::uint16_t kServices[] = {0x0400, 0x0401};

class FileSiCaptureTest : public ::testing::Test {
  protected:
    void SetUp() override {
        capture.store = &store;
        capture.otherTsMode = 1;
    }

    std::vector<int> Send() { return test::Feed(capture, stream); }
    int SendLast() { return test::FeedLast(capture, stream); }

    void AddPat(std::uint16_t tsid, bool networkEntry, std::vector<sim::PatProgram> programs) {
        stream.Add(sim::kPidPat, sim::BuildPat({tsid, 0, networkEntry, 0x10, std::move(programs)}));
    }
    void AddSdt(std::uint16_t pid = sim::kPidSdt) {
        sim::SdtDescription sdt{0x42, kTsid, kOnid, 0, {}};
        for (std::uint16_t sid : kServices) {
            sim::SdtService s;
            s.service_id = sid;
            s.service_name = L"みなと総合" + std::to_wstring(sid);
            sdt.services.push_back(s);
        }
        stream.Add(pid, sim::BuildSdt(sdt));
    }
    void AddTot(int hour) {
        stream.Add(sim::kPidTot, sim::BuildTot(JstTime(2024, 5, 1, hour, 30)));
    }

    // The schedule of a service as broadcast at `hour`: the first tables start with the
    // segment on air, the later ones are whole.
    static sim::ScheduleDescription Schedule(std::uint16_t sid, int hour) {
        sim::ScheduleDescription s;
        s.service = {sid, kTsid, kOnid};
        s.first_day = JstTime(2024, 5, 1);
        s.first_segment = hour / 3;
        s.events = sim::MakeSampleEvents(JstTime(2024, 5, 1, hour / 3 * 3), 8 * 24 - hour / 3 * 3,
                                         static_cast<std::uint16_t>(sid * 4), sid);
        return s;
    }
    static std::vector<sim::Section> Schedules(int hour) {
        std::vector<std::vector<sim::Section>> lists;
        for (std::uint16_t sid : kServices) {
            lists.push_back(sim::BuildEitScheduleBasic(Schedule(sid, hour)));
            lists.push_back(sim::BuildEitScheduleExtended(Schedule(sid, hour)));
        }
        return sim::InterleaveSections(lists);
    }
    static bool InSegment(const sim::Section& s, std::uint8_t tableId, int segment) {
        return s[0] == tableId && s[6] / 8 == segment;
    }

    FileSiCapture capture;
    EpgStore store;
    sim::SiPacketStream stream;
};

TEST_F(FileSiCaptureTest, FollowsPatSdtEitAndTimeButPassesOverTheNit) {
    EXPECT_EQ(capture.AddPacket(nullptr), 0);
    sim::TsPacket broken{};
    broken.fill(0xFF);
    broken[0] = 0x00;  // no sync byte: refused by the assembler of a followed PID ...
    broken[1] = 0x40;
    broken[2] = 0x11;
    EXPECT_EQ(capture.AddPacket(broken.data()), 11);
    broken[2] = 0x10;  // ... while the NIT's PID is not followed at all
    EXPECT_EQ(capture.AddPacket(broken.data()), 1);

    // An SDT carried on the NIT's PID stores nothing; on its own PID it does.
    AddSdt(sim::kPidNit);
    stream.Add(sim::kPidNit,
               sim::BuildNit({0x40, kOnid, 0, L"", {{kTsid, kOnid, true, L"局", 1, {}}}}));
    const auto results = Send();
    EXPECT_TRUE(std::all_of(results.begin(), results.end(), [](int r) { return r == 1; }));
    EXPECT_TRUE(store.services.empty());
    AddSdt();
    EXPECT_EQ(SendLast(), 1);
    EXPECT_EQ(store.services.size(), 2u);  // other-TS mode: no PAT needed
    AddTot(21);
    Send();
    EXPECT_EQ(capture.broadcastHour, 21u);
}

TEST_F(FileSiCaptureTest, PatWithAnEntrySetsTheStreamAndClearForgetsStreamTimeAndTracking) {
    AddPat(0x1234, false, {});  // no entry at all
    Send();
    EXPECT_EQ(capture.transportStreamId, 0);
    AddPat(kTsid, true, {});  // the network entry only
    Send();
    EXPECT_EQ(capture.transportStreamId, kTsid);
    AddPat(0x1234, false, {{1, 0x1F0}});
    Send();
    EXPECT_EQ(capture.transportStreamId, 0x1234);

    AddSdt();
    AddTot(21);
    stream.Add(sim::kPidEit, Schedules(21));
    EXPECT_EQ(SendLast(), 100);
    capture.Clear();
    EXPECT_EQ(capture.transportStreamId, 0);
    EXPECT_EQ(capture.broadcastTime, 0u);
    EXPECT_TRUE(capture.trackingMap().empty());
    EXPECT_EQ(store.schedules.size(), 2u);  // the store keeps what it received
}

// At hour 9 the broadcaster no longer sends the first three segments of today's tables: a first
// table (0x50, 0x58) announcing 32 segments is complete with 29, any other table needs all 32.
TEST_F(FileSiCaptureTest, FirstTableOfAClassIsForgivenTheSegmentsBeforeTheHour) {
    AddSdt();
    AddTot(9);
    Send();
    std::vector<sim::Section> sections = Schedules(9);
    ASSERT_EQ(std::count_if(sections.begin(), sections.end(),
                            [](const sim::Section& s) { return s[0] == 0x50 && s[6] % 8 == 0; }),
              2 * 29);
    const auto withheld = [&](auto pick) {
        std::vector<sim::Section> kept, held;
        for (const auto& s : sections)
            (pick(s) ? held : kept).push_back(s);
        return std::pair(kept, held);
    };

    // One segment of 0x51 (not a first table) missing: the basic schedule is incomplete.
    auto [kept, held] = withheld([](const sim::Section& s) { return InSegment(s, 0x51, 31); });
    stream.Add(sim::kPidEit, kept);
    EXPECT_EQ(SendLast(), 102);
    stream.Add(sim::kPidEit, held);
    EXPECT_EQ(SendLast(), 100);

    // 28 of 0x50's segments are not enough.
    capture.Clear();
    AddTot(9);
    std::tie(kept, held) = withheld([](const sim::Section& s) { return InSegment(s, 0x50, 3); });
    stream.Add(sim::kPidEit, kept);
    EXPECT_EQ(SendLast(), 102);

    // The same in the extended class: 0x58 with 28 segments.
    capture.Clear();
    AddTot(9);
    std::tie(kept, held) = withheld([](const sim::Section& s) { return InSegment(s, 0x58, 3); });
    stream.Add(sim::kPidEit, kept);
    EXPECT_EQ(SendLast(), 101);
}

// A file may hold schedules before its first time table: the hour counts as 0 then, so the
// verdict comes without a time once every table is whole, and not before.
TEST_F(FileSiCaptureTest, VerdictNeedsNoTimeButThenEveryTableWhole) {
    AddSdt();
    Send();
    stream.Add(sim::kPidEit, Schedules(0));
    EXPECT_EQ(SendLast(), 100);

    capture.Clear();
    stream.Add(sim::kPidEit, Schedules(9));  // today's first three segments are not there
    EXPECT_EQ(SendLast(), 1);
    AddTot(9);
    Send();
    stream.Add(sim::kPidEit, sim::BuildEitScheduleBasic(Schedule(kServices[0], 9)));
    EXPECT_EQ(SendLast(), 100);

    // Schedule collection off: the schedules are not taken and the verdict is 1.
    FileSiCapture off;
    EpgStore offStore;
    off.store = &offStore;
    off.scheduleCollectionOff = 1;
    off.otherTsMode = 1;
    AddSdt();
    AddTot(9);
    stream.Add(sim::kPidEit, Schedules(9));
    EXPECT_EQ(test::FeedLast(off, stream), 1);
    EXPECT_EQ(offStore.services.size(), 2u);
    EXPECT_TRUE(offStore.schedules.empty());
}

TEST_F(FileSiCaptureTest, OtherStreamTablesOnlyInOtherTsModeOne) {
    AddSdt();
    AddTot(21);
    Send();
    sim::ScheduleDescription other = Schedule(kServices[0], 21);
    other.other_stream = true;
    capture.otherTsMode = 2;
    stream.Add(sim::kPidEit, sim::BuildEitScheduleExtended(other));
    Send();
    EXPECT_FALSE(store.schedules.contains(ServiceKey(kTsid, kServices[0])));
    capture.otherTsMode = 1;
    stream.Add(sim::kPidEit, sim::BuildEitScheduleExtended(other));
    Send();
    EXPECT_TRUE(store.schedules.at(ServiceKey(kTsid, kServices[0]))->extendedTables.contains(0x68));
}

}  // namespace
}  // namespace broadcast
