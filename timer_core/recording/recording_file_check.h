// Whether a recording left anything behind: the file the viewer records into, looked at when the
// recording is asked for and again at its end. A viewer that hung, was stopped or never began
// leaves its file missing, empty or as an earlier recording of that name left it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/system_time.h"

namespace timer_core {

class RecordingFileCheck {
  public:
    // Notes the file of that name as it is now, before the viewer is asked to record into it.
    // The file lies in the viewer's recording folder; without one, a viewer that records by
    // itself uses the Documents folder, and a recording through the plug-in a name of the
    // viewer's own, which nobody can check.
    void Begin(const std::wstring& name, bool throughPlugIn);

    // False when the file is missing, empty or unchanged since Begin (true when it cannot be
    // known). The path looked at, for the debug line.
    bool HoldsRecording() const;
    const std::wstring& Path() const { return path_; }

  private:
    struct State {
        std::uint64_t size = 0;
        platform::FILETIME written{};
    };
    // The file at the first of the paths the viewer may have used (a name too long for the file
    // system is shortened, with room for the files that go beside it).
    std::optional<State> Look() const;

    std::vector<std::wstring> paths_;
    std::wstring path_;
    std::optional<State> before_;
};

}  // namespace timer_core
