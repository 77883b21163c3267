#include "tools/soak_run.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <map>
#include <set>
#include <thread>
#include <tuple>

#include "platform/utf8.h"
#include "timer_core/scheduling/reserve_time.h"
#include "tools/world_watch.h"

namespace tools {
namespace {

namespace fs = std::filesystem;

constexpr std::uint64_t kHour = timer_core::kFileTimePerHour;
constexpr std::uint64_t kSecond = platform::kFileTimePerSecond;
// The first day's 03:57: the first acquisition is done, no recording has run yet.
constexpr int kBaselineHour = 2;
// A programme is looked at once its reservation has a result, but no later than this after its
// end; a recording's result comes a few clock seconds after its end.
constexpr std::uint64_t kResultWait = 300 * kSecond;
constexpr std::uint64_t kSettle = 20 * kSecond;
// Real time a run may take beyond its clock time before its end is given up (a busy machine).
constexpr int kGraceMs = 60000;
constexpr std::uint64_t kPlanningHorizon = 3 * kHour;

std::uint64_t Clock(const platform::SYSTEMTIME& time) {
    return timer_core::LocalFileTime(time);
}

std::string Stamp(const platform::SYSTEMTIME& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d", t.wYear, t.wMonth, t.wDay, t.wHour,
                  t.wMinute);
    return text;
}

std::optional<std::uint64_t> ResidentKb(platform::DWORD pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmRSS:")) return std::stoull(line.substr(6));
    }
    return std::nullopt;
}

// All threads, and those that are not workers of Qt's thread pool (which end by themselves after
// half a minute of real time without work).
std::pair<int, int> ThreadCounts(platform::DWORD pid) {
    std::error_code ec;
    int all = 0, own = 0;
    for (auto it = fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", ec);
         !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::string name;
        std::getline(std::ifstream(it->path() / "comm"), name);
        ++all;
        if (name != "Thread (pooled)") ++own;
    }
    return {all, own};
}

class Soak {
  public:
    Soak(const SoakOptions& options, SoakResult& result)
        : options_(options),
          result_(result),
          plan_(SoakWeekPlan(options.days)),
          world_(options.root, WorldOptions()) {
        start_ = Clock(plan_.clockStart);
        end_ = start_ + static_cast<std::uint64_t>(result_.hours) * kHour;
        for (const SoakProgramme& programme : plan_.programmes) {
            if (EndOf(programme) > end_) continue;
            due_.push_back(programme);
            dayOf_.push_back(
                static_cast<int>((Clock(programme.start) - start_) / platform::kFileTimePerDay));
        }
        seen_.resize(due_.size());
    }

    void Run() {
        result_.began = plan_.clockStart;
        if (!world_.Prepare()) {
            Problem("the programs are missing in " + options_.binFolder.string());
            return;
        }
        if (!world_.StartOrvandel()) {
            Problem("Orvandel did not come up");
            Finish();
            return;
        }
        Live("Orvandel's window is up; the EPG acquisition is set for 02:00 every day\n");
        Sample(start_);
        if (RunTheHours()) AwaitTheLastResults();
        Finish();
    }

  private:
    // Looks at the programmes as they fall due and samples every hour; false when Orvandel ended
    // or the run fell behind its clock.
    bool RunTheHours() {
        // The days begin at 01:57, so every hour after the start is an hh:57.
        std::uint64_t nextSample = start_ + kHour;
        bool ended = false;
        bool reached = false;
        world_.WaitUntilClock(
            [&] {
                const std::uint64_t now = Clock(world_.Now());
                if (world_.OrvandelPid() == 0) {
                    Problem("Orvandel ended by itself at " + ClockText(world_.Now()));
                    return ended = true;
                }
                LookAtDueProgrammes(now, false);
                if (now < nextSample) return false;
                Sample(nextSample);
                if (nextSample >= end_) return reached = true;
                nextSample += kHour;
                return false;
            },
            timer_core::LocalSystemTime(end_), kGraceMs);
        if (!ended && !reached) Problem("the run did not reach its end within its real time");
        return reached;
    }

    SystemWorldOptions WorldOptions() {
        SystemWorldOptions world = SoakWorldOptions(plan_, options_.clockRate);
        world.binFolder = options_.binFolder;
        world.offscreen = options_.offscreen;
        return world;
    }

    std::uint64_t EndOf(const SoakProgramme& programme) const {
        return Clock(programme.start) + static_cast<std::uint64_t>(programme.seconds) * kSecond;
    }

    void Live(const std::string& text) const {
        if (options_.live == nullptr) return;
        std::fprintf(options_.live, "  %s  %s", ClockText(world_.Now()).c_str(), text.c_str());
        std::fflush(options_.live);
    }

