#include "broadcast_sim/section_payload.h"

#include <stdexcept>

namespace broadcast_sim {

std::vector<std::vector<std::uint8_t>> PackPayloads(
    std::span<const std::uint8_t> lead, const std::vector<std::vector<std::uint8_t>>& entries,
    std::size_t maxSections) {
    std::vector<std::vector<std::uint8_t>> payloads(1);
    payloads.back().assign(lead.begin(), lead.end());
    for (const auto& entry : entries) {
        if (lead.size() + entry.size() > kMaxLongSectionPayload) {
            throw std::length_error("entry too long for a section");
        }
        if (payloads.back().size() + entry.size() > kMaxLongSectionPayload) {
            payloads.emplace_back(lead.begin(), lead.end());
        }
        payloads.back().insert(payloads.back().end(), entry.begin(), entry.end());
    }
    if (payloads.size() > maxSections) throw std::length_error("too many sections");
    return payloads;
}

}  // namespace broadcast_sim
