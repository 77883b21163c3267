#include "shared/plugin_posts.h"

#include "platform/window_messages.h"
#include "shared/shared_memory_readers.h"
#include "shared/window_message_ids.h"

namespace shared {
namespace {

int PostToPlugin(platform::DWORD pid, platform::UINT message, platform::WPARAM wParam = 0,
                 platform::LPARAM lParam = 0) {
    platform::HWND window = 0;
    if (!ReadPluginPostHwnd(pid, &window)) return 0;
    // The post's own result does not matter to the callers: they only retry when the plug-in
    // could not be found.
    if (window != 0) platform::PostMessageW(window, message, wParam, lParam);
    return 1;
}

}  // namespace

int PostPluginStartCapture(platform::DWORD pid) {
    return PostToPlugin(pid, WM_CAPTURE_START);
}

int PostPluginCancelCapture(platform::DWORD pid) {
    return PostToPlugin(pid, WM_CAPTURE_CANCEL);
}

int PostPluginCloseViewer(platform::DWORD pid) {
    return PostToPlugin(pid, WM_VIEWER_CLOSE);
}

int PostPluginSetChannel(platform::DWORD pid, std::uint32_t channel, std::uint16_t serviceId) {
    return PostToPlugin(pid, WM_PLUGIN_TUNE, channel, serviceId);
}

int PostPluginStartRec(platform::DWORD pid, std::uint32_t channel, std::uint16_t serviceId) {
    return PostToPlugin(pid, WM_PLUGIN_REC_START, channel, serviceId);
}

int PostPluginStopRec(platform::DWORD pid) {
    return PostToPlugin(pid, WM_PLUGIN_REC_STOP);
}

int PostPluginUpdateRecLength(platform::DWORD pid, std::uint32_t minutes,
                              std::int32_t marginSeconds) {
    return PostToPlugin(pid, WM_PLUGIN_REC_LENGTH, minutes, marginSeconds);
}

int PostPluginRequestProgramText(platform::DWORD pid) {
    return PostToPlugin(pid, WM_PLUGIN_WRITE_PROGRAM_TEXT);
}

int IsPluginWindowHung(platform::DWORD pid) {
    platform::HWND window = 0;
    if (!ReadPluginPostHwnd(pid, &window) || window == 0) return 0;
    return platform::IsHungAppWindow(window) ? 1 : 0;
}

}  // namespace shared
