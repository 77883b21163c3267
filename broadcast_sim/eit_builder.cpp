#include "broadcast_sim/eit_builder.h"

#include <algorithm>
#include <stdexcept>

#include "broadcast_sim/byte_writer.h"
#include "broadcast_sim/event_descriptor_builder.h"
#include "broadcast_sim/section_payload.h"
#include "broadcast_sim/si_encoding.h"
#include "broadcast_sim/sim_time.h"
#include "broadcast_sim/time_builder.h"

namespace broadcast_sim {
namespace {

constexpr std::uint8_t kPfActual = 0x4E, kPfOther = 0x4F;
constexpr std::uint8_t kBasicActual = 0x50, kExtendedActual = 0x58, kOtherOffset = 0x10;
constexpr int kSegmentsPerTable = 32;
constexpr int kSectionsPerSegment = 8;
constexpr int kDaysPerTable = 4;
constexpr std::uint64_t kSegmentLength = 3 * 3600 * platform::kFileTimePerSecond;

using Bytes = std::vector<std::uint8_t>;

std::uint64_t ToFileTime(const platform::SYSTEMTIME& t) {
    const std::uint64_t value = ToTimeValue(t);
    if (value == 0) throw std::invalid_argument("invalid time");
    return value;
}

// The header fields behind the common five bytes of an EIT section.
Bytes EitLead(const EitService& service, std::uint8_t segmentLastSection,
              std::uint8_t lastTableId) {
    ByteWriter w;
    w.U16(service.transport_stream_id).U16(service.original_network_id);
    w.U8(segmentLastSection).U8(lastTableId);
    return w.Take();
}

struct TableLayout {
    std::uint8_t table_id;
    std::uint8_t last_table_id;
    int first_segment;
    int segments;
};

// The event loop entries of each segment of one table, by segment index.
std::vector<std::vector<Bytes>> SegmentEntries(const ScheduleDescription& schedule,
                                               const TableLayout& table, int tableIndex,
                                               bool extended) {
    std::vector<std::vector<Bytes>> segments(static_cast<std::size_t>(table.segments));
    const std::uint64_t tableStart =
        ToFileTime(schedule.first_day) +
        static_cast<std::uint64_t>(tableIndex) * kSegmentsPerTable * kSegmentLength;
    for (const EventDescription& event : schedule.events) {
        if (extended && event.extended_items.empty()) continue;
        const std::uint64_t start = ToFileTime(event.start);
        if (start < tableStart) continue;
        const std::uint64_t segment = (start - tableStart) / kSegmentLength;
        if (segment < static_cast<std::uint64_t>(table.first_segment) ||
            segment >= static_cast<std::uint64_t>(table.segments)) {
            continue;
        }
        const Bytes descriptors =
            extended ? BuildExtendedEventDescriptors(event) : BuildBasicEventDescriptors(event);
        segments[segment].push_back(BuildEitEvent(event, descriptors));
    }
    return segments;
}

std::vector<Section> BuildTable(const ScheduleDescription& schedule, const TableLayout& table,
                                int tableIndex, bool extended) {
    const auto entries = SegmentEntries(schedule, table, tableIndex, extended);
    // Pack every segment first: last_section_number names the last section of the table.
    const Bytes lead = EitLead(schedule.service, 0, table.last_table_id);
    std::vector<std::vector<Bytes>> payloads;
    for (int s = table.first_segment; s < table.segments; ++s) {
        payloads.push_back(
            PackPayloads(lead, entries[static_cast<std::size_t>(s)], kSectionsPerSegment));
    }
    const int lastSegment = table.segments - 1;
    LongSectionHeader header;
    header.table_id = table.table_id;
    header.table_id_extension = schedule.service.service_id;
    header.version_number = schedule.version_number;
    header.last_section_number =
        static_cast<std::uint8_t>(lastSegment * kSectionsPerSegment + payloads.back().size() - 1);
    std::vector<Section> sections;
    for (int s = table.first_segment; s < table.segments; ++s) {
        auto& segment = payloads[static_cast<std::size_t>(s - table.first_segment)];
        const auto segmentLast =
            static_cast<std::uint8_t>(s * kSectionsPerSegment + segment.size() - 1);
        for (std::size_t k = 0; k < segment.size(); ++k) {
            segment[k][4] = segmentLast;  // segment_last_section_number in the lead
            header.section_number = static_cast<std::uint8_t>(s * kSectionsPerSegment + k);
            sections.push_back(BuildLongSection(header, segment[k]));
        }
    }
    return sections;
}

std::vector<Section> BuildSchedule(const ScheduleDescription& schedule, bool extended) {
    std::uint8_t first = extended ? kExtendedActual : kBasicActual;
    if (schedule.other_stream) first += kOtherOffset;
    const int tables = (schedule.days + kDaysPerTable - 1) / kDaysPerTable;
    std::vector<Section> sections;
    for (int t = 0; t < tables; ++t) {
        const int days = std::min(kDaysPerTable, schedule.days - t * kDaysPerTable);
        const TableLayout layout{static_cast<std::uint8_t>(first + t),
                                 static_cast<std::uint8_t>(first + tables - 1),
                                 t == 0 ? schedule.first_segment : 0, days * 8};
        if (layout.first_segment >= layout.segments) continue;
        auto table = BuildTable(schedule, layout, t, extended);
        sections.insert(sections.end(), table.begin(), table.end());
    }
    return sections;
}

}  // namespace

std::vector<std::uint8_t> BuildEitEvent(const EventDescription& event,
                                        const std::vector<std::uint8_t>& descriptors) {
    const std::uint32_t d = event.duration_seconds;
    ByteWriter w;
    w.U16(event.event_id);
    AppendSiTime(w, event.start);
    w.U24(EncodeBcdTime(static_cast<int>(d / 3600), static_cast<int>(d / 60 % 60),
                        static_cast<int>(d % 60)));
    w.U16((static_cast<std::uint32_t>(event.running_status & 0x07) << 13) |
          (event.free_ca_mode ? 0x1000 : 0) | ByteWriter::CheckedLength(descriptors.size(), 0xFFF));
    w.Bytes(descriptors);
    return w.Take();
}

std::vector<Section> BuildEitPresentFollowing(const EitService& service,
                                              std::uint8_t version_number,
                                              const EventDescription* present,
                                              const EventDescription* following,
                                              bool other_stream) {
    const std::uint8_t tableId = other_stream ? kPfOther : kPfActual;
    LongSectionHeader header;
    header.table_id = tableId;
    header.table_id_extension = service.service_id;
    header.version_number = version_number;
    header.last_section_number = 1;
    std::vector<Section> sections;
    for (const EventDescription* event : {present, following}) {
        ByteWriter payload;
        payload.Bytes(EitLead(service, 1, tableId));
        if (event != nullptr) {
            Bytes descriptors = BuildBasicEventDescriptors(*event);
            const Bytes extended = BuildExtendedEventDescriptors(*event);
            descriptors.insert(descriptors.end(), extended.begin(), extended.end());
            payload.Bytes(BuildEitEvent(*event, descriptors));
        }
        sections.push_back(BuildLongSection(header, payload.bytes()));
        ++header.section_number;
    }
    return sections;
}

std::vector<Section> InterleaveSections(const std::vector<std::vector<Section>>& lists) {
    std::vector<Section> merged;
    for (std::size_t i = 0, taken = 1; taken > 0; ++i) {
        taken = 0;
        for (const auto& list : lists) {
            if (i >= list.size()) continue;
            merged.push_back(list[i]);
            ++taken;
        }
    }
    return merged;
}

std::vector<Section> BuildEitScheduleBasic(const ScheduleDescription& schedule) {
    return BuildSchedule(schedule, false);
}

std::vector<Section> BuildEitScheduleExtended(const ScheduleDescription& schedule) {
    return BuildSchedule(schedule, true);
}

}  // namespace broadcast_sim
