// TimerManager::AssignGroup1 and AssignGroup2: a tuner for one reservation, or a place behind,
// or instead of, another one.
#include <cwchar>
#include <map>
#include <mutex>

#include "timer_core/scheduling/reserve_time.h"
#include "timer_core/scheduling/timer_manager.h"
#include "timer_core/scheduling/timer_manager_state.h"
#include "timer_core/scheduling/tuner_group.h"

namespace timer_core {
namespace {

constexpr std::uint64_t kPostponedComesBack = 2 * kFileTimePerMinute;

// Ranking key -> slot index; the first entries hold the lowest priority and, among equal
// priorities, the earliest end. Equal keys keep slot order.
using Ranking = std::multimap<std::wstring, std::size_t>;

// "%d%04d%02d%02d%02d%02d": priority, then the end's year, month, day, hour and minute.
std::wstring RankingKey(const ReserveEntry& entry) {
    const platform::SYSTEMTIME end = LocalSystemTime(ReserveEndFileTime(entry));
    wchar_t key[48];
    std::swprintf(key, 48, L"%d%04d%02d%02d%02d%02d", entry.priority, end.wYear, end.wMonth,
                  end.wDay, end.wHour, end.wMinute);
    return key;
}

// The working collections of the slots of R's group, built for R (start S, end E).
struct WorkingCollections {
    Ranking sameStart;         // P starts at S
    Ranking overlapped;        // unchained, P starts before S and S <= P's end
    Ranking unchained;         // keyed by P
    Ranking chained;           // keyed by H
    Ranking chainedSameStart;  // H starts at S, keyed by H
};

WorkingCollections Collect(const std::vector<std::shared_ptr<RecThreadSlot>>& slots,
                           std::uint64_t start) {
    WorkingCollections lists;
    for (std::size_t i = 0; i < slots.size(); ++i) {
        const RecThreadSlot& slot = *slots[i];
        // A slot whose thread already let go of its reservation is finishing: it takes no part.
        if (!slot.currentReserve) continue;
        const ReserveEntry& current = *slot.currentReserve;
        const std::uint64_t currentStart = LocalFileTime(current.start);
        const bool chained = slot.chainedFlag != 0 && slot.chainedReserve;
        if (currentStart == start) lists.sameStart.emplace(RankingKey(current), i);
        if (!chained) {
            if (currentStart < start && start <= ReserveEndFileTime(current)) {
                lists.overlapped.emplace(RankingKey(current), i);
            }
            lists.unchained.emplace(RankingKey(current), i);
        } else {
            const ReserveEntry& next = *slot.chainedReserve;
            lists.chained.emplace(RankingKey(next), i);
            if (LocalFileTime(next.start) == start) {
                lists.chainedSameStart.emplace(RankingKey(next), i);
            }
        }
    }
    return lists;
}

// The first slot of the ranking whose reservation (current or chained) satisfies `accepts`.
template <class Accepts>
RecThreadSlot* FirstAccepted(const Ranking& ranking,
                             const std::vector<std::shared_ptr<RecThreadSlot>>& slots,
                             Accepts accepts) {
    for (const auto& [key, index] : ranking) {
        if (accepts(*slots[index])) return slots[index].get();
    }
    return nullptr;
}

void Chain(RecThreadSlot& slot, const std::shared_ptr<ReserveEntry>& reserve) {
    slot.chainedReserve = reserve;
    slot.chainedFlag = 1;
    reserve->assigned = 1;
}

}  // namespace

int TimerManager::AssignGroup1(const std::shared_ptr<ReserveEntry>& reserve) {
    return AssignToGroup(kTerrestrialGroup, reserve);
}

int TimerManager::AssignGroup2(const std::shared_ptr<ReserveEntry>& reserve) {
    return AssignToGroup(kSatelliteGroup, reserve);
}

int TimerManager::AssignToGroup(int group, const std::shared_ptr<ReserveEntry>& reserve) {
    const std::lock_guard lock(state_->dataLock);
    if (TunerGroupOf(reserve->channelValue) != group) {
        return group == kTerrestrialGroup ? AssignGroup2(reserve) : AssignGroup1(reserve);
    }
    const std::int32_t tuners = state_->settings.TunerCountOf(group);
    if (tuners < 1) return 0;
    // A group left with more slots than tuners (the count was lowered while they record) takes
    // the all-busy path: another slot would find no free device.
    if (GroupSlots(group).size() < static_cast<std::size_t>(tuners)) {
        OpenSlot(group, reserve);
    } else {
        PlaceWhenAllBusy(group, reserve);
    }
    return 1;
}

void TimerManager::OpenSlot(int group, const std::shared_ptr<ReserveEntry>& reserve) {
    auto slot = std::make_shared<RecThreadSlot>();
    slot->currentReserve = reserve;
    platform::ResetEvent(slot->stopEvent);
    slot->owner = ShareWithThread();
    // The thread holds its slot (and through it the manager's state) until it returns; the slot
    // lets go of the thread object when it is stopped, which breaks the cycle.
    slot->thread = std::make_unique<platform::Thread>(
        [slot, procedure = state_->recordProcedure]() -> platform::DWORD {
            return procedure ? procedure(slot) : 0;
        },
        true);
    slot->thread->Resume();
    GroupSlots(group).push_back(slot);
    reserve->assigned = 1;
}

void TimerManager::PlaceWhenAllBusy(int group, const std::shared_ptr<ReserveEntry>& reserve) {
    const auto& slots = GroupSlots(group);
    const std::uint64_t start = LocalFileTime(reserve->start);
    const std::uint64_t end = ReserveEndFileTime(*reserve);
    const WorkingCollections lists = Collect(slots, start);
    const auto currentBelowR = [&](const RecThreadSlot& slot) {
        return slot.currentReserve->priority < reserve->priority;
    };

    // Every slot starts with R: R displaces the weakest lower-priority reservation, or waits.
    if (lists.sameStart.size() == slots.size()) {
        if (RecThreadSlot* slot = FirstAccepted(lists.sameStart, slots, currentBelowR)) {
            const std::shared_ptr<ReserveEntry> displaced = std::move(slot->currentReserve);
            // A postponed programme is looked for again two minutes later.
            if (displaced->postponed == 1) {
                displaced->start =
                    LocalSystemTime(LocalFileTime(displaced->start) + kPostponedComesBack);
            }
            slot->currentReserve = reserve;
            reserve->assigned = 1;
            DropReserve(displaced);
        }
        return;
    }
    if (!lists.sameStart.empty() && !lists.overlapped.empty()) {
        if (RecThreadSlot* slot = FirstAccepted(lists.overlapped, slots, currentBelowR)) {
            Chain(*slot, reserve);
            return;
        }
    }
    const bool allChainedAtStart =
        !lists.chained.empty() && lists.chainedSameStart.size() == lists.chained.size();
    const Ranking& chainable = allChainedAtStart ? lists.overlapped : lists.unchained;
    RecThreadSlot* behind = FirstAccepted(chainable, slots, [&](const RecThreadSlot& slot) {
        const ReserveEntry& current = *slot.currentReserve;
        return ReserveEndFileTime(current) < end || current.priority <= reserve->priority;
    });
    if (behind != nullptr) {
        Chain(*behind, reserve);
        return;
    }
    RecThreadSlot* replaced =
        FirstAccepted(lists.chainedSameStart, slots, [&](const RecThreadSlot& slot) {
            return slot.chainedReserve->priority < reserve->priority;
        });
    if (replaced != nullptr) {
        const std::shared_ptr<ReserveEntry> dropped = std::move(replaced->chainedReserve);
        Chain(*replaced, reserve);
        DropReserve(dropped);
    }
}

}  // namespace timer_core
