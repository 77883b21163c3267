// The user's windows, visible to all of the user's processes (per ORVANDEL_NAMESPACE): one small
// record file per window in the runtime folder, named by its HWND. A record names the owning
// process by id and start time, so records of dead processes are recognised, never returned, and
// removed. HWNDs are 32-bit, never 0 and unique among the user's live windows.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/win_types.h"

namespace platform {

struct WindowRecord {
    HWND hwnd = 0;
    DWORD pid = 0;
    std::uint64_t processStart = 0;
    DWORD tid = 0;
    HWND owner = 0;
    bool visible = false;
    std::uint64_t createdNs = 0;  // creation order (monotonic clock)
    std::wstring title;
    std::string narrowTitle;  // code page 932
};

namespace window_registry {

// Registers a window of the calling process under a fresh HWND; 0 on failure. Fills in hwnd,
// processStart, createdNs and narrowTitle.
HWND Register(WindowRecord& record);
void Unregister(HWND hwnd);
// Rewrites the record of a window of this process.
bool Update(const WindowRecord& record);
// The record of a live window; nullopt for unknown windows and windows of dead processes.
std::optional<WindowRecord> Find(HWND hwnd);
// Every live window, most recently created first.
std::vector<WindowRecord> All();

}  // namespace window_registry
}  // namespace platform
