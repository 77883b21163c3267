// TimerManager::CheckOverlaps: the report of reservations that more tuners than a group has would
// be needed for.
#include <algorithm>
#include <limits>
#include <mutex>
#include <vector>

#include "timer_core/scheduling/reserve_time.h"
#include "timer_core/scheduling/timer_manager.h"
#include "timer_core/scheduling/timer_manager_state.h"
#include "timer_core/scheduling/tuner_group.h"

namespace timer_core {
namespace {

// One reservation of the start index with its times worked out once.
struct Timed {
    const ReserveEntry* entry;
    std::uint64_t start;  // 0: no valid date
    std::uint64_t end;
    int group;
};

// "<range> <title>" of a reservation.
std::wstring Described(const Timed& timed) {
    std::wstring range;
    FormatReserveTimeRange(&range, timed.entry->start, LocalSystemTime(timed.end));
    return range + L" " + timed.entry->title;
}

}  // namespace

int TimerManager::CheckOverlaps(std::wstring* out) const {
    out->clear();
    const std::uint64_t now = LocalNowFileTime();
    const std::lock_guard lock(state_->dataLock);
    const TimerSettings& settings = state_->settings;

    std::vector<Timed> all;
    all.reserve(state_->reservations.Count());
    for (const ReserveEntry& entry : state_->reservations.Entries()) {
        all.push_back({&entry, LocalFileTime(entry.start), ReserveEndFileTime(entry),
                       TunerGroupOf(entry.channelValue)});
    }
    // The earliest start from each position on: the inner walk ends where nothing later can
    // begin before B ends (the index is in start order only to the minute and up to re-keyed
    // records, so the walk does not rely on it).
    std::vector<std::uint64_t> earliestFrom(all.size() + 1,
                                            std::numeric_limits<std::uint64_t>::max());
    for (std::size_t i = all.size(); i-- > 0;) {
        const std::uint64_t start =
            all[i].start == 0 ? std::numeric_limits<std::uint64_t>::max() : all[i].start;
        earliestFrom[i] = std::min(earliestFrom[i + 1], start);
    }

    for (std::size_t b = 0; b < all.size(); ++b) {
        const Timed& first = all[b];
        if (first.start == 0) continue;
        if (first.end < now && first.entry->postponed == 0) continue;
        std::vector<const Timed*> counted[2];
        for (std::size_t o = b + 1; o < all.size() && earliestFrom[o] < first.end; ++o) {
            const Timed& other = all[o];
            if (other.start == 0 || other.group != first.group) continue;
            if (first.start <= other.start && other.start < first.end) {
                counted[other.group - 1].push_back(&other);
            }
        }
        for (int group : {kTerrestrialGroup, kSatelliteGroup}) {
            const auto& overlapping = counted[group - 1];
            if (static_cast<std::int64_t>(overlapping.size()) < settings.TunerCountOf(group)) {
                continue;
            }
            for (const Timed* other : overlapping)
                *out += Described(first) + L" と " + Described(*other) + L"\r\n";
        }
    }
    if (out->empty()) return 1;
    *out += L"の時間が重なっています\r\n";
    return 0;
}

}  // namespace timer_core
