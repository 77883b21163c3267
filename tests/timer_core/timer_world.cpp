#include "tests/timer_core/timer_world.h"

#ifdef FRIIOVIEW_PATH

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>

#include "broadcast/section_assembler.h"
#include "broadcast/time_sections.h"
#include "broadcast_sim/time_builder.h"
#include "platform/paths.h"
#include "platform/private_profile.h"
#include "platform/registry_file.h"
#include "platform/utf16.h"
#include "platform/whole_file.h"
#include "tests/timer_core/timer_core_test_environment.h"
#include "timer_core/reservations/program_line.h"
#include "timer_core/reservations/reserve_list.h"
#include "timer_core/scheduling/reserve_time.h"

namespace timer_core_test {
namespace {

namespace fs = std::filesystem;

constexpr int kHostStartMs = 60000;
constexpr int kHostEndMs = 30000;
constexpr std::uint16_t kTimePid = 0x0014;

std::wstring Wide(const fs::path& path) {
    return platform::FromNativePath(path.native());
}

std::string MessageLine(platform::UINT message) {
    char text[32];
    std::snprintf(text, sizeof text, "message 0x%03X ", message);
    return text;
}

// "2026-12-04 05:20:13.250"
std::optional<platform::SYSTEMTIME> ParseHostTime(const std::string& text) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, ms = 0;
    if (std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d.%d", &year, &month, &day, &hour, &minute,
                    &second, &ms) != 7)
        return std::nullopt;
    platform::SYSTEMTIME time = broadcast_sim::JstTime(year, month, day, hour, minute, second);
    time.wMilliseconds = static_cast<platform::WORD>(ms);
    return time;
}

template <typename Section>
platform::SYSTEMTIME TimeOf(const Section& section) {
    return broadcast_sim::JstTime(section.year, section.month, section.day, section.hour,
                                  section.minute, section.second);
}

// A registry file holding the viewer's recording folder and its window positions.
std::string FriioRegistry(const fs::path& recordings) {
    platform::RegistryData data;
    const std::wstring key = L"Software\\Friio";
    data.CreateKey(key);
    data.SetValue(key, {L"SavePath", platform::REG_SZ,
                        platform::WideToUtf16Le(Wide(recordings)) + std::string(2, '\0')});
    data.SetValue(key, {L"VideoWindowPos", platform::REG_BINARY, TimerWorld::kVideoWindowPos});
    data.SetValue(key, {L"ControlWindowPos", platform::REG_BINARY, TimerWorld::kControlWindowPos});
    return data.Serialize();
}

}  // namespace

const std::string TimerWorld::kVideoWindowPos("\x0A\0\0\0\x14\0\0\0\x6E\x01\0\0\x28\x01\0\0", 16);
const std::string TimerWorld::kControlWindowPos("\x1E\0\0\0\x28\0\0\0\x82\x01\0\0\x3C\x01\0\0", 16);

TimerWorld::TimerWorld(TimerWorldOptions options)
    : options_(std::move(options)),
      root_(FreshFolder("timer-world")),
      world_(root_, fs::path(FRIIOVIEW_PATH).parent_path()) {}

TimerWorld::~TimerWorld() {
    Stop();
}

