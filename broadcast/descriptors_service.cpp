#include "broadcast/descriptors_service.h"

#include "broadcast/descriptor_parse.h"
#include "broadcast/descriptor_record.h"

namespace broadcast {
namespace {

constexpr auto kYes = Terminated::kYes;
constexpr auto kNo = Terminated::kNo;

// Bytes of one hyperlink selector by link_destination_type (0: not a known type).
int SelectorSize(int link_destination_type) {
    static constexpr int kSizes[7] = {0, 6, 8, 12, 8, 12, 6};
    return link_destination_type >= 1 && link_destination_type <= 6 ? kSizes[link_destination_type]
                                                                    : 0;
}

HyperlinkSelector ReadSelector(ByteReader& r, int type) {
    HyperlinkSelector s;
    if (type == 6) {
        s.information_provider_id = r.U16();
        s.event_relation_id = r.U16();
        s.node_id = r.U16();
        return s;
    }
    s.original_network_id = r.U16();
    s.transport_stream_id = r.U16();
    s.service_id = r.U16();
    if (type == 2 || type == 3) s.event_id = r.U16();
    if (type == 4 || type == 5) s.content_id = r.U16();
    if (type == 3 || type == 5) {
        s.value_1 = r.U16();
        s.value_2 = r.U16();
    }
    return s;
}

void ReadSelectors(ByteReader& r, HyperlinkDesc& d) {
    const int size = SelectorSize(d.link_destination_type);
    if (size == 0) {
        r.Skip(std::min(int{d.selector_length}, r.remaining()));
        return;
    }
    const int start = r.position();
    while (r.position() - start < d.selector_length && r.Has(size)) {
        d.selectors.push_back(ReadSelector(r, d.link_destination_type));
    }
    d.selector_count = static_cast<std::uint8_t>(d.selectors.size());
}

}  // namespace

int ParseCaDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                std::unique_ptr<DescriptorRecord>* record) {
    return ParseDescriptor(0x09, 5, &DescriptorRecord::ca, remaining, bytes, consumed, record,
                           [](ByteReader& r, CaDesc& d) {
                               d.CA_system_id = r.U16();
                               d.CA_PID = r.U16() & 0x1FFF;
                               d.private_data = TakeBytes(r, d.descriptor_length - 4, kYes,
                                                          &d.private_data_length);
                               return LengthPlus2(d);
                           });
}

int ParseStuffingDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                      std::unique_ptr<DescriptorRecord>* record) {
    return ParseWholeRun(0x42, &DescriptorRecord::stuffing, &StuffingDesc::stuffing,
                         &StuffingDesc::stuffing_length, remaining, bytes, consumed, record);
}

int ParseServiceDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                     std::unique_ptr<DescriptorRecord>* record) {
    return ParseDescriptor(0x48, 4, &DescriptorRecord::service, remaining, bytes, consumed, record,
                           [](ByteReader& r, ServiceDesc& d) {
                               d.service_type = r.U8();
                               d.service_provider_name =
                                   TakeLengthPrefixed(r, kYes, &d.service_provider_name_length);
                               d.service_name = TakeLengthPrefixed(r, kYes, &d.service_name_length);
                               return Walked(r);
                           });
}

int ParseCountryAvailabilityDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                                 std::unique_ptr<DescriptorRecord>* record) {
    return ParseDescriptor(0x49, 2, &DescriptorRecord::country_availability, remaining, bytes,
                           consumed, record, [](ByteReader& r, CountryAvailabilityDesc& d) {
                               d.country_availability_flag = r.U8() >> 7;
                               d.country_codes = TakeBytes(r, d.descriptor_length - 1, kYes,
                                                           &d.country_codes_length);
                               return LengthPlus2(d);
                           });
}

int ParseLinkageDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                     std::unique_ptr<DescriptorRecord>* record) {
    return ParseDescriptor(0x4A, 8, &DescriptorRecord::linkage, remaining, bytes, consumed, record,
                           [](ByteReader& r, LinkageDesc& d) {
                               d.transport_stream_id = r.U16();
                               d.original_network_id = r.U16();
                               d.service_id = r.U16();
                               d.linkage_type = r.U8();
                               d.private_data = TakeBytes(r, d.descriptor_length - 7, kYes,
                                                          &d.private_data_length);
                               return LengthPlus2(d);
                           });
}

int ParseStreamIdentifierDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                              std::unique_ptr<DescriptorRecord>* record) {
    return ParseDescriptor(0x52, 2, &DescriptorRecord::stream_identifier, remaining, bytes,
                           consumed, record, [](ByteReader& r, StreamIdentifierDesc& d) {
                               d.component_tag = r.U8();
                               return 3;
                           });
}

int ParseCaIdentifierDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                          std::unique_ptr<DescriptorRecord>* record) {
    return ParseWholeRun(0x53, &DescriptorRecord::ca_identifier, &CaIdentifierDesc::CA_system_ids,
                         &CaIdentifierDesc::CA_system_ids_length, remaining, bytes, consumed,
                         record);
}

int ParseHierarchicalTransmissionDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                                      std::unique_ptr<DescriptorRecord>* record) {
    return ParseDescriptor(0xC0, 4, &DescriptorRecord::hierarchical_transmission, remaining, bytes,
                           consumed, record, [](ByteReader& r, HierarchicalTransmissionDesc& d) {
                               d.quality_level = r.U8() & 1;
                               d.reference_PID = r.U16() & 0x1FFF;
                               return 5;
                           });
}

int ParseHyperlinkDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                       std::unique_ptr<DescriptorRecord>* record) {
    return ParseDescriptor(0xC5, 4, &DescriptorRecord::hyperlink, remaining, bytes, consumed,
                           record, [](ByteReader& r, HyperlinkDesc& d) {
                               d.hyper_linkage_type = r.U8();
                               d.link_destination_type = r.U8();
                               d.selector_length = r.U8();
                               ReadSelectors(r, d);
                               d.private_data =
                                   TakeBytes(r, r.remaining(), kYes, &d.private_data_length);
                               return Walked(r);
                           });
}

int ParseTargetRegionDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                          std::unique_ptr<DescriptorRecord>* record) {
    return ParseDescriptor(0xC6, 2, &DescriptorRecord::target_region, remaining, bytes, consumed,
                           record, [](ByteReader& r, TargetRegionDesc& d) {
                               d.region_spec_type = r.U8();
                               d.region =
                                   TakeBytes(r, d.descriptor_length - 1, kNo, &d.region_length);
                               return LengthPlus2(d);
                           });
}

int ParseVideoDecodeControlDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                                std::unique_ptr<DescriptorRecord>* record) {
    return ParseDescriptor(0xC8, 2, &DescriptorRecord::video_decode_control, remaining, bytes,
                           consumed, record, [](ByteReader& r, VideoDecodeControlDesc& d) {
                               const std::uint8_t b = r.U8();
                               d.still_picture_flag = b >> 7;
                               d.sequence_end_code_flag = (b >> 6) & 1;
                               d.video_encode_format = (b >> 2) & 0x0F;
                               return 3;
                           });
}

int ParseLogoTransmissionDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                              std::unique_ptr<DescriptorRecord>* record) {
    return ParseDescriptor(0xCF, 2, &DescriptorRecord::logo_transmission, remaining, bytes,
                           consumed, record, [](ByteReader& r, LogoTransmissionDesc& d) {
                               d.logo_transmission_type = r.U8();
                               if (d.logo_transmission_type == 1) {
                                   d.logo_id = r.U16() & 0x1FF;
                                   d.logo_version = r.U16() & 0xFFF;
                                   d.download_data_id = r.U16();
                                   return 9;
                               }
                               if (d.logo_transmission_type == 2) {
                                   d.logo_id = r.U16() & 0x1FF;
                                   return 5;
                               }
                               d.logo_char =
                                   TakeBytes(r, d.descriptor_length - 1, kNo, &d.logo_char_length);
                               return LengthPlus2(d);
                           });
}

int ParseLdtLinkageDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                        std::unique_ptr<DescriptorRecord>* record) {
    return ParseDescriptor(0xDC, 7, &DescriptorRecord::ldt_linkage, remaining, bytes, consumed,
                           record, [](ByteReader& r, LdtLinkageDesc& d) {
                               d.original_service_id = r.U16();
                               d.transport_stream_id = r.U16();
                               d.original_network_id = r.U16();
                               const int start = r.position();
                               while (r.position() - start < d.descriptor_length - 6 && r.Has(4)) {
                                   LdtLinkageEntry& e = d.entries.emplace_back();
                                   e.description_id = r.U16();
                                   e.description_type = r.U8() & 0x0F;
                                   e.user_defined = r.U8();
                               }
                               d.entry_count = static_cast<std::uint8_t>(d.entries.size());
                               return LengthPlus2(d);
                           });
}

}  // namespace broadcast
