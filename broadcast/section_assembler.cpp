#include "broadcast/section_assembler.h"

#include <cstring>

#include "broadcast/section_list.h"

namespace broadcast {
namespace {

constexpr std::uint8_t kSyncByte = 0x47;

}  // namespace

int SectionAssembler::Reset() {
    published_.clear();
    idle_ = 1;
    pending_.clear();
    return 1;
}

int SectionAssembler::AddPacket(const std::uint8_t* packet) {
    if (packet == nullptr) {
        Reset();
        return 0;
    }
    const bool unit_start = (packet[1] & 0x40) != 0;
    const bool has_adaptation = (packet[3] & 0x20) != 0;
    const bool has_payload = (packet[3] & 0x10) != 0;
    if (packet[0] != kSyncByte) {
        Reset();
        return 11;
    }
    CheckContinuity(packet[3] & 0x0F);

    int offset = has_adaptation ? 5 + packet[4] : 4;
    if (!has_payload) {
        idle_ = 1;
        return Publish();
    }
    bool published = false;
    int pointer = 0;
    if (unit_start) {
        // An adaptation field that fills the packet leaves no room for the pointer_field.
        if (offset >= kTsPacketSize) {
            Reset();
            return 13;
        }
        pointer = packet[offset++];
        if (pointer > 0 && !pending_.empty()) {
            if (offset + pointer > kTsPacketSize) return 13;
            // The bytes before the pointer_field's target end the unit in progress.
            AppendChunk(packet + offset, pointer);
            CompleteUnit();
            published = true;
        }
    } else if (pending_.empty()) {
        Reset();
        return 12;
    }
    offset += pointer;
    if (unit_start && (idle_ == 0 || offset > kTsPacketSize)) {
        Reset();
        return 13;
    }
    if (offset >= kTsPacketSize) {
        // Nothing starts in this packet; what its pointer_field closed is still published now.
        Reset();
        return Publish();
    }
    AppendChunk(packet + offset, kTsPacketSize - offset);
    idle_ = 0;
    if (!UnitComplete(unit_start)) return published ? Publish() : 10;
    CompleteUnit();
    return Publish();
}

void SectionAssembler::CheckContinuity(int counter) {
    if (last_continuity_counter_ != -1 && counter != ((last_continuity_counter_ + 1) & 0x0F)) {
        Reset();
    }
    last_continuity_counter_ = counter;
}

void SectionAssembler::AppendChunk(const std::uint8_t* bytes, int size) {
    Chunk& chunk = pending_.emplace_back();
    std::memcpy(chunk.data, bytes, static_cast<std::size_t>(size));
    chunk.used = static_cast<std::uint16_t>(size);
}

// Decides from the newest chunk whether the unit is complete. A unit start counts the sections
// the chunk announces (stopping at 0xFF stuffing behind one); a continuation adds its bytes.
bool SectionAssembler::UnitComplete(bool unit_start) {
    const Chunk& chunk = pending_.back();
    const std::uint32_t size = chunk.used;
    bool stuffing = false;
    if (unit_start) {
        bytes_collected_ = 0;
        bytes_expected_ = 0;
        cut_header_at_ = -1;
        if (size >= 4) {
            do {
                const std::uint32_t section_length =
                    ((chunk.data[bytes_collected_ + 1] & 0x0Fu) << 8) |
                    chunk.data[bytes_collected_ + 2];
                bytes_expected_ += section_length + 3;
                bytes_collected_ =
                    bytes_expected_ > size ? size : bytes_collected_ + section_length + 3;
                if (bytes_expected_ < size && chunk.data[bytes_expected_] == 0xFF) {
                    stuffing = true;
                    break;
                }
            } while (bytes_collected_ + 3 < size);
        }
        if (!stuffing) NoteCutHeader(chunk);
    } else {
        bytes_collected_ += size;
        ResolveCutHeader();
    }
    return !(bytes_expected_ > bytes_collected_ && !stuffing);
}

// A section that begins in the last three bytes of the unit's first chunk has a header the
// count above does not read; without this the unit would count as complete and that section
// would be lost together with the packets that carry the rest of it.
void SectionAssembler::NoteCutHeader(const Chunk& chunk) {
    const std::uint32_t size = chunk.used;
    const std::uint32_t start = bytes_expected_;
    if (bytes_collected_ != start || start >= size || chunk.data[start] == 0xFF) return;
    bytes_collected_ = size;
    if (size - start >= 3) {
        bytes_expected_ =
            start + (((chunk.data[start + 1] & 0x0Fu) << 8) | chunk.data[start + 2]) + 3;
        return;
    }
    cut_header_at_ = static_cast<std::int32_t>(start);
    bytes_expected_ = size + 1;
}

void SectionAssembler::ResolveCutHeader() {
    if (cut_header_at_ < 0) return;
    const auto start = static_cast<std::uint32_t>(cut_header_at_);
    if (bytes_collected_ < start + 3) {
        bytes_expected_ = bytes_collected_ + 1;
        return;
    }
    bytes_expected_ = start + (((UnitByte(start + 1) & 0x0Fu) << 8) | UnitByte(start + 2)) + 3;
    cut_header_at_ = -1;
}

// Byte `position` of the unit in progress, counted across its pending chunks.
std::uint8_t SectionAssembler::UnitByte(std::uint32_t position) const {
    for (const Chunk& chunk : pending_) {
        if (position < chunk.used) return chunk.data[position];
        position -= chunk.used;
    }
    return 0;
}

// Parses the pending chunks into parsed_ (published by the next Publish) and ends the unit.
void SectionAssembler::CompleteUnit() {
    buffer_.clear();
    for (const Chunk& chunk : pending_)
        buffer_.insert(buffer_.end(), chunk.data, chunk.data + chunk.used);
    SectionList records;
    std::uint32_t count = 0;
    int consumed = 0;
    ParseSectionList(buffer_.data(), static_cast<int>(buffer_.size()), &consumed, &records, &count);
    for (auto& record : records)
        parsed_.push_back(std::move(record));
    pending_.clear();
    idle_ = 1;
}

int SectionAssembler::Publish() {
    published_.clear();
    published_.swap(parsed_);
    return 1;
}

}  // namespace broadcast
