#include "timer_core/scheduling/timer_manager.h"

#include <cwchar>
#include <mutex>
#include <utility>

#include "platform/debug_output.h"
#include "timer_core/recording/record_thread.h"
#include "timer_core/scheduling/reserve_time.h"
#include "timer_core/scheduling/timer_ini_path.h"
#include "timer_core/scheduling/timer_manager_state.h"
#include "timer_core/scheduling/tuner_group.h"

namespace timer_core {
namespace {

// "%04d/%02d/%02d %02d:%02d %s" of a reservation's start and title.
std::wstring StartAndTitle(const ReserveEntry& entry) {
    wchar_t text[32];
    std::swprintf(text, 32, L"%04d/%02d/%02d %02d:%02d ", entry.start.wYear, entry.start.wMonth,
                  entry.start.wDay, entry.start.wHour, entry.start.wMinute);
    return text + entry.title;
}

}  // namespace

TimerManager::TimerManager() : TimerManager(TimerIniPathBesideExecutable()) {}

TimerManager::TimerManager(std::wstring iniPath)
    : state_(std::make_shared<State>(std::move(iniPath))), owning_(true) {
    state_->recordProcedure = RecordThreadProc;
}

TimerManager::TimerManager(std::shared_ptr<State> state)
    : state_(std::move(state)), owning_(false) {}

TimerManager::~TimerManager() {
    if (!owning_) return;
    {
        const std::lock_guard lock(state_->dataLock);
        state_->epgTimes.clear();
    }
    StopAllRecordThreads();
    if (state_->epgThread) {
        state_->epgThread->Stop(state_->epgStopEvent, kStopWaitMs);
        state_->epgThread.reset();
    }
    state_->wakeTimer.Stop();
    // The store and the rest of the state go with the last holder: this manager, or a record
    // thread that overran its stop.
}

void TimerManager::SetRecordProcedure(RecordProcedure procedure) {
    const std::lock_guard lock(state_->dataLock);
    state_->recordProcedure = std::move(procedure);
}

void TimerManager::SetEpgProcedure(EpgProcedure procedure) {
    state_->epgProcedure = std::move(procedure);
}

const std::wstring& TimerManager::IniPath() const {
    return state_->iniPath;
}

int TimerManager::LoadSettings() {
    TimerSettings settings = ReadTimerSettings(state_->iniPath);
    const std::lock_guard lock(state_->dataLock);
    state_->settings = std::move(settings);
    return 1;
}

TimerSettings TimerManager::Settings() const {
    const std::lock_guard lock(state_->dataLock);
    return state_->settings;
}

platform::HWND TimerManager::MainWindow() const {
    const std::lock_guard lock(state_->dataLock);
    return state_->mainWindow;
}

void TimerManager::SetMainWindow(platform::HWND window) {
    const std::lock_guard lock(state_->dataLock);
    state_->mainWindow = window;
}

int TimerManager::LoadReserveFile(std::wstring_view path) {
    return ReadReserveFile(path, &ReserveList::LoadProgramFile);
}

int TimerManager::MergeReserveFile(std::wstring_view path) {
    return ReadReserveFile(path, &ReserveList::MergeNewFromProgramFile);
}

int TimerManager::ReadReserveFile(std::wstring_view path,
                                  int (ReserveList::*read)(std::wstring_view)) {
    if (path.empty()) return 0;
    const std::lock_guard lock(state_->dataLock);
    if ((state_->reservations.*read)(path) != 1) return 0;
    state_->reservations.SaveProgramFile(path);
    return 1;
}

int TimerManager::SaveReserveFile(std::wstring_view path) {
    const std::lock_guard lock(state_->dataLock);
    return state_->reservations.SaveProgramFile(path);
}

ReserveEntry* TimerManager::GetReserveAt(int n) const {
    const std::lock_guard lock(state_->dataLock);
    if (n < 0) return nullptr;
    return state_->reservations.At(static_cast<std::size_t>(n));
}

ReserveEntry* TimerManager::GetNextReserve() const {
    const std::lock_guard lock(state_->dataLock);
    // A start that is no valid date (a hand-edited line) can be neither woken for nor recorded;
    // it must not hide the reservations after it.
    return state_->reservations.FirstAfter(
        StartKey(LocalSystemTime(LocalNowFileTime())),
        [](const ReserveEntry& entry) { return LocalFileTime(entry.start) != 0; });
}

void TimerManager::DeleteReserve(std::int32_t id) {
    std::vector<std::shared_ptr<RecThreadSlot>> released;
    {
        const std::lock_guard lock(state_->dataLock);
        for (int group : {kTerrestrialGroup, kSatelliteGroup}) {
            SlotList& slots = GroupSlots(group);
            for (std::size_t i = slots.size(); i-- > 0;) {
                RecThreadSlot& slot = *slots[i];
                if (slot.chainedFlag == 1 && slot.chainedReserve && slot.chainedReserve->id == id) {
                    DropChained(slot);
                }
                if (slot.currentReserve && slot.currentReserve->id == id) {
                    released.push_back(ReleaseSlot(group, i));
                }
            }
        }
    }
    StopReleased(released);
    const std::lock_guard lock(state_->dataLock);
    state_->reservations.Remove(id);
}

void TimerManager::StopAllRecordThreads() {
    std::vector<std::shared_ptr<RecThreadSlot>> released;
    {
        const std::lock_guard lock(state_->dataLock);
        for (int group : {kTerrestrialGroup, kSatelliteGroup}) {
            SlotList& slots = GroupSlots(group);
            while (!slots.empty())
                released.push_back(ReleaseSlot(group, 0));
        }
    }
    StopReleased(released);
}

void TimerManager::DumpSlots() const {
    std::vector<std::wstring> lines;
    {
        const std::lock_guard lock(state_->dataLock);
        for (int group : {kTerrestrialGroup, kSatelliteGroup}) {
            for (const auto& slot : GroupSlots(group)) {
                std::wstring line;
                if (slot->currentReserve) line = StartAndTitle(*slot->currentReserve) + L" ";
                if (slot->chainedFlag != 0 && slot->chainedReserve) {
                    line += L"Next:" + StartAndTitle(*slot->chainedReserve);
                }
                lines.push_back(line + L"\r\n");
            }
        }
    }
    for (const std::wstring& line : lines)
        platform::OutputDebugStringW(line);
}

platform::CriticalSection& TimerManager::DataLock() const {
    return state_->dataLock;
}

platform::CriticalSection& TimerManager::DeviceLock() const {
    return state_->deviceLock;
}

ReserveList& TimerManager::Reservations() const {
    return state_->reservations;
}

std::vector<std::shared_ptr<RecThreadSlot>> TimerManager::SlotsOfGroup(int group) const {
    const std::lock_guard lock(state_->dataLock);
    return GroupSlots(group);
}

std::shared_ptr<TimerManager> TimerManager::ShareWithThread() const {
    // The constructor that shares the state is private, so make_shared cannot reach it.
    return std::shared_ptr<TimerManager>(new TimerManager(state_));
}

TimerManager::SlotList& TimerManager::GroupSlots(int group) const {
    return group == kTerrestrialGroup ? state_->group1Slots : state_->group2Slots;
}

std::shared_ptr<RecThreadSlot> TimerManager::ReleaseSlot(int group, std::size_t index) {
    SlotList& slots = GroupSlots(group);
    std::shared_ptr<RecThreadSlot> slot = slots[index];
    slots.erase(slots.begin() + static_cast<std::ptrdiff_t>(index));
    platform::SetEvent(slot->stopEvent);
    if (slot->chainedFlag != 0) DropChained(*slot);
    slot->chainedReserve.reset();
    slot->chainedFlag = 0;
    const std::shared_ptr<ReserveEntry> current = std::move(slot->currentReserve);
    slot->currentReserve.reset();
    DropReserve(current);
    return slot;
}

void TimerManager::DropChained(RecThreadSlot& slot) const {
    const std::shared_ptr<ReserveEntry> chained = std::move(slot.chainedReserve);
    slot.chainedReserve.reset();
    slot.chainedFlag = 0;
    DropReserve(chained);
}

void TimerManager::DropReserve(const std::shared_ptr<ReserveEntry>& reserve) const {
    if (!reserve) return;
    // A thread that gave its reservation up before it ended may find it planned on another slot
    // by the time it is reaped; that slot's claim stays.
    for (int group : {kTerrestrialGroup, kSatelliteGroup}) {
        for (const auto& slot : GroupSlots(group)) {
            if (slot->currentReserve == reserve ||
                (slot->chainedFlag != 0 && slot->chainedReserve == reserve)) {
                return;
            }
        }
    }
    reserve->assigned = 0;
}

void TimerManager::StopReleased(std::vector<std::shared_ptr<RecThreadSlot>>& released) {
    for (const auto& slot : released)
        slot->Stop();
    released.clear();
}

void TimerManager::ReapEndedSlots(std::vector<std::shared_ptr<RecThreadSlot>>& released) {
    for (int group : {kTerrestrialGroup, kSatelliteGroup}) {
        if (state_->settings.TunerCountOf(group) <= 0) continue;
        SlotList& slots = GroupSlots(group);
        for (std::size_t i = slots.size(); i-- > 0;) {
            const RecThreadSlot& slot = *slots[i];
            if (!slot.thread || slot.thread->HasEnded()) released.push_back(ReleaseSlot(group, i));
        }
    }
}

}  // namespace timer_core
