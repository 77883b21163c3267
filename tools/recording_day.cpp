#include "tools/recording_day.h"

#include <algorithm>
#include <chrono>
#include <iterator>

#include "broadcast/epg_store.h"
#include "platform/paths.h"
#include "platform/utf8.h"
#include "timer_core/epg/load_epg_data_files.h"
#include "timer_core/scheduling/reserve_time.h"
#include "tools/system_world.h"

namespace tools {
namespace {

namespace fs = std::filesystem;

// Real time a step may take beyond the clock time it is due in (a busy machine).
constexpr int kGraceMs = 30000;
// Clock minutes after the day's end that the record threads have to note their results.
constexpr int kResultMinutes = 5;
constexpr std::uint64_t kFileTimeSecond = 10000000;
// What marks a debug line as a fault: the record thread and the timed EPG acquisition name
// every failure of theirs, the other programs say what went wrong in these words.
constexpr const char* kFaultMarks[] = {
    "record thread: ", "EPG acquisition: ", "could not",  "failed",    "faile",   "Err",
    "refused",         "dropped",           "見つからず", "BuffOverr", "is not a"};

std::string Utf8(std::wstring_view text) {
    return platform::WideToUtf8(text);
}

std::int64_t Seconds(const platform::SYSTEMTIME& time) {
    return static_cast<std::int64_t>(timer_core::LocalFileTime(time) / kFileTimeSecond);
}

class Day {
  public:
    Day(const RecordingDayOptions& options, RecordingDayResult& result)
        : options_(options),
          result_(result),
          world_(options.root, WorldOptions()),
          watch_(world_, options.live) {}

    void Run() {
        if (!world_.Prepare()) {
            Problem("the programs are missing in " + options_.binFolder.string());
            return;
        }
        result_.began = result_.plan.clockStart;
        if (!world_.StartOrvandel()) {
            Problem("Orvandel did not come up");
            Finish();
            return;
        }
        watch_.Look();
        watch_.Note("Orvandel's window is up; an EPG acquisition is set for 19:00");
        if (AwaitAutomaticReservations()) AddTheUsersReservations();
        AwaitTheEndOfTheDay();
        Finish();
    }

  private:
    SystemWorldOptions WorldOptions() const {
        SystemWorldOptions world = WorldOptionsFor(result_.plan);
        world.binFolder = options_.binFolder;
        world.clockRate = options_.clockRate;
        world.offscreen = options_.offscreen;
        return world;
    }

    void Problem(const std::string& text) { result_.problems.push_back(text); }

    // Waits, watching the world, until done() holds or the clock has passed `by` (plus grace).
    bool WaitUntil(const std::function<bool()>& done, const platform::SYSTEMTIME& by) {
        return world_.WaitUntilClock(
            [&] {
                watch_.Look();
                return done();
            },
            by, kGraceMs);
    }

    const timer_core::ReserveEntry* Reserved(const std::vector<timer_core::ReserveEntry>& all,
                                             const std::wstring& title) const {
        const auto it = std::find_if(all.begin(), all.end(),
                                     [&](const auto& e) { return e.title == title && e.id != 0; });
        return it == all.end() ? nullptr : &*it;
    }

    bool AwaitAutomaticReservations() {
        const RecordingDayPlan& plan = result_.plan;
        const bool made = WaitUntil(
            [&] {
                const auto all = world_.Reservations();
                return std::all_of(plan.programmes.begin(), plan.programmes.end(), [&](auto& p) {
                    return !p.how.starts_with("automatic") || Reserved(all, p.title) != nullptr;
                });
            },
            plan.reservationsBy);
        if (!made) Problem("the EPG acquisition brought no automatic reservations by 19:05");
        return made;
    }

    // Program.txt is the timer's own file, rewritten whole at every save: the user closes the
    // timer before editing it, and starts it again.
    void AddTheUsersReservations() {
        const RecordingDayPlan& plan = result_.plan;
        watch_.Note("the user closes Orvandel to add a line for " + Utf8(plan.handMade.title) +
                    " to Program.txt by hand");
        if (!world_.CloseOrvandel()) Problem("Orvandel did not close by itself through its window");
        watch_.Look();
        if (!world_.AppendReservation(plan.handMade)) Problem("Program.txt could not be written");
        if (!world_.StartOrvandel()) {
            Problem("Orvandel did not come up again");
            return;
        }
        watch_.Look();
        const fs::path iepg = result_.root / "shirabe.tvpid";
        WriteIepgFile(iepg, plan.iepg);
        watch_.Note("the user opens " + iepg.filename().string() + " (" + Utf8(plan.iepg.title) +
                    "), which starts a second Orvandel");
        const std::optional<int> code = world_.RunSecondInstance({iepg.string()});
        if (code != 0) {
            Problem("the second Orvandel " +
                    (code ? "ended with exit code " + std::to_string(*code) : "did not end"));
        }
        const bool merged = WaitFor(
            [&] {
                watch_.Look();
                const auto all = world_.Reservations();
                return Reserved(all, plan.handMade.title) != nullptr &&
                       Reserved(all, plan.iepg.title) != nullptr;
            },
            kGraceMs);
        if (!merged) Problem("the running Orvandel did not take up the new reservations");
    }

