// The table builders, read back through the library's own section parsers.
#include <gtest/gtest.h>

#include "broadcast/eit_event_records.h"
#include "broadcast_sim/eit_builder.h"
#include "broadcast_sim/nit_builder.h"
#include "broadcast_sim/pat_builder.h"
#include "broadcast_sim/sample_schedule.h"
#include "broadcast_sim/sdt_builder.h"
#include "broadcast_sim/time_builder.h"
#include "tests/support/si_test_util.h"

namespace broadcast_sim {
namespace {

using broadcast::DecodeAribField;
using broadcast::test::ParseOne;

platform::SYSTEMTIME Jst(int y, int mo, int d, int h = 0) {
    return JstTime(y, mo, d, h);
}

TEST(SiTableBuildersTest, PatListsTheNetworkEntryFirst) {
    const auto record = ParseOne(BuildPat({0x4010, 3, true, 0x10, {{101, 0x1F0}, {102, 0x1F1}}}));
    ASSERT_TRUE(record && record->pat);
    EXPECT_EQ(record->pat->transport_stream_id, 0x4010);
    EXPECT_EQ(record->pat->version_number, 3);
    ASSERT_EQ(record->pat->entries.size(), 3u);
    EXPECT_EQ(record->pat->entries[0].program_number, 0);
    EXPECT_EQ(record->pat->entries[0].PID, 0x10);
    EXPECT_EQ(record->pat->entries[2].program_number, 102);
    EXPECT_EQ(record->pat->entries[2].PID, 0x1F1);
}

TEST(SiTableBuildersTest, NitCarriesTsNamesAndServiceLists) {
    NitDescription nit;
    nit.network_id = 4;
    nit.network_name = L"ＢＳデジタル";
    nit.transport_streams = {{0x4010, 4, true, L"ＢＳみなと", 1, {151, 152}},
                             {0x4011, 4, false, L"", 0, {}}};
    const auto record = ParseOne(BuildNit(nit));
    ASSERT_TRUE(record && record->nit);
    EXPECT_EQ(record->nit->network_id, 4);
    ASSERT_EQ(record->nit->transport_streams.size(), 2u);
    const auto& first = record->nit->transport_streams[0];
    EXPECT_EQ(first.transport_stream_id, 0x4010);
    ASSERT_EQ(first.descriptors.size(), 1u);
    const auto& info = *first.descriptors[0]->ts_information;
    EXPECT_EQ(DecodeAribField(info.ts_name.get(), info.length_of_ts_name), L"ＢＳみなと");
    EXPECT_EQ(info.remote_control_key_id, 1);
    ASSERT_EQ(info.transmission_types.size(), 1u);
    EXPECT_EQ(info.transmission_types[0].service_ids, (std::vector<std::uint16_t>{151, 152}));
    EXPECT_TRUE(record->nit->transport_streams[1].descriptors.empty());
}

TEST(SiTableBuildersTest, SdtSplitsLongServiceLoopsIntoSections) {
    SdtDescription sdt{0x42, 0x4010, 4, 1, {}};
    for (std::uint16_t i = 0; i < 40; ++i) {
        SdtService s;
        s.service_id = static_cast<std::uint16_t>(100 + i);
        s.provider_name = std::wstring(40, L'局');
        s.service_name = L"ＢＳテスト" + std::to_wstring(i);
        s.extra_descriptors = {BuildServiceDescriptor(0x01, L"", std::wstring(20, L'名'))};
        sdt.services.push_back(s);
    }
    const auto sections = BuildSdt(sdt);
    ASSERT_GT(sections.size(), 1u);
    std::size_t services = 0;
    for (std::size_t i = 0; i < sections.size(); ++i) {
        const auto record = ParseOne(sections[i]);
        ASSERT_TRUE(record && record->sdt);
        EXPECT_EQ(record->sdt->section_number, i);
        EXPECT_EQ(record->sdt->last_section_number, sections.size() - 1);
        EXPECT_EQ(record->sdt->original_network_id, 4);
        for (const auto& s : record->sdt->services) {
            EXPECT_EQ(s.service_id, 100 + services++);
            EXPECT_EQ(s.EIT_schedule_flag, 1);
            EXPECT_EQ(s.running_status, 4);
            ASSERT_EQ(s.descriptors.size(), 2u);
            EXPECT_EQ(s.descriptors[0]->service->service_type, 0x01);
        }
    }
    EXPECT_EQ(services, 40u);
}

TEST(SiTableBuildersTest, TimeTablesCarryJstTime) {
    const auto tdt = ParseOne(BuildTdt(JstTime(2008, 3, 1, 12, 34, 56)));
    ASSERT_TRUE(tdt && tdt->tdt);
    EXPECT_EQ(tdt->tdt->year, 2008);
    EXPECT_EQ(tdt->tdt->hour, 12);
    EXPECT_EQ(tdt->tdt->second, 56);
    const auto tot = ParseOne(BuildTot(JstTime(2024, 12, 31, 23, 59, 59)));
    ASSERT_TRUE(tot && tot->tot);
    EXPECT_EQ(tot->tot->day, 31);
    EXPECT_EQ(tot->tot->minute, 59);
    EXPECT_EQ(tot->tot->descriptor_count, 1);
}

TEST(SiTableBuildersTest, PresentFollowingHoldsTwoSectionsWithAllDescriptors) {
    auto events = MakeSampleEvents(Jst(2024, 5, 1, 20), 3, 0x100, 7);
    events[0].group_members = {{102, 0x555}};
    const auto sections = BuildEitPresentFollowing({101, 0x4010, 4}, 5, &events[0], nullptr);
    ASSERT_EQ(sections.size(), 2u);
    const auto present = ParseOne(sections[0]);
    ASSERT_TRUE(present && present->eit);
    EXPECT_EQ(present->table_id, 0x4E);
    EXPECT_EQ(present->eit->service_id, 101);
    EXPECT_EQ(present->eit->version_number, 5);
    ASSERT_EQ(present->eit->events.size(), 1u);
    const auto record =
        broadcast::BuildEpgEventRecord(*present->eit, present->eit->events[0], true);
    EXPECT_EQ(record->name, events[0].name);
    EXPECT_EQ(record->text, events[0].text);
    EXPECT_EQ(record->startHour, 20);
    EXPECT_EQ(record->durationHours * 3600 + record->durationMinutes * 60,
              static_cast<int>(events[0].duration_seconds));
    EXPECT_EQ(record->componentText, L"映像１０８０ｉ");
    EXPECT_EQ(record->contentEntries.size(), 1u);
    ASSERT_EQ(record->eventGroupEntries.size(), 1u);
    EXPECT_EQ(record->eventGroupEntries[0].eventId, 0x555);
    EXPECT_EQ(record->extendedText.substr(0, 6), L"番組内容\r\n");
    const auto following = ParseOne(sections[1]);
    ASSERT_TRUE(following && following->eit);
    EXPECT_EQ(following->eit->section_segment, 0);  // section 1 is in segment 0
    EXPECT_TRUE(following->eit->events.empty());
}

TEST(SiTableBuildersTest, LongExtendedTextsSpreadOverNumberedDescriptors) {
    EventDescription e;
    e.event_id = 1;
    e.start = Jst(2024, 5, 1, 20);
    e.extended_items = {{L"番組内容", std::wstring(400, L'あ') + std::wstring(300, L'漢')},
                        {L"出演者", L"山田太郎"}};
    const auto sections = BuildEitPresentFollowing({101, 0x4010, 4}, 0, &e, nullptr);
    const auto record = ParseOne(sections[0]);
    ASSERT_TRUE(record && record->eit);
    int extended = 0;
    for (const auto& d : record->eit->events[0].descriptors) {
        if (!d->extended_event) continue;
        EXPECT_EQ(d->extended_event->descriptor_number, extended++);
        EXPECT_EQ(d->extended_event->last_descriptor_number, 4);
    }
    EXPECT_EQ(extended, 5);
    EXPECT_EQ(broadcast::BuildExtendedEventText(record->eit->events[0]),
              L"番組内容\r\n" + e.extended_items[0].text + L"\r\n出演者\r\n山田太郎");
}

TEST(SiTableBuildersTest, SchedulesAreNumberedIntoSegments) {
    ScheduleDescription schedule;
    schedule.service = {101, 0x4010, 4};
    schedule.version_number = 2;
    schedule.first_day = Jst(2024, 5, 1);
    schedule.first_segment = 7;  // broadcast time 21:00-23:59
    schedule.events = MakeSampleEvents(Jst(2024, 5, 1, 21), 8 * 24 - 21, 1, 3);
    // Crowd one segment so that it needs several sections.
    for (std::uint16_t i = 0; i < 40; ++i) {
        EventDescription e = schedule.events[3];
        e.event_id = static_cast<std::uint16_t>(0x8000 + i);
        schedule.events.push_back(e);
    }
    const auto sections = BuildEitScheduleBasic(schedule);
    std::map<std::pair<int, int>, int> sectionsPerSegment;  // (table, segment) -> sections
    std::size_t events = 0;
    for (const auto& section : sections) {
        const auto record = ParseOne(section);
        ASSERT_TRUE(record && record->eit);
        const auto& eit = *record->eit;
        EXPECT_EQ(eit.last_table_id, 0x51);
        EXPECT_EQ(eit.last_section_segment, 31);
        EXPECT_EQ(eit.segment_last_segment, eit.section_segment);
        ++sectionsPerSegment[{record->table_id, eit.section_segment}];
        events += eit.events.size();
        for (const auto& ev : eit.events) {
            // Each event sits in the segment of its start time.
            const int dayInTable = ev.start_day - 1 - 4 * (record->table_id - 0x50);
            EXPECT_EQ((dayInTable * 24 + ev.start_hour) / 3, eit.section_segment);
        }
    }
    EXPECT_EQ(events, schedule.events.size());
    EXPECT_EQ(sectionsPerSegment.size(), 25u + 32u);
    EXPECT_EQ(sectionsPerSegment.begin()->first, std::make_pair(0x50, 7));
    EXPECT_GT(std::max_element(sectionsPerSegment.begin(), sectionsPerSegment.end(),
                               [](auto& a, auto& b) { return a.second < b.second; })
                  ->second,
              1);

    schedule.events.resize(2);  // most segments empty: one section each, no events
    EXPECT_EQ(BuildEitScheduleExtended(schedule).size(), 25u + 32u);
}

}  // namespace
}  // namespace broadcast_sim
