// The viewer's channel lists: "channels.ini" (a section per terrestrial area, "<channel>=<name>")
// and "bscs.ini" (section "BS110CS", "<MHz>,<TSID in hex>=<name>"), Shift-JIS or UTF-16LE with
// a byte-order mark.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace viewer {

struct ChannelEntry {
    std::uint32_t channel = 0;  // channel value
    std::wstring name;
};

// The entries of one section in file order; empty when the file or section is missing. Section
// names compare without regard to case.
std::vector<ChannelEntry> LoadChannelList(const std::wstring& path, std::wstring_view section);

// The channel value of a key: "<MHz>,<TSID hex>" gives (MHz << 16) | TSID, otherwise the decimal
// number at the start of the key (0 when there is none).
std::uint32_t ChannelValueOfKey(std::wstring_view key);

}  // namespace viewer
