#include "platform/atomic_file_writer.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <optional>
#include <string>

#include "platform/fd_io.h"
#include "platform/last_error.h"
#include "platform/paths.h"
#include "platform/process_identity.h"

namespace platform {
namespace {

std::string FolderOfNative(const std::string& target) {
    const std::size_t slash = target.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : target.substr(0, slash);
}

std::string FileNameOfNative(const std::string& target) {
    const std::size_t slash = target.rfind('/');
    return slash == std::string::npos ? target : target.substr(slash + 1);
}

// ".<name>.tmp-": what every temporary file of this target's name starts with.
std::string TemporaryPrefix(const std::string& target) {
    return "." + FileNameOfNative(target) + ".tmp-";
}

// The writer's id and start time (read afresh: a child made by fork has its own), and a count.
std::string TemporaryNameBeside(const std::string& target) {
    static std::atomic<unsigned> counter{0};
    const auto pid = static_cast<DWORD>(::getpid());
    const std::size_t nameStart = target.size() - FileNameOfNative(target).size();
    return target.substr(0, nameStart) + TemporaryPrefix(target) + std::to_string(pid) + "-" +
           std::to_string(ProcessStartTime(pid)) + "-" + std::to_string(counter.fetch_add(1));
}

struct TemporaryOwner {
    DWORD pid = 0;
    std::uint64_t startTime = 0;
};

// Reads a decimal number off the front of `text`, then the '-' after it (or, for the last field,
// the end of the text); false when the text does not go on so.
template <typename Number>
bool ReadField(std::string_view& text, Number* value, bool last) {
    const auto [next, error] = std::from_chars(text.data(), text.data() + text.size(), *value);
    if (error != std::errc() || next == text.data()) return false;
    text.remove_prefix(static_cast<std::size_t>(next - text.data()));
    if (last) return text.empty();
    if (text.empty() || text.front() != '-') return false;
    text.remove_prefix(1);
    return true;
}

// The writer named by "<pid>-<start time>-<count>" after the prefix; nullopt for any other text.
std::optional<TemporaryOwner> OwnerOf(std::string_view rest) {
    TemporaryOwner owner;
    unsigned count = 0;
    if (!ReadField(rest, &owner.pid, false) || !ReadField(rest, &owner.startTime, false) ||
        !ReadField(rest, &count, true)) {
        return std::nullopt;
    }
    return owner;
}

// True only when the writer has certainly ended: its id is free, or taken by a process that
// started at another time. A writer whose start time was not known, or a process this one may
// not look at, counts as alive.
bool WriterEnded(const TemporaryOwner& owner) {
    if (owner.pid == 0 || owner.pid > 0x7FFFFFFF || owner.startTime == 0) return false;
    const std::uint64_t startTime = ProcessStartTime(owner.pid);
    if (startTime != 0) return startTime != owner.startTime;
    return ::kill(static_cast<pid_t>(owner.pid), 0) != 0 && errno == ESRCH;
}

// Removes the temporary files of this target that writers killed in the middle of a write left
// behind. Files of live writers, of other targets and of other names are kept.
void RemoveLeftoverTemporaries(const std::string& target) {
    // Without a readable start time of its own, this process cannot judge anyone's.
    if (ProcessStartTime(static_cast<DWORD>(::getpid())) == 0) return;
    DIR* folder = ::opendir(FolderOfNative(target).c_str());
    if (folder == nullptr) return;
    const std::string prefix = TemporaryPrefix(target);
    while (const dirent* entry = ::readdir(folder)) {
        const std::string_view name = entry->d_name;
        if (name.substr(0, prefix.size()) != prefix) continue;
        const auto owner = OwnerOf(name.substr(prefix.size()));
        if (owner && WriterEnded(*owner)) ::unlinkat(::dirfd(folder), entry->d_name, 0);
    }
    ::closedir(folder);
}

void FlushFolder(const std::string& target) {
    const int fd = ::open(FolderOfNative(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// Writes, flushes and closes the temporary file; false (errno kept) on any failure.
bool FillTemporary(int fd, const std::string& target, std::string_view bytes) {
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0) ::fchmod(fd, existing.st_mode & 07777);
    const bool ok = WriteAllToFd(fd, bytes) && ::fsync(fd) == 0;
    const int savedErrno = errno;
    ::close(fd);
    errno = savedErrno;
    return ok;
}

}  // namespace

BOOL WriteFileAtomically(std::wstring_view path, std::string_view bytes) {
    const std::string target = ToNativePath(path);
    RemoveLeftoverTemporaries(target);
    const std::string temporary = TemporaryNameBeside(target);
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        SetLastError(errno == ENOENT ? ERROR_PATH_NOT_FOUND : ErrorFromErrno(errno));
        return FALSE;
    }
    if (!FillTemporary(fd, target, bytes) || ::rename(temporary.c_str(), target.c_str()) != 0) {
        SetLastError(ErrorFromErrno(errno));
        ::unlink(temporary.c_str());
        return FALSE;
    }
    FlushFolder(target);
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

}  // namespace platform
