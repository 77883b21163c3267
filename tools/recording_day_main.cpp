// The README's main job: a recording day of the whole system on the synthetic broadcast
// (tools/recording_day_plan.h), in a world of its own in the folder given, with the programs built
// beside this one. Prints the day's events as they happen, then the report; exit code 0 when
// nothing went wrong.
//
// Usage: recording_day <empty folder> [clock rate]
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "platform/known_folders.h"
#include "platform/paths.h"
#include "tools/recording_day.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <empty folder> [clock rate]\n", argv[0]);
        return 2;
    }
    tools::RecordingDayOptions options;
    options.root = std::filesystem::absolute(argv[1]);
    options.binFolder =
        std::filesystem::path(platform::ToNativePath(platform::HostExecutablePath())).parent_path();
    if (argc > 2) options.clockRate = std::atof(argv[2]);
    if (!(options.clockRate > 0)) {
        std::fprintf(stderr, "the clock rate must be a positive number\n");
        return 2;
    }
    options.live = stdout;
    std::printf("A recording day in %s, the clock %.0f times as fast as real time\n",
                options.root.c_str(), options.clockRate);
    const tools::RecordingDayResult result = tools::RunRecordingDay(options);
    tools::PrintRecordingDayReport(result, stdout);
    return result.problems.empty() ? 0 : 1;
}
