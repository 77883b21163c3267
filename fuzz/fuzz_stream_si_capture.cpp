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
#include "fuzz/fuzz_si_records.h"

namespace {

namespace sim = broadcast_sim;

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
        FeedPackets(capture, SiRecordPackets(data + 1, size - 1));
    } else {
        FeedRaw(capture, data + 1, size - 1);
    }
    capture.AddPacket(nullptr);
    capture.Clear();
    return 0;
}
