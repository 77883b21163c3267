// StreamSiCapture driven by transport streams from the broadcast simulator.
#include "broadcast/stream_si_capture.h"

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
using sim::ToTimeValue;

constexpr std::uint16_t kTsid = 0x4010, kOtherTsid = 0x4011, kOnid = 4;
constexpr std::uint16_t kServices[] = {101, 102, 103};

class StreamSiCaptureTest : public ::testing::Test {
  protected:
    void SetUp() override { capture.store = &store; }

    std::vector<int> Send() { return test::Feed(capture, stream); }
    int SendLast() { return test::FeedLast(capture, stream); }

    void AddPat(std::uint16_t tsid, std::vector<sim::PatProgram> programs) {
        stream.Add(sim::kPidPat, sim::BuildPat({tsid, 0, true, 0x10, std::move(programs)}));
    }
    void AddSdt(std::uint16_t tsid, std::uint8_t type = 0x01, std::uint8_t tableId = 0x42) {
        sim::SdtDescription sdt{tableId, tsid, kOnid, 0, {}};
        for (std::uint16_t sid : kServices) {
            sim::SdtService s;
            s.service_id = sid;
            s.service_type = type;
            s.service_name = L"ＢＳ" + std::to_wstring(sid);
            sdt.services.push_back(s);
        }
        stream.Add(sim::kPidSdt, sim::BuildSdt(sdt));
    }
    void AddTot(const platform::SYSTEMTIME& t) { stream.Add(sim::kPidTot, sim::BuildTot(t)); }
    void AddTuneIn(std::uint16_t tsid = kTsid) {
        AddPat(tsid, {{101, 0x1F0}, {102, 0x1F1}});
        AddSdt(tsid);
    }

    // A full schedule of one service from 21:00 of 2024-05-01 (target 57 at hour 21).
    sim::ScheduleDescription Schedule(std::uint16_t sid, std::uint16_t tsid = kTsid,
                                      std::uint8_t version = 0) {
        sim::ScheduleDescription s;
        s.service = {sid, tsid, kOnid};
        s.version_number = version;
        s.first_day = JstTime(2024, 5, 1);
        s.first_segment = 7;
        s.events = sim::MakeSampleEvents(JstTime(2024, 5, 1, 21), 8 * 24 - 21,
                                         static_cast<std::uint16_t>(sid * 100), sid);
        return s;
    }
    // Basic and extended sections of every service, one segment's sections apart at a time.
    std::vector<sim::Section> AllSchedules(bool extendedForLast = true) {
        std::vector<std::vector<sim::Section>> lists;
        for (std::uint16_t sid : kServices) {
            lists.push_back(sim::BuildEitScheduleBasic(Schedule(sid)));
            if (sid != kServices[2] || extendedForLast) {
                lists.push_back(sim::BuildEitScheduleExtended(Schedule(sid)));
            }
        }
        return sim::InterleaveSections(lists);
    }

    StreamSiCapture capture;
    EpgStore store;
    sim::SiPacketStream stream;
    const platform::SYSTEMTIME now = JstTime(2024, 5, 1, 21, 30, 0);
};

// Header fields of a built EIT section.
int SectionServiceId(const sim::Section& s) {
    return (s[3] << 8) | s[4];
}
bool InSegment(const sim::Section& s, std::uint8_t tableId, int segment) {
    return s[0] == tableId && s[6] / 8 == segment;
}
// The last segment of the basic schedule.
bool IsLastSegment(const sim::Section& s) {
    return InSegment(s, 0x51, 31);
}

TEST_F(StreamSiCaptureTest, RoutesByPidAndPassesAssemblerCodesUp) {
    EXPECT_EQ(capture.AddPacket(nullptr), 0);
    sim::TsPacket other{};
    other.fill(0xFF);
    other[0] = 0x47;
    other[1] = 0x1F;  // PID 0x1FFF
    EXPECT_EQ(capture.AddPacket(other.data()), 1);
    other[1] = 0x01;  // PID 0x1FF, not followed
    other[2] = 0xFF;
    EXPECT_EQ(capture.AddPacket(other.data()), 1);

    // A long SDT spans packets: 10 until the last; a continuation without a start is 12.
    sim::SdtDescription sdt{0x42, kTsid, kOnid, 0, {}};
    for (std::uint16_t sid = 1; sid <= 20; ++sid) {
        sdt.services.push_back({});
        sdt.services.back().service_id = sid;
        sdt.services.back().service_name = L"とても長いサービスの名前";
    }
    stream.Add(sim::kPidSdt, sim::BuildSdt(sdt));
    const auto results = Send();
    ASSERT_GT(results.size(), 1u);
    EXPECT_TRUE(std::all_of(results.begin(), results.end() - 1, [](int r) { return r == 10; }));
    EXPECT_EQ(results.back(), 1);
    sim::TsPacket continuation = other;
    continuation[1] = 0x00;
    continuation[2] = 0x12;
    EXPECT_EQ(capture.AddPacket(continuation.data()), 12);
    continuation[0] = 0x48;
    EXPECT_EQ(capture.AddPacket(continuation.data()), 11);
    EXPECT_EQ(capture.transportStreamId, 0);
    EXPECT_TRUE(store.services.empty());  // its stream is not the current one (no PAT yet)
}

