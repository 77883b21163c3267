// Where the plug-in finds the viewer's channel list, and how its entries read: the window's
// channel list and the settings dialog take the same section of the same file (bscs.ini section
// "BS110CS" on a BS/CS tuner; otherwise channels.ini, section Area, or DefArea when the viewer
// was last used on BS/CS), and keep each channel's check in the key "%02dch" of section "Set".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace capture_plugin {

inline constexpr std::wstring_view kBsCsArea = L"BS110CS";
inline constexpr std::int32_t kBsCsTunerKind = 2;

// The registry value Area under HKCU "Software\Friio"; empty when the key or value is missing.
std::wstring ReadFriioArea();

struct ChannelListSource {
    std::wstring path;
    std::wstring section;
};

ChannelListSource ChooseChannelListSource(std::int32_t tunerKind, std::wstring_view area,
                                          std::wstring_view defArea,
                                          std::wstring_view channelsIniPath,
                                          std::wstring_view bscsIniPath);

// Keeps the area as DefArea in the plug-in's ini when it is a terrestrial area seen by a
// terrestrial tuner (kind 1); "BS110CS" is never kept.
void SaveLastTerrestrialArea(std::wstring_view pluginIniPath, std::int32_t tunerKind,
                             std::wstring_view area);

// "27" -> 27; "12034,4030" -> (12034 << 16) | 0x4030 (decimal MHz, hexadecimal TSID).
std::uint32_t ChannelValueOfKey(std::wstring_view key);

// The check key of a channel: "%02dch".
std::wstring ChannelCheckKey(std::uint32_t channel);

// One entry of the source's section, with its check from the plug-in's ini file.
struct ChannelListEntry {
    std::wstring key;
    std::uint32_t channel = 0;  // ChannelValueOfKey(key)
    std::wstring name;
    int checked = 1;  // the check key's value; 1 when the key is missing
};

// The entries of the source's section in file order; nullopt when the file or the section cannot
// be read.
std::optional<std::vector<ChannelListEntry>> ReadChannelList(const ChannelListSource& source,
                                                             std::wstring_view pluginIniPath);

}  // namespace capture_plugin
