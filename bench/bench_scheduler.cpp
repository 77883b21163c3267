// The scheduler with a year of daily recordings (10,000 reservations): one tick while four slots
// record, the overlap report over the whole store, the tick of a quiet evening, which re-arms the
// wake-up timer (for the same wake-up as the tick before, or a moved one), and the answer whether
// the PC may sleep, which also looks for the processes of the suppression list.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>

#include "platform/clock.h"
#include "platform/event.h"
#include "platform/paths.h"
#include "platform/private_profile.h"
#include "timer_core/scheduling/reserve_time.h"
#include "timer_core/scheduling/timer_manager.h"

namespace {

constexpr int kReservations = 10'000;

// A private folder for the ini file, the debug log and the power simulation, and a manager
// whose store holds the year, from the next day on. A busy world also has four slots recording
// from the next minute on; a quiet one has none, a reservation five hours ahead to wake up for,
// an EPG time and three programs in its suppression list that do not run.
class SchedulerWorld {
  public:
    explicit SchedulerWorld(bool busy) {
        std::string pattern = (std::filesystem::temp_directory_path() / "bench-scheduler-XXXXXX");
        root_ = ::mkdtemp(pattern.data());
        ::setenv("HOME", root_.c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (root_ / ".config").c_str(), 1);
        ::setenv("ORVANDEL_SIM_POWER", (root_ / "power.log").c_str(), 1);
        ::setenv("ORVANDEL_DEBUG_LOG", "/dev/null", 1);
        const std::wstring ini = platform::FromNativePath((root_ / "Orvandel.ini").native());
        platform::WritePrivateProfileStringW(L"SET", L"TunerCount", L"2", ini.c_str());
        platform::WritePrivateProfileStringW(L"SET", L"TunerCount2", L"2", ini.c_str());
        const std::uint64_t now = timer_core::LocalNowFileTime();
        if (!busy) WriteQuietSettings(ini, timer_core::LocalSystemTime(now));
        manager_ = std::make_unique<timer_core::TimerManager>(ini);
        manager_->LoadSettings();
        manager_->SetRecordProcedure([](const std::shared_ptr<timer_core::RecThreadSlot>& slot) {
            platform::WaitForSingleObject(slot->stopEvent, platform::INFINITE);
            return platform::DWORD{0};
        });

        const std::uint64_t nextMinute =
            now - now % timer_core::kFileTimePerMinute + timer_core::kFileTimePerMinute;
        const std::lock_guard lock(manager_->DataLock());
        const int first = busy ? 4 : 1;
        if (busy) {
            for (int n = 0; n < 4; ++n)
                Add(n, nextMinute, 180, n < 2 ? 27 + n : 0x2F310101 + n);
        } else {
            Add(0, nextMinute + 5 * timer_core::kFileTimePerHour, 60, 27);
            wakeUpFor_ = manager_->Reservations().FirstAfter(L"")->id;
        }
        // About 27 recordings a day for a year, from the next day on, on four channels.
        for (int n = 0; n < kReservations - first; ++n) {
            const std::uint64_t start =
                nextMinute + timer_core::kFileTimePerHour * 24 +
                static_cast<std::uint64_t>(n) * 53 * timer_core::kFileTimePerMinute;
            // Every twentieth one runs four hours and overlaps two later ones of its group.
            const std::uint32_t minutes = n % 20 == 0 ? 240 : 30 + n % 3 * 15;
            Add(n + first, start, minutes, n % 4 < 2 ? 22 + n % 2 : 0x30050201 + n % 2);
        }
    }
    ~SchedulerWorld() {
        manager_.reset();
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }

    timer_core::TimerManager& manager() { return *manager_; }

    // Moves the reservation the quiet world wakes up for one minute later or back again.
    void MoveWakeUp() {
        const std::lock_guard lock(manager_->DataLock());
        timer_core::ReserveEntry* entry = manager_->Reservations().FindById(wakeUpFor_);
        const std::uint64_t start = timer_core::LocalFileTime(entry->start);
        moved_ = !moved_;
        entry->start = timer_core::LocalSystemTime(moved_ ? start + timer_core::kFileTimePerMinute
                                                          : start - timer_core::kFileTimePerMinute);
        manager_->Reservations().RekeyById(wakeUpFor_);
    }

    std::uintmax_t PowerRequestBytes() const {
        std::error_code ec;
        const std::uintmax_t size = std::filesystem::file_size(root_ / "power.log", ec);
        return ec ? 0 : size;
    }

