// The stand-in's own settings: "FriioView.ini" beside the executable (ORVANDEL_VIEWER_INI names
// another file). Every key is optional.
//
//   [FriioView]
//   Devices=2             number of tuner devices, index 0..Devices-1
//   Broadcast=            broadcast description file (relative: to the ini's folder); empty:
//                         the built-in broadcast of the sample channels
//   TsFolder=             folder of "<channel value>.ts" files played instead, looped
//   ScheduleCycle=25000   ms of clock time in which the EIT schedule carousel goes round
//   ChunkPackets=256      packets per chunk handed to the plug-ins
//   DefaultArea=東京      channels.ini section when the registry has no usable Area
//   ShowWindow=1          0: the main window stays hidden
//   [Device<n>]
//   Kind=1                1 terrestrial, 2 BS/CS (default: device 1 BS/CS, others terrestrial)
//   CardState=0           status card state 0-6
//   ErrorsPerMinute=0     reception errors per minute of clock time (decimals allowed)
//   ScrambledPercent=0    share of the picture and sound packets sent scrambled (0-100)
//   Bitrate=              bits per real second (default 8000000 terrestrial, 12000000 BS/CS)
#pragma once

#include <cstdint>
#include <string>

namespace viewer {

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

ViewerSettings LoadViewerSettings(const std::wstring& iniPath);
DeviceSettings LoadDeviceSettings(const std::wstring& iniPath, int device);

}  // namespace viewer
