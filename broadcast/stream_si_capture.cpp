#include "broadcast/stream_si_capture.h"

#include "broadcast/eit_event_records.h"
#include "broadcast/si_tables.h"

namespace broadcast {
namespace {

constexpr int kPidNit = 0x10;
constexpr std::uint8_t kTagTsInformation = 0xCD;

// The first TS information descriptor of an entry whose name decodes to text.
std::wstring TsNameOf(const NitTransportStreamEntry& entry) {
    for (const auto& d : entry.descriptors) {
        if (!d || d->descriptor_tag != kTagTsInformation || !d->ts_information) continue;
        const TsInformationDesc& info = *d->ts_information;
        std::wstring name = DecodeAribField(info.ts_name.get(), info.length_of_ts_name);
        if (!name.empty()) return name;
    }
    return {};
}

std::size_t SegmentsReceived(const EitTableMap& tables) {
    std::size_t n = 0;
    for (const auto& [id, table] : tables)
        n += table->segments.size();
    return n;
}

}  // namespace

void StreamSiCapture::Clear() {
    ClearTracking();
}

int StreamSiCapture::AddPacketOfOtherPid(int pid, const std::uint8_t* packet) {
    if (pid != kPidNit) return 1;
    return Assemble(nitAssembler_, packet, [this] { return OnNit(); });
}

int StreamSiCapture::OnPat() {
    for (const auto& section : PatSections()) {
        if (!section || !section->pat) continue;
        const PatSection& pat = *section->pat;
        if (pat.transport_stream_id == transportStreamId) continue;
        tsName.clear();
        transportStreamId = pat.transport_stream_id;
        if (pat.entries.size() > 1) firstProgramNumber = pat.entries[1].program_number;
    }
    return 1;
}

int StreamSiCapture::OnNit() {
    for (const auto& section : nitAssembler_.published_sections()) {
        if (!section || !section->nit) continue;
        std::wstring name;
        for (const auto& entry : section->nit->transport_streams) {
            std::wstring entryName = TsNameOf(entry);
            if (!entryName.empty()) name = std::move(entryName);
        }
        tsName = std::move(name);
    }
    return 1;
}

// Every tracked service must have received, summed over the tables of each class, the segments
// from the one on air to the end of the eight days: 64 less one per three hours gone today.
int StreamSiCapture::OnEit() {
    DispatchEitSections();
    if (scheduleCollectionOff == 1 || broadcastTime == 0) return kScheduleIncomplete;
    const std::size_t target = 64 - broadcastHour / 3;
    return ScheduleVerdict(
        [target](const EitTableMap& tables) { return SegmentsReceived(tables) == target; });
}

}  // namespace broadcast