  private:
    // The daily EPG time lies an hour before the present one, so the reservation wakes first.
    static void WriteQuietSettings(const std::wstring& ini, const platform::SYSTEMTIME& now) {
        const std::wstring epgTime = std::to_wstring((now.wHour + 23) % 24) + L",0,1";
        platform::WritePrivateProfileStringW(L"Orvandel", L"Count", L"1", ini.c_str());
        platform::WritePrivateProfileStringW(L"Orvandel", L"0", epgTime.c_str(), ini.c_str());
        platform::WritePrivateProfileStringW(L"NO_SUSPEND", L"Count", L"3", ini.c_str());
        platform::WritePrivateProfileStringW(L"NO_SUSPEND", L"0", L"映像編集.exe", ini.c_str());
        platform::WritePrivateProfileStringW(L"NO_SUSPEND", L"1", L"encoder.exe", ini.c_str());
        platform::WritePrivateProfileStringW(L"NO_SUSPEND", L"2", L"backup", ini.c_str());
    }

    void Add(int n, std::uint64_t start, std::uint32_t minutes, std::int32_t channel) {
        timer_core::ReserveEntry entry;
        entry.title = L"連続ドラマ「港町の人々」第" + std::to_wstring(n % 50 + 1) + L"話";
        entry.start = timer_core::LocalSystemTime(start);
        entry.durationMinutes = minutes;
        entry.channelName = L"みなと総合";
        entry.channelValue = channel;
        entry.serviceId = static_cast<std::uint16_t>(0x400 + n % 4);
        entry.eventId = static_cast<std::uint16_t>(n);
        entry.priority = static_cast<std::uint8_t>(1 + n % 5);
        manager_->Reservations().Add(&entry, 0);
    }

    std::filesystem::path root_;
    std::unique_ptr<timer_core::TimerManager> manager_;
    std::int32_t wakeUpFor_ = 0;
    bool moved_ = false;
};

SchedulerWorld& BusyWorld() {
    static SchedulerWorld world(true);
    return world;
}

SchedulerWorld& QuietWorld() {
    static SchedulerWorld world(false);
    return world;
}

void BM_TickWithFourBusySlots(benchmark::State& state) {
    timer_core::TimerManager& manager = BusyWorld().manager();
    manager.Tick(0);  // opens the four slots
    if (manager.SlotsOfGroup(1).size() + manager.SlotsOfGroup(2).size() != 4) {
        state.SkipWithError("the four slots were not opened");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(manager.Tick(0));
}
BENCHMARK(BM_TickWithFourBusySlots)->Unit(benchmark::kMicrosecond);

void BM_CheckOverlaps(benchmark::State& state) {
    timer_core::TimerManager& manager = BusyWorld().manager();
    std::wstring report;
    for (auto _ : state)
        benchmark::DoNotOptimize(manager.CheckOverlaps(&report));
    state.counters["report_lines"] =
        static_cast<double>(std::count(report.begin(), report.end(), L'\n'));
}
BENCHMARK(BM_CheckOverlaps)->Unit(benchmark::kMillisecond);

// The 120-s tick of a quiet evening: the wake-up stays where the tick before armed it.
void BM_TickThatRearms(benchmark::State& state) {
    SchedulerWorld& world = QuietWorld();
    timer_core::TimerManager& manager = world.manager();
    manager.Tick(0);
    const std::uintmax_t armed = world.PowerRequestBytes();
    if (armed == 0 || manager.SetNextWakeUp() != 1) {
        state.SkipWithError("the wake-up timer was not armed");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(manager.Tick(0));
}
BENCHMARK(BM_TickThatRearms)->Unit(benchmark::kMicrosecond);

// The tick after the reservation it wakes up for moved: the wake-up timer moves with it.
void BM_TickThatMovesTheWakeUp(benchmark::State& state) {
    SchedulerWorld& world = QuietWorld();
    timer_core::TimerManager& manager = world.manager();
    manager.Tick(0);
    const std::uintmax_t before = world.PowerRequestBytes();
    for (auto _ : state) {
        state.PauseTiming();
        world.MoveWakeUp();
        state.ResumeTiming();
        benchmark::DoNotOptimize(manager.Tick(0));
    }
    if (world.PowerRequestBytes() == before) state.SkipWithError("the wake-up was not moved");
}
BENCHMARK(BM_TickThatMovesTheWakeUp)->Unit(benchmark::kMicrosecond);

// The answer whether the PC may sleep (standby, hibernation, the suspend query): the same
// arming, and a look for the processes of the suppression list.
void BM_SetNextWakeUp(benchmark::State& state) {
    timer_core::TimerManager& manager = QuietWorld().manager();
    for (auto _ : state)
        benchmark::DoNotOptimize(manager.SetNextWakeUp());
}
BENCHMARK(BM_SetNextWakeUp)->Unit(benchmark::kMicrosecond);

}  // namespace
