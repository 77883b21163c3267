// Sub-records of the descriptors that describe networks and transport streams (NIT side):
// network name, service list, delivery systems, partial reception, TS information, system
// management and emergency information. Counts are the number of entries actually held.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace broadcast {

struct DescriptorRecord;

// 0x40
struct NetworkNameDesc {
    std::uint8_t descriptor_length = 0;
    std::uint8_t name_length = 0;
    std::unique_ptr<std::uint8_t[]> name;  // terminated
};

struct ServiceListEntry {
    std::uint16_t service_id = 0;
    std::uint8_t service_type = 0;
};

// 0x41
struct ServiceListDesc {
    std::uint8_t descriptor_length = 0;
    std::uint8_t entry_count = 0;
    std::vector<ServiceListEntry> entries;
};

// 0x43: the BCD fields as reals (frequency in GHz ddd.ddddd, orbit in degrees ddd.d, symbol
// rate ddd.dddd).
struct SatelliteDeliverySystemDesc {
    std::uint8_t descriptor_length = 0;
    double frequency = 0;
    double orbital_position = 0;
    double symbol_rate = 0;
    std::uint8_t west_east_flag = 0;
    std::uint8_t polarisation = 0;  // 2 bits
    std::uint8_t modulation = 0;    // 5 bits
    std::uint8_t FEC_inner = 0;     // 4 bits
};

struct TsTransmissionType {
    std::uint8_t transmission_type_info = 0;
    std::uint8_t num_of_service = 0;
    std::vector<std::uint16_t> service_ids;
};

// 0xCD
struct TsInformationDesc {
    std::uint8_t descriptor_length = 0;
    std::uint8_t remote_control_key_id = 0;
    std::uint8_t length_of_ts_name = 0;        // 6 bits: bytes of `ts_name`
    std::uint8_t transmission_type_count = 0;  // 2 bits
    std::unique_ptr<std::uint8_t[]> ts_name;   // terminated
    std::vector<TsTransmissionType> transmission_types;
    std::uint8_t reserved_length = 0;
    std::unique_ptr<std::uint8_t[]> reserved;  // not terminated
};

struct EmergencyInformationEntry {
    std::uint16_t service_id = 0;
    std::uint8_t start_end_flag = 0;
    std::uint8_t signal_level = 0;
    std::uint8_t area_code_length = 0;
    std::uint8_t area_code_count = 0;
    std::vector<std::uint16_t> area_codes;  // 12 bits each
};

// 0xFC
struct EmergencyInformationDesc {
    std::uint8_t descriptor_length = 0;
    std::uint8_t entry_count = 0;
    std::vector<EmergencyInformationEntry> entries;
};

// 0xFA
struct TerrestrialDeliverySystemDesc {
    std::uint8_t descriptor_length = 0;
    std::uint16_t area_code = 0;         // 12 bits
    std::uint8_t guard_interval = 0;     // 2 bits
    std::uint8_t transmission_mode = 0;  // 2 bits
    std::uint8_t frequency_count = 0;
    std::vector<std::uint16_t> frequencies;
};

// 0xFB
struct PartialReceptionDesc {
    std::uint8_t descriptor_length = 0;
    std::uint8_t service_id_count = 0;
    std::vector<std::uint16_t> service_ids;
};

// 0xFE
struct SystemManagementDesc {
    std::uint8_t descriptor_length = 0;
    std::uint8_t broadcasting_flag = 0;        // 2 bits
    std::uint8_t broadcasting_identifier = 0;  // 6 bits
    std::uint8_t additional_broadcasting_identification = 0;
    std::uint8_t additional_identification_length = 0;
    std::unique_ptr<std::uint8_t[]> additional_identification;  // terminated
};

int ParseNetworkNameDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                         std::unique_ptr<DescriptorRecord>* record);
int ParseServiceListDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                         std::unique_ptr<DescriptorRecord>* record);
int ParseSatelliteDeliverySystemDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                                     std::unique_ptr<DescriptorRecord>* record);
int ParseTsInformationDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                           std::unique_ptr<DescriptorRecord>* record);
int ParseTerrestrialDeliverySystemDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                                       std::unique_ptr<DescriptorRecord>* record);
int ParsePartialReceptionDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                              std::unique_ptr<DescriptorRecord>* record);
int ParseEmergencyInformationDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                                  std::unique_ptr<DescriptorRecord>* record);
int ParseSystemManagementDesc(int remaining, const std::uint8_t* bytes, int* consumed,
                              std::unique_ptr<DescriptorRecord>* record);

}  // namespace broadcast