    void Problem(const std::string& text) {
        result_.problems.push_back(text);
        Live("problem: " + text + "\n");
    }

    // --- the due programmes ---

    void LookAtDueProgrammes(std::uint64_t now, bool last) {
        std::optional<std::vector<timer_core::ReserveEntry>> reservations;
        for (std::size_t i = 0; i < due_.size(); ++i) {
            if (seen_[i] || EndOf(due_[i]) + kSettle > now) continue;
            if (!reservations) reservations = world_.Reservations();
            const timer_core::ReserveEntry* entry = Reservation(*reservations, due_[i]);
            const bool waited = EndOf(due_[i]) + kResultWait <= now || last;
            if (entry != nullptr && entry->resultText.empty() && !waited) continue;
            Look(i, entry);
        }
    }

    static const timer_core::ReserveEntry* Reservation(
        const std::vector<timer_core::ReserveEntry>& all, const SoakProgramme& programme) {
        const auto it = std::find_if(all.begin(), all.end(), [&](const auto& e) {
            return e.id != 0 && e.serviceId == programme.serviceId &&
                   e.eventId == programme.eventId;
        });
        return it == all.end() ? nullptr : &*it;
    }

    void Look(std::size_t index, const timer_core::ReserveEntry* entry) {
        const SoakProgramme& programme = due_[index];
        SoakObservation seen;
        seen.reserved = entry != nullptr;
        if (entry != nullptr) seen.resultText = entry->resultText;
        const std::string stamp = Stamp(programme.start);
        const std::string title = platform::WideToUtf8(programme.title);
        for (const SystemWorld::RecordingFile& file : world_.RecordingFiles()) {
            const std::string name = file.path.filename().string();
            if (!name.starts_with(stamp) || name.find(title) == std::string::npos) continue;
            ++seen.files;
            seen.bytes += file.size;
            Widen(seen.span, ReadBroadcastTimeSpan(file.path));
            Delete(file.path);
        }
        result_.recordedBytes += seen.bytes;
        seen_[index] = seen;
        const SoakVerdict verdict = JudgeRecording(programme, &*seen_[index]);
        if (verdict != SoakVerdict::kMade)
            Live("problem: " + VerdictText(programme, &*seen_[index], verdict) + "\n");
    }

    static void Widen(std::optional<BroadcastTimeSpan>& span,
                      const std::optional<BroadcastTimeSpan>& more) {
        if (!more) return;
        if (!span) {
            span = more;
            return;
        }
        if (Clock(more->first) < Clock(span->first)) span->first = more->first;
        if (Clock(more->last) > Clock(span->last)) span->last = more->last;
    }

