// The real FriioView with the capture plug-in on the BS tuner at 52 Mbit/s: the share of a core
// the viewer process uses while it only watches and while it collects EPG data, and how often a
// reader in another process (this one, polling as fast as it can) finds the NowData object that
// the collection republishes after every SI packet.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>

#include "tools/collection_world.h"
#include "tools/viewer_session.h"
#include "platform/named_file_mapping.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "shared/plugin_posts.h"
#include "shared/shared_memory_names.h"
#include "tests/support/private_runtime.h"

namespace {

namespace fs = std::filesystem;

constexpr int kBsDevice = 1;
constexpr int kBitsPerSecond = 52'000'000;
// Clock seconds per real second: the 8-second settle wait before a channel's collection takes
// 2 s, and the first channel is collected for at least 15 s of real time.
constexpr double kClockRate = 4.0;
constexpr auto kWindow = std::chrono::seconds(5);

// Processor time (user and system) the process has used so far, in seconds.
double CpuSeconds(platform::DWORD pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    const std::string text((std::istreambuf_iterator<char>(stat)), {});
    const std::size_t close = text.rfind(')');
    if (close == std::string::npos) return 0;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    double ticks = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14 || i == 15) ticks += std::stod(field);
    }
    return ticks / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

// The share of one core the process uses over the next `window` of real time.
double CoreShareOver(platform::DWORD pid, std::chrono::seconds window) {
    const double before = CpuSeconds(pid);
    const auto start = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(window);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return (CpuSeconds(pid) - before) / seconds;
}

// True once a data file of the collection has grown past its first packets.
bool Collecting(const fs::path& captureFolder) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(captureFolder, ec)) {
        if (entry.path().extension() == ".dat" && entry.file_size(ec) > 188 * 100) return true;
    }
    return false;
}

bool WaitFor(const auto& condition, std::chrono::seconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < end) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

// Reads NowData as fast as it can until told to stop; counts the reads that found it.
class NowDataPoller {
  public:
    NowDataPoller()
        : thread_([this] {
              std::uint8_t text[shared::kProgramTextSize];
              while (!stop_) {
                  ++attempts_;
                  if (platform::ReadNamedMapping(shared::kNowDataName, text)) ++hits_;
              }
          }) {}
    ~NowDataPoller() { Stop(); }
    void Stop() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    double HitShare() const {
        return attempts_ == 0 ? 0 : static_cast<double>(hits_) / static_cast<double>(attempts_);
    }
    std::uint64_t Attempts() const { return attempts_; }

  private:
    std::atomic<bool> stop_{false};
    std::atomic<std::uint64_t> attempts_{0};
    std::atomic<std::uint64_t> hits_{0};
    std::thread thread_;
};

void BM_CollectingViewerAt52Mbps(benchmark::State& state) {
    test_support::UsePrivateRuntime();
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    char pattern[] = "/tmp/orvandel-bench-XXXXXX";
    const fs::path root = ::mkdtemp(pattern);
    const fs::path binFolder = fs::read_symlink("/proc/self/exe").parent_path();
    for (auto _ : state) {
        tools::CollectionWorld world(root, binFolder);
        tools::ViewerFolderOptions options;
        options.bitsPerSecond = kBitsPerSecond;
        if (!world.PrepareViewerFolder(options)) {
            state.SkipWithError("FriioView or the plug-in is not built beside the benchmark");
            break;
        }
        world.ExportEnvironment({2026, 12, 3, 9, 10, 20, 0, 0}, kClockRate);
        tools::ViewerSession session;
        if (!session.Start(platform::FromNativePath(world.ViewerPath().native()), kBsDevice) ||
            session.WaitForPluginWindow(20000) == 0) {
            state.SkipWithError("the viewer did not start");
            break;
        }
        // Let the stream settle before the first measurement.
        std::this_thread::sleep_for(std::chrono::seconds(1));
        const double watching = CoreShareOver(session.Pid(), kWindow);
        shared::PostPluginStartCapture(session.Pid());
        if (!WaitFor([&] { return Collecting(world.CaptureFolder()); }, std::chrono::seconds(30))) {
            state.SkipWithError("the collection did not begin");
            break;
        }
        NowDataPoller poller;
        const double collecting = CoreShareOver(session.Pid(), kWindow);
        poller.Stop();
        session.Close();
        state.SetIterationTime(static_cast<double>(kWindow.count()));
        state.counters["watching_core_percent"] = watching * 100;
        state.counters["collecting_core_percent"] = collecting * 100;
        state.counters["nowdata_found_percent"] = poller.HitShare() * 100;
        state.counters["nowdata_reads"] = static_cast<double>(poller.Attempts());
    }
    std::error_code ec;
    fs::remove_all(root, ec);
}
BENCHMARK(BM_CollectingViewerAt52Mbps)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
