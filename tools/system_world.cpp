#include "tools/system_world.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <fstream>
#include <thread>

#include "platform/paths.h"
#include "platform/private_profile.h"
#include "platform/process.h"
#include "platform/registry_file.h"
#include "platform/utf16.h"
#include "platform/whole_file.h"
#include "platform/window_messages.h"
#include "shared/shared_memory_readers.h"
#include "timer_core/epg/auto_search_file.h"
#include "timer_core/reservations/program_line.h"
#include "timer_core/scheduling/reserve_time.h"
#include "tools/world_process.h"

namespace tools {
namespace {

namespace fs = std::filesystem;

constexpr int kPollMs = 10;
constexpr platform::WPARAM kCloseCommand = 0xF060;  // SC_CLOSE

std::wstring Wide(const fs::path& path) {
    return platform::FromNativePath(path.native());
}

void WriteIni(const std::vector<IniValue>& values, const fs::path& file) {
    const std::wstring path = Wide(file);
    for (const IniValue& v : values) {
        platform::WritePrivateProfileStringW(v.section.c_str(), v.key.c_str(), v.value.c_str(),
                                             path.c_str());
    }
}

std::vector<std::string> Lines(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

bool HasDisplay() {
    return std::getenv("DISPLAY") != nullptr || std::getenv("WAYLAND_DISPLAY") != nullptr;
}

// Hard-linked where the file system allows, copied elsewhere.
bool LinkOrCopy(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    fs::create_hard_link(from, to, ec);
    if (ec) fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
    return !ec;
}

// The newest file of the folder whose name starts with the prefix.
std::optional<fs::path> NewestFile(const fs::path& folder, const std::string& prefix) {
    std::optional<fs::path> newest;
    fs::file_time_type newestTime{};
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        if (!entry.path().filename().string().starts_with(prefix)) continue;
        const auto time = entry.last_write_time(ec);
        if (!newest || time > newestTime) {
            newest = entry.path();
            newestTime = time;
        }
    }
    return newest;
}

// Fewer packets a chunk would flood the plug-in's queue with chunks.
constexpr long kFewestChunkPackets = 8;

}  // namespace

bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) return done();
        std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
    }
    return true;
}

SystemWorld::SystemWorld(fs::path root, SystemWorldOptions options)
    : root_(std::move(root)), options_(std::move(options)), collection_(root_, options_.binFolder) {
    if (!options_.offscreen) options_.offscreen = !HasDisplay();
}

SystemWorld::~SystemWorld() {
    Stop();
}

// --- preparing -------------------------------------------------------------------------------

bool SystemWorld::Prepare() {
    JoinOrMakeNamespace();
    if (!collection_.PrepareViewerFolder(options_.viewer) || !CopyProgram()) return false;
    if (!options_.withPlugin) fs::remove(ViewerPath().parent_path() / "friio_Quorvantel.so");
    for (const fs::path& folder : {RecordingFolder(), PictureFolder(), DataFolder()})
        fs::create_directories(folder);
    WriteViewerSettings();
    WriteRegistry();
    WriteTimerSettings();
    WriteTimerFiles();
    // The world keeps a debug log even when no program writes a line to it.
    std::ofstream(DebugLog(), std::ios::app).flush();
    if (options_.simulatedDiskBytes) SetSimulatedDiskBytes(*options_.simulatedDiskBytes);
    return true;
}

void SystemWorld::JoinOrMakeNamespace() const {
    if (std::getenv("ORVANDEL_NAMESPACE") != nullptr) return;
    // A program of its own (the recording day): the world's folder holds the runtime folder too.
    const fs::path runtime = root_ / "runtime";
    fs::create_directories(runtime);
    fs::permissions(runtime, fs::perms::owner_all, fs::perm_options::replace);
    ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    ::setenv("ORVANDEL_NAMESPACE", ("world" + std::to_string(::getpid())).c_str(), 1);
}

bool SystemWorld::CopyProgram() const {
    fs::create_directories(OrvandelPath().parent_path());
    return LinkOrCopy(options_.binFolder / "Orvandel", OrvandelPath());
}

