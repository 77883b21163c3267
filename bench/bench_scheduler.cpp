// The scheduler with a year of daily recordings (10,000 reservations): one tick while four slots
// record, and the overlap report over the whole store.
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
// whose store holds the year; four slots record from the next minute on.
class SchedulerWorld {
  public:
    SchedulerWorld() {
        std::string pattern = (std::filesystem::temp_directory_path() / "bench-scheduler-XXXXXX");
        root_ = ::mkdtemp(pattern.data());
        ::setenv("HOME", root_.c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (root_ / ".config").c_str(), 1);
        ::setenv("ORVANDEL_SIM_POWER", (root_ / "power.log").c_str(), 1);
        ::setenv("ORVANDEL_DEBUG_LOG", "/dev/null", 1);
        const std::wstring ini = platform::FromNativePath((root_ / "Orvandel.ini").native());
        platform::WritePrivateProfileStringW(L"SET", L"TunerCount", L"2", ini.c_str());
        platform::WritePrivateProfileStringW(L"SET", L"TunerCount2", L"2", ini.c_str());
        manager_ = std::make_unique<timer_core::TimerManager>(ini);
        manager_->LoadSettings();
        manager_->SetRecordProcedure([](const std::shared_ptr<timer_core::RecThreadSlot>& slot) {
            platform::WaitForSingleObject(slot->stopEvent, platform::INFINITE);
            return platform::DWORD{0};
        });

        const std::uint64_t now = timer_core::LocalNowFileTime();
        const std::uint64_t nextMinute =
            now - now % timer_core::kFileTimePerMinute + timer_core::kFileTimePerMinute;
        const std::lock_guard lock(manager_->DataLock());
        for (int n = 0; n < 4; ++n)
            Add(n, nextMinute, 180, n < 2 ? 27 + n : 0x2F310101 + n);
        // About 27 recordings a day for a year, from the next day on, on four channels.
        for (int n = 0; n < kReservations - 4; ++n) {
            const std::uint64_t start =
                nextMinute + timer_core::kFileTimePerHour * 24 +
                static_cast<std::uint64_t>(n) * 53 * timer_core::kFileTimePerMinute;
            // Every twentieth one runs four hours and overlaps two later ones of its group.
            const std::uint32_t minutes = n % 20 == 0 ? 240 : 30 + n % 3 * 15;
            Add(n + 4, start, minutes, n % 4 < 2 ? 22 + n % 2 : 0x30050201 + n % 2);
        }
    }
    ~SchedulerWorld() {
        manager_.reset();
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }

    timer_core::TimerManager& manager() { return *manager_; }

  private:
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
};

SchedulerWorld& World() {
    static SchedulerWorld world;
    return world;
}

void BM_TickWithFourBusySlots(benchmark::State& state) {
    timer_core::TimerManager& manager = World().manager();
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
    timer_core::TimerManager& manager = World().manager();
    std::wstring report;
    for (auto _ : state)
        benchmark::DoNotOptimize(manager.CheckOverlaps(&report));
    state.counters["report_lines"] =
        static_cast<double>(std::count(report.begin(), report.end(), L'\n'));
}
BENCHMARK(BM_CheckOverlaps)->Unit(benchmark::kMillisecond);

}  // namespace
