#include "viewer/viewer_settings.h"

#include <algorithm>
#include <cstdlib>

#include "platform/paths.h"
#include "platform/private_profile.h"
#include "platform/utf8.h"

namespace viewer {
namespace {

constexpr const wchar_t* kSection = L"FriioView";

std::wstring ReadText(const std::wstring& ini, const wchar_t* section, const wchar_t* key,
                      const wchar_t* fallback) {
    wchar_t buffer[1024];
    platform::GetPrivateProfileStringW(section, key, fallback, buffer, 1024, ini.c_str());
    return buffer;
}

int ReadInt(const std::wstring& ini, const wchar_t* section, const wchar_t* key, int fallback) {
    return static_cast<int>(platform::GetPrivateProfileIntW(section, key, fallback, ini.c_str()));
}

double ReadDouble(const std::wstring& ini, const wchar_t* section, const wchar_t* key,
                  double fallback) {
    const std::wstring text = ReadText(ini, section, key, L"");
    if (text.empty()) return fallback;
    wchar_t* end = nullptr;
    const double value = std::wcstod(text.c_str(), &end);
    return end == text.c_str() ? fallback : value;
}

// A path of the ini relative to the ini's own folder.
std::wstring ReadPath(const std::wstring& ini, const wchar_t* key) {
    const std::wstring path = ReadText(ini, kSection, key, L"");
    if (path.empty() || path[0] == platform::kPathSeparator) return path;
    return platform::JoinPath(platform::FolderOf(ini), path);
}

}  // namespace

std::wstring ViewerIniPath(const std::wstring& viewerFolder) {
    if (const char* path = std::getenv("ORVANDEL_VIEWER_INI"); path != nullptr && *path != 0)
        return platform::FromNativePath(path);
    return platform::JoinPath(viewerFolder, L"FriioView.ini");
}

ViewerSettings LoadViewerSettings(const std::wstring& iniPath) {
    ViewerSettings s;
    s.iniPath = iniPath;
    s.devices = std::clamp(ReadInt(iniPath, kSection, L"Devices", 2), 0, 256);
    s.broadcastFile = ReadPath(iniPath, L"Broadcast");
    s.tsFolder = ReadPath(iniPath, L"TsFolder");
    s.scheduleCycleMs = static_cast<std::uint64_t>(
        std::max(ReadInt(iniPath, kSection, L"ScheduleCycle", 25000), 100));
    s.chunkPackets = static_cast<std::size_t>(
        std::clamp(ReadInt(iniPath, kSection, L"ChunkPackets", 256), 1, 65536));
    s.defaultArea = ReadText(iniPath, kSection, L"DefaultArea", L"東京");
    s.showWindow = ReadInt(iniPath, kSection, L"ShowWindow", 1) != 0;
    return s;
}

DeviceSettings LoadDeviceSettings(const std::wstring& iniPath, int device) {
    const std::wstring section = L"Device" + std::to_wstring(device);
    const wchar_t* name = section.c_str();
    DeviceSettings d;
    const int defaultKind = device == 1 ? 2 : 1;
    d.kind = ReadInt(iniPath, name, L"Kind", defaultKind) == 2 ? TunerKind::kBsCs
                                                               : TunerKind::kTerrestrial;
    d.cardState = ReadInt(iniPath, name, L"CardState", 0);
    d.errorsPerMinute = std::max(ReadDouble(iniPath, name, L"ErrorsPerMinute", 0.0), 0.0);
    d.scrambledShare =
        std::clamp(ReadDouble(iniPath, name, L"ScrambledPercent", 0.0), 0.0, 100.0) / 100.0;
    const double defaultBitrate = d.kind == TunerKind::kBsCs ? 12000000.0 : 8000000.0;
    d.bitrate = std::max(ReadDouble(iniPath, name, L"Bitrate", defaultBitrate), 0.0);
    return d;
}

}  // namespace viewer
