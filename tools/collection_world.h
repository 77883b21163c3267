// A private world for running FriioView with the capture plug-in on the synthetic broadcast:
// its own home (Documents, registry), a copy of the viewer folder with the plug-in, the viewer's
// and the plug-in's settings, and the capture folder. Used by the EPG collection demo and the
// end-to-end tests.
#pragma once

#include <filesystem>
#include <string>

#include "platform/system_time.h"

namespace tools {

struct ViewerFolderOptions {
    // A broadcast description (UTF-8, broadcast_description_file.h); empty: the built-in
    // broadcast of the sample channel lists.
    std::string broadcastDescription;
    // Channel lists written for the viewer (Shift-JIS); empty: the sample lists.
    std::wstring channelsIni;
    std::wstring bscsIni;
    int scheduleCycleMs = 10000;  // clock time of one round of the EIT schedule carousel
    int bitsPerSecond = 300000;   // per real second, per tuner
    // false: the plug-in is given no capture folder (its SavePath stays empty).
    bool captureFolder = true;
};

class CollectionWorld {
  public:
    // `root`: an existing, empty folder; `binFolder`: where FriioView, the plug-in and the sample
    // channel lists were built.
    CollectionWorld(std::filesystem::path root, std::filesystem::path binFolder);

    // Copies the viewer and the plug-in and writes the settings; false when a file is missing.
    bool PrepareViewerFolder(const ViewerFolderOptions& options);

    // The home, configuration and simulated clock of the processes started from now on.
    void ExportEnvironment(const platform::SYSTEMTIME& clockStart, double clockRate) const;

    std::filesystem::path ViewerPath() const { return root_ / "viewer" / "FriioView"; }
    std::filesystem::path CaptureFolder() const { return root_ / "capture"; }
    // <Documents>/Orvandel: ChSet.txt, ChSet2.txt and EpgData.
    std::filesystem::path DataFolder() const { return root_ / "home" / "Documents" / "Orvandel"; }

  private:
    std::filesystem::path root_;
    std::filesystem::path bin_;
};

}  // namespace tools
