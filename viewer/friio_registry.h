// The viewer's values under HKCU "Software\Friio": "Area" (the channels.ini section of the
// terrestrial area), "SavePath" (the recording folder) and the window positions
// "VideoWindowPos" and "ControlWindowPos", each a RECT (left, top, right, bottom as 32-bit
// little-endian integers, screen coordinates).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace viewer {

struct WindowRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

// The value, empty when the key or the value is missing.
std::wstring ReadFriioString(const wchar_t* name);
// Writes the value, creating the key; false when the registry cannot be written.
bool WriteFriioString(const wchar_t* name, const std::wstring& value);

// nullopt when missing or not 16 bytes long.
std::optional<WindowRect> ReadWindowPos(const wchar_t* name);
bool WriteWindowPos(const wchar_t* name, const WindowRect& rect);

inline constexpr const wchar_t* kAreaValue = L"Area";
inline constexpr const wchar_t* kSavePathValue = L"SavePath";
inline constexpr const wchar_t* kVideoWindowPosValue = L"VideoWindowPos";
inline constexpr const wchar_t* kControlWindowPosValue = L"ControlWindowPos";

}  // namespace viewer
