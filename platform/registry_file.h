// The text form of the current user's registry: one file holding every key and value.
//
//   [Software\Friio]
//   "SavePath"=sz:"/home/me/Videos"
//   "VideoWindowPos"=hex:2c,00,00,00
//   "TunerCount"=dword:00000002
//
// A REG_SZ value whose bytes are not a UTF-16LE text with one terminating zero, a REG_DWORD that
// is not 4 bytes, and values of other types are kept exactly as "hex(<type>):..". In names and
// texts (UTF-8), the bytes of % " ] and control characters are written as %XX. Unreadable lines
// are skipped.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/win_types.h"

namespace platform {

inline constexpr DWORD REG_NONE = 0;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;

// REG_DWORD data: 4 bytes, little-endian.
std::string DwordBytes(DWORD value);
DWORD DwordFromBytes(std::string_view fourBytes);

struct RegistryValue {
    std::wstring name;
    DWORD type = REG_NONE;
    std::string data;  // the bytes as Windows stores them (REG_SZ: UTF-16LE with its zero)
};

struct RegistryKeyData {
    std::wstring path;  // "Software\Friio": no leading, trailing or doubled backslash
    std::vector<RegistryValue> values;
};

class RegistryData {
  public:
    static RegistryData Parse(std::string_view text);
    std::string Serialize() const;

    // Keys and value names compare without regard to case. A key exists when it was created or
    // when one of its subkeys was.
    bool KeyExists(std::wstring_view path) const;
    const RegistryValue* FindValue(std::wstring_view path, std::wstring_view name) const;
    void CreateKey(std::wstring_view path);
    void SetValue(std::wstring_view path, RegistryValue value);
    bool DeleteValue(std::wstring_view path, std::wstring_view name);

    // "\Software\\Friio\" -> "Software\Friio".
    static std::wstring NormalizePath(std::wstring_view path);

  private:
    RegistryKeyData* FindKey(std::wstring_view path);
    const RegistryKeyData* FindKey(std::wstring_view path) const;

    std::vector<RegistryKeyData> keys_;
};

}  // namespace platform