bool TimerWorld::Prepare() {
    if (!world_.PrepareViewerFolder(options_.viewer)) return false;
    if (!options_.withPlugin) fs::remove(ViewerPath().parent_path() / "friio_Quorvantel.so");
    std::vector<IniValue> viewerIni{{L"Device0", L"Kind", L"1"}, {L"Device1", L"Kind", L"2"}};
    viewerIni.insert(viewerIni.end(), options_.viewerIni.begin(), options_.viewerIni.end());
    for (const IniValue& v : viewerIni) {
        platform::WritePrivateProfileStringW(v.section.c_str(), v.key.c_str(), v.value.c_str(),
                                             Wide(ViewerIni()).c_str());
    }
    fs::create_directories(RecordingFolder());
    fs::create_directories(RegistryFile().parent_path());
    std::ofstream(RegistryFile(), std::ios::binary) << FriioRegistry(RecordingFolder());

    const std::wstring ini = Wide(TimerIni());
    std::vector<IniValue> values{{L"SET", L"FriioViewPath", Wide(ViewerPath())},
                                 {L"SET", L"TunerCount", L"1"},
                                 {L"SET", L"TunerCount2", L"1"},
                                 {L"SET", L"RecEnd", L"0"}};
    values.insert(values.end(), options_.timerIni.begin(), options_.timerIni.end());
    for (const IniValue& v : values) {
        platform::WritePrivateProfileStringW(v.section.c_str(), v.key.c_str(), v.value.c_str(),
                                             ini.c_str());
    }
    return true;
}

std::vector<std::string> TimerWorld::HostEnvironment() const {
    static int worlds = 0;
    const std::string name = "w" + std::to_string(::getpid()) + "x" + std::to_string(++worlds);
    return {"HOME=" + (root_ / "home").string(),
            "XDG_CONFIG_HOME=" + (root_ / "config").string(),
            "ORVANDEL_NAMESPACE=" + name,
            "ORVANDEL_SIM_CLOCK=" + clockSetting_,
            "ORVANDEL_SIM_POWER=" + (root_ / "power.log").string(),
            "ORVANDEL_DEBUG_LOG=" + DebugLog().string(),
            "QT_QPA_PLATFORM=offscreen",
            "XDG_DOCUMENTS_DIR",
            "ORVANDEL_SIM_DISK",
            "ORVANDEL_VIEWER_INI",
            "ORVANDEL_SCREENSHOT_DIR"};
}

bool TimerWorld::Start() {
    if (!Prepare()) return false;
    clockSetting_ = platform::FormatSimClockSetting(options_.clockStart, options_.clockRate);
    clock_ = *platform::ParseSimClockSetting(clockSetting_);
    host_ = std::make_unique<test_support::HelperProcess>(
        TIMER_HOST_PATH, std::vector<std::string>{TimerIni().string()}, HostEnvironment());
    if (host_->Pid() <= 0) return false;
    return WaitForReport("ready ", kHostStartMs).has_value();
}

void TimerWorld::Stop() {
    if (::testing::Test::HasFailure() && !transcriptShown_) {
        transcriptShown_ = true;
        PrintTranscript();
    }
    if (host_) {
        host_->WriteLine("quit");
        if (!ReadUntil([](const std::string& line) { return line == "closed"; }, 0, kHostEndMs)) {
            ADD_FAILURE() << "the timer host did not close";
            host_->Kill();
        }
        // A sanitizer's report ends the host with another status.
        const int status = host_->Wait();
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            ADD_FAILURE() << "the timer host ended with wait status " << status;
        host_.reset();
    }
    for (const platform::DWORD pid : ViewerPids())
        KillViewer(pid);
    WaitUntil([&] { return ViewerPids().empty(); }, kHostEndMs);
}

void TimerWorld::PrintTranscript() {
    Drain();
    std::printf("--- timer host reports\n");
    for (const HostReport& report : reports_)
        std::printf("%s\n", report.line.c_str());
    std::ifstream log(DebugLog());
    std::vector<std::string> lines;
    for (std::string line; std::getline(log, line);)
        lines.push_back(line);
    constexpr std::size_t kLastLines = 60;
    std::printf("--- debug log (last %zu of %zu lines)\n", std::min(kLastLines, lines.size()),
                lines.size());
    for (std::size_t i = lines.size() > kLastLines ? lines.size() - kLastLines : 0;
         i < lines.size(); ++i)
        std::printf("%s\n", lines[i].c_str());
    std::fflush(stdout);
}

