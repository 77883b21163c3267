// The plug-in's settings in section "Set" of friio_Quorvantel.ini: strings read through a
// 512-character buffer, integers written as decimal text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace capture_plugin {

inline constexpr std::wstring_view kSettingsSection = L"Set";

std::wstring ReadIniString(std::wstring_view path, std::wstring_view key,
                           std::wstring_view defaultValue);
std::int32_t ReadIniInt(std::wstring_view path, std::wstring_view key, std::int32_t defaultValue);
void WriteIniString(std::wstring_view path, std::wstring_view key, std::wstring_view value);
void WriteIniInt(std::wstring_view path, std::wstring_view key, std::int32_t value);

}  // namespace capture_plugin
