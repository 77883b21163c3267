// StreamSiCapture::AddPacket on any packets, with and without a store, in every mode.
//
// The first byte picks the setup: bit 0 a store, bits 1-2 the other-TS mode, bit 3 schedule
// collection off, bit 4 the input form. Raw form: the rest is cut into 188-byte packets as they
// come. Section form: a PAT, an SDT and a TOT make the stream known first, then the rest is read
// as (PID selector, 16-bit length, section bytes) records whose length fields and CRC are
// repaired before packetizing, so that arbitrary table contents reach the handlers.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "broadcast/stream_si_capture.h"
#include "broadcast_sim/pat_builder.h"
#include "broadcast_sim/sdt_builder.h"
#include "broadcast_sim/si_packet_stream.h"
#include "broadcast_sim/time_builder.h"

namespace {

namespace sim = broadcast_sim;

constexpr std::uint16_t kPids[] = {sim::kPidPat, sim::kPidNit, sim::kPidSdt, sim::kPidEit,
                                   sim::kPidTot};

void FeedPackets(broadcast::StreamSiCapture& capture, const std::vector<sim::TsPacket>& packets) {
    for (const auto& p : packets)
        capture.AddPacket(p.data());
}

void FeedRaw(broadcast::StreamSiCapture& capture, const std::uint8_t* data, std::size_t size) {
    for (std::size_t pos = 0; pos < size; pos += 188) {
        sim::TsPacket packet;
        packet.fill(0xFF);
        std::memcpy(packet.data(), data + pos, std::min<std::size_t>(188, size - pos));
        capture.AddPacket(packet.data());
    }
}

void FeedSections(broadcast::StreamSiCapture& capture, const std::uint8_t* data, std::size_t size) {
    sim::SiPacketStream stream;
    stream.Add(sim::kPidPat, sim::BuildPat({0x4010, 0, true, 0x10, {{1, 0x1F0}, {2, 0x1F1}}}));
    sim::SdtDescription sdt{0x42, 0x4010, 4, 0, {}};
    for (std::uint16_t sid = 1; sid <= 4; ++sid) {
        sdt.services.push_back({});
        sdt.services.back().service_id = sid;
        sdt.services.back().service_name = L"fuzz";
    }
    stream.Add(sim::kPidSdt, sim::BuildSdt(sdt));
    stream.Add(sim::kPidTot, sim::BuildTot(sim::JstTime(2024, 5, 1, 12)));
    std::size_t pos = 0;
    while (pos + 3 <= size) {
        const std::uint16_t pid = kPids[data[pos] % 5];
        const std::size_t length = std::min<std::size_t>(
            {static_cast<std::size_t>(data[pos + 1] | (data[pos + 2] << 8)), size - pos - 3, 4096});
        pos += 3;
        if (length >= 3) {
            sim::Section section(data + pos, data + pos + length);
            const std::size_t sectionLength = length - 3;
            section[1] = static_cast<std::uint8_t>((section[1] & 0xF0) | (sectionLength >> 8));
            section[2] = static_cast<std::uint8_t>(sectionLength);
            if (section[0] != 0x70) sim::RefreshCrc(section);
            stream.Add(pid, section);
        }
        pos += length;
    }
    FeedPackets(capture, stream.Take());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t mode = data[0];
    broadcast::EpgStore store;
    broadcast::StreamSiCapture capture;
    capture.store = (mode & 0x01) ? &store : nullptr;
    capture.otherTsMode = (mode >> 1) & 0x03;
    capture.scheduleCollectionOff = (mode >> 3) & 0x01;
    if (mode & 0x10) {
        FeedSections(capture, data + 1, size - 1);
    } else {
        FeedRaw(capture, data + 1, size - 1);
    }
    capture.AddPacket(nullptr);
    capture.Clear();
    return 0;
}
