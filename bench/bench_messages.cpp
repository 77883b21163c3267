// Cross-process PostMessage: the time from the post in this process to its receipt by the window
// thread of another process (this program started again in the echo role). The echo measures the
// delay against CLOCK_MONOTONIC and posts it back.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <vector>

#include "bench/bench_timing.h"
#include "platform/window_messages.h"
#include "tests/support/helper_process.h"
#include "tests/support/private_runtime.h"

namespace {

using namespace platform;

constexpr UINT kPing = WM_USER + 1;  // wParam: where to answer, lParam: time of the post
constexpr UINT kPong = WM_USER + 2;  // wParam: delay in ns

using bench_timing::NowNs;

class EchoWindow : public WindowTarget {
  public:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == kPing) {
            const auto delay = static_cast<WPARAM>(NowNs() - lParam);
            PostMessageW(static_cast<HWND>(wParam), kPong, delay, 0);
        }
        return 0;
    }
};

// The echo role: runs before main when the environment asks for it.
const bool kIsEcho = [] {
    if (std::getenv("ORVANDEL_BENCH_ECHO") == nullptr) return false;
    EchoWindow echo;
    std::printf("hwnd %u\n", CreateWindowHandle(&echo, L"echo", 0, true));
    std::fflush(stdout);
    MSG msg;
    while (GetMessageW(&msg, 0, 0, 0))
        DispatchMessageW(&msg);
    std::exit(0);
}();

class Receiver : public WindowTarget {
  public:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM) override {
        if (message == kPong) delayNs = static_cast<std::int64_t>(wParam);
        return 0;
    }
    std::int64_t delayNs = -1;
};

void BM_CrossProcessPostToReceipt(benchmark::State& state) {
    test_support::UsePrivateRuntime();
    test_support::HelperProcess echo("/proc/self/exe", {}, {"ORVANDEL_BENCH_ECHO=1"});
    const auto line = echo.Expect("hwnd ");
    if (!line) {
        state.SkipWithError("echo process did not start");
        return;
    }
    const auto target = static_cast<HWND>(std::strtoul(line->c_str(), nullptr, 10));
    Receiver receiver;
    const HWND self = CreateWindowHandle(&receiver, L"bench", 0, true);
    std::vector<double> delaysUs;
    for (auto _ : state) {
        receiver.delayNs = -1;
        PostMessageW(target, kPing, self, NowNs());
        MSG msg;
        while (receiver.delayNs < 0 && GetMessageW(&msg, 0, 0, 0))
            DispatchMessageW(&msg);
        delaysUs.push_back(static_cast<double>(receiver.delayNs) / 1000.0);
        state.SetIterationTime(static_cast<double>(receiver.delayNs) / 1e9);
    }
    state.counters["median_us"] = bench_timing::Percentile(delaysUs, 0.5);
    state.counters["p99_us"] = bench_timing::Percentile(delaysUs, 0.99);
    PostMessageW(target, WM_CLOSE, 0, 0);
    PostMessageW(target, WM_QUIT, 0, 0);
    DestroyWindowHandle(self);
}
BENCHMARK(BM_CrossProcessPostToReceipt)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace
