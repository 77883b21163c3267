// Starting the user's EPG viewer program (EpgPath) from the plug-in window, with the EPG files on
// its command line as the StartOption setting says:
//   1  "<EpgPath>" "<host folder>Friio_NowEpgList.dat"
//   2  <EpgPath> "<epg file>" "<epg file>" ...
//   3  as 1, then the EPG files
//   4  as 3, then -SAVE
//   other values: no command line; EpgPath is opened as the desktop opens a document.
// The EPG files are the *_epg.dat files of <Documents>/Orvandel/EpgData in the order the file
// system lists them; options 2-4 start nothing when there are none.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace capture_plugin {

// 1 when the name's extension is ".dat" without regard to case, else 0.
int IsDatFileName(std::wstring_view fileName);

// Full paths of the EPG data files under the Documents folder.
std::vector<std::wstring> ListEpgDataFiles(std::wstring_view documentsFolder);

// The command line of options 1-4; nullopt for the other options, and for 2-4 without files.
std::optional<std::wstring> BuildEpgViewerCommandLine(int startOption, std::wstring_view epgPath,
                                                      std::wstring_view hostFolder,
                                                      const std::vector<std::wstring>& epgFiles);

struct EpgViewerLaunch {
    std::wstring epgPath;
    int startOption = 0;
    std::wstring hostFolder;  // ends with a separator; the started program's working folder
    std::wstring documentsFolder;
};

// Starts the viewer; false when nothing was started (empty EpgPath, no files for 2-4, or the
// start failed, which the window does not report).
bool StartEpgViewer(const EpgViewerLaunch& launch);

}  // namespace capture_plugin