TEST_F(StreamSiCaptureTest, PatAndNitSetStreamIdProgramAndName) {
    AddPat(kTsid, {});
    Send();
    EXPECT_EQ(capture.transportStreamId, kTsid);
    EXPECT_EQ(capture.firstProgramNumber, 0);  // only the network entry

    sim::NitDescription nit;
    nit.transport_streams = {{kTsid, kOnid, true, L"ＢＳみなと", 1, {}},
                             {kOtherTsid, kOnid, true, L"", 2, {}},
                             {0x4012, kOnid, true, L"ＢＳ－さくら", 3, {}}};
    stream.Add(sim::kPidNit, sim::BuildNit(nit));
    Send();
    EXPECT_EQ(capture.tsName, L"ＢＳ－さくら");  // the last entry that has a name

    AddPat(kTsid, {{151, 0x1F0}, {152, 0x1F1}});
    Send();
    EXPECT_EQ(capture.tsName, L"ＢＳ－さくら");  // same stream: nothing changes
    EXPECT_EQ(capture.firstProgramNumber, 0);

    AddPat(kOtherTsid, {{161, 0x1F0}, {162, 0x1F1}});
    Send();
    EXPECT_EQ(capture.transportStreamId, kOtherTsid);
    EXPECT_EQ(capture.firstProgramNumber, 161);
    EXPECT_EQ(capture.tsName, L"");

    nit.transport_streams = {{kTsid, kOnid, false, L"", 0, {}}};
    stream.Add(sim::kPidNit, sim::BuildNit(nit));
    capture.tsName = L"stale";
    Send();
    EXPECT_EQ(capture.tsName, L"");
}

TEST_F(StreamSiCaptureTest, SdtStoresServicesOfTheCurrentStreamUnlessOtherTsMode) {
    AddTuneIn();
    AddSdt(kOtherTsid, 0x01, 0x46);
    Send();
    ASSERT_EQ(store.services.size(), 3u);
    const ServiceRecord& s = *store.services.at(ServiceKey(kTsid, 102));
    EXPECT_EQ(s.serviceName, L"ＢＳ102");
    EXPECT_EQ(s.originalNetworkId, kOnid);
    EXPECT_EQ(s.serviceType, 0x01);

    capture.otherTsMode = 2;
    AddSdt(kOtherTsid, 0x01, 0x46);
    Send();
    EXPECT_EQ(store.services.size(), 6u);
    EXPECT_TRUE(store.services.contains(ServiceKey(kOtherTsid, 101)));
}

TEST_F(StreamSiCaptureTest, SecondServiceDescriptorGivesNameWhenTheFirstHasNone) {
    AddPat(kTsid, {});
    sim::SdtService s;
    s.service_id = 101;
    s.service_type = 0x02;
    s.extra_descriptors = {sim::BuildServiceDescriptor(0xA5, L"", L"ＢＳみなと１"),
                           sim::BuildServiceDescriptor(0x01, L"", L"ignored")};
    sim::SdtService bare;
    bare.service_id = 102;
    bare.service_descriptor = false;
    stream.Add(sim::kPidSdt, sim::BuildSdt({0x42, kTsid, kOnid, 0, {s, bare}}));
    Send();
    EXPECT_EQ(store.services.at(ServiceKey(kTsid, 101))->serviceName, L"ＢＳみなと１");
    EXPECT_EQ(store.services.at(ServiceKey(kTsid, 101))->serviceType, 0xA5);
    EXPECT_EQ(store.services.at(ServiceKey(kTsid, 102))->serviceName, L"");
    EXPECT_EQ(store.services.at(ServiceKey(kTsid, 102))->serviceType, 0);

    capture.store = nullptr;  // builds and drops its records
    AddSdt(kTsid);
    EXPECT_EQ(SendLast(), 1);
    EXPECT_EQ(store.services.size(), 2u);
}

