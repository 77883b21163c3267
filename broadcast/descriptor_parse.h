// The common frame of every descriptor parser and of the descriptor-loop walk, shared by the SI
// descriptors and the data-carousel module descriptors. Internal to the library.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "broadcast/byte_reader.h"

namespace broadcast {

template <typename Record>
using DescParser = int (*)(int remaining, const std::uint8_t* bytes, int* consumed,
                           std::unique_ptr<Record>* record);

// Refuses (0, consumed = remaining) when there is no out record, `remaining` is not above
// `minimum` or the tag is not `tag`. Otherwise makes a record with the slot `slot` set and
// fills the sub-record with `fill(body, desc)`, which reads the descriptor body (bounded by
// descriptor_length and by the loop) and returns the consumed count.
template <typename Record, typename Desc, typename Fill>
int ParseDescriptor(std::uint8_t tag, int minimum, std::unique_ptr<Desc> Record::*slot,
                    int remaining, const std::uint8_t* bytes, int* consumed,
                    std::unique_ptr<Record>* record, Fill fill) {
    if (record == nullptr || bytes == nullptr || remaining <= std::max(minimum, 1) ||
        bytes[0] != tag) {
        if (consumed != nullptr) *consumed = remaining;
        return 0;
    }
    auto desc = std::make_unique<Desc>();
    desc->descriptor_length = bytes[1];
    ByteReader body(bytes + 2, std::min(int{bytes[1]}, remaining - 2));
    const int used = fill(body, *desc);
    auto result = std::make_unique<Record>();
    result->descriptor_tag = tag;
    (*result).*slot = std::move(desc);
    *record = std::move(result);
    if (consumed != nullptr) *consumed = used;
    return 1;
}

// Consumed counts: the descriptor's own length, or the bytes the field walk passed.
template <typename Desc>
int LengthPlus2(const Desc& desc) {
    return desc.descriptor_length + 2;
}
inline int Walked(const ByteReader& body) {
    return body.position() + 2;
}

// Number of entries of a list held beside its 8-bit count.
template <typename Entry>
std::uint8_t CountOf(const std::vector<Entry>& entries) {
    return static_cast<std::uint8_t>(entries.size());
}

// Descriptors that hold nothing but one terminated byte run of their whole length.
template <typename Record, typename Desc>
int ParseWholeRun(std::uint8_t tag, std::unique_ptr<Desc> Record::*slot,
                  std::unique_ptr<std::uint8_t[]> Desc::*run, std::uint8_t Desc::*run_length,
                  int remaining, const std::uint8_t* bytes, int* consumed,
                  std::unique_ptr<Record>* record) {
    return ParseDescriptor(
        tag, 1, slot, remaining, bytes, consumed, record, [&](ByteReader& r, Desc& d) {
            d.*run = TakeBytes(r, d.descriptor_length, Terminated::kYes, &(d.*run_length));
            return LengthPlus2(d);
        });
}

// Walks a loop of descriptors: each is handed to the parser of its tag (from `parsers`); when
// there is none or it refuses, a tag-only record is kept. Either way the walk goes on at the
// next descriptor boundary, descriptor_length + 2 bytes on: broadcasters append bytes that a
// parser does not read, and fixed-size parsers report their usual size, so what a parser
// consumed never moves the walk. Reaching `limit` records ends it. Returns 0 when count is null.
template <typename Record, typename Count>
int WalkDescriptorLoop(const std::uint8_t* bytes, int length,
                       const std::array<DescParser<Record>, 256>& parsers, std::size_t limit,
                       std::vector<std::unique_ptr<Record>>* records, Count* count) {
    if (count == nullptr) return 0;
    std::vector<std::unique_ptr<Record>> list;
    int pos = 0;
    while (bytes != nullptr && pos < length && list.size() < limit) {
        const std::uint8_t* desc = bytes + pos;
        const int left = length - pos;
        std::unique_ptr<Record> record;
        int used = 0;
        const DescParser<Record> parser = parsers[desc[0]];
        if (parser == nullptr || parser(left, desc, &used, &record) != 1) {
            record = std::make_unique<Record>();
            record->descriptor_tag = desc[0];
        }
        list.push_back(std::move(record));
        pos += (left >= 2 ? desc[1] : 0) + 2;
    }
    *count = static_cast<Count>(list.size());
    if (!list.empty() && records != nullptr) *records = std::move(list);
    return 1;
}

}  // namespace broadcast
