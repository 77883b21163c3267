// The soak run of scripts/soak.sh (tools/soak_run.h): the whole system for days on a fast clock,
// in a world of its own in the folder given, with the programs built beside this one. Prints a
// line per day and every problem as it is seen, then the report; exit code 0 when every
// recording due was made, no start was missed, nothing was left running and Orvandel's memory
// stayed within its bound.
//
// Usage: soak <empty folder> [days] [clock rate]
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "platform/known_folders.h"
#include "platform/paths.h"
#include "tools/soak_run.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <empty folder> [days] [clock rate]\n", argv[0]);
        return 2;
    }
    tools::SoakOptions options;
    options.root = std::filesystem::absolute(argv[1]);
    options.binFolder =
        std::filesystem::path(platform::ToNativePath(platform::HostExecutablePath())).parent_path();
    if (argc > 2) options.days = std::atof(argv[2]);
    if (argc > 3) options.clockRate = std::atof(argv[3]);
    if (!(options.days > 0) || !(options.clockRate > 0)) {
        std::fprintf(stderr, "the days and the clock rate must be positive numbers\n");
        return 2;
    }
    options.live = stdout;
    std::printf("A soak run of %.2f days in %s, the clock %.0f times as fast as real time\n",
                options.days, options.root.c_str(), options.clockRate);
    const tools::SoakResult result = tools::RunSoak(options);
    tools::PrintSoakReport(result, stdout);
    return result.problems.empty() ? 0 : 1;
}
