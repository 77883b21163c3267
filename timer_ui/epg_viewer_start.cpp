#include "timer_ui/epg_viewer_start.h"

#include "platform/file_search.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/shell_execute.h"
#include "platform/text_case.h"
#include "platform/window_messages.h"
#include "shared/epg_data_folder.h"

namespace timer_ui {
namespace {

std::wstring InQuotes(std::wstring_view text) {
    std::wstring quoted = L"\"";
    quoted += text;
    quoted += L'"';
    return quoted;
}

bool TakesEpgFiles(int viewOption) {
    return viewOption >= 2 && viewOption <= 4;
}

}  // namespace

std::vector<std::wstring> EpgDataFileList(std::wstring_view documentsFolder) {
    const std::wstring folder = shared::EpgDataFolder(documentsFolder);
    std::vector<std::wstring> files;
    for (const platform::FindData& found :
         platform::FindFiles(platform::JoinPath(folder, L"*_epg.dat"))) {
        if (found.IsDirectory()) continue;
        if (!platform::EqualsNoCase(platform::SplitPath(found.fileName).ext, L".dat")) continue;
        files.push_back(platform::JoinPath(folder, found.fileName));
    }
    return files;
}

std::optional<std::wstring> EpgViewerCommandLine(int viewOption, std::wstring_view epgViewPath,
                                                 std::wstring_view friioViewFolder,
                                                 const std::vector<std::wstring>& epgFiles) {
    if (viewOption < 1 || viewOption > 4) return std::nullopt;
    if (TakesEpgFiles(viewOption) && epgFiles.empty()) return std::nullopt;
    std::wstring line;
    if (viewOption == 2) {
        line = epgViewPath;
    } else {
        line = InQuotes(epgViewPath) + L" " +
               InQuotes(std::wstring(friioViewFolder) + L"Friio_NowEpgList.dat");
    }
    if (TakesEpgFiles(viewOption)) {
        for (const std::wstring& file : epgFiles)
            line += L" " + InQuotes(file);
    }
    if (viewOption == 4) line += L" -SAVE";
    return line;
}

bool StartEpgViewer(const EpgViewerStart& start) {
    if (start.epgViewPath.empty()) return false;
    if (start.viewOption < 1 || start.viewOption > 4) {
        return platform::ShellExecuteW(0, L"open", start.epgViewPath.c_str(), nullptr, nullptr,
                                       platform::SW_SHOW) > 32;
    }
    const std::wstring workingFolder = platform::FolderOf(start.friioViewPath);
    const std::vector<std::wstring> files = TakesEpgFiles(start.viewOption)
                                                ? EpgDataFileList(start.documentsFolder)
                                                : std::vector<std::wstring>{};
    const auto commandLine =
        EpgViewerCommandLine(start.viewOption, start.epgViewPath, workingFolder, files);
    if (!commandLine) return false;
    platform::DWORD processId = 0;
    return platform::CreateProcessW(L"", *commandLine, workingFolder, &processId) != 0;
}

}  // namespace timer_ui