void SystemWorld::WriteViewerSettings() const {
    std::vector<IniValue> values{{L"Device0", L"Kind", L"1"}, {L"Device1", L"Kind", L"2"}};
    values.insert(values.end(), options_.viewerIni.begin(), options_.viewerIni.end());
    // A chunk is the smallest piece of the stream a recording takes: at a fast clock it holds
    // at most a second of the clock, so that what a recording holds is known to the second.
    const double packetsPerClockSecond =
        options_.viewer.bitsPerSecond / 8.0 / 188.0 / options_.clockRate;
    const long mostPackets = std::max(kFewestChunkPackets, std::lround(packetsPerClockSecond));
    for (IniValue& value : values) {
        if (value.section == L"FriioView" && value.key == L"ChunkPackets")
            value.value = std::to_wstring(std::min(std::stol(value.value), mostPackets));
    }
    WriteIni(values, ViewerIni());
}

void SystemWorld::WriteRegistry() const {
    platform::RegistryData data;
    const std::wstring key = L"Software\\Friio";
    data.CreateKey(key);
    data.SetValue(key, {L"SavePath", platform::REG_SZ,
                        platform::WideToUtf16Le(Wide(RecordingFolder())) + std::string(2, '\0')});
    data.SetValue(key, {L"VideoWindowPos", platform::REG_BINARY, std::string(kVideoWindowPos)});
    data.SetValue(key, {L"ControlWindowPos", platform::REG_BINARY, std::string(kControlWindowPos)});
    fs::create_directories(RegistryFile().parent_path());
    std::ofstream(RegistryFile(), std::ios::binary) << data.Serialize();
}

void SystemWorld::WriteTimerSettings() const {
    std::vector<IniValue> values{{L"SET", L"FriioViewPath", Wide(ViewerPath())},
                                 {L"SET", L"TunerCount", L"1"},
                                 {L"SET", L"TunerCount2", L"1"},
                                 {L"SET", L"RecEnd", L"0"}};
    values.insert(values.end(), options_.timerIni.begin(), options_.timerIni.end());
    WriteIni(values, TimerIni());
}

void SystemWorld::WriteTimerFiles() const {
    if (!options_.autoSearch.empty()) {
        std::string text;
        for (const auto& condition : options_.autoSearch)
            timer_core::AutoSearchFile::FormatLine(&text, condition);
        std::ofstream(AutoSearchFile(), std::ios::binary) << text;
    }
    if (!options_.channelTable.empty()) {
        shared::ChSet2File table;
        for (const auto& entry : options_.channelTable)
            table.Set(entry);
        table.Save(Wide(DataFolder() / "ChSet2.txt"));
    }
    if (!options_.reservations.empty()) {
        std::string text;
        for (const auto& entry : options_.reservations)
            text += timer_core::FormatProgramLine(entry);
        std::ofstream(ProgramFile(), std::ios::binary) << text;
    }
}

void SystemWorld::SetSimulatedDiskBytes(std::uint64_t bytes) const {
    // Replaced whole: a program reading it meanwhile sees the old number or the new one.
    const fs::path temporary = SimulatedDiskFile().string() + ".new";
    std::ofstream(temporary, std::ios::binary | std::ios::trunc) << bytes;
    fs::rename(temporary, SimulatedDiskFile());
}

std::vector<std::string> SystemWorld::ChildEnvironment() {
    if (!clock_) {
        clockSetting_ = platform::FormatSimClockSetting(options_.clockStart, options_.clockRate);
        clock_ = platform::ParseSimClockSetting(clockSetting_);
        worldClock_ = std::make_unique<platform::Clock>(clock_);
    }
    std::vector<std::string> changes{
        "HOME=" + (root_ / "home").string(),
        "XDG_CONFIG_HOME=" + (root_ / "config").string(),
        "XDG_DOCUMENTS_DIR",
        "ORVANDEL_SIM_CLOCK=" + clockSetting_,
        "ORVANDEL_SIM_POWER=" + PowerLog().string(),
        "ORVANDEL_DEBUG_LOG=" + DebugLog().string(),
        "ORVANDEL_VIEWER_INI",
        options_.pictures ? "ORVANDEL_SCREENSHOT_DIR=" + PictureFolder().string()
                          : "ORVANDEL_SCREENSHOT_DIR",
        options_.simulatedDiskBytes ? "ORVANDEL_SIM_DISK=" + SimulatedDiskFile().string()
                                    : "ORVANDEL_SIM_DISK",
    };
    if (*options_.offscreen) changes.push_back("QT_QPA_PLATFORM=offscreen");
    return changes;
}

// --- Orvandel ---------------------------------------------------------------------------------

