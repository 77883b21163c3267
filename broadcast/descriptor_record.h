// The record of one SI descriptor and the walk over a descriptor loop.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "broadcast/descriptors_event.h"
#include "broadcast/descriptors_network.h"
#include "broadcast/descriptors_service.h"

namespace broadcast {

// One descriptor of a loop: its tag and one slot per supported tag. A parser sets exactly the
// slot of its own tag; a tag-only record (a tag without a parser, or one its parser refused)
// has every slot null. Consumers test descriptor_tag and the slot of the tag they want.
struct DescriptorRecord {
    std::uint8_t descriptor_tag = 0;
    std::unique_ptr<CaDesc> ca;                                                  // 0x09
    std::unique_ptr<NetworkNameDesc> network_name;                               // 0x40
    std::unique_ptr<ServiceListDesc> service_list;                               // 0x41
    std::unique_ptr<StuffingDesc> stuffing;                                      // 0x42
    std::unique_ptr<SatelliteDeliverySystemDesc> satellite_delivery_system;      // 0x43
    std::unique_ptr<CountryAvailabilityDesc> country_availability;               // 0x49
    std::unique_ptr<LinkageDesc> linkage;                                        // 0x4A
    std::unique_ptr<ShortEventDesc> short_event;                                 // 0x4D
    std::unique_ptr<ExtendedEventDesc> extended_event;                           // 0x4E
    std::unique_ptr<TimeShiftedEventDesc> time_shifted_event;                    // 0x4F
    std::unique_ptr<ComponentDesc> component;                                    // 0x50
    std::unique_ptr<StreamIdentifierDesc> stream_identifier;                     // 0x52
    std::unique_ptr<CaIdentifierDesc> ca_identifier;                             // 0x53
    std::unique_ptr<ContentDesc> content;                                        // 0x54
    std::unique_ptr<ParentalRatingDesc> parental_rating;                         // 0x55
    std::unique_ptr<HierarchicalTransmissionDesc> hierarchical_transmission;     // 0xC0
    std::unique_ptr<DigitalCopyControlDesc> digital_copy_control;                // 0xC1
    std::unique_ptr<AudioComponentDesc> audio_component;                         // 0xC4
    std::unique_ptr<HyperlinkDesc> hyperlink;                                    // 0xC5
    std::unique_ptr<TargetRegionDesc> target_region;                             // 0xC6
    std::unique_ptr<VideoDecodeControlDesc> video_decode_control;                // 0xC8
    std::unique_ptr<TsInformationDesc> ts_information;                           // 0xCD
    std::unique_ptr<LogoTransmissionDesc> logo_transmission;                     // 0xCF
    std::unique_ptr<SeriesDesc> series;                                          // 0xD5
    std::unique_ptr<EventGroupDesc> event_group;                                 // 0xD6
    std::unique_ptr<ComponentGroupDesc> component_group;                         // 0xD9
    std::unique_ptr<LdtLinkageDesc> ldt_linkage;                                 // 0xDC
    std::unique_ptr<ContentAvailabilityDesc> content_availability;               // 0xDE
    std::unique_ptr<ServiceDesc> service;                                        // 0x48
    std::unique_ptr<TerrestrialDeliverySystemDesc> terrestrial_delivery_system;  // 0xFA
    std::unique_ptr<PartialReceptionDesc> partial_reception;                     // 0xFB
    std::unique_ptr<EmergencyInformationDesc> emergency_information;             // 0xFC
    std::unique_ptr<SystemManagementDesc> system_management;                     // 0xFE
};

// The descriptors of one loop, in loop order; owned by the table record that keeps them.
using DescriptorArray = std::vector<std::unique_ptr<DescriptorRecord>>;

// A loop keeps at most this many descriptors (its count is 8-bit); the walk stops there.
inline constexpr std::size_t kMaxLoopEntries = 255;

// Sets every slot to null (releasing what they held).
void ClearDescriptorRecord(DescriptorRecord* record);

// Releases every sub-record of the record; the record itself stays, as a tag-only record.
void FreeDescriptorRecord(DescriptorRecord* record);

// Walks `length` bytes of descriptors: one record per descriptor in loop order, the first 255
// at most. Returns 0 when count is null, else 1: *count receives the number of records and,
// when above 0, *records (if given) receives them. A length of 0 gives count 0.
int ParseDescriptorLoop(const std::uint8_t* bytes, int length, DescriptorArray* records,
                        std::uint8_t* count);

}  // namespace broadcast
