// The soak run's report: the figures per day (recordings due, reserved and made, missed starts,
// Orvandel's memory and threads at the day's start and end), the growth against its bound, what
// was left running and what went wrong.
#include <cstdio>

#include "tools/soak_run.h"
#include "tools/world_watch.h"

namespace tools {
namespace {

double Mb(std::uint64_t kb) {
    return static_cast<double>(kb) / 1024;
}

std::string DateTime(const platform::SYSTEMTIME& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d", t.wYear, t.wMonth, t.wDay, t.wHour,
                  t.wMinute);
    return text;
}

// The samples at a day's start and end (every 24th, the last one for a part of a day).
const SoakSample* SampleAt(const SoakResult& result, std::size_t hour) {
    if (result.samples.empty()) return nullptr;
    return &result.samples[std::min(hour, result.samples.size() - 1)];
}

void PrintDays(const SoakResult& result, std::FILE* out) {
    std::fprintf(out,
                 "\n  day  due  reserved  made  missed starts   Orvandel RSS (MB)   threads "
                 "of its own (record threads)\n");
    for (std::size_t d = 0; d < result.tally.days.size(); ++d) {
        const SoakDayCount& c = result.tally.days[d];
        const SoakSample* from = SampleAt(result, d * 24);
        const SoakSample* to = SampleAt(result, (d + 1) * 24);
        std::fprintf(out, "  %3zu  %3d  %8d  %4d  %13d", d + 1, c.due, c.reserved, c.made,
                     c.missedStarts);
        if (from != nullptr && to != nullptr) {
            std::fprintf(out, "   %6.1f -> %6.1f    %3d (%d) -> %d (%d)", Mb(from->rssKb),
                         Mb(to->rssKb), from->ownThreads, from->slots, to->ownThreads, to->slots);
        }
        std::fprintf(out, "\n");
    }
    const SoakDayCount& t = result.tally.total;
    std::fprintf(out, "  all  %3d  %8d  %4d  %13d\n", t.due, t.reserved, t.made, t.missedStarts);
}

void PrintGrowth(const SoakResult& result, std::FILE* out) {
    if (result.samples.empty()) return;
    const SoakSample& last = result.samples.back();
    std::fprintf(out,
                 "\nAt the end (%s): Orvandel %.1f MB resident, %d threads (%d of its own, %d "
                 "record threads due), %d viewers running\n",
                 ClockText(last.at).c_str(), Mb(last.rssKb), last.threads, last.ownThreads,
                 last.slots, last.viewers);
    if (result.baseline) {
        const SoakSample& base = *result.baseline;
        std::fprintf(out,
                     "Memory from the baseline (%s, after the first EPG acquisition): %.1f MB -> "
                     "%.1f MB, growth %+.1f MB, bound %.1f MB\n",
                     ClockText(base.at).c_str(), Mb(base.rssKb), Mb(last.rssKb),
                     (static_cast<double>(last.rssKb) - static_cast<double>(base.rssKb)) / 1024,
                     Mb(result.rssBoundKb));
    } else {
        std::fprintf(out, "The run ended before the baseline of its memory (03:57)\n");
    }
    std::fprintf(out, "Processes of the world left after Orvandel closed: %zu\n",
                 result.leftRunning.size());
    std::fprintf(out, "Recordings looked at and deleted: %.1f MB\n",
                 static_cast<double>(result.recordedBytes) / 1e6);
}

}  // namespace

void PrintSoakReport(const SoakResult& result, std::FILE* out) {
    std::fprintf(out, "\nOrvandel's soak run: %s to %s (%d hours of the clock)\n",
                 DateTime(result.began).c_str(), DateTime(result.ended).c_str(), result.hours);
    std::fprintf(out, "on a clock %.0f times as fast as real time, in %.1f s of real time\n",
                 result.clockRate, result.realSeconds);
    PrintDays(result, out);
    PrintGrowth(result, out);
    std::fprintf(out, "\nWhat went wrong\n");
    for (const std::string& problem : result.problems)
        std::fprintf(out, "  - %s\n", problem.c_str());
    if (result.problems.empty()) std::fprintf(out, "  nothing\n");
    std::fprintf(out, "\nThe run's folder: %s (debug.log, home/Documents/Orvandel/Program.txt)\n",
                 result.root.c_str());
}

}  // namespace tools