std::unique_ptr<WorldProcess> SystemWorld::Launch(const std::vector<std::string>& args) {
    const std::vector<std::string> environment = ChangedEnvironment(ChildEnvironment());
    auto process = std::make_unique<WorldProcess>(OrvandelPath(), args, environment,
                                                  OrvandelPath().parent_path(), OutputFile(),
                                                  worldClock_.get());
    if (process->Pid() <= 0) return nullptr;
    return process;
}

bool SystemWorld::StartOrvandel(const std::vector<std::string>& args, int timeoutMs) {
    if (orvandel_ && orvandel_->Running()) return false;
    orvandel_ = Launch(args);
    if (!orvandel_) return false;
    return WaitFor([&] { return MainWindow() != 0 || !orvandel_->Running(); }, timeoutMs) &&
           MainWindow() != 0;
}

platform::DWORD SystemWorld::OrvandelPid() const {
    if (!orvandel_ || !orvandel_->Running()) return 0;
    return static_cast<platform::DWORD>(orvandel_->Pid());
}

platform::HWND SystemWorld::MainWindow() const {
    const platform::DWORD pid = OrvandelPid();
    platform::HWND published = 0;
    platform::DWORD owner = 0;
    if (pid == 0 || shared::ReadPostTimerHwnd(&published) != 1 ||
        platform::GetWindowThreadProcessId(published, &owner) == 0 || owner != pid) {
        return 0;
    }
    return published;
}

std::optional<int> SystemWorld::RunSecondInstance(const std::vector<std::string>& args,
                                                  int timeoutMs) {
    const std::unique_ptr<WorldProcess> second = Launch(args);
    if (!second) return std::nullopt;
    return second->WaitFor(std::chrono::milliseconds(timeoutMs));
}

bool SystemWorld::CloseOrvandel(int timeoutMs) {
    if (!orvandel_) return false;
    const platform::HWND window = MainWindow();
    if (window != 0) platform::PostMessageW(window, platform::WM_SYSCOMMAND, kCloseCommand, 0);
    const std::optional<int> code = orvandel_->WaitFor(std::chrono::milliseconds(timeoutMs));
    if (!code) orvandel_->Kill();
    const bool clean = window != 0 && code == 0;
    orvandel_.reset();
    return clean;
}

void SystemWorld::KillOrvandel() {
    if (orvandel_) orvandel_->Kill();
    orvandel_.reset();
}

bool SystemWorld::SaveMainWindowPicture(const fs::path& path, int timeoutMs) const {
    const platform::HWND window = MainWindow();
    if (window == 0) return false;
    const std::string prefix = "timer_ui_COrvandelDlg";
    const auto before = NewestFile(PictureFolder(), prefix);
    // Answered once the picture is written.
    if (platform::SendMessageW(window, platform::WM_PRINT, 0, 0) != 1) return false;
    std::optional<fs::path> picture;
    if (!WaitFor(
            [&] {
                picture = NewestFile(PictureFolder(), prefix);
                return picture && picture != before;
            },
            timeoutMs)) {
        return false;
    }
    std::error_code ec;
    fs::copy_file(*picture, path, fs::copy_options::overwrite_existing, ec);
    return !ec;
}

// --- files ------------------------------------------------------------------------------------

bool SystemWorld::AppendReservation(const timer_core::ReserveEntry& entry) const {
    timer_core::ReserveEntry unnumbered = entry;
    unnumbered.id = 0;
    std::ofstream out(ProgramFile(), std::ios::binary | std::ios::app);
    out << timer_core::FormatProgramLine(unnumbered);
    return static_cast<bool>(out.flush());
}

