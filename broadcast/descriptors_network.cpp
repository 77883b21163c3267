#include "broadcast/descriptors_network.h"

#include "broadcast/descriptor_parse.h"
#include "broadcast/descriptor_record.h"

namespace broadcast {
namespace {

constexpr auto kYes = Terminated::kYes;
constexpr auto kNo = Terminated::kNo;

// `digits` BCD nibbles from the high nibble of bytes[0] on, of which the first `integer_digits`
// form the integer part. Each nibble counts with its value as it is.
double BcdDigits(const std::uint8_t* bytes, int digits, int integer_digits) {
    double value = 0;
    for (int i = 0; i < digits; ++i) {
        const int nibble = i % 2 == 0 ? bytes[i / 2] >> 4 : bytes[i / 2] & 0x0F;
        value = value * 10 + nibble;
    }
    for (int i = integer_digits; i < digits; ++i)
        value /= 10;
    return value;
}

std::vector<std::uint16_t> ReadU16Values(ByteReader& r, int wanted) {
    std::vector<std::uint16_t> values;
    for (int i = 0; i < wanted && r.Has(2); ++i)
        values.push_back(r.U16());
    return values;
}

EmergencyInformationEntry ReadEmergencyEntry(ByteReader& r) {
    EmergencyInformationEntry e;
    e.service_id = r.U16();
    const std::uint8_t flags = r.U8();
    e.start_end_flag = flags >> 7;
    e.signal_level = (flags >> 6) & 1;
    e.area_code_length = r.U8();
    ByteReader codes = r.Sub(e.area_code_length);
    for (int i = 0; i < e.area_code_length / 2 && codes.Has(2); ++i) {
        e.area_codes.push_back(static_cast<std::uint16_t>(codes.U16() >> 4));
    }
    e.area_code_count = CountOf(e.area_codes);
    return e;
}

}  // namespace

int ParseNetworkNameDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                         std::unique_ptr<DescriptorRecord>* record) {
    return ParseWholeRun(0x40, &DescriptorRecord::network_name, &NetworkNameDesc::name,
                         &NetworkNameDesc::name_length, remaining, bytes, consumed, record);
}

int ParseServiceListDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                         std::unique_ptr<DescriptorRecord>* record) {
    return ParseDescriptor(0x41, 1, &DescriptorRecord::service_list, remaining, bytes, consumed,
                           record, [](ByteReader& r, ServiceListDesc& d) {
                               for (int i = 0; i < d.descriptor_length / 3 && r.Has(3); ++i) {
                                   const std::uint16_t service_id = r.U16();
                                   d.entries.push_back(ServiceListEntry{service_id, r.U8()});
                               }
                               d.entry_count = CountOf(d.entries);
                               return 2 + 3 * d.entry_count;
                           });
}

int ParseSatelliteDeliverySystemDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                                     std::unique_ptr<DescriptorRecord>* record) {
    return ParseDescriptor(0x43, 1, &DescriptorRecord::satellite_delivery_system, remaining, bytes,
                           consumed, record, [](ByteReader& r, SatelliteDeliverySystemDesc& d) {
                               std::uint8_t b[11];
                               TakeFixed(r, b, 11);
                               d.frequency = BcdDigits(b, 8, 3);
                               d.orbital_position = BcdDigits(b + 4, 4, 3);
                               d.west_east_flag = b[6] >> 7;
                               d.polarisation = (b[6] >> 5) & 3;
                               d.modulation = b[6] & 0x1F;
                               d.symbol_rate = BcdDigits(b + 7, 7, 3);
                               d.FEC_inner = b[10] & 0x0F;
                               return 13;
                           });
}

int ParseTsInformationDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                           std::unique_ptr<DescriptorRecord>* record) {
    return ParseDescriptor(0xCD, 2, &DescriptorRecord::ts_information, remaining, bytes, consumed,
                           record, [](ByteReader& r, TsInformationDesc& d) {
                               d.remote_control_key_id = r.U8();
                               const std::uint8_t b = r.U8();
                               const int types = b & 3;
                               d.ts_name = TakeBytes(r, b >> 2, kYes, &d.length_of_ts_name);
                               for (int i = 0; i < types && r.remaining() > 0; ++i) {
                                   TsTransmissionType& t = d.transmission_types.emplace_back();
                                   t.transmission_type_info = r.U8();
                                   const int services = r.U8();
                                   t.service_ids = ReadU16Values(r, services);
                                   t.num_of_service = CountOf(t.service_ids);
                               }
                               d.transmission_type_count = CountOf(d.transmission_types);
                               d.reserved = TakeBytes(r, r.remaining(), kNo, &d.reserved_length);
                               return Walked(r);
                           });
}

int ParseTerrestrialDeliverySystemDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                                       std::unique_ptr<DescriptorRecord>* record) {
    return ParseDescriptor(0xFA, 4, &DescriptorRecord::terrestrial_delivery_system, remaining,
                           bytes, consumed, record,
                           [](ByteReader& r, TerrestrialDeliverySystemDesc& d) {
                               const std::uint16_t b = r.U16();
                               d.area_code = b >> 4;
                               d.guard_interval = (b >> 2) & 3;
                               d.transmission_mode = b & 3;
                               d.frequencies = ReadU16Values(r, (d.descriptor_length - 2) / 2);
                               d.frequency_count = CountOf(d.frequencies);
                               return 4 + 2 * d.frequency_count;
                           });
}

int ParsePartialReceptionDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                              std::unique_ptr<DescriptorRecord>* record) {
    return ParseDescriptor(0xFB, 1, &DescriptorRecord::partial_reception, remaining, bytes,
                           consumed, record, [](ByteReader& r, PartialReceptionDesc& d) {
                               d.service_ids = ReadU16Values(r, d.descriptor_length / 2);
                               d.service_id_count = CountOf(d.service_ids);
                               return 2 + 2 * d.service_id_count;
                           });
}

int ParseEmergencyInformationDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                                  std::unique_ptr<DescriptorRecord>* record) {
    return ParseDescriptor(0xFC, 1, &DescriptorRecord::emergency_information, remaining, bytes,
                           consumed, record, [](ByteReader& r, EmergencyInformationDesc& d) {
                               while (r.position() < d.descriptor_length && r.remaining() > 0) {
                                   d.entries.push_back(ReadEmergencyEntry(r));
                               }
                               d.entry_count = CountOf(d.entries);
                               return LengthPlus2(d);
                           });
}

int ParseSystemManagementDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                              std::unique_ptr<DescriptorRecord>* record) {
    return ParseDescriptor(0xFE, 2, &DescriptorRecord::system_management, remaining, bytes,
                           consumed, record, [](ByteReader& r, SystemManagementDesc& d) {
                               const std::uint8_t b = r.U8();
                               d.broadcasting_flag = b >> 6;
                               d.broadcasting_identifier = b & 0x3F;
                               d.additional_broadcasting_identification = r.U8();
                               d.additional_identification =
                                   TakeBytes(r, d.descriptor_length - 2, kYes,
                                             &d.additional_identification_length);
                               return LengthPlus2(d);
                           });
}

}  // namespace broadcast
