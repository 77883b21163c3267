// Program.txt of 10,000 reservations: a whole load (parse, three indexes, ChSet.txt refresh) and
// a whole save (lock, keep handed-over lines, atomic replacement with its flushes).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/code_page.h"
#include "platform/paths.h"
#include "timer_core/reservations/reserve_list.h"

namespace {

constexpr int kReservations = 10'000;

// A private Documents folder (with a ChSet.txt) and Program.txt, made once.
class ProgramFileWorld {
  public:
    ProgramFileWorld() {
        std::string pattern = (std::filesystem::temp_directory_path() / "bench-program-XXXXXX");
        root_ = ::mkdtemp(pattern.data());
        ::setenv("HOME", root_.c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (root_ / ".config").c_str(), 1);
        std::filesystem::create_directories(root_ / "Documents" / "Orvandel");
        std::ofstream(root_ / "Documents" / "Orvandel" / "ChSet.txt", std::ios::binary)
            << platform::WideToShiftJis(L"みなと総合=27\r\nさくらテレビ=22\r\n");
        timer_core::ReserveList store;
        for (int n = 0; n < kReservations; ++n) {
            const timer_core::ReserveEntry entry = Sample(n);
            store.Add(&entry, 0);
        }
        store.SaveProgramFile(Path());
    }
    ~ProgramFileWorld() {
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }

    std::wstring Path() const { return platform::FromNativePath((root_ / "Program.txt").native()); }

  private:
    static timer_core::ReserveEntry Sample(int n) {
        timer_core::ReserveEntry entry;
        entry.title = L"連続ドラマ「港町の人々」第" + std::to_wstring(n % 50 + 1) +
                      L"話・波止場の約束【字】【再】";
        entry.start.wYear = static_cast<platform::WORD>(2090 + n / 8000);
        entry.start.wMonth = static_cast<platform::WORD>(1 + n / 640 % 12);
        entry.start.wDay = static_cast<platform::WORD>(1 + n / 24 % 28);
        entry.start.wHour = static_cast<platform::WORD>(n % 24);
        entry.durationMinutes = 30 + static_cast<std::uint32_t>(n % 4) * 15;
        entry.channelName = n % 2 ? L"みなと総合" : L"さくらテレビ";
        entry.channelValue = n % 2 ? 27 : 22;
        entry.serviceId = static_cast<std::uint16_t>(n % 2 ? 0x0400 : 0x0408);
        entry.eventId = static_cast<std::uint16_t>(n);
        entry.priority = static_cast<std::uint8_t>(1 + n % 5);
        if (n % 10 == 0) entry.resultText = L"開始時間が変わりました(20:58) ";
        return entry;
    }

    std::filesystem::path root_;
};

ProgramFileWorld& World() {
    static ProgramFileWorld world;
    return world;
}

void BM_LoadProgramFile(benchmark::State& state) {
    const std::wstring path = World().Path();
    for (auto _ : state) {
        timer_core::ReserveList store;
        if (store.LoadProgramFile(path) != 1 || store.Count() != kReservations)
            state.SkipWithError("load failed");
        benchmark::DoNotOptimize(store.Count());
    }
}
BENCHMARK(BM_LoadProgramFile)->Unit(benchmark::kMillisecond);

void BM_SaveProgramFile(benchmark::State& state) {
    const std::wstring path = World().Path();
    timer_core::ReserveList store;
    store.LoadProgramFile(path);
    for (auto _ : state) {
        if (store.SaveProgramFile(path) != 1) state.SkipWithError("save failed");
    }
}
BENCHMARK(BM_SaveProgramFile)->Unit(benchmark::kMillisecond);

}  // namespace
