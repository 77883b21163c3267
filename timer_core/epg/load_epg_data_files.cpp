#include "timer_core/epg/load_epg_data_files.h"

#include <map>
#include <vector>

#include "broadcast/file_si_capture.h"
#include "broadcast/section_assembler.h"
#include "platform/file_handle.h"
#include "platform/file_search.h"
#include "platform/known_folders.h"
#include "platform/paths.h"
#include "platform/text_case.h"
#include "shared/epg_data_folder.h"

namespace timer_core {
namespace {

constexpr platform::DWORD kBlockBytes = 200 * broadcast::kTsPacketSize;  // 37600

// The plug-in also writes the NIT (0x10); the timer has no use for it.
bool IsLoadedPid(int pid) {
    return pid == 0x00 || pid == 0x11 || pid == 0x12 || pid == 0x14;
}

using FileList = std::map<std::wstring, std::wstring>;  // file name to full path, in name order

// The data files of the folder; false when the pattern matches nothing at all.
bool ListDataFiles(const std::wstring& folder, FileList* files) {
    const std::vector<platform::FindData> found =
        platform::FindFiles(platform::JoinPath(folder, L"*_epg.dat"));
    if (found.empty()) return false;
    for (const platform::FindData& entry : found) {
        if (entry.fileName == L"." || entry.fileName == L".." || entry.IsDirectory()) continue;
        if (!platform::EqualsNoCase(platform::SplitPath(entry.fileName).ext, L".dat")) continue;
        (*files)[entry.fileName] = platform::JoinPath(folder, entry.fileName);
    }
    return true;
}

// Feeds the file's packets of the loaded PIDs to a capture context of its own until the
// schedules are complete, the file's size is reached or a read returns nothing; a trailing
// partial packet is ignored. False when a read fails; a file that does not open counts as read.
bool LoadFile(const std::wstring& path, broadcast::EpgStore& store,
              std::vector<std::uint8_t>& block) {
    platform::FileHandle file = platform::CreateFileW(
        path, platform::GENERIC_READ, platform::FILE_SHARE_READ, platform::OPEN_EXISTING);
    if (!file.IsValid()) return true;
    broadcast::FileSiCapture capture;
    capture.store = &store;
    capture.otherTsMode = 1;
    capture.scheduleCollectionOff = 0;
    const std::uint64_t size = file.Size().value_or(0);
    std::uint64_t processed = 0;
    while (processed < size) {
        platform::DWORD got = 0;
        if (!file.Read(block.data(), kBlockBytes, &got)) return false;
        if (got == 0) break;
        for (platform::DWORD at = 0; at + broadcast::kTsPacketSize <= got;
             at += broadcast::kTsPacketSize) {
            const std::uint8_t* packet = block.data() + at;
            const int pid = ((packet[1] & 0x1F) << 8) | packet[2];
            if (IsLoadedPid(pid) && capture.AddPacket(packet) == broadcast::kScheduleComplete) {
                return true;
            }
            processed += broadcast::kTsPacketSize;
            if (processed >= size) break;
        }
    }
    return true;
}

}  // namespace

std::wstring EpgDataFolder() {
    return shared::EpgDataFolder(platform::GetDocumentsFolder());
}

int LoadEpgDataFiles(const std::wstring& folder, broadcast::EpgStore& store) {
    if (folder.empty()) return 0;
    FileList files;
    if (!ListDataFiles(folder, &files)) return 0;
    std::vector<std::uint8_t> block(kBlockBytes);
    for (const auto& [name, path] : files) {
        if (!LoadFile(path, store, block)) return 0;
    }
    return 1;
}

}  // namespace timer_core
