#include "broadcast/si_capture_context.h"

#include "broadcast/eit_event_records.h"
#include "broadcast/si_tables.h"
#include "platform/system_time.h"

namespace broadcast {
namespace {

constexpr int kPidPat = 0x00, kPidSdt = 0x11, kPidEit = 0x12, kPidTot = 0x14;
constexpr std::uint8_t kTagService = 0x48;

// Type and name from the service descriptors: the first one whose name decodes ends the walk.
void FillServiceRecord(const SdtServiceEntry& entry, ServiceRecord& record) {
    for (const auto& d : entry.descriptors) {
        if (!d || d->descriptor_tag != kTagService || !d->service) continue;
        const ServiceDesc& service = *d->service;
        record.serviceType = service.service_type;
        std::wstring name =
            DecodeAribField(service.service_name.get(), service.service_name_length);
        if (!name.empty()) {
            record.serviceName = std::move(name);
            return;
        }
    }
}

}  // namespace

SiCaptureContext::~SiCaptureContext() {
    // The tracking records go first; the assemblers follow as members.
    trackingMap_.clear();
}

int SiCaptureContext::AddPacket(const std::uint8_t* packet) {
    if (packet == nullptr) return 0;
    const int pid = ((packet[1] << 8) & 0x1FFF) | packet[2];
    switch (pid) {
        case kPidEit:
            return Assemble(eitAssembler_, packet, [this] { return OnEit(); });
        case kPidSdt:
            return Assemble(sdtAssembler_, packet, [this] { return OnSdt(); });
        case kPidTot:
            return Assemble(totAssembler_, packet, [this] { return OnTot(); });
        case kPidPat:
            return Assemble(patAssembler_, packet, [this] { return OnPat(); });
        default:
            return AddPacketOfOtherPid(pid, packet);
    }
}

int SiCaptureContext::AddPacketOfOtherPid(int /*pid*/, const std::uint8_t* /*packet*/) {
    return 1;
}

int SiCaptureContext::OnSdt() {
    for (const auto& section : sdtAssembler_.published_sections()) {
        if (!section || !section->sdt) continue;
        const SdtSection& sdt = *section->sdt;
        if (sdt.transport_stream_id != transportStreamId && otherTsMode == 0) continue;
        for (const auto& entry : sdt.services) {
            ServiceRecord record;
            record.transportStreamId = sdt.transport_stream_id;
            record.originalNetworkId = sdt.original_network_id;
            record.serviceId = entry.service_id;
            FillServiceRecord(entry, record);
            if (store != nullptr) store->PutService(&record);
        }
    }
    return 1;
}

int SiCaptureContext::OnTot() {
    for (const auto& section : totAssembler_.published_sections()) {
        if (!section) continue;
        platform::SYSTEMTIME st;
        if (section->tdt) {
            const TdtSection& t = *section->tdt;
            st = {t.year, t.month, 0, t.day, t.hour, t.minute, t.second, 0};
        } else if (section->tot) {
            const TotSection& t = *section->tot;
            st = {t.year, t.month, 0, t.day, t.hour, t.minute, t.second, 0};
        } else {
            continue;
        }
        // A time that is no valid date keeps the previous one.
        platform::FILETIME ft;
        if (!platform::SystemTimeToFileTime(&st, &ft)) continue;
        broadcastTime = platform::FileTimeToU64(ft);
        broadcastHour = st.wHour;
    }
    return 1;
}

}  // namespace broadcast
