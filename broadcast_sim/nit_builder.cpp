#include "broadcast_sim/nit_builder.h"

#include "broadcast_sim/arib_encoder.h"
#include "broadcast_sim/byte_writer.h"

namespace broadcast_sim {
namespace {

constexpr std::uint8_t kTagNetworkName = 0x40, kTagTsInformation = 0xCD;
constexpr std::uint8_t kTransmissionType = 0x0F;

}  // namespace

std::vector<std::uint8_t> BuildTsInformationDescriptor(const NitTransportStream& stream) {
    const std::vector<std::uint8_t> name = EncodeAribText(stream.ts_name);
    const std::uint32_t nameLength = ByteWriter::CheckedLength(name.size(), 0x3F);
    const bool withServices = !stream.service_ids.empty();
    ByteWriter body;
    body.U8(stream.remote_control_key_id).U8((nameLength << 2) | (withServices ? 1 : 0));
    body.Bytes(name);
    if (withServices) {
        body.U8(kTransmissionType).U8(ByteWriter::CheckedLength(stream.service_ids.size(), 0xFF));
        for (std::uint16_t id : stream.service_ids)
            body.U16(id);
    }
    ByteWriter w;
    w.Descriptor(kTagTsInformation, body.bytes());
    return w.Take();
}

Section BuildNit(const NitDescription& nit) {
    ByteWriter network;
    if (!nit.network_name.empty()) {
        network.Descriptor(kTagNetworkName, EncodeAribText(nit.network_name));
    }
    ByteWriter streams;
    for (const NitTransportStream& ts : nit.transport_streams) {
        ByteWriter descriptors;
        if (ts.ts_information) descriptors.Bytes(BuildTsInformationDescriptor(ts));
        streams.U16(ts.transport_stream_id).U16(ts.original_network_id);
        streams.U16(0xF000 | ByteWriter::CheckedLength(descriptors.size(), 0xFFF));
        streams.Bytes(descriptors.bytes());
    }
    ByteWriter w;
    w.U16(0xF000 | ByteWriter::CheckedLength(network.size(), 0xFFF)).Bytes(network.bytes());
    w.U16(0xF000 | ByteWriter::CheckedLength(streams.size(), 0xFFF)).Bytes(streams.bytes());
    LongSectionHeader header;
    header.table_id = nit.table_id;
    header.table_id_extension = nit.network_id;
    header.version_number = nit.version_number;
    return BuildLongSection(header, w.bytes());
}

}  // namespace broadcast_sim
