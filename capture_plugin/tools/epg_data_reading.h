// Reads a collected EPG data file (ch<channel>_epg.dat: the SI packets of one channel, raw) back
// into an EPG store, the way the timer loads it: every packet through an SI capture context that
// takes the services and schedules of every transport stream the file carries.
#pragma once

#include <cstdint>
#include <string>

#include "broadcast/epg_store.h"

namespace capture_tools {

struct EpgDataFile {
    bool read = false;
    std::uint64_t bytes = 0;
    int transportStreamId = 0;        // of the last PAT in the file
    std::uint64_t broadcastTime = 0;  // of the last TDT/TOT; 0 when none
};

EpgDataFile ReadEpgDataFile(const std::wstring& path, broadcast::EpgStore* store);

}  // namespace capture_tools
