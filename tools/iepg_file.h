// An iEPG file of one programme (the digital form, version 2) as a broadcaster's web page hands
// it out and a browser passes it to the timer: Shift-JIS with CR LF.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "platform/system_time.h"

namespace tools {

struct IepgProgramme {
    // "DFS" + the service id in five hexadecimal digits for terrestrial ("DFS00400"), "BSDT" +
    // the service id in decimal for BS ("BSDT101").
    std::wstring station;
    std::wstring stationName;
    std::wstring title;
    platform::SYSTEMTIME start{};
    int minutes = 0;
    std::uint16_t eventId = 0;
};

std::string IepgFileText(const IepgProgramme& programme);

// Writes the file; false when it could not be written.
bool WriteIepgFile(const std::filesystem::path& path, const IepgProgramme& programme);

}  // namespace tools
