#include <gtest/gtest.h>

#include "broadcast_sim/si_encoding.h"
#include "tests/support/si_test_util.h"

namespace broadcast::test {
namespace {

using broadcast_sim::BuildLongSection;
using broadcast_sim::BuildSection;
using broadcast_sim::EncodeMjd;

Bytes ServiceDescriptor(const std::string& name) {
    return ByteWriter().U8(0x48).U8(3 + name.size()).U8(0x01).U8(0).LengthPrefixed(name).Take();
}

struct Event {
    std::uint16_t id = 1;
    std::uint32_t start = 0x203000;
    std::uint32_t duration = 0x013000;
    Bytes descriptors;
    int loop_length = -1;  // -1: the descriptors' size
};

Bytes EitBody(std::uint16_t tsid, const std::vector<Event>& events) {
    ByteWriter w;
    w.U16(tsid).U16(4).U8(0x08).U8(0x58);
    for (const Event& e : events) {
        const int length =
            e.loop_length < 0 ? static_cast<int>(e.descriptors.size()) : e.loop_length;
        w.U16(e.id).U16(EncodeMjd(2024, 5, 6)).U24(e.start).U24(e.duration);
        w.U16(0x8000 | 0x1000 | length).Bytes(e.descriptors);
    }
    return w.Take();
}

Bytes Eit(std::uint8_t table_id, std::uint8_t number, std::uint8_t last,
          const std::vector<Event>& events) {
    return BuildLongSection({table_id, 0x0400, 7, true, number, last}, EitBody(0x7FE1, events));
}

TEST(TableParserTest, PatKeepsTheNetworkEntryAndTheProgrammesInOrder) {
    const Bytes pat = BuildLongSection({0x00, 0x7FE0, 5, true, 0, 0},
                                       ByteWriter()
                                           .U16(0)
                                           .U16(0xE010)
                                           .U16(0x400)
                                           .U16(0xFF01)
                                           .U16(0x401)
                                           .U16(0xE1F1)
                                           .U16(0x402)
                                           .U16(0xE1F2)
                                           .bytes(),
                                       0xB0);
    auto record = ParseOne(pat);
    ASSERT_NE(record->pat, nullptr);
    const PatSection& t = *record->pat;
    EXPECT_EQ(t.section_length, pat.size() - 3);
    EXPECT_EQ(t.version_number, 5);
    EXPECT_EQ(t.current_next_indicator, 1);
    ASSERT_EQ(t.entry_count, 4);
    ASSERT_EQ(t.entries.size(), 4u);
    EXPECT_EQ(t.entries[0].program_number, 0);
    EXPECT_EQ(t.entries[0].PID, 0x10);
    EXPECT_EQ(t.entries[1].program_number, 0x400);
    EXPECT_EQ(t.entries[1].PID, 0x1F01);
    EXPECT_EQ(t.entries[3].PID, 0x1F2);
}

TEST(TableParserTest, PmtKeepsProgramInfoAndStreams) {
    ByteWriter w;
    w.U16(0xE1FF).U16(0xF000 | 5).Bytes(Descriptor(0xC1, {0x30, 0x80, 0x00}));
    w.U8(0x02).U16(0xE111).U16(0xF003).Bytes(Descriptor(0x52, {0x00}));
    w.U8(0x0F).U16(0xE112).U16(0xF003).Bytes(Descriptor(0x52, {0x10}));
    auto record = ParseOne(BuildLongSection({0x02, 0x0400, 1, true, 0, 0}, w.bytes(), 0xB0));
    ASSERT_NE(record->pmt, nullptr);
    const PmtSection& t = *record->pmt;
    EXPECT_EQ(t.program_number, 0x400);
    EXPECT_EQ(t.PCR_PID, 0x1FF);
    EXPECT_EQ(t.descriptor_list_count, 1);
    ASSERT_EQ(t.descriptor_lists[0].descriptor_count, 1);
    EXPECT_NE(t.descriptor_lists[0].descriptors[0]->digital_copy_control, nullptr);
    ASSERT_EQ(t.stream_count, 2);
    EXPECT_EQ(t.streams[1].stream_type, 0x0F);
    EXPECT_EQ(t.streams[1].elementary_PID, 0x112);
    EXPECT_EQ(t.streams[1].descriptors[0]->stream_identifier->component_tag, 0x10);
}

TEST(TableParserTest, NitKeepsNetworkAndTransportStreamDescriptors) {
    const Bytes ts_info = Descriptor(0xCD, {0x03, 0x0C, 'S', 'K', 'R'});
    ByteWriter w;
    w.U16(0xF000 | 5).Bytes(Descriptor(0x40, {'N', 'E', 'T'}));
    w.U16(0xF000 | 2 * (6 + ts_info.size()));
    for (std::uint16_t tsid : {0x7FE0, 0x7FE1}) {
        w.U16(tsid).U16(0x7FE0).U16(0xF000 | ts_info.size()).Bytes(ts_info);
    }
    auto record = ParseOne(BuildLongSection({0x40, 0x7FE0, 0, true, 0, 0}, w.bytes()));
    ASSERT_NE(record->nit, nullptr);
    const NitSection& t = *record->nit;
    EXPECT_EQ(t.network_id, 0x7FE0);
    ASSERT_EQ(t.network_descriptor_count, 1);
    EXPECT_EQ(Text(t.network_descriptors[0]->network_name->name.get(), 3), "NET");
    ASSERT_EQ(t.transport_stream_count, 2);
    EXPECT_EQ(t.transport_streams[1].transport_stream_id, 0x7FE1);
    const TsInformationDesc& info = *t.transport_streams[1].descriptors[0]->ts_information;
    EXPECT_EQ(info.remote_control_key_id, 3);
    EXPECT_EQ(Text(info.ts_name.get(), info.length_of_ts_name), "SKR");
}

TEST(TableParserTest, SdtKeepsEightServicesWithLongDescriptorLoops) {
    ByteWriter w;
    w.U16(0x7FE0).U8(0xFF);
    for (int i = 0; i < 8; ++i) {
        const Bytes loop = Concat({ServiceDescriptor(std::string(60, static_cast<char>('A' + i))),
                                   Descriptor(0x09, Bytes(40, 0)), Descriptor(0x83, Bytes(80, 1))});
        w.U16(0x400 + i).U8(0xFC | 0x02 | (i & 1)).U16(0x8000 | loop.size()).Bytes(loop);
    }
    auto record = ParseOne(BuildLongSection({0x42, 0x7FE1, 0, true, 0, 0}, w.bytes()));
    ASSERT_NE(record->sdt, nullptr);
    const SdtSection& t = *record->sdt;
    EXPECT_EQ(t.transport_stream_id, 0x7FE1);
    EXPECT_EQ(t.original_network_id, 0x7FE0);
    ASSERT_EQ(t.service_count, 8);
    for (int i = 0; i < 8; ++i) {
        const SdtServiceEntry& s = t.services[i];
        EXPECT_EQ(s.service_id, 0x400 + i);
        EXPECT_EQ(s.EIT_user_defined_flags, 7);
        EXPECT_EQ(s.EIT_schedule_flag, 1);
        EXPECT_EQ(s.EIT_present_following_flag, i & 1);
        EXPECT_EQ(s.running_status, 4);
        ASSERT_EQ(s.descriptor_count, 3);
        EXPECT_EQ(s.descriptors[0]->service->service_name[0], 'A' + i);
        EXPECT_EQ(s.descriptors[2]->descriptor_tag, 0x83);
    }
}

TEST(TableParserTest, EitWithoutEventsAndSegmentNumbers) {
    auto empty = ParseOne(Eit(0x4E, 0, 1, {}));
    ASSERT_NE(empty->eit, nullptr);
    EXPECT_EQ(empty->eit->section_length, 15);
    EXPECT_EQ(empty->eit->event_count, 0);

    auto schedule = ParseOne(Eit(0x50, 0x1F, 0xF8, {Event{}}));
    const EitSection& t = *schedule->eit;
    EXPECT_EQ(schedule->table_id, 0x50);
    EXPECT_EQ(t.service_id, 0x400);
    EXPECT_EQ(t.version_number, 7);
    EXPECT_EQ(t.section_segment, 3);
    EXPECT_EQ(t.last_section_segment, 31);
    EXPECT_EQ(t.segment_last_segment, 1);
    EXPECT_EQ(t.last_table_id, 0x58);
    EXPECT_EQ(t.transport_stream_id, 0x7FE1);
    EXPECT_EQ(t.original_network_id, 4);
    EXPECT_EQ(t.event_count, 1);
}

TEST(TableParserTest, EitEventTimesIncludingUndefinedOnes) {
    const Bytes short_event = Descriptor(0x4D, {'j', 'p', 'n', 2, 'N', 'A', 1, 'T'});
    auto record = ParseOne(Eit(
        0x4E, 0, 1,
        {Event{0x1234, 0x203015, 0x013000, short_event}, Event{0x1235, 0xFFFFFF, 0xFFFFFF, {}}}));
    const EitSection& t = *record->eit;
    ASSERT_EQ(t.event_count, 2);
    const EitEventEntry& e = t.events[0];
    EXPECT_EQ(e.event_id, 0x1234);
    EXPECT_EQ(e.start_year, 2024);
    EXPECT_EQ(e.start_month, 5);
    EXPECT_EQ(e.start_day, 6);
    EXPECT_EQ(e.start_hour, 20);
    EXPECT_EQ(e.start_minute, 30);
    EXPECT_EQ(e.start_second, 15);
    EXPECT_EQ(e.duration_hours, 1);
    EXPECT_EQ(e.duration_minutes, 30);
    EXPECT_EQ(e.duration_seconds, 0);
    EXPECT_EQ(e.running_status, 4);
    EXPECT_EQ(e.free_CA_mode, 1);
    ASSERT_EQ(e.descriptor_count, 1);
    EXPECT_EQ(Text(e.descriptors[0]->short_event->event_name.get(), 2), "NA");
    const EitEventEntry& undefined = t.events[1];
    EXPECT_EQ(undefined.start_day, 6);
    EXPECT_EQ(undefined.start_hour, 255);
    EXPECT_EQ(undefined.start_minute, 255);
    EXPECT_EQ(undefined.start_second, 255);
    EXPECT_EQ(undefined.duration_hours, 255);
    EXPECT_EQ(undefined.duration_seconds, 255);
    EXPECT_EQ(undefined.descriptor_count, 0);
}

TEST(TableParserTest, TdtAndTotCarryTheBroadcastTime) {
    const Bytes offset = Descriptor(0x58, Bytes(13, 0));
    auto tot = ParseOne(BuildSection(0x73,
                                     ByteWriter()
                                         .U16(EncodeMjd(2008, 3, 1))
                                         .U24(0x123456)
                                         .U16(0xF000 | offset.size())
                                         .Bytes(offset)
                                         .bytes(),
                                     0xB0));
    ASSERT_NE(tot->tot, nullptr);
    EXPECT_EQ(tot->tot->year, 2008);
    EXPECT_EQ(tot->tot->month, 3);
    EXPECT_EQ(tot->tot->day, 1);
    EXPECT_EQ(tot->tot->hour, 12);
    EXPECT_EQ(tot->tot->minute, 34);
    EXPECT_EQ(tot->tot->second, 56);
    ASSERT_EQ(tot->tot->descriptor_count, 1);
    EXPECT_EQ(tot->tot->descriptors[0]->descriptor_tag, 0x58);

    auto bare = ParseOne(BuildSection(0x73, ByteWriter().U16(0).U24(0).U16(0xF000).bytes(), 0xB0));
    EXPECT_EQ(bare->tot->descriptors_loop_length, 0);
    EXPECT_EQ(bare->tot->descriptor_count, 0);
    EXPECT_TRUE(bare->tot->descriptors.empty());
}

TEST(TableParserTest, CdtKeepsTheLogoData) {
    auto make = [](const Bytes& data) {
        ByteWriter w;
        w.U16(0x7FE0).U8(0x01).U16(0xF000 | 3).Bytes(Descriptor(0xCF, {0x03}));
        w.U8(0x05).U16(0xFE00 | 0x123).U16(0xF000 | 0xABC).U16(data.size()).Bytes(data);
        return BuildLongSection({0xC8, 0x0101, 2, true, 0, 0}, w.bytes());
    };
    auto record = ParseOne(make({1, 2, 3, 4, 5}));
    ASSERT_NE(record->cdt, nullptr);
    const CdtSection& t = *record->cdt;
    EXPECT_EQ(t.download_data_id, 0x0101);
    EXPECT_EQ(t.original_network_id, 0x7FE0);
    EXPECT_EQ(t.data_type, 1);
    EXPECT_EQ(t.descriptor_count, 1);
    EXPECT_EQ(t.logo_type, 5);
    EXPECT_EQ(t.logo_id, 0x123);
    EXPECT_EQ(t.logo_version, 0xABC);
    ASSERT_EQ(t.data_size, 5);
    EXPECT_EQ(t.data[4], 5);
    auto empty = ParseOne(make({}));
    EXPECT_EQ(empty->cdt->data_size, 0);
    EXPECT_EQ(empty->cdt->data, nullptr);
}

TEST(TableParserTest, DsmccDownloadInfoIndication) {
    const Bytes module_info =
        Concat({Descriptor(0x01, {'t', 'x', 't'}), Descriptor(0x05, {0, 0, 0, 9})});
    ByteWriter w;
    w.U8(0x11).U8(0x03).U16(0x1002).U32(0x80000002).U8(0xFF).U8(3).U16(0);
    w.U8(0x7A).U8(0xB1).U8(0xB2);  // adaptation
    w.U32(0x01020304).U16(4066).U8(0).U8(0).U32(0).U32(0);
    w.U16(4).U16(1).U8(0xCC).U8(0xDD);  // compatibilityDescriptor
    w.U16(2);
    w.U16(1).U32(1000).U8(2).U8(module_info.size()).Bytes(module_info);
    w.U16(2).U32(2000).U8(3).U8(0);
    w.U16(3).Bytes(Descriptor(0x02, {'n'}));
    auto record = ParseOne(BuildLongSection({0x3B, 0x1002, 4, true, 0, 0}, w.bytes()));
    ASSERT_NE(record->dsmcc, nullptr);
    const DsmccSection& t = *record->dsmcc;
    EXPECT_EQ(t.section_syntax_indicator, 1);
    EXPECT_EQ(t.table_id_extension_high, 1);
    EXPECT_EQ(t.table_id_extension_low, 2);
    EXPECT_EQ(t.version_number, 4);
    ASSERT_NE(t.dii, nullptr);
    const DiiMessage& m = *t.dii;
    EXPECT_EQ(m.messageId, 0x1002);
    EXPECT_EQ(m.transactionId, 0x80000002u);
    EXPECT_EQ(m.adaptationType, 0x7A);
    ASSERT_EQ(m.adaptation_byte_count, 2);
    EXPECT_EQ(m.adaptation_bytes[1], 0xB2);
    EXPECT_EQ(m.downloadId, 0x01020304u);
    EXPECT_EQ(m.blockSize, 4066);
    EXPECT_EQ(m.compatibility_descriptor_count, 1);
    ASSERT_EQ(m.compatibility_byte_count, 2);
    EXPECT_EQ(m.compatibility_bytes[1], 0xDD);
    ASSERT_EQ(m.numberOfModules, 2);
    EXPECT_EQ(m.modules[0].moduleSize, 1000u);
    ASSERT_EQ(m.modules[0].module_descriptor_count, 2);
    EXPECT_EQ(m.modules[0].module_descriptors[1]->crc32->CRC_32, 9u);
    EXPECT_EQ(m.modules[1].module_descriptor_count, 0);
    EXPECT_EQ(m.privateDataLength, 3);
    ASSERT_EQ(m.private_descriptor_count, 1);
    EXPECT_NE(m.private_descriptors[0]->name, nullptr);
}

TEST(TableParserTest, DsmccDataBlocksDescriptorListsAndRawPayloads) {
    ByteWriter ddb;
    ddb.U8(0x11).U8(0x03).U16(0x1003).U32(7).U8(0xFF).U8(0).U16(6 + 5);
    ddb.U16(0x21).U8(1).U8(0xFF).U16(9).Bytes(Bytes{1, 2, 3, 4, 5});
    auto block = ParseOne(BuildLongSection({0x3C, 0x21, 0, true, 9, 9}, ddb.bytes()));
    const DdbMessage& d = *block->dsmcc->ddb;
    EXPECT_EQ(d.downloadId, 7u);
    EXPECT_EQ(d.moduleId, 0x21);
    EXPECT_EQ(d.blockNumber, 9);
    ASSERT_EQ(d.block_data_length, 5);
    EXPECT_EQ(d.block_data[4], 5);

    const Bytes tags =
        Concat({Descriptor(0x17, {1}), Descriptor(0x18, {}), Descriptor(0x19, {1, 2})});
    auto list = ParseOne(BuildLongSection({0x3D, 1, 0, true, 0, 0}, tags));
    const DsmccDescriptorList& l = *list->dsmcc->descriptor_list;
    ASSERT_EQ(l.descriptor_count, 3);
    EXPECT_EQ(l.descriptors[2]->descriptor_tag, 0x19);
    EXPECT_EQ(ParseOne(BuildLongSection({0x3D, 1, 0, true, 0, 0}, {}))->dsmcc->descriptor_list,
              nullptr);

    auto raw = ParseOne(BuildLongSection({0x3E, 1, 0, true, 0, 0}, Bytes{9, 8, 7}));
    EXPECT_EQ(raw->dsmcc->raw_payload_length, 3);
    EXPECT_EQ(raw->dsmcc->raw_payload[0], 9);
    EXPECT_EQ(raw->dsmcc->dii, nullptr);
}

// Lengths inside a section that point past its end stop the loops there.
TEST(TableParserTest, LengthsPastTheSectionEndStopAtTheSection) {
    const Bytes short_event = Descriptor(0x4D, {'j', 'p', 'n', 1, 'A', 0});
    auto eit = ParseOne(Eit(0x4E, 0, 1, {Event{1, 0, 0, short_event, 0xFFF}}));
    ASSERT_EQ(eit->eit->event_count, 1);
    EXPECT_EQ(eit->eit->events[0].descriptors_loop_length, 0xFFF);
    // The loop ran into the CRC: the short event and whatever the CRC bytes made.
    ASSERT_GE(eit->eit->events[0].descriptors.size(), 1u);
    EXPECT_EQ(eit->eit->events[0].descriptor_count, eit->eit->events[0].descriptors.size());
    EXPECT_NE(eit->eit->events[0].descriptors[0]->short_event, nullptr);

    ByteWriter dsmcc;
    dsmcc.U8(0x11).U8(0x03).U16(0x1002).U32(0).U8(0xFF).U8(200).U16(0xFFFF).U8(1);
    auto dii = ParseOne(BuildLongSection({0x3B, 1, 0, true, 0, 0}, dsmcc.bytes()));
    EXPECT_LE(dii->dsmcc->dii->adaptation_byte_count, 4);
    EXPECT_EQ(dii->dsmcc->dii->numberOfModules, 0);

    ByteWriter ddb;
    ddb.U8(0x11)
        .U8(0x03)
        .U16(0x1003)
        .U32(7)
        .U8(0xFF)
        .U8(0)
        .U16(0xFFFF)
        .U16(0x21)
        .U8(1)
        .U8(0xFF)
        .U16(9);
    auto block = ParseOne(BuildLongSection({0x3C, 1, 0, true, 0, 0}, ddb.bytes()));
    EXPECT_EQ(block->dsmcc->ddb->block_data_length, 4);  // the CRC bytes, not 0xFFF9
}

TEST(TableParserTest, ParsersCalledDirectlyStayInsideTheGivenBytes) {
    const Bytes eit = Eit(0x4E, 0, 1, {Event{1, 0, 0, Descriptor(0x4D, Bytes(40, 'x'))}});
    for (std::size_t cut = 1; cut < eit.size(); ++cut) {
        const auto copy = std::make_unique<std::uint8_t[]>(cut);
        std::copy(eit.begin(), eit.begin() + cut, copy.get());
        std::unique_ptr<SectionRecord> record;
        int consumed = 0;
        ASSERT_EQ(ParseEitSection(copy.get(), static_cast<int>(cut), &consumed, &record), 1);
        EXPECT_EQ(consumed, cut < 3 ? 3 : static_cast<int>(eit.size()));
    }
    std::unique_ptr<SectionRecord> record;
    int consumed = 0;
    EXPECT_EQ(ParsePatSection(eit.data(), 30, &consumed, &record), 0);
    EXPECT_EQ(consumed, 30);
    EXPECT_EQ(record, nullptr);
    EXPECT_EQ(ParseEitSection(eit.data(), 30, &consumed, nullptr), 0);
}

TEST(TableParserTest, LoopsKeepTheirFirst255Entries) {
    ByteWriter sdt;
    sdt.U16(1).U8(0xFF);
    for (int i = 0; i < 300; ++i)
        sdt.U16(i).U8(0xFC).U16(0x8000);
    auto services = ParseOne(BuildLongSection({0x42, 1, 0, true, 0, 0}, sdt.bytes()));
    ASSERT_EQ(services->sdt->service_count, 255);
    EXPECT_EQ(services->sdt->services.size(), 255u);
    EXPECT_EQ(services->sdt->services[254].service_id, 254);

    std::vector<Event> events(300);
    for (int i = 0; i < 300; ++i)
        events[i].id = static_cast<std::uint16_t>(i);
    auto eit = ParseOne(Eit(0x50, 0, 0, events));
    EXPECT_EQ(eit->eit->event_count, 255);
    EXPECT_EQ(eit->eit->events.back().event_id, 254);
}

TEST(TableParserTest, FreeSectionRecordLeavesATagOnlyRecord) {
    auto record = ParseOne(Eit(0x4E, 0, 1, {Event{}}));
    ASSERT_NE(record->eit, nullptr);
    FreeSectionRecord(record.get());
    EXPECT_EQ(record->eit, nullptr);
    EXPECT_EQ(record->table_id, 0x4E);
}

}  // namespace
}  // namespace broadcast::test
