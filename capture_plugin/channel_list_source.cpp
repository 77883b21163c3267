#include "capture_plugin/channel_list_source.h"

#include <cwchar>

#include "capture_plugin/plugin_ini.h"
#include "platform/registry.h"
#include "platform/text_case.h"
#include "shared/ini_file.h"
#include "shared/text_lines.h"

namespace capture_plugin {

std::wstring ReadFriioArea() {
    const auto key = platform::RegistryKey::Open(L"Software\\Friio");
    if (!key) return {};
    return key->QueryString(L"Area").value_or(std::wstring());
}

ChannelListSource ChooseChannelListSource(std::int32_t tunerKind, std::wstring_view area,
                                          std::wstring_view defArea,
                                          std::wstring_view channelsIniPath,
                                          std::wstring_view bscsIniPath) {
    if (tunerKind == kBsCsTunerKind) return {std::wstring(bscsIniPath), std::wstring(kBsCsArea)};
    return {std::wstring(channelsIniPath),
            std::wstring(platform::EqualsNoCase(area, kBsCsArea) ? defArea : area)};
}

void SaveLastTerrestrialArea(std::wstring_view pluginIniPath, std::int32_t tunerKind,
                             std::wstring_view area) {
    if (tunerKind == 1 && !platform::EqualsNoCase(area, kBsCsArea))
        WriteIniString(pluginIniPath, L"DefArea", area);
}

std::uint32_t ChannelValueOfKey(std::wstring_view key) {
    const std::size_t comma = key.find(L',');
    if (comma == key.npos) return static_cast<std::uint32_t>(shared::LeadingDecimal(key));
    const auto megahertz = static_cast<std::uint32_t>(shared::LeadingDecimal(key.substr(0, comma)));
    return (megahertz << 16) | shared::LeadingHex(key.substr(comma + 1));
}

std::wstring ChannelCheckKey(std::uint32_t channel) {
    wchar_t key[32];
    std::swprintf(key, 32, L"%02dch", static_cast<int>(channel));
    return key;
}

std::optional<std::vector<ChannelListEntry>> ReadChannelList(const ChannelListSource& source,
                                                             std::wstring_view pluginIniPath) {
    shared::IniFile ini;
    ini.Load(source.path);
    const shared::IniSection* section = ini.FindSection(source.section);
    if (section == nullptr) return std::nullopt;
    std::vector<ChannelListEntry> entries;
    for (const auto& [key, name] : section->pairs) {
        const std::uint32_t channel = ChannelValueOfKey(key);
        entries.push_back(
            {key, channel, name, ReadIniInt(pluginIniPath, ChannelCheckKey(channel), 1)});
    }
    return entries;
}

}  // namespace capture_plugin
