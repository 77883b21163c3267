#include "broadcast/descriptor_record.h"

#include "broadcast/descriptor_parse.h"

namespace broadcast {
namespace {

constexpr std::array<DescParser<DescriptorRecord>, 256> MakeDispatch() {
    std::array<DescParser<DescriptorRecord>, 256> table{};
    table[0x09] = ParseCaDesc;
    table[0x40] = ParseNetworkNameDesc;
    table[0x41] = ParseServiceListDesc;
    table[0x42] = ParseStuffingDesc;
    table[0x43] = ParseSatelliteDeliverySystemDesc;
    table[0x48] = ParseServiceDesc;
    table[0x49] = ParseCountryAvailabilityDesc;
    table[0x4A] = ParseLinkageDesc;
    table[0x4D] = ParseShortEventDesc;
    table[0x4E] = ParseExtendedEventDesc;
    table[0x4F] = ParseTimeShiftedEventDesc;
    table[0x50] = ParseComponentDesc;
    table[0x52] = ParseStreamIdentifierDesc;
    table[0x53] = ParseCaIdentifierDesc;
    table[0x54] = ParseContentDesc;
    table[0x55] = ParseParentalRatingDesc;
    table[0xC0] = ParseHierarchicalTransmissionDesc;
    table[0xC1] = ParseDigitalCopyControlDesc;
    table[0xC4] = ParseAudioComponentDesc;
    table[0xC5] = ParseHyperlinkDesc;
    table[0xC6] = ParseTargetRegionDesc;
    table[0xC8] = ParseVideoDecodeControlDesc;
    table[0xCD] = ParseTsInformationDesc;
    table[0xCF] = ParseLogoTransmissionDesc;
    table[0xD5] = ParseSeriesDesc;
    table[0xD6] = ParseEventGroupDesc;
    table[0xD9] = ParseComponentGroupDesc;
    table[0xDC] = ParseLdtLinkageDesc;
    table[0xDE] = ParseContentAvailabilityDesc;
    table[0xFA] = ParseTerrestrialDeliverySystemDesc;
    table[0xFB] = ParsePartialReceptionDesc;
    table[0xFC] = ParseEmergencyInformationDesc;
    table[0xFE] = ParseSystemManagementDesc;
    return table;
}

constexpr std::array<DescParser<DescriptorRecord>, 256> kDispatch = MakeDispatch();

}  // namespace

void ClearDescriptorRecord(DescriptorRecord* record) {
    if (record == nullptr) return;
    const std::uint8_t tag = record->descriptor_tag;
    *record = DescriptorRecord{};
    record->descriptor_tag = tag;
}

void FreeDescriptorRecord(DescriptorRecord* record) {
    ClearDescriptorRecord(record);
}

int ParseDescriptorLoop(const std::uint8_t* bytes, int length, DescriptorArray* records,
                        std::uint8_t* count) {
    return WalkDescriptorLoop(bytes, length, kDispatch, kMaxLoopEntries, records, count);
}

}  // namespace broadcast
