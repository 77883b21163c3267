// Private-profile (ini) files with Windows' behaviour: section and key names without regard to
// case, the default when the file, section or key is missing, the caller's buffer limit,
// Windows' integer parsing, and writes that create the file and the section and keep every
// other line as it was. Files are code page 932, unless they begin with a UTF-16LE byte-order
// mark: then they are read and written as UTF-16LE. Layout rules: platform/profile_text.h.
//
// Writers lock the file and replace it atomically, so two processes writing keys of one file at
// the same time lose neither key. Section and key must be given to the readers (no caller
// enumerates a file).
#pragma once

#include <map>
#include <string>

#include "platform/win_types.h"

namespace platform {

// Copies the value (or the default, its trailing blanks removed; null default = empty) into
// buffer, cut to size - 1 characters and terminated. Returns the characters copied without the
// terminator (size - 1 when the value was cut, 0 for size 0).
DWORD GetPrivateProfileStringW(const wchar_t* section, const wchar_t* key,
                               const wchar_t* defaultValue, wchar_t* buffer, DWORD size,
                               const wchar_t* path);

// The value read as Windows reads it: leading blanks skipped, an optional sign, "0x" for
// hexadecimal (also "0o" octal, "0b" binary), digits up to the first other character, wrapping
// in 32 bits; at most the first 29 characters count. A missing or empty value gives the default;
// a value without digits gives 0.
UINT GetPrivateProfileIntW(const wchar_t* section, const wchar_t* key, int defaultValue,
                           const wchar_t* path);

// The values of the keys "0" .. Count-1 of the section, by number, from one read of the file:
// "Count" as GetPrivateProfileIntW reads it (default 0, a negative count lists nothing), each
// value as GetPrivateProfileStringW gives it into a buffer of `size` characters. A key that is
// missing is not in the map: the work follows the keys the file holds, whatever Count says.
std::map<int, std::wstring> GetPrivateProfileCountedValues(const wchar_t* section, DWORD size,
                                                           const wchar_t* path);

// Writes "key=value" into the section. A null value deletes the key, a null key the whole
// section. FALSE (last error set) when the file cannot be written, e.g. its folder is missing.
BOOL WritePrivateProfileStringW(const wchar_t* section, const wchar_t* key, const wchar_t* value,
                                const wchar_t* path);

}  // namespace platform
