#include "timer_core/epg/search_result_keys.h"

#include <optional>
#include <string_view>

namespace timer_core {
namespace {

constexpr std::size_t kEventIds = 0x10000;
constexpr std::size_t kBitsPerWord = 64;

// The value of a key of eight upper-case hexadecimal digits; nullopt for any other key.
std::optional<std::uint32_t> KeyValue(std::wstring_view key) {
    if (key.size() != 8) return std::nullopt;
    std::uint32_t value = 0;
    for (const wchar_t c : key) {
        int digit = -1;
        if (c >= L'0' && c <= L'9') digit = c - L'0';
        if (c >= L'A' && c <= L'F') digit = c - L'A' + 10;
        if (digit < 0) return std::nullopt;
        value = value << 4 | static_cast<std::uint32_t>(digit);
    }
    return value;
}

}  // namespace

SearchResultKeys::SearchResultKeys(const SearchResultMap& results) {
    for (const auto& [key, entry] : results) {
        if (const auto value = KeyValue(key)) {
            Insert(static_cast<std::uint16_t>(*value >> 16), static_cast<std::uint16_t>(*value));
        }
    }
}

bool SearchResultKeys::Contains(std::uint16_t serviceId, std::uint16_t eventId) {
    return (Service(serviceId)[eventId / kBitsPerWord] >> (eventId % kBitsPerWord) & 1u) != 0;
}

void SearchResultKeys::Insert(std::uint16_t serviceId, std::uint16_t eventId) {
    Service(serviceId)[eventId / kBitsPerWord] |= std::uint64_t{1} << (eventId % kBitsPerWord);
}

std::vector<std::uint64_t>& SearchResultKeys::Service(std::uint16_t serviceId) {
    if (last_ == nullptr || lastServiceId_ != serviceId) {
        std::vector<std::uint64_t>& bits = services_[serviceId];
        if (bits.empty()) bits.assign(kEventIds / kBitsPerWord, 0);
        lastServiceId_ = serviceId;
        last_ = &bits;
    }
    return *last_;
}

}  // namespace timer_core