    // The recording and the files the plug-in writes beside it (error log, programme text).
    static void Delete(const fs::path& recording) {
        const std::string stem = recording.filename().string();
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(recording.parent_path(), ec)) {
            if (entry.path().filename().string().starts_with(stem)) fs::remove(entry.path(), ec);
        }
    }

    void AwaitTheLastResults() {
        world_.WaitUntilClock(
            [&] {
                if (world_.OrvandelPid() == 0) return true;
                LookAtDueProgrammes(Clock(world_.Now()), false);
                return std::all_of(seen_.begin(), seen_.end(), [](const auto& s) { return s; });
            },
            timer_core::LocalSystemTime(end_ + kResultWait), kGraceMs);
        LookAtDueProgrammes(Clock(world_.Now()), true);
    }

    // --- samples ---

    void Sample(std::uint64_t hour) {
        const platform::DWORD pid = world_.OrvandelPid();
        SoakSample sample;
        sample.at = world_.Now();
        sample.rssKb = ResidentKb(pid).value_or(0);
        std::tie(sample.threads, sample.ownThreads) = ThreadCounts(pid);
        sample.slots = ExpectedSlots(Clock(sample.at));
        const std::vector<platform::DWORD> viewers = world_.ViewerPids();
        sample.viewers = static_cast<int>(viewers.size());
        for (platform::DWORD viewer : viewers) {
            if (idleViewers_.insert(viewer).second)
                Problem("FriioView (pid " + std::to_string(viewer) + ") runs at " +
                        ClockText(sample.at) + " although nothing is due");
        }
        result_.samples.push_back(sample);
        WriteSample(sample);
        if (hour == start_ + kBaselineHour * kHour) result_.baseline = sample;
        if (hour > start_ && (hour - start_) % platform::kFileTimePerDay == 0) DayLine(hour);
    }

    // Every sample into samples.tsv of the run's folder, for a look at the curves.
    void WriteSample(const SoakSample& s) const {
        std::ofstream out(options_.root / "samples.tsv", std::ios::app);
        if (result_.samples.size() == 1)
            out << "time\trss_kb\tthreads\tthreads_own\trecord_threads\tviewers\n";
        out << ClockText(s.at) << '\t' << s.rssKb << '\t' << s.threads << '\t' << s.ownThreads
            << '\t' << s.slots << '\t' << s.viewers << '\n';
    }

    int ExpectedSlots(std::uint64_t now) const {
        bool group[2] = {false, false};
        for (const timer_core::ReserveEntry& e : world_.Reservations()) {
            const std::uint64_t start = Clock(e.start);
            if (e.id != 0 && start > now + 60 * kSecond && start < now + kPlanningHorizon)
                group[static_cast<std::uint32_t>(e.channelValue) > 0xFFFE ? 1 : 0] = true;
        }
        return int{group[0]} + int{group[1]};
    }

    void DayLine(std::uint64_t dayEnd) {
        const int day = static_cast<int>((dayEnd - start_) / platform::kFileTimePerDay);
        int due = 0, made = 0;
        for (std::size_t i = 0; i < due_.size(); ++i) {
            if (dayOf_[i] != day - 1 || !seen_[i]) continue;
            ++due;
            if (JudgeRecording(due_[i], &*seen_[i]) == SoakVerdict::kMade) ++made;
        }
        const SoakSample& now = result_.samples.back();
        char line[200];
        std::snprintf(line, sizeof line,
                      "day %d done: %d of %d recordings made; Orvandel %.1f MB, %d threads; "
                      "%d viewers\n",
                      day, made, due, static_cast<double>(now.rssKb) / 1024, now.ownThreads,
                      now.viewers);
        Live(line);
    }

    // --- the end ---

    void Finish() {
        result_.ended = world_.Now();
        const bool clean = world_.OrvandelPid() == 0 || world_.CloseOrvandel();
        if (!clean) Problem("Orvandel did not close by itself through its window");
        result_.leftRunning = world_.Stop();
        for (const SystemWorld::Process& left : result_.leftRunning)
            Problem(left.name + " (pid " + std::to_string(left.pid) + ") was left running");
        std::vector<const SoakObservation*> seen;
        for (const auto& s : seen_)
            seen.push_back(s ? &*s : nullptr);
        const int days = static_cast<int>((result_.hours + 23) / 24);
        result_.tally = TallyRecordings(due_, dayOf_, seen, days);
        result_.problems.insert(result_.problems.end(), result_.tally.problems.begin(),
                                result_.tally.problems.end());
        CheckGrowth();
    }

    void CheckGrowth() {
        if (!result_.baseline || result_.samples.empty()) return;
        const SoakSample& base = *result_.baseline;
        const SoakSample& last = result_.samples.back();
        const double days = static_cast<double>(Clock(last.at) - Clock(base.at)) /
                            static_cast<double>(platform::kFileTimePerDay);
        result_.rssBoundKb = kSoakRssBaseKb + static_cast<std::uint64_t>(
                                                  days * static_cast<double>(kSoakRssPerDayKb));
        if (last.rssKb > base.rssKb + result_.rssBoundKb) {
            Problem("Orvandel's memory grew from " + std::to_string(base.rssKb) + " kB to " +
                    std::to_string(last.rssKb) + " kB, beyond the bound of " +
                    std::to_string(result_.rssBoundKb) + " kB");
        }
        if (last.ownThreads - last.slots > base.ownThreads - base.slots) {
            Problem("Orvandel holds " + std::to_string(last.ownThreads) +
                    " threads of its own at the end for " + std::to_string(last.slots) +
                    " record threads, against " + std::to_string(base.ownThreads) + " for " +
                    std::to_string(base.slots) + " at " + ClockText(base.at));
        }
    }

    const SoakOptions& options_;
    SoakResult& result_;
    SoakPlan plan_;
    SystemWorld world_;
    std::uint64_t start_ = 0;
    std::uint64_t end_ = 0;
    std::vector<SoakProgramme> due_;
    std::vector<int> dayOf_;
    std::vector<std::optional<SoakObservation>> seen_;
    std::set<platform::DWORD> idleViewers_;
};

}  // namespace

SoakResult RunSoak(const SoakOptions& options) {
    const auto realStart = std::chrono::steady_clock::now();
    SoakResult result;
    result.root = options.root;
    result.clockRate = options.clockRate;
    result.hours = std::max(1, static_cast<int>(options.days * 24 + 0.5));
    Soak(options, result).Run();
    result.realSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - realStart).count();
    return result;
}

}  // namespace tools
