// Packing the entries of a table's loop into as many section payloads as they need.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace broadcast_sim {

// The most payload bytes a long-form section carries behind its five header bytes.
inline constexpr std::size_t kMaxLongSectionPayload = 4093 - 5 - 4;

// Payloads of `lead` followed by as many whole entries as fit, in order; at least one payload
// (holding only `lead` when there are no entries). Throws std::length_error for an entry that
// does not fit a section on its own, or when more than `maxSections` payloads are needed.
std::vector<std::vector<std::uint8_t>> PackPayloads(
    std::span<const std::uint8_t> lead, const std::vector<std::vector<std::uint8_t>>& entries,
    std::size_t maxSections = 256);

}  // namespace broadcast_sim
