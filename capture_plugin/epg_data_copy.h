// The copy of a collected EPG data file into the timer's data folder,
// <Documents>/Orvandel/EpgData, where the timer loads it from.
#pragma once

#include <string>
#include <string_view>

namespace capture_plugin {

// <documents>/Orvandel/EpgData/<fileName>
std::wstring EpgDataPath(std::wstring_view documentsFolder, std::wstring_view fileName);

// Replaces <EpgData>/<fileName> whole with the source file, creating the EpgData folder when it
// is missing. Nothing is copied when the source is that file itself (names compared without
// case). The result tells whether the copy is in place.
bool CopyToEpgData(std::wstring_view sourcePath, std::wstring_view documentsFolder,
                   std::wstring_view fileName);

}  // namespace capture_plugin
