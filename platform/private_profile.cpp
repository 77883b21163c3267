#include "platform/private_profile.h"

#include <optional>
#include <string>
#include <string_view>

#include "platform/last_error.h"
#include "platform/locked_file_update.h"
#include "platform/profile_text.h"
#include "platform/whole_file.h"

namespace platform {
namespace {

// Windows reads the value through a 30-character buffer before it parses it.
constexpr std::size_t kIntegerTextLimit = 29;

std::wstring_view TrimTrailingBlanks(std::wstring_view s) {
    while (!s.empty() && (s.back() == L' ' || s.back() == L'\t'))
        s.remove_suffix(1);
    return s;
}

std::optional<ProfileText> ReadProfile(const wchar_t* section, const wchar_t* path) {
    std::string bytes;
    if (section == nullptr || path == nullptr || !ReadWholeFile(path, &bytes)) return std::nullopt;
    return ProfileText(bytes);
}

std::optional<std::wstring> ReadValue(const wchar_t* section, const wchar_t* key,
                                      const wchar_t* path) {
    const std::optional<ProfileText> text = ReadProfile(section, path);
    if (!text || key == nullptr) return std::nullopt;
    return text->Find(section, key);
}

int DigitValue(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'z') return c - L'a' + 10;
    if (c >= L'A' && c <= L'Z') return c - L'A' + 10;
    return 99;
}

// Base prefix "0x", "0o" or "0b" at the start of s: the base, and s moved past it.
unsigned TakeBase(std::wstring_view& s) {
    if (s.size() < 2 || s[0] != L'0') return 10;
    const wchar_t p = s[1];
    const unsigned base = (p == L'x' || p == L'X')   ? 16
                          : (p == L'o' || p == L'O') ? 8
                          : (p == L'b' || p == L'B') ? 2
                                                     : 10;
    if (base != 10) s.remove_prefix(2);
    return base;
}

UINT ParseWindowsInteger(std::wstring_view s) {
    while (!s.empty() && s.front() <= L' ')
        s.remove_prefix(1);
    bool negative = false;
    if (!s.empty() && (s.front() == L'-' || s.front() == L'+')) {
        negative = s.front() == L'-';
        s.remove_prefix(1);
    }
    const unsigned base = TakeBase(s);
    UINT value = 0;
    for (const wchar_t c : s) {
        const int digit = DigitValue(c);
        if (digit >= static_cast<int>(base)) break;
        value = value * base + static_cast<UINT>(digit);
    }
    return negative ? 0u - value : value;
}

UINT IntegerOf(const std::optional<std::wstring>& found, int defaultValue) {
    if (!found || found->empty()) return static_cast<UINT>(defaultValue);
    return ParseWindowsInteger(std::wstring_view(*found).substr(0, kIntegerTextLimit));
}

// The n of a key named "%d" of n (no sign, no leading zero), or -1.
long long KeyNumber(std::wstring_view name) {
    constexpr std::size_t kMaxDigits = 10;  // of the largest int
    if (name.empty() || name.size() > kMaxDigits || (name.size() > 1 && name.front() == L'0'))
        return -1;
    long long n = 0;
    for (const wchar_t c : name) {
        if (c < L'0' || c > L'9') return -1;
        n = n * 10 + (c - L'0');
    }
    return n;
}

}  // namespace

DWORD GetPrivateProfileStringW(const wchar_t* section, const wchar_t* key,
                               const wchar_t* defaultValue, wchar_t* buffer, DWORD size,
                               const wchar_t* path) {
    if (buffer == nullptr || size == 0) return 0;
    const auto found = ReadValue(section, key, path);
    const std::wstring_view text =
        found ? std::wstring_view(*found)
              : TrimTrailingBlanks(defaultValue != nullptr ? defaultValue : L"");
    const std::size_t n = std::min<std::size_t>(text.size(), size - 1);
    text.copy(buffer, n);
    buffer[n] = L'\0';
    SetLastError(found ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND);
    return static_cast<DWORD>(n);
}

UINT GetPrivateProfileIntW(const wchar_t* section, const wchar_t* key, int defaultValue,
                           const wchar_t* path) {
    return IntegerOf(ReadValue(section, key, path), defaultValue);
}

std::map<int, std::wstring> GetPrivateProfileCountedValues(const wchar_t* section, DWORD size,
                                                           const wchar_t* path) {
    std::map<int, std::wstring> values;
    const std::optional<ProfileText> text = ReadProfile(section, path);
    if (!text || size == 0) return values;
    const int count = static_cast<int>(IntegerOf(text->Find(section, L"Count"), 0));
    for (const auto& [name, value] : text->Keys(section)) {
        const long long n = KeyNumber(name);
        // The first key of a name counts, as for GetPrivateProfileStringW.
        if (n >= 0 && n < count) values.try_emplace(static_cast<int>(n), value.substr(0, size - 1));
    }
    return values;
}

BOOL WritePrivateProfileStringW(const wchar_t* section, const wchar_t* key, const wchar_t* value,
                                const wchar_t* path) {
    if (section == nullptr || path == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return UpdateFileLocked(path, [&](std::string_view current) -> std::optional<std::string> {
        ProfileText text(current);
        if (key == nullptr) {
            text.DeleteSection(section);
        } else if (value == nullptr) {
            text.DeleteKey(section, key);
        } else {
            text.Set(section, key, value);
        }
        std::string bytes = text.Bytes();
        if (bytes == current) return std::nullopt;  // nothing changed: no write
        return bytes;
    });
}

}  // namespace platform
