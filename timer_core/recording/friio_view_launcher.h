// Starts the viewer FriioView, one process per tuner device, with the command lines the timer
// uses, and keeps the viewer's window positions ("VideoWindowPos", "ControlWindowPos" under
// "Software\Friio") so that its users can put them back after closing the viewers they started.
// One launcher per use, local to the thread that uses it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/event.h"
#include "platform/win_types.h"

namespace timer_core {

class FriioViewLauncher {
  public:
    FriioViewLauncher() = default;
    FriioViewLauncher(const FriioViewLauncher&) = delete;
    FriioViewLauncher& operator=(const FriioViewLauncher&) = delete;

    // The viewer program (the FriioViewPath setting).
    void SetPath(const std::wstring& path) { path_ = path; }
    // The caller's stop event: the pause a start makes before it looks for the new process ends
    // as soon as it is signalled (the created process id is then given as it is).
    void SetStopEvent(const platform::Event& stop) { stop_ = stop; }

    // Each start: 0 with an empty path and nothing started; otherwise 1, also when the process
    // could not be created (the process id is then left as it was). With `pid`, the start pauses
    // 500 ms and gives the id of the viewer that runs then: the created process when it still is
    // a viewer, else the first viewer that did not run before the start (a viewer that handed
    // over to a second process); left as it was when there is none.
    // " -n -o <device>": a viewer for EPG collection.
    int StartForEpg(int device, platform::DWORD* pid = nullptr);
    // " -n -c <channel> -o <device>": a viewer tuned to the channel value.
    int StartOnChannel(std::uint32_t channel, int device, platform::DWORD* pid = nullptr);
    // " -n -c <channel> -r <minutes> -x -f "<file>" -d <dValue> [-e] -o <device>": a recording of
    // `minutes` into `fileName` (a name without folder, sanitised by the caller: it is written
    // between double quotes as it is); -e (the viewer's error log) unless noErrLog is 1.
    int StartRecording(int dValue, int minutes, platform::DWORD* pid, std::uint32_t channel,
                       const std::wstring& fileName, int device, int noErrLog);

    // Reads both window positions afresh; 0 when the key cannot be opened (both then empty). A
    // missing value leaves its position empty.
    int LoadWindowPos();
    // Writes both positions back as REG_BINARY, over whatever the viewer wrote meanwhile; 0
    // without a video window position or when the key cannot be opened or written.
    int SaveWindowPos();

  private:
    int Start(const std::wstring& tail, platform::DWORD* pid);

    std::wstring path_;
    std::string videoWindowPos_;    // the value's bytes; empty: none
    std::string controlWindowPos_;  // the value's bytes; empty: none
    std::optional<platform::Event> stop_;
};

}  // namespace timer_core
