#include "capture_plugin/epg_data_copy.h"

#include "platform/atomic_file_writer.h"
#include "platform/file_operations.h"
#include "platform/paths.h"
#include "platform/text_case.h"
#include "platform/whole_file.h"
#include "shared/epg_data_folder.h"

namespace capture_plugin {

std::wstring EpgDataPath(std::wstring_view documentsFolder, std::wstring_view fileName) {
    return platform::JoinPath(shared::EpgDataFolder(documentsFolder), fileName);
}

bool CopyToEpgData(std::wstring_view sourcePath, std::wstring_view documentsFolder,
                   std::wstring_view fileName) {
    const std::wstring folder = shared::EpgDataFolder(documentsFolder);
    const std::wstring destination = EpgDataPath(documentsFolder, fileName);
    if (platform::EqualsNoCase(destination, sourcePath)) return true;
    std::string bytes;
    if (!platform::ReadWholeFile(sourcePath, &bytes)) return false;
    if (platform::WriteFileAtomically(destination, bytes)) return true;
    platform::CreateDirectoryW(folder);
    return platform::WriteFileAtomically(destination, bytes) != 0;
}

}  // namespace capture_plugin