TEST_F(StreamSiCaptureTest, TimeTablesSetBroadcastTimeWithoutZoneConversion) {
    AddTot(JstTime(2008, 3, 1, 12, 34, 56));
    EXPECT_EQ(SendLast(), 1);
    EXPECT_EQ(capture.broadcastHour, 12u);
    EXPECT_EQ(capture.broadcastTime, ToTimeValue(JstTime(2008, 3, 1, 12, 34, 56)));

    // One batch with a TDT and a TOT: the later one wins.
    stream.Add(sim::kPidTot,
               {sim::BuildTdt(JstTime(2008, 3, 1, 13)), sim::BuildTot(JstTime(2008, 3, 1, 14))});
    Send();
    EXPECT_EQ(capture.broadcastHour, 14u);
    stream.Add(sim::kPidTot,
               {sim::BuildTot(JstTime(2008, 3, 1, 15)), sim::BuildTdt(JstTime(2008, 3, 1, 16))});
    Send();
    EXPECT_EQ(capture.broadcastHour, 16u);

    // An hour of 25 is no time: the previous one stays.
    AddTot(JstTime(2008, 3, 1, 25));
    Send();
    EXPECT_EQ(capture.broadcastHour, 16u);
    EXPECT_EQ(capture.broadcastTime, ToTimeValue(JstTime(2008, 3, 1, 16)));
}

TEST_F(StreamSiCaptureTest, PresentFollowingReplacesAndCarriesEveryField) {
    auto events = sim::MakeSampleEvents(now, 2, 0x200, 9);
    events[0].extended_items = {{L"D1", L"T1"}, {L"", L"T2"}, {L"D2", L"T3"}};
    events[0].group_members = {{102, 0x300}};
    events[0].audio->text = L"主音声";
    stream.Add(sim::kPidEit, sim::BuildEitPresentFollowing({101, kOtherTsid, kOnid}, 0, &events[0],
                                                           &events[1], true));
    EXPECT_EQ(SendLast(), 1);  // no time yet
    const EventMapHolder& holder = *store.presentFollowing.at(ServiceKey(kOtherTsid, 101));
    ASSERT_EQ(holder.events.size(), 2u);
    const EpgEventRecord& e = *holder.events.at(0x200);
    EXPECT_EQ(e.name, events[0].name);
    EXPECT_EQ(e.extendedText, L"D1\r\nT1T2\r\nD2\r\nT3");
    EXPECT_EQ(e.transportStreamId, kOtherTsid);
    EXPECT_EQ(e.startHour, 21);
    EXPECT_EQ(e.startMinute, 30);
    EXPECT_EQ(e.componentType, 0xB3);
    EXPECT_EQ(e.audioComponent.samplingRate, 7);
    EXPECT_EQ(e.audioComponent.mainComponentFlag, 1);
    EXPECT_EQ(e.audioText, L"主音声");
    ASSERT_EQ(e.eventGroupEntries.size(), 1u);
    EXPECT_EQ(e.eventGroupEntries[0].serviceId, 102);
    EXPECT_EQ(e.contentEntries.size(), 1u);

    events[0].name = L"差し替え";
    stream.Add(sim::kPidEit, sim::BuildEitPresentFollowing({101, kOtherTsid, kOnid}, 1, &events[0],
                                                           nullptr, true));
    Send();
    EXPECT_EQ(holder.events.at(0x200)->name, L"差し替え");
    EXPECT_EQ(holder.events.size(), 2u);  // the earlier following event stays

    const auto sections =
        sim::BuildEitPresentFollowing({101, kTsid, kOnid}, 0, &events[1], nullptr);
    const auto record = test::ParseOne(sections[0]);
    ASSERT_TRUE(record && record->eit);
    EXPECT_EQ(capture.OnEitPresentFollowing(0x50, record->eit.get()), 0);
    EXPECT_EQ(capture.OnEitPresentFollowing(0x4E, nullptr), 0);
    capture.store = nullptr;
    EXPECT_EQ(capture.OnEitPresentFollowing(0x4E, record->eit.get()), 0);
}

