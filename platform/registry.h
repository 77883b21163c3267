// The current user's registry (what Windows calls HKEY_CURRENT_USER): any key, REG_SZ,
// REG_BINARY and REG_DWORD values. Stored in one file per user,
// $XDG_CONFIG_HOME/orvandel/registry (default ~/.config/...), in the form of
// platform/registry_file.h. Every call reads the file afresh; every change locks the file and
// replaces it atomically, so concurrent writers in several processes lose nothing.
//
// A missing key and a missing value are different results: Open gives nullopt for the first,
// the Query calls give nullopt for the second.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/registry_file.h"
#include "platform/win_types.h"

namespace platform {

// The file that holds the current user's registry.
std::wstring RegistryFilePath();

class RegistryKey {
  public:
    // The key when it exists (a key exists also when only a subkey of it was created).
    static std::optional<RegistryKey> Open(std::wstring_view path);
    // The key, created with its parents when missing; nullopt when the file cannot be written.
    static std::optional<RegistryKey> Create(std::wstring_view path);

    const std::wstring& Path() const { return path_; }

    // nullopt when the value is missing (or the key has gone since it was opened).
    std::optional<RegistryValue> QueryValue(std::wstring_view name) const;
    // The size in bytes of the value's data, as Windows reports it before a read.
    std::optional<DWORD> QuerySize(std::wstring_view name) const;
    // REG_SZ text up to its first zero; nullopt when missing or of another type.
    std::optional<std::wstring> QueryString(std::wstring_view name) const;
    // REG_DWORD; nullopt when missing or of another type.
    std::optional<DWORD> QueryDword(std::wstring_view name) const;

    // False (last error set) when the registry file cannot be written.
    bool SetValue(std::wstring_view name, DWORD type, std::string_view data);
    bool SetString(std::wstring_view name, std::wstring_view text);
    bool SetBinary(std::wstring_view name, std::string_view bytes);
    bool SetDword(std::wstring_view name, DWORD value);
    // False when the value did not exist.
    bool DeleteValue(std::wstring_view name);

  private:
    explicit RegistryKey(std::wstring path) : path_(std::move(path)) {}

    std::wstring path_;
};

}  // namespace platform
