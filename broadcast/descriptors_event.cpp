#include "broadcast/descriptors_event.h"

#include "broadcast/descriptor_parse.h"
#include "broadcast/descriptor_record.h"
#include "broadcast/si_time.h"

namespace broadcast {
namespace {

constexpr auto kYes = Terminated::kYes;
constexpr auto kNo = Terminated::kNo;

void ReadDigitalCopyComponents(ByteReader& r, DigitalCopyControlDesc& d) {
    const int start = r.position();
    while (r.position() - start < d.component_control_length && r.remaining() > 0) {
        DigitalCopyControlComponent& c = d.components.emplace_back();
        c.component_tag = r.U8();
        const std::uint8_t flags = r.U8();
        c.digital_recording_control_data = flags >> 6;
        c.maximum_bitrate_flag = (flags >> 5) & 1;
        c.copy_control_type = (flags >> 2) & 3;
        c.APS_control_data = flags & 3;
        if (c.maximum_bitrate_flag) c.maximum_bitrate = r.U8();
    }
    d.component_count = CountOf(d.components);
}

ComponentGroupEntry ReadComponentGroup(ByteReader& r, bool with_bit_rate) {
    ComponentGroupEntry group;
    const std::uint8_t ids = r.U8();
    group.component_group_id = ids >> 4;
    const int units = ids & 0x0F;
    for (int i = 0; i < units && r.remaining() > 0; ++i) {
        ComponentGroupCaUnit& unit = group.ca_units.emplace_back();
        const std::uint8_t b = r.U8();
        unit.CA_unit_id = b >> 4;
        unit.component_tags = TakeBytes(r, b & 0x0F, kNo, &unit.num_of_component);
    }
    group.num_of_CA_unit = CountOf(group.ca_units);
    if (with_bit_rate) group.total_bit_rate = r.U8();
    group.text = TakeLengthPrefixed(r, kNo, &group.text_length);
    return group;
}

}  // namespace

int ParseShortEventDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                        std::unique_ptr<DescriptorRecord>* record) {
    return ParseDescriptor(0x4D, 6, &DescriptorRecord::short_event, remaining, bytes, consumed,
                           record, [](ByteReader& r, ShortEventDesc& d) {
                               TakeFixed(r, d.ISO_639_language_code, 3);
                               d.event_name = TakeLengthPrefixed(r, kYes, &d.event_name_length);
                               d.text = TakeLengthPrefixed(r, kYes, &d.text_length);
                               return Walked(r);
                           });
}

int ParseExtendedEventDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                           std::unique_ptr<DescriptorRecord>* record) {
    return ParseDescriptor(
        0x4E, 7, &DescriptorRecord::extended_event, remaining, bytes, consumed, record,
        [](ByteReader& r, ExtendedEventDesc& d) {
            const std::uint8_t numbers = r.U8();
            d.descriptor_number = numbers >> 4;
            d.last_descriptor_number = numbers & 0x0F;
            TakeFixed(r, d.ISO_639_language_code, 3);
            d.length_of_items = r.U8();
            const int start = r.position();
            while (r.position() - start < d.length_of_items && r.remaining() > 0) {
                ExtendedEventItem& item = d.items.emplace_back();
                item.item_description = TakeLengthPrefixed(r, kYes, &item.item_description_length);
                item.item = TakeLengthPrefixed(r, kYes, &item.item_length);
            }
            d.item_count = CountOf(d.items);
            d.text = TakeLengthPrefixed(r, kYes, &d.text_length);
            return Walked(r);
        });
}

int ParseTimeShiftedEventDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                              std::unique_ptr<DescriptorRecord>* record) {
    return ParseDescriptor(0x4F, 5, &DescriptorRecord::time_shifted_event, remaining, bytes,
                           consumed, record, [](ByteReader& r, TimeShiftedEventDesc& d) {
                               d.reference_service_id = r.U16();
                               d.reference_event_id = r.U16();
                               return 6;
                           });
}

int ParseComponentDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                       std::unique_ptr<DescriptorRecord>* record) {
    return ParseDescriptor(0x50, 7, &DescriptorRecord::component, remaining, bytes, consumed,
                           record, [](ByteReader& r, ComponentDesc& d) {
                               d.stream_content = r.U8() & 0x0F;
                               d.component_type = r.U8();
                               d.component_tag = r.U8();
                               TakeFixed(r, d.ISO_639_language_code, 3);
                               d.text = TakeBytes(r, d.descriptor_length - 6, kYes, &d.text_length);
                               return LengthPlus2(d);
                           });
}

int ParseContentDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                     std::unique_ptr<DescriptorRecord>* record) {
    return ParseDescriptor(
        0x54, 1, &DescriptorRecord::content, remaining, bytes, consumed, record,
        [](ByteReader& r, ContentDesc& d) {
            for (int i = 0; i < d.descriptor_length / 2 && r.Has(2); ++i) {
                const std::uint8_t genre = r.U8();
                const std::uint8_t user = r.U8();
                d.entries.push_back(ContentEntry{
                    static_cast<std::uint8_t>(genre >> 4), static_cast<std::uint8_t>(genre & 0x0F),
                    static_cast<std::uint8_t>(user >> 4), static_cast<std::uint8_t>(user & 0x0F)});
            }
            d.entry_count = CountOf(d.entries);
            return 2 + 2 * d.entry_count;
        });
}

int ParseParentalRatingDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                            std::unique_ptr<DescriptorRecord>* record) {
    return ParseDescriptor(0x55, 1, &DescriptorRecord::parental_rating, remaining, bytes, consumed,
                           record, [](ByteReader& r, ParentalRatingDesc& d) {
                               for (int i = 0; i < d.descriptor_length / 4 && r.Has(4); ++i) {
                                   ParentalRatingEntry& e = d.entries.emplace_back();
                                   TakeFixed(r, e.country_code, 3);
                                   e.rating = r.U8();
                               }
                               d.entry_count = CountOf(d.entries);
                               return 2 + 4 * d.entry_count;
                           });
}

int ParseDigitalCopyControlDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                                std::unique_ptr<DescriptorRecord>* record) {
    return ParseDescriptor(0xC1, 4, &DescriptorRecord::digital_copy_control, remaining, bytes,
                           consumed, record, [](ByteReader& r, DigitalCopyControlDesc& d) {
                               const std::uint8_t flags = r.U8();
                               d.digital_recording_control_data = flags >> 6;
                               d.maximum_bitrate_flag = (flags >> 5) & 1;
                               d.component_control_flag = (flags >> 4) & 1;
                               d.copy_control_type = (flags >> 2) & 3;
                               d.APS_control_data = flags & 3;
                               if (d.maximum_bitrate_flag) d.maximum_bitrate = r.U8();
                               if (d.component_control_flag) {
                                   d.component_control_length = r.U8();
                                   ReadDigitalCopyComponents(r, d);
                               }
                               return Walked(r);
                           });
}

int ParseAudioComponentDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                            std::unique_ptr<DescriptorRecord>* record) {
    return ParseDescriptor(0xC4, 10, &DescriptorRecord::audio_component, remaining, bytes, consumed,
                           record, [](ByteReader& r, AudioComponentDesc& d) {
                               d.stream_content = r.U8() & 0x0F;
                               d.component_type = r.U8();
                               d.component_tag = r.U8();
                               d.stream_type = r.U8();
                               d.simulcast_group_tag = r.U8();
                               const std::uint8_t flags = r.U8();
                               d.ES_multi_lingual_flag = flags >> 7;
                               d.main_component_flag = (flags >> 6) & 1;
                               d.quality_indicator = (flags >> 4) & 3;
                               d.sampling_rate = (flags >> 1) & 7;
                               TakeFixed(r, d.ISO_639_language_code, 3);
                               if (d.ES_multi_lingual_flag) {
                                   TakeFixed(r, d.ISO_639_language_code_2, 3);
                               }
                               d.text = TakeBytes(r, r.remaining(), kYes, &d.text_length);
                               return LengthPlus2(d);
                           });
}

int ParseSeriesDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                    std::unique_ptr<DescriptorRecord>* record) {
    return ParseDescriptor(
        0xD5, 9, &DescriptorRecord::series, remaining, bytes, consumed, record,
        [](ByteReader& r, SeriesDesc& d) {
            d.series_id = r.U16();
            const std::uint8_t b = r.U8();
            d.repeat_label = b >> 4;
            d.program_pattern = (b >> 1) & 7;
            d.expire_date_valid_flag = b & 1;
            const std::uint16_t mjd = r.U16();
            const SiDate expire =
                d.expire_date_valid_flag ? MjdToDate(mjd) : SiDate{0xFFFF, 255, 255};
            d.expire_year = expire.year;
            d.expire_month = expire.month;
            d.expire_day = expire.day;
            const std::uint32_t episodes = r.U24();
            d.episode_number = static_cast<std::uint16_t>(episodes >> 12);
            d.last_episode_number = static_cast<std::uint16_t>(episodes & 0xFFF);
            d.series_name = TakeBytes(r, d.descriptor_length - 8, kYes, &d.series_name_length);
            return LengthPlus2(d);
        });
}

int ParseEventGroupDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                        std::unique_ptr<DescriptorRecord>* record) {
    return ParseDescriptor(
        0xD6, 2, &DescriptorRecord::event_group, remaining, bytes, consumed, record,
        [](ByteReader& r, EventGroupDesc& d) {
            const std::uint8_t b = r.U8();
            d.group_type = b >> 4;
            for (int i = 0; i < (b & 0x0F) && r.Has(4); ++i) {
                const std::uint16_t service_id = r.U16();
                d.events.push_back(EventGroupEntry{service_id, r.U16()});
            }
            d.event_count = CountOf(d.events);
            if (d.group_type == 4 || d.group_type == 5) {
                while (r.Has(8)) {
                    EventGroupOtherNetworkEntry& e = d.other_network_events.emplace_back();
                    e.original_network_id = r.U16();
                    e.transport_stream_id = r.U16();
                    e.service_id = r.U16();
                    e.event_id = r.U16();
                }
                d.other_network_count = CountOf(d.other_network_events);
                r.Skip(r.remaining());
            } else {
                d.private_data = TakeBytes(r, r.remaining(), kYes, &d.private_data_length);
            }
            return Walked(r);
        });
}

int ParseComponentGroupDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                            std::unique_ptr<DescriptorRecord>* record) {
    return ParseDescriptor(0xD9, 2, &DescriptorRecord::component_group, remaining, bytes, consumed,
                           record, [](ByteReader& r, ComponentGroupDesc& d) {
                               const std::uint8_t b = r.U8();
                               d.component_group_type = b >> 5;
                               d.total_bit_rate_flag = (b >> 4) & 1;
                               const int groups = b & 0x0F;
                               for (int i = 0; i < groups && r.remaining() > 0; ++i) {
                                   d.groups.push_back(ReadComponentGroup(r, d.total_bit_rate_flag));
                               }
                               d.num_of_group = CountOf(d.groups);
                               return Walked(r);
                           });
}

int ParseContentAvailabilityDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                                 std::unique_ptr<DescriptorRecord>* record) {
    return ParseDescriptor(0xDE, 2, &DescriptorRecord::content_availability, remaining, bytes,
                           consumed, record, [](ByteReader& r, ContentAvailabilityDesc& d) {
                               const std::uint8_t b = r.U8();
                               d.image_constraint_token = (b >> 5) & 1;
                               d.retention_mode = (b >> 4) & 1;
                               d.retention_state = (b >> 1) & 7;
                               d.encryption_mode = b & 1;
                               d.private_data = TakeBytes(r, d.descriptor_length - 1, kYes,
                                                          &d.private_data_length);
                               return LengthPlus2(d);
                           });
}

}  // namespace broadcast