TEST_F(StreamSiCaptureTest, CompleteScheduleReachesOneHundredOnlyWithTimeAndEverySegment) {
    AddTuneIn();
    Send();
    const auto sections = AllSchedules();
    std::vector<sim::Section> withoutLast;
    std::vector<sim::Section> last;
    for (const auto& s : sections) {
        (IsLastSegment(s) && SectionServiceId(s) == 103 ? last : withoutLast).push_back(s);
    }
    ASSERT_FALSE(last.empty());

    // Everything but one segment, before any time: always 1.
    stream.Add(sim::kPidEit, withoutLast);
    auto results = Send();
    EXPECT_TRUE(std::none_of(results.begin(), results.end(), [](int r) { return r >= 100; }));
    EXPECT_EQ(results.back(), 1);

    AddTot(now);  // hour 21: 25 + 32 segments per service
    Send();
    stream.Add(sim::kPidEit,
               sim::BuildEitPresentFollowing({101, kTsid, kOnid}, 0, nullptr, nullptr));
    EXPECT_EQ(SendLast(), 102);  // service 103 lacks one basic segment of table 0x51

    stream.Add(sim::kPidEit, last);
    EXPECT_EQ(SendLast(), 100);
    const ServiceScheduleRecord& s = *store.schedules.at(ServiceKey(kTsid, 103));
    EXPECT_EQ(s.basicTables.at(0x50)->segments.size(), 25u);
    EXPECT_EQ(s.basicTables.at(0x51)->segments.size(), 32u);
    EXPECT_EQ(s.basicTables.at(0x51)->lastSectionNumber, 31);
    EXPECT_EQ(s.basicTables.at(0x51)->lastTableId, 0x51);
    EXPECT_EQ(s.events.size(), Schedule(103).events.size());
    EXPECT_EQ(s.extendedTexts.size(), Schedule(103).events.size());
    EXPECT_EQ(s.extendedTexts.begin()->second.substr(0, 6), L"番組内容\r\n");
    EXPECT_TRUE(capture.trackingMap().at(ServiceKey(kTsid, 103))->events.empty());
}

TEST_F(StreamSiCaptureTest, VerdictsForBasicOnlyExtendedOnlyAndMissingExtendedTables) {
    AddTuneIn();
    AddTot(now);
    Send();
    // Service 103 without any extended table counts as extended-complete with its basic one.
    stream.Add(sim::kPidEit, AllSchedules(false));
    EXPECT_EQ(SendLast(), 100);
    const ServiceScheduleRecord& s = *store.schedules.at(ServiceKey(kTsid, 101));
    EXPECT_EQ(s.basicTables.at(0x50)->currentSegment, 7);  // 21:30 lies in segment 7
    EXPECT_EQ(s.basicTables.at(0x51)->currentSegment, 0);

    // Extended complete everywhere, one basic segment missing: 102.
    capture.Clear();
    store.Clear();
    std::vector<sim::Section> sections = AllSchedules();
    std::erase_if(sections, [](const sim::Section& s) { return IsLastSegment(s); });
    stream.Add(sim::kPidEit, sections);
    EXPECT_EQ(SendLast(), 102);

    // Basic complete, one extended segment missing: 101.
    capture.Clear();
    sections = AllSchedules();
    std::erase_if(sections, [](const sim::Section& s) { return InSegment(s, 0x59, 31); });
    stream.Add(sim::kPidEit, sections);
    EXPECT_EQ(SendLast(), 101);

    // Service 103 without extended tables and one basic segment short: neither class.
    capture.Clear();
    sections = AllSchedules(false);
    std::erase_if(sections, [](const sim::Section& s) {
        return IsLastSegment(s) && SectionServiceId(s) == 103;
    });
    stream.Add(sim::kPidEit, sections);
    EXPECT_EQ(SendLast(), 1);
}

TEST_F(StreamSiCaptureTest, NotYetNamedOrNonTvServicesCollectNoSchedule) {
    AddPat(kTsid, {});
    AddSdt(kTsid, 0x02);
    AddTot(now);
    Send();
    stream.Add(sim::kPidEit, sim::BuildEitScheduleBasic(Schedule(101)));
    stream.Add(sim::kPidEit, sim::BuildEitScheduleBasic(Schedule(999)));  // not in the SDT
    EXPECT_EQ(SendLast(), 1);
    EXPECT_TRUE(store.schedules.empty());
    EXPECT_TRUE(capture.trackingMap().empty());
}

