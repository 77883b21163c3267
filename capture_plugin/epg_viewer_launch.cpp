#include "capture_plugin/epg_viewer_launch.h"

#include "platform/file_search.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/shell_execute.h"
#include "platform/text_case.h"
#include "platform/window_messages.h"
#include "shared/epg_data_folder.h"

namespace capture_plugin {

namespace {

std::wstring Quoted(std::wstring_view text) {
    return L"\"" + std::wstring(text) + L"\"";
}

}  // namespace

int IsDatFileName(std::wstring_view fileName) {
    const std::wstring ext = platform::SplitPath(fileName).ext;
    return platform::EqualsNoCase(ext, L".dat") ? 1 : 0;
}

std::vector<std::wstring> ListEpgDataFiles(std::wstring_view documentsFolder) {
    const std::wstring folder = shared::EpgDataFolder(documentsFolder);
    std::vector<std::wstring> files;
    for (const platform::FindData& found : platform::FindFiles(folder + L"/*_epg.dat")) {
        if (!found.IsDirectory() && IsDatFileName(found.fileName)) {
            files.push_back(platform::JoinPath(folder, found.fileName));
        }
    }
    return files;
}

std::optional<std::wstring> BuildEpgViewerCommandLine(int startOption, std::wstring_view epgPath,
                                                      std::wstring_view hostFolder,
                                                      const std::vector<std::wstring>& epgFiles) {
    if (startOption < 1 || startOption > 4) return std::nullopt;
    std::wstring line =
        Quoted(epgPath) + L" " + Quoted(std::wstring(hostFolder) + L"Friio_NowEpgList.dat");
    if (startOption == 1) return line;
    if (epgFiles.empty()) return std::nullopt;
    if (startOption == 2) line = std::wstring(epgPath);
    for (const std::wstring& file : epgFiles)
        line += L" " + Quoted(file);
    if (startOption == 4) line += L" -SAVE";
    return line;
}

bool StartEpgViewer(const EpgViewerLaunch& launch) {
    if (launch.epgPath.empty()) return false;
    if (launch.startOption < 1 || launch.startOption > 4) {
        return platform::ShellExecuteW(0, L"open", launch.epgPath.c_str(), nullptr, nullptr,
                                       platform::SW_SHOWNORMAL) > 32;
    }
    const std::vector<std::wstring> files = launch.startOption == 1
                                                ? std::vector<std::wstring>{}
                                                : ListEpgDataFiles(launch.documentsFolder);
    const std::optional<std::wstring> commandLine =
        BuildEpgViewerCommandLine(launch.startOption, launch.epgPath, launch.hostFolder, files);
    if (!commandLine) return false;
    platform::DWORD processId = 0;
    return platform::CreateProcessW(L"", *commandLine, launch.hostFolder, &processId) != 0;
}

}  // namespace capture_plugin
