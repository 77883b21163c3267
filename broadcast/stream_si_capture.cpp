#include "broadcast/stream_si_capture.h"

#include "broadcast/eit_event_records.h"
#include "broadcast/si_tables.h"
#include "platform/system_time.h"

namespace broadcast {
namespace {

constexpr int kPidPat = 0x00, kPidNit = 0x10, kPidSdt = 0x11, kPidEit = 0x12, kPidTot = 0x14;
constexpr std::uint8_t kTagTsInformation = 0xCD, kTagService = 0x48;

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

StreamSiCapture::~StreamSiCapture() {
    // The tracking records go first; the assemblers and the TS name follow as members.
    trackingMap_.clear();
}

void StreamSiCapture::Clear() {
    trackingMap_.clear();
}

int StreamSiCapture::AddPacket(const std::uint8_t* packet) {
    if (packet == nullptr) return 0;
    struct Route {
        int pid;
        SectionAssembler StreamSiCapture::*assembler;
        int (StreamSiCapture::*handler)();
    };
    static constexpr Route kRoutes[] = {
        {kPidEit, &StreamSiCapture::eitAssembler_, &StreamSiCapture::OnEit},
        {kPidSdt, &StreamSiCapture::sdtAssembler_, &StreamSiCapture::OnSdt},
        {kPidTot, &StreamSiCapture::totAssembler_, &StreamSiCapture::OnTot},
        {kPidPat, &StreamSiCapture::patAssembler_, &StreamSiCapture::OnPat},
        {kPidNit, &StreamSiCapture::nitAssembler_, &StreamSiCapture::OnNit},
    };
    const int pid = ((packet[1] << 8) & 0x1FFF) | packet[2];
    for (const Route& route : kRoutes) {
        if (route.pid != pid) continue;
        const int result = (this->*route.assembler).AddPacket(packet);
        return result == 1 ? (this->*route.handler)() : result;
    }
    return 1;
}

int StreamSiCapture::OnPat() {
    for (const auto& section : patAssembler_.published_sections()) {
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

int StreamSiCapture::OnSdt() {
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

int StreamSiCapture::OnTot() {
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
