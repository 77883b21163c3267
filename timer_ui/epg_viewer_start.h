// The main window's "EPG表示アプリの起動": starts the user's EPG viewer (EpgViewPath) in the
// viewer FriioView's folder, with the EPG files as ViewOption says:
//   1  "<EpgViewPath>" "<FriioView's folder>Friio_NowEpgList.dat"
//   2  <EpgViewPath> "<epg file>" "<epg file>" ...
//   3  as 1, then the EPG files;   4  as 3, then -SAVE
//   any other value: EpgViewPath opened as the desktop opens a file, without arguments.
// The EPG files are the *_epg.dat files of <documents>/Orvandel/EpgData in the order the folder
// lists them; options 2-4 start nothing without one. Programs start directly, never through a
// shell; a failed start is not reported.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace timer_ui {

struct EpgViewerStart {
    std::wstring epgViewPath;
    std::wstring friioViewPath;
    int viewOption = 0;
    std::wstring documentsFolder;
};

// Full paths of the EPG files: every entry matching *_epg.dat that is no folder and whose
// extension is ".dat" without regard to case.
std::vector<std::wstring> EpgDataFileList(std::wstring_view documentsFolder);

// The command line of options 1-4 (friioViewFolder ends with a separator); nullopt for the
// other options and, for 2-4, without EPG files.
std::optional<std::wstring> EpgViewerCommandLine(int viewOption, std::wstring_view epgViewPath,
                                                 std::wstring_view friioViewFolder,
                                                 const std::vector<std::wstring>& epgFiles);

// Starts the viewer; false when nothing was started.
bool StartEpgViewer(const EpgViewerStart& start);

}  // namespace timer_ui
