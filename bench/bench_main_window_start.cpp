// The timer's start with many reservations: from the main window's construction until it is
// shown with its list filled (Program.txt read and saved back, the overlap check, the list, an
// empty EPG load and the first tick), for 5,000, 10,000 and 20,000 reservations of a year and more
// of evening programmes on two channels.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QApplication>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "broadcast_sim/time_builder.h"
#include "platform/code_page.h"
#include "platform/paths.h"
#include "tests/support/offscreen_application.h"
#include "timer_core/reservations/program_line.h"
#include "timer_core/scheduling/reserve_time.h"
#include "timer_ui/orvandel_dlg.h"
#include "ui/list_view.h"

namespace {

const platform::SYSTEMTIME kClockStart = broadcast_sim::JstTime(2026, 12, 9, 20, 50);

// A private home whose data folder holds the reservations, the channel table and an empty EPG
// data file, and a settings file with one terrestrial tuner.
class StartWorld {
  public:
    StartWorld() {
        std::string pattern = (std::filesystem::temp_directory_path() / "bench-start-XXXXXX");
        root_ = ::mkdtemp(pattern.data());
        ::setenv("HOME", root_.c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (root_ / ".config").c_str(), 1);
        ::setenv("ORVANDEL_SIM_POWER", (root_ / "power.log").c_str(), 1);
        ::setenv("ORVANDEL_DEBUG_LOG", "/dev/null", 1);
        std::filesystem::create_directories(DataFolder() / "EpgData");
        Write(DataFolder() / "EpgData" / "ch27_epg.dat", "");
        Write(DataFolder() / "ChSet.txt",
              platform::WideToShiftJis(L"みなと総合=27\r\nさくらテレビ=22\r\n"));
        Write(root_ / "Orvandel.ini", "[SET]\r\nTunerCount=1\r\nTunerCount2=0\r\n");
        app_ = std::make_unique<test_support::OffscreenApplication>(
            "bench_main_window_start", kClockStart, 1.0, QStringLiteral("Orvandel"));
    }
    ~StartWorld() {
        app_.reset();
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }

    // Program.txt with that many reservations, from the next day on, none overlapping.
    void WriteReservations(int count) const {
        const std::uint64_t first =
            timer_core::LocalFileTime(kClockStart) + 24 * timer_core::kFileTimePerHour;
        std::string text;
        for (int n = 0; n < count; ++n) {
            timer_core::ReserveEntry entry;
            entry.title = L"連続ドラマ「港町の人々」第" + std::to_wstring(n % 50 + 1) +
                          L"話・波止場の約束【字】";
            entry.start = timer_core::LocalSystemTime(first + static_cast<std::uint64_t>(n) * 53 *
                                                                  timer_core::kFileTimePerMinute);
            entry.durationMinutes = 30;
            entry.channelName = n % 2 ? L"みなと総合" : L"さくらテレビ";
            entry.channelValue = n % 2 ? 27 : 22;
            entry.serviceId = static_cast<std::uint16_t>(n % 2 ? 0x0400 : 0x0408);
            entry.eventId = static_cast<std::uint16_t>(n);
            entry.priority = static_cast<std::uint8_t>(1 + n % 5);
            entry.id = n + 1;
            if (n % 10 == 0) entry.resultText = L"開始時間が変わりました(20:58) ";
            text += timer_core::FormatProgramLine(entry);
        }
        Write(DataFolder() / "Program.txt", text);
    }

    std::wstring IniPath() const {
        return platform::FromNativePath((root_ / "Orvandel.ini").native());
    }

  private:
    std::filesystem::path DataFolder() const { return root_ / "Documents" / "Orvandel"; }
    static void Write(const std::filesystem::path& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    }

    std::filesystem::path root_;
    std::unique_ptr<test_support::OffscreenApplication> app_;
};

StartWorld& World() {
    static StartWorld world;
    return world;
}

void BM_StartToShownWindow(benchmark::State& state) {
    StartWorld& world = World();
    const int count = static_cast<int>(state.range(0));
    world.WriteReservations(count);
    for (auto _ : state) {
        auto window = std::make_unique<timer_ui::COrvandelDlg>(world.IniPath());
        window->Manager().SetRecordProcedure({});  // nothing is recorded
        window->Create();
        window->ShowWindow(ui::SW_SHOW);
        QApplication::processEvents();
        state.PauseTiming();
        const int rows =
            window->Item<ui::ListView>(timer_ui::COrvandelDlg::IDC_RESERVE_LIST)->GetItemCount();
        if (rows != count) state.SkipWithError("the list does not show every reservation");
        window->DestroyWindow();
        window->FreeOwnedItems();
        window.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["reservations"] = count;
}
BENCHMARK(BM_StartToShownWindow)
    ->Arg(5'000)
    ->Arg(10'000)
    ->Arg(20'000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace
