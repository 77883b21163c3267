// A TimerManager on a private ini file and the simulated clock, with a stand-in record thread:
// the scheduler and the tuner assignment run with real threads and real stop events.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "broadcast_sim/time_builder.h"
#include "platform/clock.h"
#include "platform/event.h"
#include "platform/paths.h"
#include "platform/private_profile.h"
#include "tests/timer_core/timer_core_test_environment.h"
#include "timer_core/scheduling/reserve_time.h"
#include "timer_core/scheduling/timer_manager.h"

namespace scheduler_test {

using timer_core::RecThreadSlot;
using timer_core::ReserveEntry;
using timer_core::TimerManager;

inline platform::SYSTEMTIME At(int year, int month, int day, int hour, int minute, int second = 0) {
    platform::SYSTEMTIME time = broadcast_sim::JstTime(year, month, day, hour, minute);
    time.wSecond = static_cast<platform::WORD>(second);
    return time;
}

// The test day: 2026-12-04.
inline platform::SYSTEMTIME Today(int hour, int minute, int second = 0) {
    return At(2026, 12, 4, hour, minute, second);
}

inline void SetClock(const platform::SYSTEMTIME& time) {
    ASSERT_TRUE(platform::SetLocalTime(&time));
}

// Terrestrial and BS/CS channel values of invented broadcasters.
inline constexpr std::int32_t kMinato = 27;          // みなと総合
inline constexpr std::int32_t kSakura = 22;          // さくらテレビ
inline constexpr std::int32_t kSoraBs = 0x2F310101;  // そらBS
inline constexpr std::int32_t kUmiCs = 0x30050201;   // うみCS (from 12291 MHz up)

// When the slot's current recording stops: its start plus the minutes it records before a
// chained reservation takes over. Under the data lock.
inline std::uint64_t RecordingEnd(const RecThreadSlot& slot) {
    return timer_core::LocalFileTime(slot.currentReserve->start) +
           static_cast<std::uint64_t>(timer_core::GetEffectiveDuration(&slot, *slot.owner)) *
               timer_core::kFileTimePerMinute;
}

// The stand-in for the record thread: records its current reservation until it stops (see
// RecordingEnd), then goes on with the chained one or ends; leaves at once when stopped. Like
// the record thread it changes shared state only under the data lock and only while not stopped.
inline platform::DWORD StandInRecorder(const std::shared_ptr<RecThreadSlot>& slot) {
    TimerManager& manager = *slot->owner;
    for (;;) {
        {
            const std::lock_guard lock(manager.DataLock());
            if (slot->StopRequested() || !slot->currentReserve) return 0;
            if (timer_core::LocalNowFileTime() > RecordingEnd(*slot)) {
                slot->currentReserve->assigned = 0;
                if (slot->chainedFlag == 1 && slot->chainedReserve) {
                    slot->currentReserve = std::move(slot->chainedReserve);
                    slot->chainedReserve.reset();
                    slot->chainedFlag = 0;
                    continue;
                }
                slot->currentReserve.reset();
                return 0;
            }
        }
        if (platform::WaitForSingleObject(slot->stopEvent, 500) != platform::WAIT_TIMEOUT) return 0;
    }
}

class SchedulerFixture : public ::testing::Test {
  protected:
    SchedulerFixture()
        : folder_(timer_core_test::FreshFolder("scheduler")),
          manager_(platform::FromNativePath((folder_ / "Orvandel.ini").native())) {}

    void SetUp() override {
        ::setenv("ORVANDEL_SIM_POWER", (folder_ / "power.log").c_str(), 1);
        ::setenv("ORVANDEL_DEBUG_LOG", (folder_ / "debug.log").c_str(), 1);
        manager_.SetRecordProcedure(StandInRecorder);
        Tuners(1, 0);
    }
    void TearDown() override {
        manager_.StopAllRecordThreads();
        ::unsetenv("ORVANDEL_SIM_POWER");
        ::unsetenv("ORVANDEL_DEBUG_LOG");
    }

