// The timer's data folder, <Documents>/Orvandel (channel tables, Program.txt, AutoSearch.txt),
// and its EPG data folder, <Documents>/Orvandel/EpgData: the capture plug-in copies each
// collected ch<channel>_epg.dat there and the timer loads them from it.
#pragma once

#include <string>
#include <string_view>

namespace shared {

// <documentsFolder>/Orvandel
std::wstring TimerDataFolder(std::wstring_view documentsFolder);

// <documentsFolder>/Orvandel/EpgData
std::wstring EpgDataFolder(std::wstring_view documentsFolder);

}  // namespace shared