TEST_F(StreamSiCaptureTest, VersionChangeEmptiesTheClassAndRefills) {
    AddTuneIn();
    AddTot(now);
    Send();
    stream.Add(sim::kPidEit, AllSchedules());
    EXPECT_EQ(SendLast(), 100);

    sim::ScheduleDescription next = Schedule(101, kTsid, 1);
    for (auto& e : next.events)
        e.event_id = static_cast<std::uint16_t>(e.event_id + 20000);
    const auto basic = sim::BuildEitScheduleBasic(next);
    stream.Add(sim::kPidEit, std::vector<sim::Section>(basic.begin(), basic.begin() + 3));
    EXPECT_EQ(SendLast(), 102);  // the extended schedules are still complete
    const ServiceScheduleRecord& s = *store.schedules.at(ServiceKey(kTsid, 101));
    ASSERT_EQ(s.basicTables.size(), 1u);
    EXPECT_EQ(s.basicTables.at(0x50)->versionNumber, 1);
    EXPECT_TRUE(std::all_of(s.events.begin(), s.events.end(),
                            [](const auto& e) { return e.first >= 20000; }));
    EXPECT_EQ(s.extendedTexts.size(), Schedule(101).events.size());  // other class untouched

    stream.Add(sim::kPidEit, std::vector<sim::Section>(basic.begin() + 3, basic.end()));
    EXPECT_EQ(SendLast(), 100);
    EXPECT_EQ(s.events.size(), next.events.size());
}

TEST_F(StreamSiCaptureTest, ScheduleKeepsTheFirstEventOfAnId) {
    AddTuneIn();
    Send();
    sim::ScheduleDescription schedule = Schedule(101);
    stream.Add(sim::kPidEit, sim::BuildEitScheduleBasic(schedule));
    Send();
    const std::uint16_t id = schedule.events[0].event_id;
    const std::wstring first = store.schedules.at(ServiceKey(kTsid, 101))->events.at(id)->name;
    schedule.events[0].name = L"後から来た名前";
    stream.Add(sim::kPidEit, sim::BuildEitScheduleBasic(schedule));
    Send();
    EXPECT_EQ(store.schedules.at(ServiceKey(kTsid, 101))->events.at(id)->name, first);
}

TEST_F(StreamSiCaptureTest, OtherStreamSchedulesNeedOtherTsMode) {
    AddTuneIn();
    AddTot(now);
    Send();
    capture.otherTsMode = 2;
    AddSdt(kOtherTsid, 0x01, 0x46);
    Send();
    capture.otherTsMode = 0;
    stream.Add(sim::kPidEit, sim::BuildEitScheduleBasic(Schedule(101, kOtherTsid)));
    Send();
    EXPECT_TRUE(store.schedules.empty());

    capture.otherTsMode = 2;  // every stream, but only the actual table_ids
    stream.Add(sim::kPidEit, sim::BuildEitScheduleBasic(Schedule(101, kOtherTsid)));
    sim::ScheduleDescription other = Schedule(102, kOtherTsid);
    other.other_stream = true;
    stream.Add(sim::kPidEit, sim::BuildEitScheduleBasic(other));
    Send();
    EXPECT_TRUE(store.schedules.contains(ServiceKey(kOtherTsid, 101)));
    EXPECT_FALSE(store.schedules.contains(ServiceKey(kOtherTsid, 102)));

    capture.otherTsMode = 1;
    stream.Add(sim::kPidEit, sim::BuildEitScheduleBasic(other));
    Send();
    EXPECT_TRUE(store.schedules.at(ServiceKey(kOtherTsid, 102))->basicTables.contains(0x60));
}

TEST_F(StreamSiCaptureTest, ScheduleCollectionOffKeepsOnlyPresentFollowing) {
    capture.scheduleCollectionOff = 1;
    AddTuneIn();
    AddTot(now);
    Send();
    auto events = sim::MakeSampleEvents(now, 2, 0x200, 9);
    stream.Add(sim::kPidEit, AllSchedules());
    stream.Add(sim::kPidEit,
               sim::BuildEitPresentFollowing({101, kTsid, kOnid}, 0, &events[0], &events[1]));
    const auto results = Send();
    EXPECT_TRUE(std::none_of(results.begin(), results.end(), [](int r) { return r >= 100; }));
    EXPECT_TRUE(store.schedules.empty());
    EXPECT_EQ(store.presentFollowing.size(), 1u);
}

TEST_F(StreamSiCaptureTest, ClearStartsTheVerdictOverButKeepsTheStore) {
    AddTuneIn();
    AddTot(now);
    Send();
    stream.Add(sim::kPidEit, AllSchedules());
    EXPECT_EQ(SendLast(), 100);
    capture.Clear();
    EXPECT_TRUE(capture.trackingMap().empty());
    stream.Add(sim::kPidEit,
               sim::BuildEitPresentFollowing({101, kTsid, kOnid}, 0, nullptr, nullptr));
    EXPECT_EQ(SendLast(), 1);
    EXPECT_EQ(store.schedules.size(), 3u);
    EXPECT_EQ(capture.transportStreamId, kTsid);
    EXPECT_NE(capture.broadcastTime, 0u);
}

}  // namespace
}  // namespace broadcast
