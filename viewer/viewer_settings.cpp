#include "viewer/viewer_settings.h"

#include <charconv>
#include <cmath>
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

std::wstring NumberText(double value) {
    wchar_t text[32];
    std::swprintf(text, 32, L"%.15g", value);
    return text;
}

// Reads the numbers of one section. A value that is not a finite decimal number inside its
// range is replaced by the default, with a message saying so: a NaN bitrate or an error rate
// of 1e12 would otherwise drive the tuner into unbounded work.
class NumberReader {
  public:
    NumberReader(const std::wstring& ini, std::wstring section, SettingsProblems* problems)
        : ini_(ini), section_(std::move(section)), problems_(problems) {}

    double Number(const wchar_t* key, double fallback, double lowest, double highest,
                  bool whole = false) {
        const std::wstring text = ReadText(ini_, section_.c_str(), key, L"");
        if (text.empty()) return fallback;
        const std::string narrow = platform::WideToUtf8(text);
        double value = 0;
        const auto [end, ec] = std::from_chars(narrow.data(), narrow.data() + narrow.size(), value);
        const bool fits = ec == std::errc() && end == narrow.data() + narrow.size() &&
                          std::isfinite(value) && value >= lowest && value <= highest &&
                          (!whole || value == std::floor(value));
        if (fits) return value;
        if (problems_ != nullptr) {
            problems_->push_back(platform::SplitPath(ini_).fname + platform::SplitPath(ini_).ext +
                                 L": [" + section_ + L"] " + key + L"=" + text + L" is not " +
                                 (whole ? L"a whole number" : L"a number") + L" from " +
                                 NumberText(lowest) + L" to " + NumberText(highest) + L"; " +
                                 NumberText(fallback) + L" is used");
        }
        return fallback;
    }

    int Integer(const wchar_t* key, int fallback, int lowest, int highest) {
        return static_cast<int>(Number(key, fallback, lowest, highest, true));
    }

  private:
    const std::wstring& ini_;
    std::wstring section_;
    SettingsProblems* problems_;
};

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

ViewerSettings LoadViewerSettings(const std::wstring& iniPath, SettingsProblems* problems) {
    NumberReader numbers(iniPath, kSection, problems);
    ViewerSettings s;
    s.iniPath = iniPath;
    s.devices = numbers.Integer(L"Devices", 2, 0, 256);
    s.broadcastFile = ReadPath(iniPath, L"Broadcast");
    s.tsFolder = ReadPath(iniPath, L"TsFolder");
    s.scheduleCycleMs =
        static_cast<std::uint64_t>(numbers.Integer(L"ScheduleCycle", 25000, 100, 86400000));
    s.chunkPackets = static_cast<std::size_t>(numbers.Integer(L"ChunkPackets", 256, 1, 65536));
    s.defaultArea = ReadText(iniPath, kSection, L"DefaultArea", L"東京");
    s.showWindow = numbers.Integer(L"ShowWindow", 1, 0, 1) != 0;
    return s;
}

DeviceSettings LoadDeviceSettings(const std::wstring& iniPath, int device,
                                  SettingsProblems* problems) {
    NumberReader numbers(iniPath, L"Device" + std::to_wstring(device), problems);
    DeviceSettings d;
    const int defaultKind = device == 1 ? 2 : 1;
    d.kind = numbers.Integer(L"Kind", defaultKind, 1, 2) == 2 ? TunerKind::kBsCs
                                                              : TunerKind::kTerrestrial;
    d.cardState = numbers.Integer(L"CardState", 0, 0, 6);
    d.errorsPerMinute = numbers.Number(L"ErrorsPerMinute", 0.0, 0.0, kMostErrorsPerMinute);
    d.scrambledShare = numbers.Number(L"ScrambledPercent", 0.0, 0.0, 100.0) / 100.0;
    const double defaultBitrate = d.kind == TunerKind::kBsCs ? 12000000.0 : 8000000.0;
    d.bitrate = numbers.Number(L"Bitrate", defaultBitrate, 0.0, kHighestBitrate);
    return d;
}

}  // namespace viewer
