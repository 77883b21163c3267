// The timer has no tuner of its own: its programme guide is rebuilt from the packet files
// ch<channel>_epg.dat that the capture plug-in leaves in the EPG data folder (the raw SI packets
// of one channel's collection). Each file is replayed through a fresh FileSiCapture into one
// EpgStore, which the keyword search, the automatic reservations and the dialogs then read.
#pragma once

#include <string>

#include "broadcast/epg_store.h"

namespace timer_core {

// <Documents>/Orvandel/EpgData
std::wstring EpgDataFolder();

// Loads every "*_epg.dat" file of the folder (directories passed over) into the store, in
// ascending order of the file names; a file that does not open is skipped. Each file stops early
// once its schedules are complete. Returns 1 when every file was read, also when the pattern
// matched only entries that are passed over; 0 for an empty folder string, when the pattern
// matches nothing, or at once when a read fails (what was loaded until then stays in the store).
// The caller empties the store first.
int LoadEpgDataFiles(const std::wstring& folder, broadcast::EpgStore& store);

}  // namespace timer_core
