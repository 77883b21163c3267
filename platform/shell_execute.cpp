#include "platform/shell_execute.h"

#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "platform/command_line.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/text_case.h"

namespace platform {
namespace {

constexpr std::intptr_t kSuccess = 42;

bool IsExecutableFile(const std::string& native) {
    struct stat st {};
    return ::stat(native.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           ::access(native.c_str(), X_OK) == 0;
}

bool Exists(const std::string& native) {
    struct stat st {};
    return ::stat(native.c_str(), &st) == 0;
}

bool LooksLikeUrl(std::wstring_view file) {
    const std::size_t colon = file.find(L"://");
    return colon != std::wstring_view::npos && colon > 0;
}

}  // namespace

std::intptr_t ShellExecuteW(HWND /*window*/, const wchar_t* operation, const wchar_t* file,
                            const wchar_t* parameters, const wchar_t* directory,
                            int /*showCommand*/) {
    if (operation != nullptr && !EqualsNoCase(operation, L"open")) return SE_ERR_NOASSOC;
    if (file == nullptr || *file == L'\0') return SE_ERR_FNF;
    const std::wstring folder = directory != nullptr ? directory : L"";
    const std::string native = ToNativePath(file);
    DWORD pid = 0;
    if (IsExecutableFile(native)) {
        const std::wstring tail = L" " + std::wstring(parameters != nullptr ? parameters : L"");
        return CreateProcessW(file, tail, folder, &pid) ? kSuccess : SE_ERR_NOASSOC;
    }
    if (!LooksLikeUrl(file) && !Exists(native)) return SE_ERR_FNF;
    const std::wstring tail = L" " + QuoteArgument(file);
    return CreateProcessW(L"xdg-open", tail, folder, &pid) ? kSuccess : SE_ERR_NOASSOC;
}

}  // namespace platform
