#include "tools/world_watch.h"

#include <fstream>
#include <iterator>

#include "platform/utf8.h"
#include "timer_core/scheduling/reserve_time.h"

namespace tools {
namespace {

std::string Utf8(std::wstring_view text) {
    return platform::WideToUtf8(text);
}

// The arguments a program was started with, separated by blanks.
std::string ArgumentsOf(platform::DWORD pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/cmdline", std::ios::binary);
    const std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string args;
    bool first = true;
    std::size_t begin = 0;
    for (std::size_t end = raw.find('\0'); end != std::string::npos;
         begin = end + 1, end = raw.find('\0', begin)) {
        if (!first) args += (args.empty() ? "" : " ") + raw.substr(begin, end - begin);
        first = false;
    }
    return args;
}

std::string Minutes(const timer_core::ReserveEntry& entry) {
    return std::to_string(entry.durationMinutes) + " min";
}

std::string Describe(const timer_core::ReserveEntry& entry) {
    char text[64];
    std::snprintf(text, sizeof text, "%02d:%02d, ", entry.start.wHour, entry.start.wMinute);
    return text + Minutes(entry) + ", " + Utf8(entry.channelName) +
           (entry.follow != 0 ? ", follow mode" : ", fixed time");
}

}  // namespace

std::string ClockText(const platform::SYSTEMTIME& time) {
    char text[24];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", time.wHour, time.wMinute, time.wSecond);
    return text;
}

WorldWatch::WorldWatch(const SystemWorld& world, std::FILE* live) : world_(world), live_(live) {}

void WorldWatch::Look() {
    LookAtProcesses();
    LookAtReservations();
    LookAtRecordings();
}

void WorldWatch::Note(const std::string& text) {
    events_.push_back({world_.Now(), text});
    if (live_ != nullptr) {
        std::fprintf(live_, "  %s  %s\n", ClockText(events_.back().at).c_str(), text.c_str());
        std::fflush(live_);
    }
}

void WorldWatch::LookAtProcesses() {
    std::map<platform::DWORD, std::string> now;
    for (const SystemWorld::Process& process : world_.Processes()) {
        const auto known = processes_.find(process.pid);
        if (known != processes_.end() && known->second.starts_with(process.name)) {
            now.insert(*known);
            continue;
        }
        const std::string args = ArgumentsOf(process.pid);
        now[process.pid] = process.name + (args.empty() ? "" : " " + args);
        Note(now[process.pid] + " started");
    }
    for (const auto& [pid, program] : processes_) {
        if (!now.contains(pid)) Note(program + " ended");
    }
    processes_ = std::move(now);
}

void WorldWatch::LookAtReservations() {
    for (const timer_core::ReserveEntry& entry : world_.Reservations()) {
        // Lines another writer appended count once the timer has numbered them.
        if (entry.id == 0) continue;
        const std::string title = Utf8(entry.title);
        const auto known = reservations_.find(entry.title);
        if (known == reservations_.end()) {
            reservations_[entry.title] = entry;
            Note("reserved: " + title + " (" + Describe(entry) + ")");
            if (!entry.resultText.empty()) Note(title + ": " + Utf8(entry.resultText));
            continue;
        }
        timer_core::ReserveEntry& last = known->second;
        if (timer_core::LocalFileTime(last.start) != timer_core::LocalFileTime(entry.start)) {
            Note(title + " moved to " + ClockText(entry.start).substr(0, 5));
        }
        if (last.durationMinutes != entry.durationMinutes) {
            Note(title + " now " + Minutes(entry));
        }
        if (last.resultText != entry.resultText) Note(title + ": " + Utf8(entry.resultText));
        last = entry;
    }
}

void WorldWatch::LookAtRecordings() {
    for (const SystemWorld::RecordingFile& file : world_.RecordingFiles()) {
        const std::string name = file.path.filename().string();
        if (recordings_.emplace(name, true).second) Note("recording into " + name);
    }
}

}  // namespace tools
