#include "capture_plugin/recording_files.h"

#include <algorithm>

#include "platform/code_page.h"
#include "platform/file_handle.h"
#include "platform/file_name_length.h"
#include "platform/utf8.h"

namespace capture_plugin {

namespace {

constexpr std::wstring_view kErrorLogSuffix = L".err";
constexpr std::wstring_view kProgramTextSuffix = L".program.txt";

bool IsControlCharacter(wchar_t c) {
    return c < 0x20 || c == 0x7F;
}

std::wstring InFolder(std::wstring_view folder, std::wstring_view name) {
    std::wstring path(folder);
    path += L'/';
    path += name;
    return path;
}

// The path with its file name shortened, if the file system needs that, so that the longest side
// file's name made from it still fits; recording and side files then share the shortened name.
std::wstring FitWithRoomForSideFiles(const std::wstring& path) {
    static const std::size_t room = platform::WideToUtf8(kProgramTextSuffix).size();
    return platform::FitFileName(path, room);
}

std::optional<std::wstring> SideFilePath(std::wstring_view folder, std::wstring_view name,
                                         std::wstring_view suffix) {
    if (!IsAcceptedFileName(name)) return std::nullopt;
    return FitWithRoomForSideFiles(InFolder(folder, name)) + std::wstring(suffix);
}

}  // namespace

bool IsAcceptedFileName(std::wstring_view name) {
    static constexpr std::wstring_view kRefused = L"\\/:*?\"<>|";
    return !name.empty() && std::none_of(name.begin(), name.end(), [](wchar_t c) {
        return IsControlCharacter(c) || kRefused.find(c) != std::wstring_view::npos;
    });
}

std::optional<std::wstring> RecordingPath(std::wstring_view folder, std::wstring sanitisedName) {
    std::replace_if(sanitisedName.begin(), sanitisedName.end(), IsControlCharacter, L'_');
    if (sanitisedName.empty() || sanitisedName == L"." || sanitisedName == L".." ||
        sanitisedName.find(L'/') != std::wstring::npos) {
        return std::nullopt;
    }
    return FitWithRoomForSideFiles(InFolder(folder, sanitisedName));
}

std::optional<std::wstring> ErrorLogPath(std::wstring_view folder, std::wstring_view name) {
    return SideFilePath(folder, name, kErrorLogSuffix);
}

std::optional<std::wstring> ProgramTextPath(std::wstring_view folder, std::wstring_view name) {
    return SideFilePath(folder, name, kProgramTextSuffix);
}

bool CopyToHostBuffer(std::wstring_view path, wchar_t* buffer, std::size_t capacity) {
    if (buffer == nullptr || path.size() >= capacity) return false;
    std::copy(path.begin(), path.end(), buffer);
    buffer[path.size()] = L'\0';
    return true;
}

bool WriteProgramTextFile(std::wstring_view path, std::wstring_view text) {
    platform::FileHandle file =
        platform::CreateFileW(path, platform::GENERIC_READ | platform::GENERIC_WRITE,
                              platform::FILE_SHARE_READ, platform::CREATE_ALWAYS);
    if (!file.IsValid()) return false;
    return file.WriteAll(platform::WideToShiftJis(text));
}

}  // namespace capture_plugin
