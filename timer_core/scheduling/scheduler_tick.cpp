// TimerManager::Tick: which reservations of the next three hours get a record thread now.
#include <cwchar>
#include <map>
#include <mutex>

#include "timer_core/scheduling/reserve_time.h"
#include "timer_core/scheduling/timer_manager.h"
#include "timer_core/scheduling/timer_manager_state.h"
#include "timer_core/scheduling/tuner_group.h"

namespace timer_core {
namespace {

constexpr std::uint64_t kHorizon = 3 * kFileTimePerHour;
constexpr std::uint64_t kGap = 10 * platform::kFileTimePerSecond;
constexpr std::uint64_t kStartingSoon = 60 * platform::kFileTimePerSecond;

using SlotList = std::vector<std::shared_ptr<RecThreadSlot>>;
using ReleasedSlots = std::vector<std::shared_ptr<RecThreadSlot>>;

// The latest end and the latest start among what a group's slots record and have chained; 0 for
// a group without slots.
struct GroupPlan {
    std::uint64_t latestEnd = 0;
    std::uint64_t latestStart = 0;

    void Include(const ReserveEntry& entry) {
        latestEnd = std::max(latestEnd, ReserveEndFileTime(entry));
        latestStart = std::max(latestStart, LocalFileTime(entry.start));
    }
};

GroupPlan PlanOf(const SlotList& slots) {
    GroupPlan plan;
    for (const auto& slot : slots) {
        if (slot->currentReserve) plan.Include(*slot->currentReserve);
        if (slot->chainedFlag == 1 && slot->chainedReserve) plan.Include(*slot->chainedReserve);
    }
    return plan;
}

// Start minute, then the highest priority first, then the lowest channel value.
std::wstring CandidateKey(const ReserveEntry& entry) {
    wchar_t key[48];
    std::swprintf(key, 48, L"%04d%02d%02d%02d%02d%01d%08X", entry.start.wYear, entry.start.wMonth,
                  entry.start.wDay, entry.start.wHour, entry.start.wMinute, 5 - entry.priority,
                  static_cast<unsigned>(entry.channelValue));
    return key;
}

bool StartsAfter(const ReserveEntry& entry, std::uint64_t time) {
    return LocalFileTime(entry.start) > time;
}

}  // namespace

int TimerManager::Tick(int mode) {
    ReleasedSlots released;
    {
        const std::lock_guard lock(state_->dataLock);
        ReapEndedSlots(released);
    }
    StopReleased(released);
    NextWakeUp(false);  // the tick only re-arms

    std::unique_lock lock(state_->dataLock);
    const std::uint64_t now = LocalNowFileTime();
    if (mode == 1) {
        // Everything that does not begin within the next minute goes back to planning.
        for (int group : {kTerrestrialGroup, kSatelliteGroup}) {
            SlotList& slots = GroupSlots(group);
            for (std::size_t i = slots.size(); i-- > 0;) {
                RecThreadSlot& slot = *slots[i];
                if (slot.chainedFlag == 1 && slot.chainedReserve &&
                    StartsAfter(*slot.chainedReserve, now + kStartingSoon)) {
                    DropChained(slot);
                }
                if (slot.currentReserve && StartsAfter(*slot.currentReserve, now + kStartingSoon)) {
                    released.push_back(ReleaseSlot(group, i));
                }
            }
        }
        lock.unlock();
        StopReleased(released);
        lock.lock();
    }

    const std::wstring nowKey = StartKey(LocalSystemTime(now));
    const std::wstring horizonKey = StartKey(LocalSystemTime(now + kHorizon));
    const auto window = state_->reservations.FiledBetween(nowKey, horizonKey);
    if (window.empty()) return 0;

    GroupPlan plans[2] = {PlanOf(state_->group1Slots), PlanOf(state_->group2Slots)};
    std::multimap<std::wstring, std::shared_ptr<ReserveEntry>> candidates;
    for (const auto& reserve : window) {
        if (reserve->assigned != 0) continue;
        const std::uint64_t start = LocalFileTime(reserve->start);
        if (start == 0) continue;  // no valid date: nothing can be recorded
        const std::uint64_t end = ReserveEndFileTime(*reserve);
        const int group = TunerGroupOf(reserve->channelValue);
        GroupPlan& plan = plans[group - 1];

        if (start < plan.latestStart) {
            // A reservation before planned ones: they are released and planned again after it.
            SlotList& slots = GroupSlots(group);
            for (std::size_t i = slots.size(); i-- > 0;) {
                RecThreadSlot& slot = *slots[i];
                if (slot.chainedFlag == 1 && slot.chainedReserve &&
                    StartsAfter(*slot.chainedReserve, std::max(start, now))) {
                    DropChained(slot);
                }
                if (slot.currentReserve &&
                    StartsAfter(*slot.currentReserve, std::max(start, now))) {
                    released.push_back(ReleaseSlot(group, i));
                }
            }
            lock.unlock();
            StopReleased(released);
            lock.lock();
            plan = PlanOf(slots);
        }

        if (plan.latestEnd == 0) {
            plan.latestEnd = end;
        } else if (plan.latestEnd + kGap < start) {
            break;  // this and everything after it wait for a later tick
        }
        candidates.emplace(CandidateKey(*reserve), reserve);
    }

    if (candidates.empty()) {
        lock.unlock();
        DumpSlots();
        return 0;
    }
    for (const auto& [key, reserve] : candidates) {
        if (TunerGroupOf(reserve->channelValue) == kTerrestrialGroup) {
            AssignGroup1(reserve);
        } else {
            AssignGroup2(reserve);
        }
    }
    lock.unlock();
    AutoDeleteForSpace();
    DumpSlots();
    return 1;
}

}  // namespace timer_core