std::optional<std::size_t> TimerWorld::ReadUntil(
    const std::function<bool(const std::string&)>& match, std::size_t from, int timeoutMs) {
    for (std::size_t i = from; i < reports_.size(); ++i) {
        if (match(reports_[i].line)) return i;
    }
    if (!host_) return std::nullopt;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            end - std::chrono::steady_clock::now());
        if (left.count() <= 0) return std::nullopt;
        const auto line = host_->ReadLine(left);
        if (!line) return std::nullopt;
        reports_.push_back({*line, std::chrono::steady_clock::now()});
        if (match(*line)) return reports_.size() - 1;
    }
}

std::optional<std::string> TimerWorld::WaitForReport(const std::string& prefix, int timeoutMs) {
    const auto at = ReadUntil([&](const std::string& line) { return line.starts_with(prefix); },
                              nextReport_, timeoutMs);
    if (!at) return std::nullopt;
    nextReport_ = *at + 1;
    return reports_[*at].line.substr(prefix.size());
}

std::optional<platform::SYSTEMTIME> TimerWorld::WaitForMessage(platform::UINT message, int nth,
                                                               int timeoutMs) {
    const std::string prefix = MessageLine(message);
    int seen = 0;
    const auto at = ReadUntil(
        [&](const std::string& line) { return line.starts_with(prefix) && ++seen == nth; }, 0,
        timeoutMs);
    if (!at) return std::nullopt;
    return ParseHostTime(reports_[*at].line.substr(prefix.size()));
}

int TimerWorld::MessageCount(platform::UINT message) const {
    const std::string prefix = MessageLine(message);
    return static_cast<int>(std::count_if(reports_.begin(), reports_.end(), [&](const auto& r) {
        return r.line.starts_with(prefix);
    }));
}

void TimerWorld::Command(const std::string& command) {
    if (host_) host_->WriteLine(command);
}

std::optional<std::string> TimerWorld::Ask(const std::string& command,
                                           const std::string& replyPrefix) {
    Drain();
    nextReport_ = reports_.size();
    Command(command);
    return WaitForReport(replyPrefix);
}

void TimerWorld::Drain() {
    if (!host_) return;
    while (auto line = host_->ReadLine(std::chrono::milliseconds(1)))
        reports_.push_back({*line, std::chrono::steady_clock::now()});
}

bool TimerWorld::AddReservation(const timer_core::ReserveEntry& entry) {
    timer_core::ReserveEntry handedOver = entry;
    handedOver.id = 0;
    timer_core::ReserveList store;
    if (store.Add(&handedOver, 1) != 1 || store.SaveProgramFile(Wide(ProgramFile())) != 1)
        return false;
    Drain();
    const int merged = MessageCount(timer_core::WM_RELOAD_RESERVATIONS);
    Command("reload");
    return WaitForMessage(timer_core::WM_RELOAD_RESERVATIONS, merged + 1).has_value();
}

platform::SYSTEMTIME TimerWorld::Now() const {
    const double unixNow =
        std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
    const double elapsed = (unixNow - clock_.anchorUnixSeconds) * clock_.rate;
    return timer_core::LocalSystemTime(clock_.startLocal +
                                       static_cast<std::uint64_t>(elapsed * 1e7));
}

std::vector<timer_core::ReserveEntry> TimerWorld::Reservations() const {
    std::string bytes;
    if (!platform::ReadWholeFile(Wide(ProgramFile()), &bytes)) return {};
    // A moment long past: the stored result texts come back as they are.
    const platform::SYSTEMTIME past{2000, 1, 0, 1, 0, 0, 0, 0};
    std::vector<timer_core::ReserveEntry> entries;
    for (std::string_view line : timer_core::ReservationLines(bytes)) {
        timer_core::ReserveEntry entry;
        if (timer_core::ParseProgramLine(line, past, &entry) == 1) entries.push_back(entry);
    }
    return entries;
}

bool TimerWorld::WaitForFile(const fs::path& path, int timeoutMs) const {
    return WaitUntil([&] { return fs::exists(path); }, timeoutMs);
}

