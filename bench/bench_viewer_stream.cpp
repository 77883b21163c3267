// The FriioView stand-in playing the ISDB-S maximum (52 Mbit/s) at clock rate 1 into a plug-in
// that only counts the packets: the bitrate the plug-in receives over three seconds and the share
// of a core the viewer process takes meanwhile (about 1-2% in an optimised build).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "platform/clock.h"
#include "tests/support/sandbox.h"
#include "tests/support/viewer_launch.h"
#include "tests/support/wait_until.h"

namespace {

// User and system processor time of a process, in seconds.
double CpuSeconds(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    const std::string text((std::istreambuf_iterator<char>(stat)), {});
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    double ticks = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14 || i == 15) ticks += std::stod(field);
    }
    return ticks / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

void BM_ViewerStreamAtTheBsBitrate(benchmark::State& state) {
#if defined(FRIIOVIEW_PATH) && defined(TEST_PLUGIN_PATH)
    test_support::Sandbox sandbox;
    const auto folder = sandbox.Native("viewer");
    test_support::CopyViewer(folder, FRIIOVIEW_PATH, TEST_PLUGIN_PATH);
    std::ofstream(folder / "FriioView.ini") << "[Device1]\r\nBitrate=52000000\r\n";
    const std::string clock = platform::FormatSimClockSetting({2026, 12, 3, 9, 10, 20, 0, 0}, 1.0);
    auto viewer =
        test_support::StartViewer(folder, {"-n", "-o", "1"}, {"ORVANDEL_SIM_CLOCK=" + clock});
    const auto windows = test_support::AwaitPluginWindows(*viewer);
    if (!windows || !viewer->Expect("StreamData")) {
        state.SkipWithError("the viewer did not start playing");
        return;
    }
    double bitrate = 0;
    double cpu = 0;
    bool clean = true;
    for (auto _ : state) {
        const auto before = test_support::StreamBytes(*viewer, windows->own);
        const double cpuBefore = CpuSeconds(viewer->Pid());
        const auto start = std::chrono::steady_clock::now();
        test_support::RunFor(3000);
        std::string report;
        const auto after = test_support::StreamBytes(*viewer, windows->own, &report);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (!before || !after) {
            state.SkipWithError("the plug-in did not report");
            return;
        }
        bitrate = static_cast<double>(*after - *before) * 8 / seconds;
        cpu = (CpuSeconds(viewer->Pid()) - cpuBefore) / seconds;
        clean = clean && report.find(" bad=0") != std::string::npos;
    }
    state.counters["Mbit_per_s"] = bitrate / 1e6;
    state.counters["core_percent"] = cpu * 100;
    if (!clean) state.SkipWithError("the plug-in received chunks that were not whole packets");
    platform::PostMessageW(windows->host, platform::WM_CLOSE, 0, 0);
    viewer->WaitFor(std::chrono::seconds(20));
#else
    state.SkipWithError("built without the viewer");
#endif
}
BENCHMARK(BM_ViewerStreamAtTheBsBitrate)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
