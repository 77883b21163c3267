// Turns the 188-byte transport-stream packets of one PID into parsed sections.
#pragma once

#include <cstdint>
#include <vector>

#include "broadcast/section_record.h"

namespace broadcast {

inline constexpr int kTsPacketSize = 188;

// One assembler per PID, fed every packet of that PID in stream order on one thread.
//
// AddPacket returns:
//   1  packet accepted; published_sections() holds the sections it completed (maybe none)
//   10 packet accepted; the unit in progress is not complete yet
//   11 the first byte is not the sync byte 0x47 (reset)
//   12 a continuation packet arrived while no unit was in progress (reset)
//   13 the pointer_field points past the packet, or a unit starts while the previous one is
//      incomplete (reset, except when a closing pointer_field itself overruns the packet)
//   0  no packet was passed (reset)
// A continuity-counter break silently drops the unit in progress and goes on with the packet.
class SectionAssembler {
  public:
    SectionAssembler() = default;
    ~SectionAssembler() = default;
    SectionAssembler(const SectionAssembler&) = delete;
    SectionAssembler& operator=(const SectionAssembler&) = delete;

    // Drops the published sections and the unit in progress; returns 1.
    int Reset();

    // `packet` points to one 188-byte packet or is null.
    int AddPacket(const std::uint8_t* packet);

    // Valid after a result of 1, until the next AddPacket or Reset.
    const SectionList& published_sections() const { return published_; }
    std::uint32_t published_count() const { return static_cast<std::uint32_t>(published_.size()); }

  private:
    struct Chunk {
        std::uint8_t data[kTsPacketSize];
        std::uint16_t used;
    };

    void CheckContinuity(int counter);
    void AppendChunk(const std::uint8_t* bytes, int size);
    bool UnitComplete(bool unit_start);
    void NoteCutHeader(const Chunk& chunk);
    void ResolveCutHeader();
    std::uint8_t UnitByte(std::uint32_t position) const;
    void CompleteUnit();
    int Publish();

    SectionList published_;
    std::vector<Chunk> pending_;
    SectionList parsed_;
    std::int32_t last_continuity_counter_ = -1;
    std::uint32_t idle_ = 1;
    std::uint32_t bytes_collected_ = 0;
    std::uint32_t bytes_expected_ = 0;
    std::int32_t cut_header_at_ = -1;   // start of a section whose header the first chunk cut
    std::vector<std::uint8_t> buffer_;  // concatenation of the pending chunks, reused
};

}  // namespace broadcast
