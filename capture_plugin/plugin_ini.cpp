#include "capture_plugin/plugin_ini.h"

#include "platform/private_profile.h"

namespace capture_plugin {

std::wstring ReadIniString(std::wstring_view path, std::wstring_view key,
                           std::wstring_view defaultValue) {
    wchar_t buffer[512] = {};
    platform::GetPrivateProfileStringW(
        std::wstring(kSettingsSection).c_str(), std::wstring(key).c_str(),
        std::wstring(defaultValue).c_str(), buffer, 512, std::wstring(path).c_str());
    return buffer;
}

std::int32_t ReadIniInt(std::wstring_view path, std::wstring_view key, std::int32_t defaultValue) {
    return static_cast<std::int32_t>(platform::GetPrivateProfileIntW(
        std::wstring(kSettingsSection).c_str(), std::wstring(key).c_str(), defaultValue,
        std::wstring(path).c_str()));
}

void WriteIniString(std::wstring_view path, std::wstring_view key, std::wstring_view value) {
    platform::WritePrivateProfileStringW(std::wstring(kSettingsSection).c_str(),
                                         std::wstring(key).c_str(), std::wstring(value).c_str(),
                                         std::wstring(path).c_str());
}

void WriteIniInt(std::wstring_view path, std::wstring_view key, std::int32_t value) {
    WriteIniString(path, key, std::to_wstring(value));
}

}  // namespace capture_plugin
