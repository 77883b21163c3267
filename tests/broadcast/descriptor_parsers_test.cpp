#include <gtest/gtest.h>

#include "broadcast_sim/si_encoding.h"
#include "tests/support/si_test_util.h"

namespace broadcast::test {
namespace {

TEST(DescriptorLoopTest, KnownAndUnknownTagsKeepTheirOrder) {
    const Bytes loop = Concat({Descriptor(0x4D, {'j', 'p', 'n', 0, 0}), Descriptor(0x83, {1, 2})});
    std::uint8_t count = 0;
    DescriptorArray records = ParseLoop(loop, &count);
    ASSERT_EQ(count, 2);
    EXPECT_EQ(records[0]->descriptor_tag, 0x4D);
    EXPECT_NE(records[0]->short_event, nullptr);
    EXPECT_EQ(records[1]->descriptor_tag, 0x83);
    EXPECT_EQ(records[1]->short_event, nullptr);
    EXPECT_EQ(records[1]->service, nullptr);

    std::uint8_t none = 9;
    DescriptorArray untouched;
    EXPECT_EQ(ParseDescriptorLoop(loop.data(), 0, &untouched, &none), 1);
    EXPECT_EQ(none, 0);
    EXPECT_EQ(ParseDescriptorLoop(loop.data(), 4, &untouched, nullptr), 0);
}

TEST(DescriptorLoopTest, ARefusedDescriptorBecomesTagOnlyAndTheLoopSteps) {
    // With 5 bytes left in the loop a short event is below its minimum: a tag-only record.
    const Bytes loop = Concat({Descriptor(0xD5, Bytes(8, 0)), Descriptor(0x4D, {'j', 'p', 'n'})});
    std::uint8_t count = 0;
    DescriptorArray records = ParseLoop(loop, &count);
    ASSERT_EQ(count, 2);
    EXPECT_NE(records[0]->series, nullptr);
    EXPECT_EQ(records[1]->descriptor_tag, 0x4D);
    EXPECT_EQ(records[1]->short_event, nullptr);
}

TEST(DescriptorLoopTest, ALoopOfMoreThan255DescriptorsKeepsTheFirst255) {
    Bytes loop;
    for (int i = 0; i < 400; ++i)
        loop = Concat({loop, Descriptor(0x52, {static_cast<std::uint8_t>(i)})});
    std::uint8_t count = 0;
    DescriptorArray records = ParseLoop(loop, &count);
    EXPECT_EQ(count, 255);
    ASSERT_EQ(records.size(), 255u);
    EXPECT_EQ(records[254]->stream_identifier->component_tag, 254);
}

TEST(DescriptorLoopTest, ADescriptorLongerThanTheLoopReadsOnlyTheLoop) {
    // Every parser, handed a descriptor that claims 255 bytes but ends with the loop.
    for (int tag = 0; tag < 256; ++tag) {
        for (std::size_t size = 2; size < 24; ++size) {
            Bytes loop(size, 0x41);
            loop[0] = static_cast<std::uint8_t>(tag);
            loop[1] = 0xFF;
            std::uint8_t count = 0;
            DescriptorArray records = ParseLoop(loop, &count);
            EXPECT_EQ(count, 1) << tag << " " << size;
            ASSERT_EQ(records.size(), 1u) << tag << " " << size;
            EXPECT_EQ(records[0]->descriptor_tag, tag);
        }
    }
}

// Broadcasters append bytes the parser does not read; the walk still finds the next descriptor
// at the current one's own length.
TEST(DescriptorLoopTest, TrailingBytesDoNotHideTheNextDescriptor) {
    const Bytes shortEvent = Descriptor(0x4D, {'j', 'p', 'n', 2, 'E', 'v', 1, 'T'});
    const Bytes service = Descriptor(0x48, {0x01, 0, 2, 'S', 'v'});
    const struct {
        const char* what;
        Bytes descriptor;
    } cases[] = {
        {"content of length 3", Descriptor(0x54, {0x40, 0xFF, 0x00})},
        {"short event with one trailing byte", Descriptor(0x4D, {'j', 'p', 'n', 1, 'A', 0, 0})},
        {"service with one trailing byte", Descriptor(0x48, {0x01, 0, 1, 'S', 0})},
        {"satellite delivery of length 12", Descriptor(0x43, Bytes(12, 0x11))},
        {"terrestrial delivery of odd length", Descriptor(0xFA, {0x5A, 0x35, 0x0E, 0x3C, 0})},
        {"video decode control of length 2", Descriptor(0xC8, {0x80, 0})},
        {"service list with a short entry", Descriptor(0x41, {0x04, 0x00, 0x01, 0x04, 0x08})},
        {"stream identifier of length 2", Descriptor(0x52, {0x10, 0})},
        {"hierarchical transmission of length 4", Descriptor(0xC0, {0x01, 0xE1, 0x11, 0})},
        {"logo transmission type 2 of length 4", Descriptor(0xCF, {0x02, 0x00, 0x06, 0})},
        {"partial reception of odd length", Descriptor(0xFB, {0x04, 0x08, 0})},
        {"parental rating of length 5", Descriptor(0x55, {'J', 'P', 'N', 0, 0})},
    };
    for (const auto& c : cases) {
        for (const Bytes& next : {shortEvent, service}) {
            std::uint8_t count = 0;
            DescriptorArray records = ParseLoop(Concat({c.descriptor, next}), &count);
            EXPECT_EQ(count, 2) << c.what;
            if (count != 2) continue;
            EXPECT_EQ(records[0]->descriptor_tag, c.descriptor[0]) << c.what;
            const DescriptorRecord& second = *records[1];
            if (next[0] == 0x4D) {
                EXPECT_TRUE(second.short_event &&
                            Text(second.short_event->event_name.get(),
                                 second.short_event->event_name_length) == "Ev")
                    << c.what;
            } else {
                EXPECT_TRUE(second.service && Text(second.service->service_name.get(),
                                                   second.service->service_name_length) == "Sv")
                    << c.what;
            }
        }
    }
}

// Whatever the body holds, every descriptor takes exactly its own length in the loop.
TEST(DescriptorLoopTest, EveryTagStepsOverItsOwnLength) {
    const Bytes marker = Descriptor(0x52, {0x5A});
    for (int tag = 0; tag < 256; ++tag) {
        for (std::uint8_t fill : {0x00, 0x01, 0x80, 0xFF}) {
            for (std::size_t length = 0; length < 40; ++length) {
                Bytes body(length, fill);
                const Bytes loop =
                    Concat({Descriptor(static_cast<std::uint8_t>(tag), body), marker});
                std::uint8_t count = 0;
                DescriptorArray records = ParseLoop(loop, &count);
                ASSERT_EQ(count, 2) << tag << " " << length << " " << int{fill};
                ASSERT_NE(records[1]->stream_identifier, nullptr) << tag << " " << length;
                EXPECT_EQ(records[1]->stream_identifier->component_tag, 0x5A);
            }
        }
    }
}

TEST(DescriptorParserTest, ServiceWithAnEmptyProviderName) {
    auto d = ParseDescriptor(Descriptor(0x48, {0x01, 0, 4, 'M', 'N', 'T', '1'}));
    ASSERT_NE(d->service, nullptr);
    EXPECT_EQ(d->service->service_type, 1);
    EXPECT_EQ(d->service->service_provider_name_length, 0);
    ASSERT_NE(d->service->service_provider_name, nullptr);
    EXPECT_EQ(d->service->service_provider_name[0], 0);
    EXPECT_EQ(d->service->service_name_length, 4);
    EXPECT_STREQ(reinterpret_cast<const char*>(d->service->service_name.get()), "MNT1");
}

TEST(DescriptorParserTest, ExtendedEventItemsAndText) {
    ByteWriter body;
    body.U8(0x12).Text("jpn");
    const Bytes items = ByteWriter()
                            .LengthPrefixed("Cast")
                            .LengthPrefixed("A, B")
                            .LengthPrefixed("")
                            .LengthPrefixed("C")
                            .Take();
    body.U8(items.size()).Bytes(items).LengthPrefixed("tail");
    std::uint8_t count = 0;
    DescriptorArray records =
        ParseLoop(Concat({Descriptor(0x4E, body.bytes()), Descriptor(0x52, {7})}), &count);
    ASSERT_EQ(count, 2);
    EXPECT_EQ(records[1]->stream_identifier->component_tag, 7);
    ASSERT_NE(records[0]->extended_event, nullptr);
    const ExtendedEventDesc& e = *records[0]->extended_event;
    EXPECT_EQ(e.descriptor_number, 1);
    EXPECT_EQ(e.last_descriptor_number, 2);
    ASSERT_EQ(e.item_count, 2);
    EXPECT_EQ(Text(e.items[0].item_description.get(), e.items[0].item_description_length), "Cast");
    EXPECT_EQ(Text(e.items[0].item.get(), e.items[0].item_length), "A, B");
    EXPECT_EQ(e.items[1].item_description_length, 0);
    EXPECT_EQ(Text(e.items[1].item.get(), e.items[1].item_length), "C");
    EXPECT_EQ(Text(e.text.get(), e.text_length), "tail");
}

TEST(DescriptorParserTest, ComponentAndAudioComponent) {
    auto c = ParseDescriptor(Descriptor(0x50, {0xF1, 0xB3, 0x00, 'j', 'p', 'n', 'H', 'D'}));
    ASSERT_NE(c->component, nullptr);
    EXPECT_EQ(c->component->stream_content, 1);
    EXPECT_EQ(c->component->component_type, 0xB3);
    EXPECT_EQ(Text(c->component->text.get(), c->component->text_length), "HD");

    const Bytes mono = {0xF2, 0x03, 0x10, 0x0F, 0xFF, 0x3E, 'j', 'p', 'n', 'x'};
    auto a = ParseDescriptor(Descriptor(0xC4, mono));
    ASSERT_NE(a->audio_component, nullptr);
    EXPECT_EQ(a->audio_component->ES_multi_lingual_flag, 0);
    EXPECT_EQ(a->audio_component->main_component_flag, 0);
    EXPECT_EQ(a->audio_component->quality_indicator, 3);
    EXPECT_EQ(a->audio_component->sampling_rate, 7);
    EXPECT_EQ(Text(a->audio_component->text.get(), a->audio_component->text_length), "x");

    const Bytes dual = {0xF2, 0x02, 0x10, 0x0F, 0xFF, 0xC1, 'j', 'p', 'n', 'e', 'n', 'g', 'y', 'z'};
    auto b = ParseDescriptor(Descriptor(0xC4, dual));
    EXPECT_EQ(b->audio_component->ES_multi_lingual_flag, 1);
    EXPECT_EQ(b->audio_component->ISO_639_language_code_2[0], 'e');
    EXPECT_EQ(Text(b->audio_component->text.get(), b->audio_component->text_length), "yz");
}

TEST(DescriptorParserTest, ContentNibblesAndParentalRatings) {
    auto c = ParseDescriptor(Descriptor(0x54, {0x41, 0xFE, 0x70, 0x12}));
    ASSERT_EQ(c->content->entry_count, 2);
    EXPECT_EQ(c->content->entries[0].content_nibble_level_1, 4);
    EXPECT_EQ(c->content->entries[0].content_nibble_level_2, 1);
    EXPECT_EQ(c->content->entries[0].user_nibble_1, 0xF);
    EXPECT_EQ(c->content->entries[1].user_nibble_2, 2);
    auto p = ParseDescriptor(Descriptor(0x55, {'J', 'P', 'N', 5}));
    ASSERT_EQ(p->parental_rating->entry_count, 1);
    EXPECT_EQ(p->parental_rating->entries[0].rating, 5);
}

TEST(DescriptorParserTest, ContentAvailabilityAndLdtLinkageKeepTheLoopAligned) {
    const Bytes ldt = {0x04, 0x00, 0x7F, 0xE0, 0x00, 0x04, 0x00, 0x01, 0xF3,
                       0x10, 0x00, 0x02, 0xF4, 0x20, 0x00, 0x03, 0xF5, 0x30};
    const Bytes loop =
        Concat({Descriptor(0xDE, {0x3B, 'p'}), Descriptor(0xDC, ldt), Descriptor(0x52, {9})});
    std::uint8_t count = 0;
    DescriptorArray records = ParseLoop(loop, &count);
    ASSERT_EQ(count, 3);
    const ContentAvailabilityDesc& ca = *records[0]->content_availability;
    EXPECT_EQ(ca.image_constraint_token, 1);
    EXPECT_EQ(ca.retention_mode, 1);
    EXPECT_EQ(ca.retention_state, 5);
    EXPECT_EQ(ca.encryption_mode, 1);
    EXPECT_EQ(ca.private_data_length, 1);
    const LdtLinkageDesc& l = *records[1]->ldt_linkage;
    EXPECT_EQ(l.original_service_id, 0x400);
    ASSERT_EQ(l.entry_count, 3);
    EXPECT_EQ(l.entries[2].description_id, 3);
    EXPECT_EQ(l.entries[2].description_type, 5);
    EXPECT_EQ(l.entries[2].user_defined, 0x30);
    EXPECT_EQ(records[2]->stream_identifier->component_tag, 9);
}

TEST(DescriptorParserTest, CountryAvailabilityKeepsTheCodesWithoutTheFlagByte) {
    const Bytes loop =
        Concat({Descriptor(0x49, {0x80, 'J', 'P', 'N', 'U', 'S', 'A'}), Descriptor(0x52, {1})});
    std::uint8_t count = 0;
    DescriptorArray records = ParseLoop(loop, &count);
    ASSERT_EQ(count, 2);
    const CountryAvailabilityDesc& c = *records[0]->country_availability;
    EXPECT_EQ(c.country_availability_flag, 1);
    ASSERT_EQ(c.country_codes_length, 6);
    EXPECT_STREQ(reinterpret_cast<const char*>(c.country_codes.get()), "JPNUSA");
    EXPECT_NE(records[1]->stream_identifier, nullptr);
}

TEST(DescriptorParserTest, EventGroupOfOtherNetworks) {
    ByteWriter body;
    body.U8(0x41).U16(0x400).U16(0x1000);
    body.U16(4).U16(0x40F1).U16(0x401).U16(0x2000);
    body.U16(6).U16(0x40F2).U16(0x402).U16(0x3000);
    auto d = ParseDescriptor(Descriptor(0xD6, body.bytes()));
    const EventGroupDesc& g = *d->event_group;
    EXPECT_EQ(g.group_type, 4);
    ASSERT_EQ(g.event_count, 1);
    EXPECT_EQ(g.events[0].event_id, 0x1000);
    ASSERT_EQ(g.other_network_count, 2);
    EXPECT_EQ(g.other_network_events[1].service_id, 0x402);
    EXPECT_EQ(g.other_network_events[1].event_id, 0x3000);
    EXPECT_EQ(g.other_network_events[1].original_network_id, 6);
    EXPECT_EQ(g.other_network_events[1].transport_stream_id, 0x40F2);
    EXPECT_EQ(g.private_data_length, 0);

    auto relay = ParseDescriptor(Descriptor(0xD6, {0x12, 0x04, 0x00, 0x10, 0x00, 0xAB}));
    EXPECT_EQ(relay->event_group->group_type, 1);
    EXPECT_EQ(relay->event_group->event_count, 2 - 1);  // the second entry is cut off
    EXPECT_EQ(relay->event_group->other_network_count, 0);
}

TEST(DescriptorParserTest, EmergencyInformationAreaCodes) {
    auto d = ParseDescriptor(Descriptor(0xFC, {0x04, 0x00, 0xC0, 0x04, 0x5A, 0x30, 0x12, 0x30}));
    const EmergencyInformationDesc& e = *d->emergency_information;
    ASSERT_EQ(e.entry_count, 1);
    EXPECT_EQ(e.entries[0].service_id, 0x400);
    EXPECT_EQ(e.entries[0].start_end_flag, 1);
    EXPECT_EQ(e.entries[0].signal_level, 1);
    ASSERT_EQ(e.entries[0].area_code_count, 2);
    EXPECT_EQ(e.entries[0].area_codes[0], 0x5A3);
    EXPECT_EQ(e.entries[0].area_codes[1], 0x123);
}

TEST(DescriptorParserTest, TerrestrialDeliveryAndPartialReception) {
    auto t = ParseDescriptor(Descriptor(0xFA, {0x5A, 0x3B, 0x0A, 0xBC, 0x0B, 0x00}));
    const TerrestrialDeliverySystemDesc& d = *t->terrestrial_delivery_system;
    EXPECT_EQ(d.area_code, 0x5A3);
    EXPECT_EQ(d.guard_interval, 2);
    EXPECT_EQ(d.transmission_mode, 3);
    ASSERT_EQ(d.frequency_count, 2);
    EXPECT_EQ(d.frequencies[1], 0x0B00);
    auto p = ParseDescriptor(Descriptor(0xFB, {0x05, 0x88}));
    ASSERT_EQ(p->partial_reception->service_id_count, 1);
    EXPECT_EQ(p->partial_reception->service_ids[0], 0x588);
}

TEST(DescriptorParserTest, SatelliteDeliveryDigits) {
    auto s = ParseDescriptor(
        Descriptor(0x43, {0x01, 0x17, 0x27, 0x48, 0x11, 0x00, 0x88, 0x02, 0x88, 0x60, 0x03}));
    const SatelliteDeliverySystemDesc& d = *s->satellite_delivery_system;
    EXPECT_DOUBLE_EQ(d.frequency, 11.72748);
    EXPECT_DOUBLE_EQ(d.orbital_position, 110.0);
    EXPECT_EQ(d.west_east_flag, 1);
    EXPECT_EQ(d.polarisation, 0);
    EXPECT_EQ(d.modulation, 8);
    EXPECT_DOUBLE_EQ(d.symbol_rate, 28.86);
    EXPECT_EQ(d.FEC_inner, 3);
}

TEST(DescriptorParserTest, SeriesExpireDate) {
    const std::uint16_t mjd = broadcast_sim::EncodeMjd(2025, 3, 31);
    auto valid =
        ParseDescriptor(Descriptor(0xD5, {0x12, 0x34, 0x13, static_cast<std::uint8_t>(mjd >> 8),
                                          static_cast<std::uint8_t>(mjd), 0x00, 0x50, 0x0C, 'S'}));
    const SeriesDesc& s = *valid->series;
    EXPECT_EQ(s.series_id, 0x1234);
    EXPECT_EQ(s.repeat_label, 1);
    EXPECT_EQ(s.program_pattern, 1);
    EXPECT_EQ(s.expire_year, 2025);
    EXPECT_EQ(s.expire_month, 3);
    EXPECT_EQ(s.expire_day, 31);
    EXPECT_EQ(s.episode_number, 5);
    EXPECT_EQ(s.last_episode_number, 12);
    EXPECT_EQ(Text(s.series_name.get(), s.series_name_length), "S");
    auto none = ParseDescriptor(Descriptor(0xD5, {0, 1, 0x10, 0xC0, 0x00, 0, 0, 0}));
    EXPECT_EQ(none->series->expire_year, 0xFFFF);
    EXPECT_EQ(none->series->expire_month, 255);
    EXPECT_EQ(none->series->expire_day, 255);
}

TEST(DescriptorParserTest, TsInformationServices) {
    auto d = ParseDescriptor(
        Descriptor(0xCD, {0x05, 0x0D, 'A', 'B', 'C', 0x0F, 2, 0x05, 0x88, 0x05, 0x89, 0xEE}));
    const TsInformationDesc& t = *d->ts_information;
    EXPECT_EQ(t.remote_control_key_id, 5);
    EXPECT_EQ(t.length_of_ts_name, 3);
    ASSERT_EQ(t.transmission_type_count, 1);
    EXPECT_EQ(t.transmission_types[0].transmission_type_info, 0x0F);
    ASSERT_EQ(t.transmission_types[0].num_of_service, 2);
    EXPECT_EQ(t.transmission_types[0].service_ids[1], 0x589);
    ASSERT_EQ(t.reserved_length, 1);
    EXPECT_EQ(t.reserved[0], 0xEE);
}

TEST(DescriptorParserTest, DigitalCopyControlWithComponents) {
    auto d = ParseDescriptor(Descriptor(0xC1, {0x7C, 0x20, 5, 0x10, 0xAD, 0x40, 0x11, 0x40}));
    const DigitalCopyControlDesc& c = *d->digital_copy_control;
    EXPECT_EQ(c.digital_recording_control_data, 1);
    EXPECT_EQ(c.maximum_bitrate_flag, 1);
    EXPECT_EQ(c.component_control_flag, 1);
    EXPECT_EQ(c.copy_control_type, 3);
    EXPECT_EQ(c.maximum_bitrate, 0x20);
    EXPECT_EQ(c.component_control_length, 5);
    ASSERT_EQ(c.component_count, 2);
    EXPECT_EQ(c.components[0].component_tag, 0x10);
    EXPECT_EQ(c.components[0].maximum_bitrate_flag, 1);
    EXPECT_EQ(c.components[0].maximum_bitrate, 0x40);
    EXPECT_EQ(c.components[1].component_tag, 0x11);
    EXPECT_EQ(c.components[1].maximum_bitrate_flag, 0);
}

TEST(DescriptorParserTest, HyperlinkSelectorsAndComponentGroups) {
    auto h = ParseDescriptor(
        Descriptor(0xC5, {0x01, 0x02, 16, 0, 4, 0, 5, 0, 6, 0, 7, 0, 1, 0, 2, 0, 3, 0, 4, 'p'}));
    const HyperlinkDesc& link = *h->hyperlink;
    ASSERT_EQ(link.selector_count, 2);
    EXPECT_EQ(link.selectors[0].event_id, 7);
    EXPECT_EQ(link.selectors[1].original_network_id, 1);
    EXPECT_EQ(Text(link.private_data.get(), link.private_data_length), "p");
    auto skip = ParseDescriptor(Descriptor(0xC5, {0x01, 0x09, 2, 0xAA, 0xBB, 'q'}));
    EXPECT_EQ(skip->hyperlink->selector_count, 0);
    EXPECT_EQ(Text(skip->hyperlink->private_data.get(), skip->hyperlink->private_data_length), "q");

    auto g = ParseDescriptor(Descriptor(0xD9, {0x12, 0x01, 0x12, 0x10, 0x11, 0x30, 2, 'g', '1'}));
    const ComponentGroupDesc& cg = *g->component_group;
    EXPECT_EQ(cg.component_group_type, 0);
    EXPECT_EQ(cg.total_bit_rate_flag, 1);
    ASSERT_EQ(cg.num_of_group, 1);
    EXPECT_EQ(cg.groups[0].num_of_CA_unit, 1);
    EXPECT_EQ(cg.groups[0].ca_units[0].num_of_component, 2);
    EXPECT_EQ(cg.groups[0].ca_units[0].component_tags[1], 0x11);
    EXPECT_EQ(cg.groups[0].total_bit_rate, 0x30);
    EXPECT_EQ(Text(cg.groups[0].text.get(), cg.groups[0].text_length), "g1");
}

TEST(DescriptorParserTest, LogoTransmissionConsumesByType) {
    const Bytes loop =
        Concat({Descriptor(0xCF, {0x01, 0xFE, 0x05, 0xF0, 0x07, 0x00, 0x09}),
                Descriptor(0xCF, {0x02, 0x00, 0x06}), Descriptor(0xCF, {0x03, 'L'})});
    std::uint8_t count = 0;
    DescriptorArray records = ParseLoop(loop, &count);
    ASSERT_EQ(count, 3);
    EXPECT_EQ(records[0]->logo_transmission->logo_id, 5);
    EXPECT_EQ(records[0]->logo_transmission->logo_version, 7);
    EXPECT_EQ(records[0]->logo_transmission->download_data_id, 9);
    EXPECT_EQ(records[1]->logo_transmission->logo_id, 6);
    EXPECT_EQ(records[2]->logo_transmission->logo_char_length, 1);
}

TEST(DescriptorParserTest, ParsersRefuseWrongTagsAndShortRemainders) {
    const Bytes d = Descriptor(0x4D, {'j', 'p', 'n', 0, 0});
    std::unique_ptr<DescriptorRecord> record;
    int consumed = 0;
    EXPECT_EQ(ParseServiceDesc(static_cast<int>(d.size()), d.data(), &consumed, &record), 0);
    EXPECT_EQ(consumed, 7);
    EXPECT_EQ(ParseShortEventDesc(6, d.data(), &consumed, &record), 0);
    EXPECT_EQ(consumed, 6);
    EXPECT_EQ(ParseShortEventDesc(7, d.data(), &consumed, nullptr), 0);
    EXPECT_EQ(record, nullptr);
    ASSERT_EQ(ParseShortEventDesc(7, d.data(), &consumed, &record), 1);
    EXPECT_EQ(consumed, 7);
    FreeDescriptorRecord(record.get());
    EXPECT_EQ(record->short_event, nullptr);
    EXPECT_EQ(record->descriptor_tag, 0x4D);
}

}  // namespace
}  // namespace broadcast::test