std::optional<platform::SYSTEMTIME> TimerWorld::WaitUntilFileStopsGrowing(const fs::path& path,
                                                                          double quietClockMs,
                                                                          int timeoutMs) const {
    const auto quiet = std::chrono::milliseconds(RealMs(quietClockMs));
    std::optional<std::uintmax_t> size;
    platform::SYSTEMTIME grew = Now();
    auto stableSince = std::chrono::steady_clock::now();
    const bool stopped = WaitUntil(
        [&] {
            std::error_code ec;
            const std::uintmax_t now = fs::file_size(path, ec);
            if (ec) return false;
            if (!size || now != *size) {
                size = now;
                grew = Now();
                stableSince = std::chrono::steady_clock::now();
                return false;
            }
            return std::chrono::steady_clock::now() - stableSince >= quiet;
        },
        timeoutMs);
    if (!stopped) return std::nullopt;
    return grew;
}

std::vector<TimerWorld::RecordingFile> TimerWorld::RecordingFiles() const {
    std::vector<RecordingFile> files;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(RecordingFolder(), ec)) {
        if (!entry.is_regular_file() || entry.path().extension() != ".ts") continue;
        files.push_back({entry.path(), entry.file_size(ec)});
    }
    std::sort(files.begin(), files.end(),
              [](const auto& a, const auto& b) { return a.path < b.path; });
    return files;
}

std::optional<std::pair<platform::SYSTEMTIME, platform::SYSTEMTIME>> TimerWorld::TotSpan(
    const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    broadcast::SectionAssembler assembler;
    std::optional<platform::SYSTEMTIME> first;
    platform::SYSTEMTIME last{};
    std::uint8_t packet[broadcast::kTsPacketSize];
    while (in.read(reinterpret_cast<char*>(packet), sizeof packet)) {
        const auto pid = static_cast<std::uint16_t>(((packet[1] & 0x1F) << 8) | packet[2]);
        if (packet[0] != 0x47 || pid != kTimePid || assembler.AddPacket(packet) != 1) continue;
        for (const auto& section : assembler.published_sections()) {
            platform::SYSTEMTIME time{};
            if (section->tot) {
                time = TimeOf(*section->tot);
            } else if (section->tdt) {
                time = TimeOf(*section->tdt);
            } else {
                continue;
            }
            if (!first) first = time;
            last = time;
        }
    }
    if (!first) return std::nullopt;
    return std::make_pair(*first, last);
}

std::vector<platform::DWORD> TimerWorld::ViewerPids() const {
    std::error_code ec;
    const fs::path viewer = fs::weakly_canonical(ViewerPath(), ec);
    std::vector<platform::DWORD> pids;
    for (const auto& entry : fs::directory_iterator("/proc", ec)) {
        const std::string name = entry.path().filename().string();
        if (name.empty() || !std::all_of(name.begin(), name.end(), ::isdigit)) continue;
        std::error_code linkError;
        const fs::path exe = fs::read_symlink(entry.path() / "exe", linkError);
        if (!linkError && exe == viewer)
            pids.push_back(static_cast<platform::DWORD>(std::stoul(name)));
    }
    std::sort(pids.begin(), pids.end());
    return pids;
}

void TimerWorld::KillViewer(platform::DWORD pid) const {
    ::kill(static_cast<pid_t>(pid), SIGKILL);
}

fs::path TimerWorld::ViewerIni() const {
    return ViewerPath().parent_path() / "FriioView.ini";
}

std::optional<std::string> TimerWorld::FriioRegistryValue(const std::wstring& name) const {
    std::string bytes;
    if (!platform::ReadWholeFile(Wide(RegistryFile()), &bytes)) return std::nullopt;
    const platform::RegistryData data = platform::RegistryData::Parse(bytes);
    const platform::RegistryValue* value = data.FindValue(L"Software\\Friio", name);
    if (value == nullptr) return std::nullopt;
    return value->data;
}

}  // namespace timer_core_test

#endif  // FRIIOVIEW_PATH
