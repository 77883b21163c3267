// The timer's messages to the capture plug-in of one viewer process. Each operation reads the
// plug-in window that the plug-in published under the viewer's process id (PostHwnd) and posts
// the message there. The result says whether that object could be read: 1 also when it holds no
// window (then nothing is posted) and whatever the post itself gave; 0 when the viewer has no
// plug-in, or the plug-in has not published its window yet. Nothing waits; any thread may call.
#pragma once

#include <cstdint>

#include "platform/win_types.h"

namespace shared {

// 0x432: start the EPG collection (the timed EPG acquisition).
int PostPluginStartCapture(platform::DWORD pid);
// 0x433: cancel a running collection (a recording needs the tuner).
int PostPluginCancelCapture(platform::DWORD pid);
// 0x434: the plug-in asks its viewer to close itself.
int PostPluginCloseViewer(platform::DWORD pid);
// 0x43C: tune to the channel value and service.
int PostPluginSetChannel(platform::DWORD pid, std::uint32_t channel, std::uint16_t serviceId);
// 0x43D: start recording the published record request on the channel value and service.
int PostPluginStartRec(platform::DWORD pid, std::uint32_t channel, std::uint16_t serviceId);
// 0x43E: stop the recording.
int PostPluginStopRec(platform::DWORD pid);
// 0x43F: the recording's planned length changed; whole minutes and margin seconds in the units
// of the record request's fields, which the plug-in turns into the viewer's adjustment.
int PostPluginUpdateRecLength(platform::DWORD pid, std::uint32_t minutes,
                              std::int32_t marginSeconds);
// 0x440: write the programme text file of the recording.
int PostPluginRequestProgramText(platform::DWORD pid);

// Whether the published plug-in window hangs (IsHungAppWindow); 0 when the object cannot be read
// or holds no window.
int IsPluginWindowHung(platform::DWORD pid);

}  // namespace shared
