// SharedMemoryBlock: one Status publication in this process plus its read in another process
// (this program started again in the reader role), told to read over a pipe. The time is the
// write plus the other process's read; the round trip with both pipe hops is a counter too.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <iostream>
#include <string>
#include <vector>

#include "bench/bench_timing.h"
#include "shared/shared_memory_block.h"
#include "shared/shared_memory_readers.h"
#include "tests/support/helper_process.h"
#include "tests/support/private_runtime.h"

namespace {

using bench_timing::NowNs;

// The reader role: for every process id on standard input, reads its Status and answers with
// the value and the read's duration.
const bool kIsReader = [] {
    if (std::getenv("ORVANDEL_BENCH_READER") == nullptr) return false;
    unsigned long pid = 0;
    while (std::cin >> pid) {
        std::int32_t status = -1;
        const std::int64_t start = NowNs();
        const int ok = shared::ReadPluginStatus(static_cast<platform::DWORD>(pid), &status);
        const std::int64_t took = NowNs() - start;
        std::printf("read %d %d %lld\n", ok, status, static_cast<long long>(took));
        std::fflush(stdout);
    }
    std::exit(0);
}();

double Median(const std::vector<double>& values) {
    return bench_timing::Percentile(values, 0.5);
}

void BM_WriteThenReadFromAnotherProcess(benchmark::State& state) {
    test_support::UsePrivateRuntime();
    test_support::HelperProcess reader("/proc/self/exe", {}, {"ORVANDEL_BENCH_READER=1"});
    shared::SharedMemoryBlock block;
    const platform::DWORD pid = 4321;
    std::vector<double> writeAndReadUs;
    std::vector<double> roundTripUs;
    std::vector<double> readUs;
    std::vector<double> writeUs;
    std::int32_t value = 0;
    for (auto _ : state) {
        ++value;
        const std::int64_t start = NowNs();
        if (block.WriteStatus(value, pid) != 1) {
            state.SkipWithError("write failed");
            break;
        }
        writeUs.push_back(static_cast<double>(NowNs() - start) / 1000.0);
        reader.WriteLine(std::to_string(pid));
        const auto line = reader.Expect("read ");
        const std::int64_t end = NowNs();
        int ok = 0, read = 0;
        long long took = 0;
        if (!line || std::sscanf(line->c_str(), "%d %d %lld", &ok, &read, &took) != 3 || !ok ||
            read != value) {
            state.SkipWithError("the other process did not read the value written");
            break;
        }
        roundTripUs.push_back(static_cast<double>(end - start) / 1000.0);
        readUs.push_back(static_cast<double>(took) / 1000.0);
        writeAndReadUs.push_back(writeUs.back() + readUs.back());
        state.SetIterationTime(writeAndReadUs.back() / 1e6);
    }
    state.counters["median_us"] = Median(writeAndReadUs);
    state.counters["round_trip_median_us"] = Median(roundTripUs);
    state.counters["write_median_us"] = Median(writeUs);
    state.counters["read_median_us"] = Median(readUs);
}
BENCHMARK(BM_WriteThenReadFromAnotherProcess)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace
