// Timing helpers of the cross-process benchmarks: a monotonic clock shared by both processes and
// the percentiles they report.
#pragma once

#include <time.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace bench_timing {

// Nanoseconds of CLOCK_MONOTONIC, comparable between processes of one machine.
inline std::int64_t NowNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

// The value below which the given share (0..1) of the samples lie; 0 without samples.
inline double Percentile(std::vector<double> values, double share) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(static_cast<double>(values.size()) * share);
    return values[std::min(index, values.size() - 1)];
}

}  // namespace bench_timing