    void Ini(const wchar_t* section, const wchar_t* key, const std::wstring& value) {
        platform::WritePrivateProfileStringW(section, key, value.c_str(),
                                             manager_.IniPath().c_str());
    }
    void Tuners(int terrestrial, int satellite) {
        Ini(L"SET", L"TunerCount", std::to_wstring(terrestrial));
        Ini(L"SET", L"TunerCount2", std::to_wstring(satellite));
        manager_.LoadSettings();
    }

    // Stores a reservation and returns the stored record.
    std::shared_ptr<ReserveEntry> Add(const std::wstring& title, const platform::SYSTEMTIME& start,
                                      std::uint32_t minutes, int priority = 3,
                                      std::int32_t channel = kMinato) {
        return Store(NewEntry(title, start, minutes, priority, channel));
    }
    // A reservation of its own event id, on one of seven services.
    ReserveEntry NewEntry(const std::wstring& title, const platform::SYSTEMTIME& start,
                          std::uint32_t minutes, int priority, std::int32_t channel) {
        ReserveEntry entry;
        entry.title = title;
        entry.start = start;
        entry.durationMinutes = minutes;
        entry.channelName = channel > 0xFFFF ? L"そらBS" : L"みなと総合";
        entry.channelValue = channel;
        entry.serviceId = static_cast<std::uint16_t>(0x400 + nextEvent_ % 7);
        entry.eventId = static_cast<std::uint16_t>(nextEvent_++);
        entry.priority = static_cast<std::uint8_t>(priority);
        return entry;
    }
    // Stores the reservation and returns the stored record.
    std::shared_ptr<ReserveEntry> Store(const ReserveEntry& entry) {
        const std::lock_guard lock(manager_.DataLock());
        manager_.Reservations().Add(&entry, 0);
        for (const ReserveEntry& stored : manager_.Reservations().Entries()) {
            if (stored.eventId == entry.eventId)
                return manager_.Reservations().ShareById(stored.id);
        }
        return nullptr;
    }

    // Per slot of the group, in slot order: "<current title>" or "<current>><chained>".
    std::vector<std::wstring> Held(int group) const {
        std::vector<std::wstring> held;
        const auto slots = manager_.SlotsOfGroup(group);
        const std::lock_guard lock(manager_.DataLock());
        for (const auto& slot : slots) {
            std::wstring text = slot->currentReserve ? slot->currentReserve->title : L"-";
            if (slot->chainedFlag == 1 && slot->chainedReserve) {
                text += L">" + slot->chainedReserve->title;
            }
            held.push_back(text);
        }
        return held;
    }

    static int Assigned(const std::shared_ptr<ReserveEntry>& entry) { return entry->assigned; }

    // Waits until every slot's thread has noticed that its recording is over (the stand-in looks
    // twice a clock second), so that the next tick reaps what has ended.
    bool RecordingsSettled() const {
        return timer_core_test::WaitUntil([this] {
            for (int group : {1, 2}) {
                for (const auto& slot : manager_.SlotsOfGroup(group)) {
                    const std::lock_guard lock(manager_.DataLock());
                    const bool over = !slot->currentReserve ||
                                      timer_core::LocalNowFileTime() > RecordingEnd(*slot);
                    if (over && slot->thread && !slot->thread->HasEnded()) return false;
                }
            }
            return true;
        });
    }

    std::vector<std::string> PowerRequests() const { return Lines("power.log", true); }
    std::vector<std::string> DebugLines() const { return Lines("debug.log", false); }

    std::vector<std::string> Lines(const std::string& name, bool withoutStamp) const {
        std::ifstream in(folder_ / name);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);)
            lines.push_back(withoutStamp ? line.substr(line.find(' ') + 1) : line);
        return lines;
    }

    std::filesystem::path folder_;
    TimerManager manager_;
    int nextEvent_ = 1;
};

}  // namespace scheduler_test