    void AwaitTheEndOfTheDay() {
        const platform::SYSTEMTIME end = result_.plan.dayEnd;
        const std::uint64_t endTime = timer_core::LocalFileTime(end);
        // A recording in fixed time runs on with its margins after the viewer's own stop: the day
        // ends once every reserved programme has its result, bounded a few minutes after its end.
        const auto noted = [&] {
            const auto all = world_.Reservations();
            return std::all_of(all.begin(), all.end(),
                               [](const auto& entry) { return !entry.resultText.empty(); });
        };
        WaitUntil(
            [&] {
                return timer_core::LocalFileTime(world_.Now()) >= endTime &&
                       world_.ViewerPids().empty() && noted();
            },
            timer_core::LocalSystemTime(endTime + kResultMinutes * 60 * kFileTimeSecond));
        const fs::path picture = result_.root / "main-window.png";
        if (world_.SaveMainWindowPicture(picture)) {
            result_.picture = picture;
        } else {
            Problem("no picture of the main window could be taken");
        }
    }

    void Finish() {
        watch_.Look();
        result_.ended = world_.Now();
        const bool clean = world_.OrvandelPid() == 0 || world_.CloseOrvandel();
        watch_.Look();
        if (!clean) Problem("Orvandel did not close by itself through its window");
        for (const SystemWorld::Process& left : world_.Stop())
            Problem(left.name + " (pid " + std::to_string(left.pid) + ") was left running");
        watch_.Look();
        result_.events = watch_.Events();
        result_.reservations = world_.Reservations();
        for (const SystemWorld::RecordingFile& file : world_.RecordingFiles())
            result_.recordings.push_back({file.path, file.size, ReadBroadcastTimeSpan(file.path)});
        LoadEpgFigures();
        CheckProgrammes();
        CheckDebugLog();
    }

    void LoadEpgFigures() {
        broadcast::EpgStore store;
        timer_core::LoadEpgDataFiles(platform::FromNativePath(world_.EpgDataFolder().native()),
                                     store);
        result_.epgServices = store.services.size();
        for (const auto& [key, schedule] : store.schedules)
            result_.epgProgrammes += schedule->events.size();
        if (result_.epgServices == 0) Problem("the EPG data folder holds no services");
    }

    const DayRecording* RecordingOf(const std::wstring& title) const {
        const std::string part = Utf8(title);
        for (const DayRecording& recording : result_.recordings) {
            if (recording.path.filename().string().find(part) != std::string::npos)
                return &recording;
        }
        return nullptr;
    }

    void CheckProgrammes() {
        for (const DayProgramme& programme : result_.plan.programmes) {
            const std::string title = Utf8(programme.title);
            const auto* entry = Reserved(result_.reservations, programme.title);
            if (entry == nullptr) {
                Problem(title + " was never reserved");
                continue;
            }
            if (entry->resultText.find(L"録画終了") == std::wstring::npos)
                Problem(title + " was not recorded: \"" + Utf8(entry->resultText) + "\"");
            const DayRecording* recording = RecordingOf(programme.title);
            if (recording == nullptr) {
                Problem(title + " has no recording file");
            } else if (!recording->span) {
                Problem(recording->path.filename().string() + " holds no broadcast time");
            } else {
                CheckSpan(programme, *recording);
            }
        }
    }

    void CheckSpan(const DayProgramme& programme, const DayRecording& recording) {
        const RecordingShortfall shortfall = ShortfallOf(
            *recording.span, programme.start, programme.seconds, programme.handOverSeconds);
        const std::string name = recording.path.filename().string();
        if (shortfall.atStart > 0)
            Problem(name + " begins at " + ClockText(recording.span->first) + ", " +
                    std::to_string(shortfall.atStart) + " s into its programme");
        if (shortfall.atEnd > 0)
            Problem(name + " ends at " + ClockText(recording.span->last) + ", " +
                    std::to_string(shortfall.atEnd) + " s short of its programme's end" +
                    (programme.handOverSeconds > 0 ? " (less the hand-over)" : ""));
    }

    void CheckDebugLog() {
        for (const std::string& line : FaultsInDebugLog(world_.DebugLogLines()))
            Problem("debug log: " + line);
    }

    const RecordingDayOptions& options_;
    RecordingDayResult& result_;
    SystemWorld world_;
    WorldWatch watch_;
};

}  // namespace

std::vector<std::string> FaultsInDebugLog(const std::vector<std::string>& lines) {
    std::vector<std::string> faults;
    std::copy_if(lines.begin(), lines.end(), std::back_inserter(faults),
                 [](const std::string& line) {
                     return std::any_of(
                         std::begin(kFaultMarks), std::end(kFaultMarks),
                         [&](const char* mark) { return line.find(mark) != std::string::npos; });
                 });
    return faults;
}

RecordedMargins MarginsOf(const DayProgramme& programme, const BroadcastTimeSpan& span) {
    const std::int64_t start = Seconds(programme.start);
    return {static_cast<int>(start - Seconds(span.first)),
            static_cast<int>(Seconds(span.last) - (start + programme.seconds))};
}

RecordingDayResult RunRecordingDay(const RecordingDayOptions& options) {
    const auto realStart = std::chrono::steady_clock::now();
    RecordingDayResult result;
    result.plan = EveningPlan();
    result.root = options.root;
    result.clockRate = options.clockRate;
    Day(options, result).Run();
    result.realSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - realStart).count();
    return result;
}

}  // namespace tools
