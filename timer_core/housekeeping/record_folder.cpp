#include "timer_core/housekeeping/record_folder.h"

#include <cwchar>
#include <optional>

#include "platform/clock.h"
#include "platform/debug_output.h"
#include "platform/file_handle.h"
#include "platform/file_operations.h"
#include "platform/file_search.h"
#include "platform/paths.h"
#include "platform/text_case.h"

namespace timer_core {
namespace {

// What the free-space query gives: bytes available to this user and free bytes of the whole
// file system.
struct FreeSpace {
    std::int64_t available = 0;
    std::int64_t total = 0;
};

std::optional<FreeSpace> QueryFreeSpace(const std::wstring& root) {
    std::uint64_t available = 0, total = 0;
    if (!platform::GetDiskFreeSpaceExW(root, &available, nullptr, &total)) return std::nullopt;
    return FreeSpace{static_cast<std::int64_t>(available), static_cast<std::int64_t>(total)};
}

void DebugNumbers(const wchar_t* format, std::int64_t a, std::int64_t b = 0) {
    wchar_t line[96];
    std::swprintf(line, sizeof line / sizeof line[0], format, static_cast<long long>(a),
                  static_cast<long long>(b));
    platform::OutputDebugStringW(line);
}

// Deletes the file only when it opens without sharing, that is when no other open (the
// viewer's recording in progress) holds it.
void DeleteIfUnused(const std::wstring& path) {
    platform::FileHandle file = platform::CreateFileW(
        path, platform::GENERIC_READ | platform::GENERIC_WRITE, 0, platform::OPEN_EXISTING);
    if (!file.IsValid()) return;
    file.Close();
    platform::DeleteFileW(path);
}

}  // namespace

void RecordFolder::SetPath(std::wstring_view folder) {
    if (folder.empty()) return;
    path_ = folder;
    root_ = folder;
}

int RecordFolder::Scan() {
    recordings_.clear();
    if (path_.empty()) return 0;
    const std::vector<platform::FindData> found =
        platform::FindFiles(platform::JoinPath(path_, L"*-*.ts"));
    if (found.empty()) return 0;
    for (const platform::FindData& entry : found) {
        if (entry.fileName == L"." || entry.fileName == L".." || entry.IsDirectory()) continue;
        if (!platform::EqualsNoCase(platform::SplitPath(entry.fileName).ext, L".ts")) continue;
        recordings_.emplace(entry.fileName, platform::JoinPath(path_, entry.fileName));
    }
    return 1;
}

int RecordFolder::EnsureFreeSpace(int minutes) {
    if (path_.empty() || minutes > kMaxMinutes) return 0;
    std::optional<FreeSpace> free = QueryFreeSpace(root_);
    if (!free) return 0;
    const std::int64_t need = minutes * kBytesPerMinute + kReserveBytes;
    DebugNumbers(L"Need %lld\r\n", need);
    for (;;) {
        if (free->available >= need) return 1;
        DebugNumbers(L"free %lld,%lld\r\n", free->available, free->total);
        if (recordings_.empty()) return 0;
        const auto oldest = recordings_.begin();
        DeleteIfUnused(oldest->second);
        recordings_.erase(oldest);
        platform::Sleep(100);
        free = QueryFreeSpace(root_);
        if (!free) return 0;
    }
}

}  // namespace timer_core
