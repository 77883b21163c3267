#include "capture_plugin/broadcast_clock.h"

#include "capture_plugin/capture_texts.h"
#include "platform/clock.h"
#include "platform/debug_output.h"
#include "platform/system_time.h"

namespace capture_plugin {

std::optional<std::int32_t> BroadcastClock::SetBroadcastTimeOffset(std::uint64_t broadcastTime,
                                                                   std::uint64_t localNow) {
    if (broadcastTime == lastBroadcastTime_) return std::nullopt;
    const std::int64_t difference =
        static_cast<std::int64_t>(broadcastTime) - static_cast<std::int64_t>(localNow);
    const auto offset = static_cast<std::int32_t>(
        difference / static_cast<std::int64_t>(platform::kFileTimePerSecond));
    const bool publish = lastBroadcastTime_ == 0 || offset != Offset();
    offset_.store(offset, std::memory_order_relaxed);
    lastBroadcastTime_ = broadcastTime;
    if (!publish) return std::nullopt;
    return offset;
}

bool ClockSyncAllowed(const ClockSyncConditions& conditions) {
    return conditions.timeSync == 1 && conditions.offset != 0 && conditions.recordingFlag == 0 &&
           conditions.statusText.find(kCollectionRunningText) == std::wstring_view::npos;
}

bool SyncClock(const ClockSyncConditions& conditions) {
    if (!ClockSyncAllowed(conditions)) return false;
    platform::SYSTEMTIME now;
    platform::GetLocalTime(&now);
    platform::SYSTEMTIME corrected;
    const std::int64_t units = static_cast<std::int64_t>(conditions.offset) *
                               static_cast<std::int64_t>(platform::kFileTimePerSecond);
    if (!platform::AddToSystemTime(now, units, &corrected)) return false;
    platform::SetLocalTime(&corrected);
    platform::OutputDebugStringW(L"SyncTime\r\n");
    return true;
}

}  // namespace capture_plugin
