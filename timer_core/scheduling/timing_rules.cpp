// The reservation timing rules shared by the assignment, the record thread and the automatic
// reservations: effective duration, re-filing a minute early, adding unless known, follow limit.
#include <mutex>

#include "shared/text_lines.h"
#include "timer_core/scheduling/reserve_time.h"
#include "timer_core/scheduling/timer_manager.h"

namespace timer_core {
namespace {

constexpr std::int64_t kFollowLimit = 6 * static_cast<std::int64_t>(kFileTimePerHour);

// "year/month/day hour:minute" as the follow mode writes it; false when a separator is missing.
bool ParsePlannedStart(std::wstring_view text, platform::SYSTEMTIME* planned) {
    const std::size_t slash1 = text.find(L'/');
    if (slash1 == text.npos) return false;
    const std::size_t slash2 = text.find(L'/', slash1 + 1);
    if (slash2 == text.npos) return false;
    const std::wstring_view rest = text.substr(slash2 + 1);
    const std::size_t blank = rest.find(L' ');
    if (blank == rest.npos) return false;
    const std::wstring_view clock = rest.substr(blank + 1);
    const std::size_t colon = clock.find(L':');
    if (colon == clock.npos) return false;
    *planned = platform::SYSTEMTIME{};
    planned->wYear = static_cast<platform::WORD>(shared::LeadingDecimal(text.substr(0, slash1)));
    planned->wMonth = static_cast<platform::WORD>(
        shared::LeadingDecimal(text.substr(slash1 + 1, slash2 - slash1 - 1)));
    planned->wDay = static_cast<platform::WORD>(shared::LeadingDecimal(rest));
    planned->wHour = static_cast<platform::WORD>(shared::LeadingDecimal(clock.substr(0, colon)));
    planned->wMinute = static_cast<platform::WORD>(shared::LeadingDecimal(clock.substr(colon + 1)));
    return true;
}

}  // namespace

int GetEffectiveDuration(const RecThreadSlot* slot, const TimerManager& manager) {
    if (slot == nullptr) return 0;
    const std::lock_guard lock(manager.DataLock());
    if (!slot->currentReserve) return 0;
    const ReserveEntry& current = *slot->currentReserve;
    const int own = static_cast<int>(current.durationMinutes);
    if (slot->chainedFlag != 1 || !slot->chainedReserve) return own;
    const ReserveEntry& chained = *slot->chainedReserve;
    const auto chainedStart = static_cast<std::int64_t>(LocalFileTime(chained.start));
    if (static_cast<std::int64_t>(ReserveEndFileTime(current)) < chainedStart) return own;
    const bool currentWins =
        current.priority > chained.priority ||
        (current.priority == chained.priority && manager.Settings().RecPriority != 1);
    if (currentWins) return own;
    const auto currentStart = static_cast<std::int64_t>(LocalFileTime(current.start));
    return static_cast<int>((chainedStart - currentStart) /
                            static_cast<std::int64_t>(kFileTimePerMinute));
}

void TimerManager::RekeyReserve(ReserveEntry* entry) {
    const std::lock_guard lock(DataLock());
    const platform::SYSTEMTIME start = entry->start;
    const std::uint64_t time = LocalFileTime(start);
    if (time != 0) entry->start = LocalSystemTime(time - kFileTimePerMinute);
    Reservations().RekeyById(entry->id);
    entry->start = start;
}

int AddReserveUnlessKnown(TimerManager& manager, const ReserveEntry* entry) {
    const std::lock_guard lock(manager.DataLock());
    if (manager.Reservations().ContainsProgramKey(entry->ProgramKey())) return 0;
    return manager.Reservations().Add(entry, 0);
}

int CheckFollowLimit(std::wstring_view resultText, const platform::SYSTEMTIME& currentStart) {
    constexpr std::wstring_view kMark = L"(予約時 ";
    const std::size_t mark = resultText.find(kMark);
    if (mark == resultText.npos) return 0;
    const std::size_t from = mark + kMark.size();
    const std::size_t close = resultText.find(L')', from);
    if (close == resultText.npos) return 0;
    platform::SYSTEMTIME planned;
    if (!ParsePlannedStart(resultText.substr(from, close - from), &planned)) return 0;
    const std::uint64_t plannedTime = LocalFileTime(planned);
    const std::uint64_t currentTime = LocalFileTime(currentStart);
    if (plannedTime == 0 || currentTime == 0) return 0;
    const auto moved =
        static_cast<std::int64_t>(currentTime) - static_cast<std::int64_t>(plannedTime);
    return moved > kFollowLimit ? 1 : 0;
}

}  // namespace timer_core
