#include "platform/process_snapshot.h"

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "platform/paths.h"
#include "platform/runtime_folder.h"
#include "platform/text_case.h"

namespace platform {
namespace {

constexpr std::wstring_view kExe = L".exe";

struct StatFields {
    std::string shortName;
    char state = '?';
    DWORD parent = 0;
};

// /proc/<pid>/stat: "pid (name) state ppid ..."; the name may hold blanks and parentheses, so
// it ends at the last ")".
std::optional<StatFields> ReadStat(const std::string& procDir) {
    std::ifstream in(procDir + "/stat");
    std::string text;
    if (!std::getline(in, text)) return std::nullopt;
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

std::wstring ImageNameOf(const std::string& procDir, const std::string& shortName) {
    std::error_code ec;
    std::string exe = std::filesystem::read_symlink(procDir + "/exe", ec).native();
    if (ec || exe.empty()) return FromNativePath(shortName);
    constexpr std::string_view kDeleted = " (deleted)";
    if (exe.ends_with(kDeleted)) exe.resize(exe.size() - kDeleted.size());
    return FromNativePath(exe.substr(exe.rfind('/') + 1));
}

// The namespace a process was started in: ORVANDEL_NAMESPACE of its environment, empty without
// the variable. Nullopt when the environment cannot be read (another user's process, one that
// changed its user): where it belongs is unknown, so it belongs to no namespace, not even to the
// one of the programs that run without a namespace.
std::optional<std::string> NamespaceOfProcess(const std::string& procDir) {
    std::ifstream in(procDir + "/environ", std::ios::binary);
    if (!in) return std::nullopt;
    constexpr std::string_view kVariable = "ORVANDEL_NAMESPACE=";
    for (std::string entry; std::getline(in, entry, '\0');) {
        if (entry.starts_with(kVariable)) {
            return NamespaceFromValue(std::string_view(entry).substr(kVariable.size()));
        }
    }
    return std::string();
}

// The effective user of a process (the second id of the "Uid:" line of /proc/<pid>/status);
// nullopt when it cannot be read.
std::optional<uid_t> UserOfProcess(const std::string& procDir) {
    std::ifstream in(procDir + "/status");
    for (std::string line; std::getline(in, line);) {
        if (!line.starts_with("Uid:")) continue;
        std::istringstream ids(line.substr(4));
        unsigned long real = 0;
        unsigned long effective = 0;
        if (ids >> real >> effective) return static_cast<uid_t>(effective);
        return std::nullopt;
    }
    return std::nullopt;
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

}  // namespace

std::vector<ProcessEntry> TakeProcessSnapshot() {
    // The calling process may have set its namespace after it started: it always belongs.
    const std::string ownNamespace = CurrentNamespace();
    const unsigned long self = static_cast<unsigned long>(::getpid());
    std::vector<ProcessEntry> entries;
    DIR* proc = ::opendir("/proc");
    if (proc == nullptr) return entries;
    while (const dirent* entry = ::readdir(proc)) {
        char* end = nullptr;
        const unsigned long pid = std::strtoul(entry->d_name, &end, 10);
        if (pid == 0 || *end != '\0') continue;
        const std::string dir = std::string("/proc/") + entry->d_name;
        const auto stat = ReadStat(dir);
        if (!stat || stat->state == 'Z' || stat->state == 'X') continue;
        if (pid != self && !IsOwnProcess(dir, ownNamespace)) continue;
        entries.push_back(
            ProcessEntry{static_cast<DWORD>(pid), stat->parent, ImageNameOf(dir, stat->shortName)});
    }
    ::closedir(proc);
    std::sort(entries.begin(), entries.end(), [](const ProcessEntry& a, const ProcessEntry& b) {
        return a.processId < b.processId;
    });
    return entries;
}

bool ImageNamesEqual(std::wstring_view a, std::wstring_view b) {
    return EqualsNoCase(WithoutExe(a), WithoutExe(b));
}

}  // namespace platform
