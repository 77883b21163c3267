#include "timer_ui/program_file.h"

#include "platform/file_handle.h"
#include "platform/file_operations.h"
#include "platform/paths.h"
#include "shared/epg_data_folder.h"

namespace timer_ui {

std::wstring ProgramFilePath(std::wstring_view documentsFolder) {
    return platform::JoinPath(shared::TimerDataFolder(documentsFolder), L"Program.txt");
}

bool EnsureProgramFile(std::wstring_view documentsFolder) {
    const std::wstring path = ProgramFilePath(documentsFolder);
    if (platform::CreateFileW(path, platform::GENERIC_READ,
                              platform::FILE_SHARE_READ | platform::FILE_SHARE_WRITE,
                              platform::OPEN_EXISTING)
            .IsValid()) {
        return true;
    }
    platform::CreateDirectoryW(shared::TimerDataFolder(documentsFolder));
    // Opened for reading and writing, created only when it is not there.
    return platform::CreateFileW(path, platform::GENERIC_READ | platform::GENERIC_WRITE,
                                 platform::FILE_SHARE_READ, platform::OPEN_ALWAYS)
        .IsValid();
}

}  // namespace timer_ui
