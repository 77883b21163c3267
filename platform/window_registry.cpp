#include "platform/window_registry.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <system_error>

#include "platform/code_page.h"
#include "platform/fd_io.h"
#include "platform/owned_fd.h"
#include "platform/process_identity.h"
#include "platform/runtime_folder.h"
#include "platform/utf8.h"

namespace platform::window_registry {
namespace {

constexpr std::uint32_t kMagic = 0x4E49574F;  // "OWIN"
constexpr std::size_t kMaxTitleBytes = 4096;
// Records being written: ".tmp-<pid>-<n>".
constexpr std::string_view kTempPrefix = ".tmp-";

// The fixed part of a record file; the UTF-8 title and the code page 932 title follow.
struct RecordHeader {
    std::uint32_t magic;
    std::uint32_t pid;
    std::uint64_t processStart;
    std::uint32_t tid;
    std::uint32_t owner;
    std::uint32_t visible;
    std::uint32_t wideBytes;
    std::uint64_t createdNs;
    std::uint32_t narrowBytes;
    std::uint32_t reserved;
};

// Empty when the runtime folder is refused; every operation then fails.
std::filesystem::path Folder() {
    return RuntimeSubfolder("windows");
}

std::string FileNameOf(HWND hwnd) {
    char name[16];
    std::snprintf(name, sizeof name, "%08X", hwnd);
    return name;
}

// A lock per window handle, one byte (at the handle's value) of the folder's lock file, held for
// the few calls that check a record and write or remove it. Nobody waits for it: a registration
// tries another handle, a removal of a dead record leaves it to whoever holds the lock.
class HandleLock {
  public:
    HandleLock(const std::filesystem::path& folder, HWND hwnd)
        : fd_(OpenPrivateFile(folder / ".lock", O_RDWR | O_CREAT)),
          held_(fd_.Valid() &&
                LockByteWithin(fd_.Get(), static_cast<off_t>(hwnd), std::chrono::milliseconds(0))) {
    }
    bool Held() const { return held_; }

