// Helpers for the section and descriptor tests: every parse runs on an exact-size heap copy, so
// the sanitizer build catches any read past the bytes given.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "broadcast/descriptor_record.h"
#include "broadcast/section_list.h"
#include "broadcast/si_capture_context.h"
#include "broadcast/si_tables.h"
#include "broadcast_sim/byte_writer.h"
#include "broadcast_sim/section_builder.h"
#include "broadcast_sim/si_packet_stream.h"

namespace broadcast::test {

using Bytes = std::vector<std::uint8_t>;
using broadcast_sim::ByteWriter;

struct ParsedList {
    int result = 0;
    int consumed = -1;
    std::uint32_t count = 0;
    SectionList records;
};

inline ParsedList ParseList(const Bytes& buffer) {
    ParsedList out;
    const auto copy = std::make_unique<std::uint8_t[]>(buffer.size());
    std::copy(buffer.begin(), buffer.end(), copy.get());
    out.result = ParseSectionList(copy.get(), static_cast<int>(buffer.size()), &out.consumed,
                                  &out.records, &out.count);
    return out;
}

// The one record of a buffer holding one section.
inline std::unique_ptr<SectionRecord> ParseOne(const Bytes& section) {
    ParsedList list = ParseList(section);
    EXPECT_EQ(list.count, 1u);
    return list.count == 1 ? std::move(list.records[0]) : nullptr;
}

inline DescriptorArray ParseLoop(const Bytes& loop, std::uint8_t* count) {
    DescriptorArray records;
    const auto copy = std::make_unique<std::uint8_t[]>(loop.size());
    std::copy(loop.begin(), loop.end(), copy.get());
    EXPECT_EQ(ParseDescriptorLoop(copy.get(), static_cast<int>(loop.size()), &records, count), 1);
    return records;
}

// The one record of a loop holding one descriptor.
inline std::unique_ptr<DescriptorRecord> ParseDescriptor(const Bytes& descriptor) {
    std::uint8_t count = 0;
    DescriptorArray records = ParseLoop(descriptor, &count);
    EXPECT_EQ(count, 1);
    return count == 1 ? std::move(records[0]) : nullptr;
}

inline Bytes Descriptor(std::uint8_t tag, const Bytes& body) {
    return ByteWriter().Descriptor(tag, body).Take();
}

inline Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

inline std::string Text(const std::uint8_t* bytes, int count) {
    return bytes == nullptr ? std::string()
                            : std::string(reinterpret_cast<const char*>(bytes), count);
}

// Feeds the capture context what the stream holds so far; the result of every packet.
inline std::vector<int> Feed(SiCaptureContext& capture, broadcast_sim::SiPacketStream& stream) {
    std::vector<int> results;
    for (const auto& packet : stream.Take())
        results.push_back(capture.AddPacket(packet.data()));
    return results;
}

// The result of the last packet fed; -1 when the stream held none.
inline int FeedLast(SiCaptureContext& capture, broadcast_sim::SiPacketStream& stream) {
    const auto results = Feed(capture, stream);
    return results.empty() ? -1 : results.back();
}

}  // namespace broadcast::test
