#include "platform/process_snapshot.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <functional>
#include <optional>
#include <sstream>

#include "platform/paths.h"
#include "platform/runtime_folder.h"
#include "platform/text_case.h"

namespace platform {
namespace {

constexpr std::wstring_view kExe = L".exe";

// The whole content of a /proc file; nullopt when it cannot be opened. Plain reads: a walk over
// every process reads several of these per process, and a stream costs more than the read.
std::optional<std::string> ReadProcFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::string content;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got <= 0) break;
        content.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return content;
}

struct StatFields {
    std::string shortName;
    char state = '?';
    DWORD parent = 0;
};

// /proc/<pid>/stat: "pid (name) state ppid ..."; the name may hold blanks and parentheses, so
// it ends at the last ")".
std::optional<StatFields> ParseStat(const std::string& text) {
    const std::size_t open = text.find('(');
    const std::size_t close = text.rfind(')');
    if (open == std::string::npos || close == std::string::npos || close < open) {
        return std::nullopt;
    }
    StatFields fields;
    fields.shortName = text.substr(open + 1, close - open - 1);
    std::istringstream rest(text.substr(close + 1));
    rest >> fields.state >> fields.parent;
    return fields;
}

// The file name of the executable, or empty when it cannot be read (another user's process, a
// kernel thread, a zombie).
std::string ExecutableName(const std::string& procDir) {
    char target[PATH_MAX];
    const ssize_t length = ::readlink((procDir + "/exe").c_str(), target, sizeof target);
    if (length <= 0) return {};
    std::string exe(target, static_cast<std::size_t>(length));
    constexpr std::string_view kDeleted = " (deleted)";
    if (exe.ends_with(kDeleted)) exe.resize(exe.size() - kDeleted.size());
    return exe.substr(exe.rfind('/') + 1);
}

// The namespace a process was started in: ORVANDEL_NAMESPACE of its environment, empty without
// the variable. Nullopt when the environment cannot be read (another user's process, one that
// changed its user): where it belongs is unknown, so it belongs to no namespace, not even to the
// one of the programs that run without a namespace.
std::optional<std::string> NamespaceOfProcess(const std::string& procDir) {
    const std::optional<std::string> environment = ReadProcFile(procDir + "/environ");
    if (!environment) return std::nullopt;
    constexpr std::string_view kVariable = "ORVANDEL_NAMESPACE=";
    std::string_view rest = *environment;
    while (!rest.empty()) {
        const std::string_view entry = rest.substr(0, rest.find('\0'));
        if (entry.starts_with(kVariable)) return NamespaceFromValue(entry.substr(kVariable.size()));
        rest.remove_prefix(std::min(rest.size(), entry.size() + 1));
    }
    return std::string();
}

// The effective user of a process (the second id of the "Uid:" line of /proc/<pid>/status);
// nullopt when it cannot be read.
std::optional<uid_t> UserOfProcess(const std::string& procDir) {
    const std::optional<std::string> status = ReadProcFile(procDir + "/status");
    if (!status) return std::nullopt;
    const std::size_t line = status->find("\nUid:");
    if (line == std::string::npos) return std::nullopt;
    std::istringstream ids(status->substr(line + 5, 64));
    unsigned long real = 0;
    unsigned long effective = 0;
    if (!(ids >> real >> effective)) return std::nullopt;
    return static_cast<uid_t>(effective);
}

// Whether the process counts as the caller's: the same user and the same namespace. Another
// user's processes are never the caller's, whatever their names or environments say, so that no
// other user can pass a process of theirs off as one of the caller's programs.
bool IsOwnProcess(const std::string& procDir, const std::string& ownNamespace) {
    return UserOfProcess(procDir) == ::geteuid() && NamespaceOfProcess(procDir) == ownNamespace;
}

std::wstring_view WithoutExe(std::wstring_view name) {
    return EndsWithNoCase(name, kExe) ? name.substr(0, name.size() - kExe.size()) : name;
}

