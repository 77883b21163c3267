#include "broadcast_sim/sdt_builder.h"

#include "broadcast_sim/arib_encoder.h"
#include "broadcast_sim/byte_writer.h"
#include "broadcast_sim/section_payload.h"

namespace broadcast_sim {
namespace {

constexpr std::uint8_t kTagService = 0x48;

std::vector<std::uint8_t> ServiceEntry(const SdtService& s) {
    ByteWriter descriptors;
    if (s.service_descriptor) {
        descriptors.Bytes(BuildServiceDescriptor(s.service_type, s.provider_name, s.service_name));
    }
    for (const auto& d : s.extra_descriptors)
        descriptors.Bytes(d);
    ByteWriter w;
    w.U16(s.service_id);
    w.U8(0xE0 | (s.eit_schedule_flag ? 0x02 : 0) | (s.eit_present_following_flag ? 0x01 : 0));
    w.U16((static_cast<std::uint32_t>(s.running_status & 0x07) << 13) |
          (s.free_ca_mode ? 0x1000 : 0) | ByteWriter::CheckedLength(descriptors.size(), 0xFFF));
    w.Bytes(descriptors.bytes());
    return w.Take();
}

}  // namespace

std::vector<std::uint8_t> BuildServiceDescriptor(std::uint8_t service_type,
                                                 std::wstring_view provider_name,
                                                 std::wstring_view service_name) {
    ByteWriter body;
    body.U8(service_type)
        .LengthPrefixed(EncodeAribText(provider_name))
        .LengthPrefixed(EncodeAribText(service_name));
    ByteWriter w;
    w.Descriptor(kTagService, body.bytes());
    return w.Take();
}

std::vector<Section> BuildSdt(const SdtDescription& sdt) {
    std::vector<std::vector<std::uint8_t>> entries;
    for (const SdtService& s : sdt.services)
        entries.push_back(ServiceEntry(s));
    // original_network_id and a reserved byte lead every section's payload.
    ByteWriter lead;
    lead.U16(sdt.original_network_id).U8(0xFF);
    const auto payloads = PackPayloads(lead.bytes(), entries);
    std::vector<Section> sections;
    LongSectionHeader header;
    header.table_id = sdt.table_id;
    header.table_id_extension = sdt.transport_stream_id;
    header.version_number = sdt.version_number;
    header.last_section_number = static_cast<std::uint8_t>(payloads.size() - 1);
    for (const auto& payload : payloads) {
        sections.push_back(BuildLongSection(header, payload));
        ++header.section_number;
    }
    return sections;
}

}  // namespace broadcast_sim
