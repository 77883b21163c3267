// Finding and ending viewer processes. A viewer process is one whose image name is
// "FriioView.exe", compared without regard to case (the stand-in's executable "FriioView"
// matches). Snapshots come from platform::TakeProcessSnapshot; an empty snapshot (it could not be
// taken) counts as no viewer running.
#pragma once

#include <string_view>
#include <vector>

#include "platform/event.h"
#include "platform/process_snapshot.h"
#include "platform/win_types.h"

namespace timer_core {

inline constexpr std::wstring_view kFriioViewImageName = L"FriioView.exe";

using ProcessSnapshot = std::vector<platform::ProcessEntry>;

// 1 when any process of the snapshot is a viewer.
int IsFriioViewRunning(const ProcessSnapshot& snapshot);

// Takes a snapshot and appends the id of every viewer process to `out`, in snapshot order; 1 when
// at least one was found.
int ListFriioViewPids(std::vector<platform::DWORD>* out);

// 1 when `pid` belongs to a viewer process of the snapshot.
int IsFriioViewPid(platform::DWORD pid, const ProcessSnapshot& snapshot);
// 1 when `pid` belongs to a viewer process of a snapshot taken now; reads that process alone.
int IsFriioViewPid(platform::DWORD pid);

// Waits for a viewer that was asked to close: up to 9 checks 1000 ms apart whether `pid` is
// still a viewer process, returning as soon as it is not; after the 9th check the process is
// terminated and given 1000 ms more. With a stop event, every wait ends as soon as it is
// signalled and the function returns at once, leaving the process as it is: the thread that
// stops does not wait for viewers, and a viewer left running is closed by the next thread that
// sweeps for viewers no slot owns.
void TerminateViewer(platform::DWORD pid, const platform::Event* stop = nullptr);

}  // namespace timer_core