std::vector<timer_core::ReserveEntry> SystemWorld::Reservations() const {
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

std::vector<SystemWorld::RecordingFile> SystemWorld::RecordingFiles() const {
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

std::vector<std::string> SystemWorld::DebugLogLines() const {
    return Lines(DebugLog());
}

std::vector<std::string> SystemWorld::PowerLogLines() const {
    return Lines(PowerLog());
}

std::optional<std::string> SystemWorld::FriioRegistryValue(const std::wstring& name) const {
    std::string bytes;
    if (!platform::ReadWholeFile(Wide(RegistryFile()), &bytes)) return std::nullopt;
    const platform::RegistryData data = platform::RegistryData::Parse(bytes);
    const platform::RegistryValue* value = data.FindValue(L"Software\\Friio", name);
    if (value == nullptr) return std::nullopt;
    return value->data;
}

// --- time -------------------------------------------------------------------------------------

platform::SYSTEMTIME SystemWorld::Now() const {
    if (!worldClock_) return options_.clockStart;
    return timer_core::LocalSystemTime(worldClock_->NowLocal());
}

bool SystemWorld::WaitForClock(const platform::SYSTEMTIME& time, int timeoutMs) const {
    const std::uint64_t at = timer_core::LocalFileTime(time);
    return WaitFor([&] { return timer_core::LocalFileTime(Now()) >= at; }, timeoutMs);
}

bool SystemWorld::WaitUntilClock(const std::function<bool()>& done, const platform::SYSTEMTIME& by,
                                 int graceMs) const {
    const std::uint64_t at = timer_core::LocalFileTime(by);
    std::optional<std::chrono::steady_clock::time_point> passed;
    while (!done()) {
        const auto now = std::chrono::steady_clock::now();
        if (!passed && timer_core::LocalFileTime(Now()) >= at) passed = now;
        if (passed && now - *passed >= std::chrono::milliseconds(graceMs)) return done();
        std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
    }
    return true;
}

bool SystemWorld::WaitForFile(const fs::path& path, int timeoutMs) const {
    return WaitFor([&] { return fs::exists(path); }, timeoutMs);
}

std::optional<platform::SYSTEMTIME> SystemWorld::WaitUntilFileStopsGrowing(const fs::path& path,
                                                                           double quietClockMs,
                                                                           int timeoutMs) const {
    const auto quiet = std::chrono::milliseconds(RealMs(quietClockMs));
    std::optional<std::uintmax_t> size;
    platform::SYSTEMTIME grew = Now();
    auto stableSince = std::chrono::steady_clock::now();
    const bool stopped = WaitFor(
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

// --- processes --------------------------------------------------------------------------------

std::vector<SystemWorld::Process> SystemWorld::Processes() const {
    std::error_code ec;
    const fs::path program = fs::weakly_canonical(OrvandelPath(), ec);
    const fs::path viewer = fs::weakly_canonical(ViewerPath(), ec);
    std::vector<Process> found;
    for (const auto& entry : fs::directory_iterator("/proc", ec)) {
        const std::string name = entry.path().filename().string();
        if (name.empty() || !std::all_of(name.begin(), name.end(), ::isdigit)) continue;
        std::error_code linkError;
        const fs::path exe = fs::read_symlink(entry.path() / "exe", linkError);
        if (linkError || (exe != program && exe != viewer)) continue;
        // A process that has ended but is not reaped yet runs no more.
        std::ifstream stat(entry.path() / "stat");
        std::string pid, comm, state;
        unsigned long parent = 0;
        stat >> pid >> comm >> state >> parent;
        if (state == "Z") continue;
        // A child of Orvandel that has not yet become the program it starts (a viewer).
        std::error_code parentError;
        if (exe == program &&
            fs::read_symlink("/proc/" + std::to_string(parent) + "/exe", parentError) == program)
            continue;
        found.push_back({static_cast<platform::DWORD>(std::stoul(name)),
                         exe == program ? "Orvandel" : "FriioView"});
    }
    std::sort(found.begin(), found.end(),
              [](const auto& a, const auto& b) { return a.pid < b.pid; });
    return found;
}

std::vector<platform::DWORD> SystemWorld::ViewerPids() const {
    std::vector<platform::DWORD> pids;
    for (const Process& process : Processes()) {
        if (process.name == "FriioView") pids.push_back(process.pid);
    }
    return pids;
}

void SystemWorld::KillProcess(platform::DWORD pid) const {
    const std::vector<Process> mine = Processes();
    if (std::none_of(mine.begin(), mine.end(), [&](const Process& p) { return p.pid == pid; }))
        return;
    if (orvandel_ && static_cast<platform::DWORD>(orvandel_->Pid()) == pid) {
        orvandel_->Kill();
        return;
    }
    platform::TerminateProcess(pid, 1);
}

std::vector<SystemWorld::Process> SystemWorld::Stop() {
    if (orvandel_) CloseOrvandel();
    std::vector<Process> left = Processes();
    for (const Process& process : left)
        platform::TerminateProcess(process.pid, 1);
    WaitFor([&] { return Processes().empty(); }, 30000);
    return left;
}

}  // namespace tools
