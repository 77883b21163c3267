// The timer's EPG reload: LoadEpgDataFiles over the files that an EPG collection of the sample
// channels of the synthetic broadcast leaves, each with the schedules of eight days.
//
// SampleCollection: the eight sample channels as the demo collection (scripts/run.sh) leaves
// them: a minute each with the schedule carousel going round in 10 s, about 1.3 MB a file; each
// file's schedules are complete after the first rounds, where its load ends.
// SixteenLongestCollections: sixteen channels (the sample channels and as many again under other
// stream ids) whose schedules never complete within the plug-in's longest collection of 420 s,
// so every packet of every file is read.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "broadcast_sim/collected_epg_data.h"
#include "broadcast_sim/default_broadcast.h"
#include "broadcast_sim/sim_time.h"
#include "broadcast_sim/time_builder.h"
#include "platform/paths.h"
#include "timer_core/epg/load_epg_data_files.h"

namespace {

namespace sim = broadcast_sim;

// A private folder with the collected files, removed at exit.
class CollectedFolder {
  public:
    CollectedFolder(bool longest) {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "bench-epg-data-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
        const std::uint64_t now = sim::ToTimeValue(sim::JstTime(2026, 12, 9, 19, 30));
        for (sim::ChannelBroadcast& channel : sim::MakeDefaultBroadcast(now).channels) {
            if (!longest) {
                Add(channel, sim::CollectEpgData(channel, now, sim::kCollectionMs, kDemoCycleMs));
                continue;
            }
            Add(channel, sim::CollectEpgData(channel, now, kLongestMs, kSlowCycleMs));
            channel.channel += 1;
            channel.transport_stream_id ^= 0x0800;
            Add(channel, sim::CollectEpgData(channel, now, kLongestMs, kSlowCycleMs));
        }
    }
    ~CollectedFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }

    std::wstring Wide() const { return platform::FromNativePath(path_.native()); }
    std::size_t files() const { return files_; }
    std::size_t bytes() const { return bytes_; }

  private:
    static constexpr std::uint64_t kDemoCycleMs = 10000;
    static constexpr std::uint64_t kLongestMs = 421000, kSlowCycleMs = 600000;

    void Add(const sim::ChannelBroadcast& channel, const std::string& bytes) {
        std::ofstream(path_ / ("ch" + std::to_string(channel.channel) + "_epg.dat"),
                      std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        ++files_;
        bytes_ += bytes.size();
    }

    std::filesystem::path path_;
    std::size_t files_ = 0;
    std::size_t bytes_ = 0;
};

void LoadAll(benchmark::State& state, const CollectedFolder& folder) {
    std::size_t events = 0;
    for (auto _ : state) {
        broadcast::EpgStore store;
        if (timer_core::LoadEpgDataFiles(folder.Wide(), store) != 1) {
            state.SkipWithError("the load failed");
            break;
        }
        events = 0;
        for (const auto& [key, schedule] : store.schedules)
            events += schedule->events.size();
    }
    state.counters["files"] = static_cast<double>(folder.files());
    state.counters["MB"] = static_cast<double>(folder.bytes()) / 1e6;
    state.counters["events"] = static_cast<double>(events);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * folder.bytes()));
}
void BM_SampleCollection(benchmark::State& state) {
    static const CollectedFolder folder(false);
    LoadAll(state, folder);
}
BENCHMARK(BM_SampleCollection)->Unit(benchmark::kMillisecond);

void BM_SixteenLongestCollections(benchmark::State& state) {
    static const CollectedFolder folder(true);
    LoadAll(state, folder);
}
BENCHMARK(BM_SixteenLongestCollections)->Unit(benchmark::kMillisecond);

}  // namespace