  private:
    OwnedFd fd_;  // closing it releases the lock
    bool held_;
};

std::optional<WindowRecord> ReadRecord(const std::filesystem::path& path, HWND hwnd) {
    const OwnedFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.Valid()) return std::nullopt;
    std::string bytes(sizeof(RecordHeader) + 2 * kMaxTitleBytes, '\0');
    const ssize_t n = ::read(fd.Get(), bytes.data(), bytes.size());
    RecordHeader header{};
    if (n < static_cast<ssize_t>(sizeof header)) return std::nullopt;
    std::memcpy(&header, bytes.data(), sizeof header);
    if (header.magic != kMagic || header.wideBytes > kMaxTitleBytes ||
        header.narrowBytes > kMaxTitleBytes ||
        static_cast<std::size_t>(n) != sizeof header + header.wideBytes + header.narrowBytes) {
        return std::nullopt;
    }
    WindowRecord record;
    record.hwnd = hwnd;
    record.pid = header.pid;
    record.processStart = header.processStart;
    record.tid = header.tid;
    record.owner = header.owner;
    record.visible = header.visible != 0;
    record.createdNs = header.createdNs;
    const char* text = bytes.data() + sizeof header;
    record.title = Utf8ToWide(std::string_view(text, header.wideBytes));
    record.narrowTitle.assign(text + header.wideBytes, header.narrowBytes);
    return record;
}

// Writes the record beside its place and renames it over, so readers see old or new whole.
bool WriteRecord(const std::filesystem::path& folder, const WindowRecord& record) {
    static std::atomic<std::uint64_t> counter{0};
    std::string wide = WideToUtf8(record.title);
    std::string narrow = record.narrowTitle;
    wide.resize(std::min(wide.size(), kMaxTitleBytes));
    narrow.resize(std::min(narrow.size(), kMaxTitleBytes));
    RecordHeader header{kMagic,
                        record.pid,
                        record.processStart,
                        record.tid,
                        record.owner,
                        record.visible ? 1u : 0u,
                        static_cast<std::uint32_t>(wide.size()),
                        record.createdNs,
                        static_cast<std::uint32_t>(narrow.size()),
                        0};
    std::string bytes(reinterpret_cast<const char*>(&header), sizeof header);
    bytes += wide;
    bytes += narrow;
    const auto temp = folder / (std::string(kTempPrefix) + std::to_string(record.pid) + "-" +
                                std::to_string(counter.fetch_add(1)));
    {
        const OwnedFd fd(OpenPrivateFile(temp, O_WRONLY | O_CREAT | O_TRUNC));
        if (!fd.Valid()) return false;
        if (::write(fd.Get(), bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
            ::unlink(temp.c_str());
            return false;
        }
    }
    if (::rename(temp.c_str(), (folder / FileNameOf(record.hwnd)).c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

// Liveness of processes, asked once per process within one query.
class LivenessCache {
  public:
    bool Alive(const WindowRecord& record) {
        const auto key = std::make_pair(record.pid, record.processStart);
        const auto it = known_.find(key);
        if (it != known_.end()) return it->second;
        const bool alive = IsProcessAlive(record.pid, record.processStart);
        known_.emplace(key, alive);
        return alive;
    }

  private:
    std::map<std::pair<DWORD, std::uint64_t>, bool> known_;
};

// Removes a dead process's record, unless it was replaced meanwhile.
void Reap(const std::filesystem::path& folder, HWND hwnd) {
    const HandleLock lock(folder, hwnd);
    if (!lock.Held()) return;
    const auto path = folder / FileNameOf(hwnd);
    const auto record = ReadRecord(path, hwnd);
    if (!record || !IsProcessAlive(record->pid, record->processStart)) ::unlink(path.c_str());
}

HWND RandomCandidate() {
    // Even values between 0x10000 and 0x7FFFFFFE, as window handles usually look.
    thread_local std::mt19937 engine{std::random_device{}()};
    std::uniform_int_distribution<std::uint32_t> pick(0x8000, 0x3FFFFFFF);
    return pick(engine) * 2;
}

std::uint64_t NowNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::uint64_t>(ts.tv_sec) * 1'000'000'000 +
           static_cast<std::uint64_t>(ts.tv_nsec);
}

// Every live record of the folder; those of dead processes are removed on the way.
std::vector<WindowRecord> LiveRecords(const std::filesystem::path& folder) {
    std::vector<WindowRecord> records;
    std::vector<HWND> dead;
    LivenessCache liveness;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return records;
    while (const dirent* entry = ::readdir(dir)) {
        char* end = nullptr;
        const unsigned long value = std::strtoul(entry->d_name, &end, 16);
        if (entry->d_name[0] == '.' || *end != '\0' || value == 0 || value > 0xFFFFFFFFul) continue;
        const auto hwnd = static_cast<HWND>(value);
        auto record = ReadRecord(folder / entry->d_name, hwnd);
        if (!record) continue;
        if (liveness.Alive(*record)) {
            records.push_back(std::move(*record));
        } else {
            dead.push_back(hwnd);
        }
    }
    ::closedir(dir);
    for (const HWND hwnd : dead)
        Reap(folder, hwnd);
    return records;
}

// Removes, once per folder and process, what ended processes left: their records and the records
// they were writing when they died.
void SweepOnce(const std::filesystem::path& folder) {
    if (!FirstUseInProcess(folder)) return;
    LiveRecords(folder);
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name.substr(0, kTempPrefix.size()) != kTempPrefix) continue;
        const auto pid =
            static_cast<pid_t>(std::strtol(entry->d_name + kTempPrefix.size(), nullptr, 10));
        if (pid > 0 && ::kill(pid, 0) != 0 && errno == ESRCH) ::unlink((folder / name).c_str());
    }
    ::closedir(dir);
}

}  // namespace

HWND Register(WindowRecord& record) {
    const auto folder = Folder();
    if (folder.empty()) return 0;
    SweepOnce(folder);
    record.processStart = OwnStartTime();
    record.createdNs = NowNs();
    record.narrowTitle = WideToShiftJis(record.title);
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const HWND candidate = RandomCandidate();
        const HandleLock lock(folder, candidate);
        if (!lock.Held()) continue;
        const auto existing = ReadRecord(folder / FileNameOf(candidate), candidate);
        if (existing && IsProcessAlive(existing->pid, existing->processStart)) continue;
        record.hwnd = candidate;
        return WriteRecord(folder, record) ? candidate : 0;
    }
    return 0;
}

void Unregister(HWND hwnd) {
    if (hwnd == 0) return;
    const auto folder = Folder();
    if (folder.empty()) return;
    // No lock: a live window's record is replaced by nobody else, and removed only here.
    const auto path = folder / FileNameOf(hwnd);
    const auto record = ReadRecord(path, hwnd);
    if (record && record->pid == static_cast<DWORD>(::getpid())) ::unlink(path.c_str());
}

bool Update(const WindowRecord& record) {
    const auto folder = Folder();
    if (folder.empty()) return false;
    WindowRecord copy = record;
    copy.narrowTitle = WideToShiftJis(copy.title);
    return WriteRecord(folder, copy);
}

std::optional<WindowRecord> Find(HWND hwnd) {
    if (hwnd == 0) return std::nullopt;
    const auto folder = Folder();
    if (folder.empty()) return std::nullopt;
    auto record = ReadRecord(folder / FileNameOf(hwnd), hwnd);
    if (!record) return std::nullopt;
    if (!IsProcessAlive(record->pid, record->processStart)) {
        Reap(folder, hwnd);
        return std::nullopt;
    }
    return record;
}

std::vector<WindowRecord> All() {
    const auto folder = Folder();
    if (folder.empty()) return {};
    std::vector<WindowRecord> records = LiveRecords(folder);
    std::sort(records.begin(), records.end(), [](const WindowRecord& a, const WindowRecord& b) {
        return a.createdNs > b.createdNs;
    });
    return records;
}

}  // namespace platform::window_registry
