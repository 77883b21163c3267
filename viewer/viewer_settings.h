// The stand-in's own settings: "FriioView.ini" beside the executable (ORVANDEL_VIEWER_INI names
// another file). Every key is optional; a number that is not a finite decimal inside the range
// below is reported and its default used.
//
//   [FriioView]
//   Devices=2             number of tuner devices, index 0..Devices-1 (0-256)
//   Broadcast=            broadcast description file (relative: to the ini's folder); empty:
//                         the built-in broadcast of the sample channels
//   TsFolder=             folder of "<channel value>.ts" files played instead, looped
//   ScheduleCycle=25000   ms of clock time in which the EIT schedule carousel goes round
//                         (100-86400000)
//   ChunkPackets=256      packets per chunk handed to the plug-ins (1-65536)
//   DefaultArea=東京      channels.ini section when the registry has no usable Area
//   ShowWindow=1          0: the main window stays hidden
//   [Device<n>]
//   Kind=1                1 terrestrial, 2 BS/CS (default: device 1 BS/CS, others terrestrial)
//   CardState=0           status card state 0-6
//   ErrorsPerMinute=0     reception errors per minute of clock time (decimals allowed, 0-60000)
//   ScrambledPercent=0    share of the picture and sound packets sent scrambled (0-100)
//   Bitrate=              bits per real second (default 8000000 terrestrial, 12000000 BS/CS;
//                         0-100000000, twice the largest transport stream broadcast)
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace viewer {

inline constexpr double kMostErrorsPerMinute = 60000.0;
inline constexpr double kHighestBitrate = 100000000.0;

enum class TunerKind { kTerrestrial = 1, kBsCs = 2 };

struct DeviceSettings {
    TunerKind kind = TunerKind::kTerrestrial;
    std::int32_t cardState = 0;
    double errorsPerMinute = 0.0;
    double scrambledShare = 0.0;  // 0..1
    double bitrate = 8000000.0;
};

struct ViewerSettings {
    std::wstring iniPath;
    int devices = 2;
    std::wstring broadcastFile;  // full path, or empty
    std::wstring tsFolder;       // full path, or empty
    std::uint64_t scheduleCycleMs = 25000;
    std::size_t chunkPackets = 256;
    std::wstring defaultArea = L"東京";
    bool showWindow = true;
};

// The settings file of a viewer whose executable lies in `viewerFolder`.
std::wstring ViewerIniPath(const std::wstring& viewerFolder);

// One message per value that was refused, e.g.
// "FriioView.ini: [Device0] Bitrate=nan is not a number from 0 to 100000000; 8000000 is used".
using SettingsProblems = std::vector<std::wstring>;

ViewerSettings LoadViewerSettings(const std::wstring& iniPath,
                                  SettingsProblems* problems = nullptr);
DeviceSettings LoadDeviceSettings(const std::wstring& iniPath, int device,
                                  SettingsProblems* problems = nullptr);

}  // namespace viewer
