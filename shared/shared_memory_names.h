// The names and sizes of the shared-memory objects between the capture plug-in and the timer.
// Objects of one viewer add that viewer's process id, zero-padded to at least six digits; longer
// ids are written in full.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/win_types.h"

namespace shared {

inline constexpr std::string_view kNowDataName = "Global\\QuorvantelNowData";
inline constexpr std::string_view kNextDataName = "Global\\QuorvantelNextData";
inline constexpr std::string_view kPostTimerHwndName = "Global\\QuorvantelPostTimerHwnd";
inline constexpr std::string_view kEventPrefix = "Global\\QuorvantelEVENT";
inline constexpr std::string_view kRecPrefix = "Global\\QuorvantelREC";
inline constexpr std::string_view kPostHwndPrefix = "Global\\QuorvantelPostHwnd";
inline constexpr std::string_view kStatusPrefix = "Global\\QuorvantelStatus";
inline constexpr std::string_view kFriioIdPrefix = "Global\\QuorvantelFriioID";
inline constexpr std::string_view kTimePrefix = "Global\\QuorvantelTime";

inline constexpr std::size_t kProgramTextSize = 2048;  // NowData, NextData
inline constexpr std::size_t kHandleObjectSize = 4;    // PostTimerHwnd, PostHwnd
inline constexpr std::size_t kInt32ObjectSize = 4;     // Status, FriioID, Time

// prefix + "%06d" of the process id.
std::string ObjectNameForProcess(std::string_view prefix, platform::DWORD pid);

}  // namespace shared
