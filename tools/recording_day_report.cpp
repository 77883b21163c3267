// The recording day's report: what happened, the reservations with their results, the recording
// files with the broadcast time each holds, and what went wrong.
#include <cinttypes>
#include <cstdio>

#include "platform/utf8.h"
#include "timer_core/scheduling/reserve_time.h"
#include "tools/recording_day.h"

namespace tools {
namespace {

namespace fs = std::filesystem;

std::string Utf8(std::wstring_view text) {
    return platform::WideToUtf8(text);
}

// Columns on a terminal: Japanese characters take two.
std::size_t DisplayWidth(const std::string& utf8) {
    std::size_t width = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        width += length >= 3 ? 2 : 1;
        i += length;
    }
    return width;
}

std::string Pad(const std::string& text, std::size_t width) {
    const std::size_t used = DisplayWidth(text);
    return text + std::string(used < width ? width - used : 1, ' ');
}

std::string DateTime(const platform::SYSTEMTIME& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d", t.wYear, t.wMonth, t.wDay, t.wHour,
                  t.wMinute);
    return text;
}

std::string Size(std::uintmax_t bytes) {
    char text[32];
    if (bytes >= 1000000) {
        std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / 1e6);
    } else {
        std::snprintf(text, sizeof text, "%.0f kB", static_cast<double>(bytes) / 1e3);
    }
    return text;
}

platform::SYSTEMTIME Plus(const platform::SYSTEMTIME& time, int seconds) {
    return timer_core::LocalSystemTime(timer_core::LocalFileTime(time) +
                                       static_cast<std::uint64_t>(seconds) *
                                           platform::kFileTimePerSecond);
}

const DayProgramme* ProgrammeOf(const RecordingDayPlan& plan, const fs::path& file) {
    for (const DayProgramme& programme : plan.programmes) {
        if (file.filename().string().find(Utf8(programme.title)) != std::string::npos)
            return &programme;
    }
    return nullptr;
}

void PrintEvents(const RecordingDayResult& result, std::FILE* out) {
    std::fprintf(out, "\nWhat happened (clock time)\n");
    for (const WorldEvent& event : result.events)
        std::fprintf(out, "  %s  %s\n", ClockText(event.at).c_str(), event.text.c_str());
}

void PrintReservations(const RecordingDayResult& result, std::FILE* out) {
    std::fprintf(out, "\nReservations (Program.txt at the end)\n  %s%s%s%s%s%s\n",
                 Pad("ID", 4).c_str(), Pad("start", 18).c_str(), Pad("min", 5).c_str(),
                 Pad("channel", 16).c_str(), Pad("title", 18).c_str(), "follow  result");
    for (const timer_core::ReserveEntry& e : result.reservations) {
        std::fprintf(out, "  %s%s%s%s%s%s%s\n", Pad(std::to_string(e.id), 4).c_str(),
                     Pad(DateTime(e.start), 18).c_str(),
                     Pad(std::to_string(e.durationMinutes), 5).c_str(),
                     Pad(Utf8(e.channelName), 16).c_str(), Pad(Utf8(e.title), 18).c_str(),
                     Pad(e.follow != 0 ? "on" : "off", 8).c_str(), Utf8(e.resultText).c_str());
    }
    if (result.reservations.empty()) std::fprintf(out, "  (none)\n");
}

// "15 s before, 1 s after" the programme; a negative margin is a cut.
std::string MarginText(const RecordedMargins& margins) {
    const auto side = [](int seconds, const char* beyond, const char* within) {
        return std::to_string(seconds < 0 ? -seconds : seconds) + " s " +
               (seconds < 0 ? within : beyond);
    };
    return "from " + side(margins.before, "before", "after the start") + " to " +
           side(margins.after, "after", "before the end");
}

void PrintRecordings(const RecordingDayResult& result, std::FILE* out) {
    std::fprintf(out,
                 "\nRecordings (recordings/): size, broadcast time held (first and last second "
                 "in the file), programme\n");
    for (const DayRecording& r : result.recordings) {
        std::string held = "no broadcast time";
        if (r.span) held = ClockText(r.span->first) + "-" + ClockText(r.span->last);
        std::string programme;
        if (const DayProgramme* p = ProgrammeOf(result.plan, r.path)) {
            programme = ClockText(p->start) + "-" + ClockText(Plus(p->start, p->seconds));
            if (r.span) programme += " (" + MarginText(MarginsOf(*p, *r.span)) + ")";
            programme += "  " + p->how;
        }
        std::fprintf(out, "  %s%s%s%s\n", Pad(r.path.filename().string(), 36).c_str(),
                     Pad(Size(r.size), 10).c_str(), Pad(held, 19).c_str(), programme.c_str());
    }
    if (result.recordings.empty()) std::fprintf(out, "  (none)\n");
}

void PrintProblems(const RecordingDayResult& result, std::FILE* out) {
    std::fprintf(out, "\nWhat went wrong\n");
    for (const std::string& problem : result.problems)
        std::fprintf(out, "  - %s\n", problem.c_str());
    if (result.problems.empty()) std::fprintf(out, "  nothing\n");
}

}  // namespace

void PrintRecordingDayReport(const RecordingDayResult& result, std::FILE* out) {
    std::fprintf(out, "\nOrvandel's recording day on the synthetic broadcast: %s to %s\n",
                 DateTime(result.began).c_str(), ClockText(result.ended).c_str());
    std::fprintf(out, "on a clock %.0f times as fast as real time, in %.1f s of real time\n",
                 result.clockRate, result.realSeconds);
    PrintEvents(result, out);
    std::fprintf(out, "\nEPG data (Documents/Orvandel/EpgData): %zu services, %zu programmes\n",
                 result.epgServices, result.epgProgrammes);
    PrintReservations(result, out);
    PrintRecordings(result, out);
    PrintProblems(result, out);
    std::fprintf(out,
                 "\nThe day's folder: %s\n"
                 "  home/Documents/Orvandel  Program.txt, AutoSearch.txt, ChSet*.txt, EpgData/\n"
                 "  recordings/              the recordings    program/   Orvandel, Orvandel.ini\n"
                 "  debug.log, power.log     debug lines, power requests of every program\n"
                 "  %s    the main window at the end of the day; pictures/: every dialog shown\n",
                 result.root.c_str(),
                 result.picture.empty() ? "(no picture)    " : "main-window.png ");
}

}  // namespace tools
