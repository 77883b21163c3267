// TimerManager::AutoDeleteForSpace: room in the viewer's recording folder for what the slots
// record.
#include <algorithm>
#include <limits>
#include <mutex>

#include "shared/friio_save_path.h"
#include "timer_core/housekeeping/record_folder.h"
#include "timer_core/scheduling/reserve_time.h"
#include "timer_core/scheduling/timer_manager.h"
#include "timer_core/scheduling/timer_manager_state.h"
#include "timer_core/scheduling/tuner_group.h"

namespace timer_core {
namespace {

// Channel values of the frequencies from 12291 MHz up ((MHz << 16) | TSID), whose recordings
// take about twice the space.
constexpr std::uint32_t kDoubleRateChannels = 0x30030000;

// Whole minutes the reservation still needs: from now when it has begun, else all of it (a
// recording past its end needs nothing or less).
std::int64_t MinutesStillNeeded(const ReserveEntry& entry) {
    const auto start = static_cast<std::int64_t>(LocalFileTime(entry.start));
    const auto end = static_cast<std::int64_t>(ReserveEndFileTime(entry));
    const auto now = static_cast<std::int64_t>(LocalNowFileTime());
    const std::int64_t span = now > start ? end - now : end - start;
    return span / static_cast<std::int64_t>(kFileTimePerMinute);
}

}  // namespace

void TimerManager::AutoDeleteForSpace() {
    if (Settings().AutoDel != 1) return;
    std::wstring folder;
    if (shared::ReadFriioSavePath(&folder) != 1 || folder.empty()) return;
    RecordFolder recordings;
    recordings.SetPath(folder);
    recordings.Scan();

    // Summed wide and clamped: a stored length of millions of minutes must not wrap around into
    // a small figure.
    std::int64_t minutes = 0;
    {
        const std::lock_guard lock(state_->dataLock);
        for (const auto& slot : state_->group1Slots) {
            if (slot->currentReserve) minutes += MinutesStillNeeded(*slot->currentReserve);
        }
        for (const auto& slot : state_->group2Slots) {
            if (!slot->currentReserve) continue;
            const ReserveEntry& entry = *slot->currentReserve;
            const std::int64_t needed = MinutesStillNeeded(entry);
            const bool doubleRate =
                static_cast<std::uint32_t>(entry.channelValue) >= kDoubleRateChannels;
            minutes += doubleRate ? 2 * needed : needed;
        }
    }
    recordings.EnsureFreeSpace(
        static_cast<int>(std::clamp<std::int64_t>(minutes, std::numeric_limits<std::int32_t>::min(),
                                                  std::numeric_limits<std::int32_t>::max())));
}

}  // namespace timer_core
