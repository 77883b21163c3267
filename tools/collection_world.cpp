#include "tools/collection_world.h"

#include <stdlib.h>

#include <fstream>

#include "platform/clock.h"
#include "platform/code_page.h"
#include "platform/paths.h"
#include "platform/private_profile.h"

namespace tools {
namespace {

void WriteText(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

}  // namespace

CollectionWorld::CollectionWorld(std::filesystem::path root, std::filesystem::path binFolder)
    : root_(std::move(root)), bin_(std::move(binFolder)) {}

bool CollectionWorld::PrepareViewerFolder(const ViewerFolderOptions& options) {
    const std::filesystem::path viewer = root_ / "viewer";
    for (const auto& folder :
         {viewer, root_ / "home" / "Documents", root_ / "config", CaptureFolder()}) {
        std::filesystem::create_directories(folder);
    }
    std::error_code ec;
    for (const char* file : {"FriioView", "friio_Quorvantel.so", "channels.ini", "bscs.ini"}) {
        std::filesystem::copy_file(bin_ / file, viewer / file,
                                   std::filesystem::copy_options::overwrite_existing, ec);
        if (ec) return false;
    }
    if (!options.channelsIni.empty())
        WriteText(viewer / "channels.ini", platform::WideToShiftJis(options.channelsIni));
    if (!options.bscsIni.empty())
        WriteText(viewer / "bscs.ini", platform::WideToShiftJis(options.bscsIni));
    std::string ini =
        "[FriioView]\r\nDevices=2\r\nScheduleCycle=" + std::to_string(options.scheduleCycleMs) +
        "\r\n";
    if (!options.broadcastDescription.empty()) {
        WriteText(viewer / "broadcast.txt", options.broadcastDescription);
        ini += "Broadcast=broadcast.txt\r\n";
    }
    for (int device : {0, 1}) {
        ini += "[Device" + std::to_string(device) +
               "]\r\nBitrate=" + std::to_string(options.bitsPerSecond) + "\r\n";
    }
    WriteText(viewer / "FriioView.ini", ini);
    if (!options.captureFolder) return true;
    const std::wstring pluginIni =
        platform::FromNativePath((viewer / "friio_Quorvantel.ini").native());
    platform::WritePrivateProfileStringW(L"Set", L"SavePath",
                                         platform::FromNativePath(CaptureFolder().native()).c_str(),
                                         pluginIni.c_str());
    return true;
}

void CollectionWorld::ExportEnvironment(const platform::SYSTEMTIME& clockStart,
                                        double clockRate) const {
    ::setenv("HOME", (root_ / "home").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (root_ / "config").c_str(), 1);
    ::unsetenv("XDG_DOCUMENTS_DIR");
    ::setenv("ORVANDEL_SIM_CLOCK", platform::FormatSimClockSetting(clockStart, clockRate).c_str(),
             1);
}

}  // namespace tools
