// Readers of the shared-memory objects. Each opens the object for reading, copies it whole into
// the out value and closes it again at once: 1 when read, 0 when the object does not exist or
// cannot be mapped, and then the out value is left as it was. Readers never create objects.
#pragma once

#include <cstdint>

#include "shared/shared_memory_layouts.h"

namespace shared {

// The plug-in's side.
int ReadRecSharedMemory(platform::DWORD pid, RecordRequest* out);

// The timer's side.
int ReadPluginEvent(platform::DWORD pid, PluginEventInfo* out);
int ReadPluginStatus(platform::DWORD pid, std::int32_t* out);
int ReadPluginFriioId(platform::DWORD pid, std::int32_t* out);
int ReadPluginTime(platform::DWORD pid, std::int32_t* out);
// The plug-in window published for that viewer process (PostHwnd).
int ReadPluginPostHwnd(platform::DWORD pid, platform::HWND* out);
// The running timer's main window (PostTimerHwnd), read by a second timer instance.
int ReadPostTimerHwnd(platform::HWND* out);

}  // namespace shared
