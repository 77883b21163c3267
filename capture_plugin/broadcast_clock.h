// The broadcast clock against the PC clock: the capture worker hands in every broadcast time it
// sees and the offset (broadcast minus local, whole seconds) is published for the timer; the
// window's clock timer may then move the PC clock by that offset, but only when the user asked
// for it (TimeSync 1), the offset is not 0, the host is not recording and no EPG collection runs.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string_view>

namespace capture_plugin {

class BroadcastClock {
  public:
    // Capture worker thread. `broadcastTime` and `localNow` are FILETIME values. Returns the
    // offset to publish (the first value, or one that differs from the stored offset), nullopt
    // when there is nothing to publish. A value equal to the last broadcast time is ignored.
    std::optional<std::int32_t> SetBroadcastTimeOffset(std::uint64_t broadcastTime,
                                                       std::uint64_t localNow);

    // Any thread.
    std::int32_t Offset() const { return offset_.load(std::memory_order_relaxed); }

  private:
    std::uint64_t lastBroadcastTime_ = 0;  // worker thread only
    std::atomic<std::int32_t> offset_{0};
};

// What the clock timer checks, in this order.
struct ClockSyncConditions {
    std::int32_t timeSync = 0;
    std::int32_t offset = 0;
    std::int32_t recordingFlag = 0;  // of the last status poll
    std::wstring_view statusText;    // of the window's status edit: no correction while it
                                     // holds the first line of the collection text
};

bool ClockSyncAllowed(const ClockSyncConditions& conditions);

// The clock timer's job: when allowed, moves the local clock by the offset (SetLocalTime, which
// under the simulated clock moves only the simulated one) and writes "SyncTime". Returns whether
// the clock was set.
bool SyncClock(const ClockSyncConditions& conditions);

}  // namespace capture_plugin