// One process of /proc, each part read once and only when asked for.
class ProcessFiles {
  public:
    explicit ProcessFiles(const char* pid) : dir_(std::string("/proc/") + pid) {}

    const std::optional<StatFields>& Stat() {
        if (!statRead_) {
            const std::optional<std::string> text = ReadProcFile(dir_ + "/stat");
            if (text) stat_ = ParseStat(*text);
            statRead_ = true;
        }
        return stat_;
    }

    // The executable's file name; for a process whose executable cannot be read, the kernel's
    // short name; empty when neither can be read.
    const std::wstring& ImageName() {
        if (!imageNameRead_) {
            const std::string exe = ExecutableName(dir_);
            if (!exe.empty()) {
                imageName_ = FromNativePath(exe);
            } else if (Stat()) {
                imageName_ = FromNativePath(Stat()->shortName);
            }
            imageNameRead_ = true;
        }
        return imageName_;
    }

    // Alive (not a zombie) and the caller's own (its user's, started in its namespace), or the
    // caller itself.
    bool Seen(const std::string& ownNamespace, bool self) {
        if (!Stat() || Stat()->state == 'Z' || Stat()->state == 'X') return false;
        return self || IsOwnProcess(dir_, ownNamespace);
    }

  private:
    std::string dir_;
    std::optional<StatFields> stat_;
    bool statRead_ = false;
    std::wstring imageName_;
    bool imageNameRead_ = false;
};

// Calls `visit` with the id and files of every process until it returns true; true then.
bool VisitProcesses(const std::function<bool(DWORD, ProcessFiles&)>& visit) {
    DIR* proc = ::opendir("/proc");
    if (proc == nullptr) return false;
    bool stopped = false;
    while (const dirent* entry = ::readdir(proc)) {
        char* end = nullptr;
        const unsigned long pid = std::strtoul(entry->d_name, &end, 10);
        if (pid == 0 || *end != '\0') continue;
        ProcessFiles files(entry->d_name);
        if (visit(static_cast<DWORD>(pid), files)) {
            stopped = true;
            break;
        }
    }
    ::closedir(proc);
    return stopped;
}

}  // namespace

std::vector<ProcessEntry> TakeProcessSnapshot() {
    // The calling process may have set its namespace after it started: it always belongs.
    const std::string ownNamespace = CurrentNamespace();
    const DWORD self = static_cast<DWORD>(::getpid());
    std::vector<ProcessEntry> entries;
    VisitProcesses([&](DWORD pid, ProcessFiles& process) {
        if (process.Seen(ownNamespace, pid == self)) {
            entries.push_back(ProcessEntry{pid, process.Stat()->parent, process.ImageName()});
        }
        return false;
    });
    std::sort(entries.begin(), entries.end(), [](const ProcessEntry& a, const ProcessEntry& b) {
        return a.processId < b.processId;
    });
    return entries;
}

std::optional<ProcessEntry> FindProcess(DWORD processId) {
    if (processId == 0) return std::nullopt;
    ProcessFiles process(std::to_string(processId).c_str());
    if (!process.Seen(CurrentNamespace(), processId == static_cast<DWORD>(::getpid())))
        return std::nullopt;
    return ProcessEntry{processId, process.Stat()->parent, process.ImageName()};
}

bool IsProcessRunning(const std::vector<std::wstring>& imageNames) {
    if (imageNames.empty()) return false;
    const std::string ownNamespace = CurrentNamespace();
    const DWORD self = static_cast<DWORD>(::getpid());
    return VisitProcesses([&](DWORD pid, ProcessFiles& process) {
        const std::wstring& name = process.ImageName();
        const bool listed = std::any_of(
            imageNames.begin(), imageNames.end(),
            [&](const std::wstring& listedName) { return ImageNamesEqual(name, listedName); });
        return listed && process.Seen(ownNamespace, pid == self);
    });
}

bool ImageNamesEqual(std::wstring_view a, std::wstring_view b) {
    return EqualsNoCase(WithoutExe(a), WithoutExe(b));
}

}  // namespace platform
