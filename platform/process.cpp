#include "platform/process.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/clock.h"
#include "platform/command_line.h"
#include "platform/event.h"
#include "platform/last_error.h"
#include "platform/paths.h"
#include "platform/text_case.h"

extern char** environ;

namespace platform {
namespace {

// Children started by the layer that have not been reaped yet, with the event their reaper sets.
class Children {
  public:
    static Children& Instance() {
        static Children* children = new Children;  // reaper threads may outlive static teardown
        return *children;
    }

    // Starts the reaper of a new child.
    void Adopt(pid_t pid) {
        const Event ended(true, false);
        {
            const std::lock_guard lock(mutex_);
            ended_.insert_or_assign(pid, ended);
        }
        std::thread([this, pid, ended] {
            int status = 0;
            while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
            Reaped(pid, status);
            SetEvent(ended);
        }).detach();
    }

    // STILL_ACTIVE while running; nullopt for a process the layer does not know.
    std::optional<DWORD> ExitCodeOf(pid_t pid) {
        const std::lock_guard lock(mutex_);
        if (ended_.contains(pid)) return STILL_ACTIVE;
        for (const auto& [p, code] : exitCodes_) {
            if (p == pid) return code;
        }
        return std::nullopt;
    }

    std::optional<Event> EndedEventOf(pid_t pid) {
        const std::lock_guard lock(mutex_);
        const auto it = ended_.find(pid);
        if (it == ended_.end()) return std::nullopt;
        return it->second;
    }

  private:
    static constexpr std::size_t kKeptExitCodes = 64;

    void Reaped(pid_t pid, int status) {
        const DWORD code = WIFEXITED(status) ? static_cast<DWORD>(WEXITSTATUS(status))
                                             : 128 + static_cast<DWORD>(WTERMSIG(status));
        const std::lock_guard lock(mutex_);
        ended_.erase(pid);
        std::erase_if(exitCodes_, [pid](const auto& entry) { return entry.first == pid; });
        exitCodes_.emplace_back(pid, code);
        if (exitCodes_.size() > kKeptExitCodes) exitCodes_.erase(exitCodes_.begin());
    }

    std::mutex mutex_;
    std::map<pid_t, Event> ended_;
    std::vector<std::pair<pid_t, DWORD>> exitCodes_;  // oldest first
};

bool IsFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The program as the file system names it: ".exe" dropped when only the name without it exists,
// relative paths made absolute (the child changes folder before it starts).
std::string ResolveProgram(const std::wstring& program) {
    std::string native = ToNativePath(program);
    if (!IsFile(native) && EndsWithNoCase(program, L".exe")) {
        const std::string bare = native.substr(0, native.size() - 4);
        if (IsFile(bare)) native = bare;
    }
    const bool bareName = native.find('/') == std::string::npos;
    if (native.empty() || native[0] == '/' || (bareName && !IsFile(native))) return native;
    char cwd[4096];
    if (::getcwd(cwd, sizeof cwd) == nullptr) return native;
    return std::string(cwd) + "/" + native;
}

// With no application name: a quoted first token is the program; otherwise, as on Windows, each
// run of words up to a blank is tried in turn, shortest first, and the first that names a file
// is the program (so "/opt/my viewer/view a" runs "/opt/my viewer/view"). Returns the program
// and what follows it.
std::pair<std::wstring, std::wstring_view> ProgramFromCommandLine(std::wstring_view line) {
    if (line.starts_with(L'"')) {
        const std::size_t close = line.find(L'"', 1);
        if (close == std::wstring_view::npos) return {std::wstring(line.substr(1)), {}};
        return {std::wstring(line.substr(1, close - 1)), line.substr(close + 1)};
    }
    const std::size_t firstEnd = line.find_first_of(L" \t");
    for (std::size_t end = firstEnd; end != std::wstring_view::npos;
         end = line.find_first_of(L" \t", end + 1)) {
        std::wstring candidate(line.substr(0, end));
        if (IsFile(ResolveProgram(candidate))) return {std::move(candidate), line.substr(end)};
    }
    if (firstEnd == std::wstring_view::npos || IsFile(ResolveProgram(std::wstring(line)))) {
        return {std::wstring(line), {}};
    }
    return {std::wstring(line.substr(0, firstEnd)), line.substr(firstEnd)};
}

// Arguments after the program-name token of a command line.
std::vector<std::wstring> ArgumentsAfterFirstToken(std::wstring_view line) {
    std::vector<std::wstring> tokens = SplitCommandLine(line);
    tokens.erase(tokens.begin());
    return tokens;
}

struct SpawnRequest {
    std::string program;
    std::vector<std::string> argv;
    std::string directory;
};

SpawnRequest BuildRequest(std::wstring_view applicationName, std::wstring_view commandLine,
                          std::wstring_view currentDirectory) {
    SpawnRequest request;
    std::vector<std::wstring> args;
    if (!applicationName.empty()) {
        request.program = ResolveProgram(std::wstring(applicationName));
        args = ArgumentsAfterFirstToken(commandLine);
    } else {
        const auto [program, rest] = ProgramFromCommandLine(commandLine);
        request.program = ResolveProgram(program);
        args = SplitArguments(rest);
    }
    request.argv.push_back(request.program);
    for (const std::wstring& a : args)
        request.argv.push_back(ToNativePath(a));
    request.directory = ToNativePath(currentDirectory);
    return request;
}

// posix_spawn with the child's folder, no descriptors beyond the standard three, default signal
// handling and an empty signal mask. Returns 0 or an errno value.
int Spawn(const SpawnRequest& request, pid_t* pid) {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
    if (!request.directory.empty()) {
        posix_spawn_file_actions_addchdir_np(&actions, request.directory.c_str());
    }
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    sigset_t all, none;
    sigfillset(&all);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    std::vector<char*> argv;
    for (const std::string& a : request.argv)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const int rc =
        posix_spawnp(pid, request.program.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return rc;
}

// Waits `realWait` (real time; negative: for ever) for the descriptor to become readable.
bool PollReadable(int fd, std::chrono::nanoseconds realWait) {
    const int timeout =
        realWait.count() < 0
            ? -1
            : static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(realWait).count());
    pollfd p{fd, POLLIN, 0};
    int rc = 0;
    while ((rc = ::poll(&p, 1, timeout)) < 0 && errno == EINTR) {
    }
    return rc > 0;
}

DWORD WaitForStranger(pid_t pid, DWORD milliseconds) {
    const int fd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    if (fd < 0) return WAIT_OBJECT_0;  // no such process (any more)
    bool ended = false;
    if (milliseconds == INFINITE) {
        ended = PollReadable(fd, std::chrono::nanoseconds(-1));
    } else {
        const ClockDeadline deadline{std::chrono::milliseconds(milliseconds)};
        for (auto wait = deadline.RealWait(); !ended && wait.count() > 0;
             wait = deadline.RealWait())
            ended = PollReadable(fd, wait);
        ended = ended || PollReadable(fd, std::chrono::nanoseconds(0));
    }
    ::close(fd);
    return ended ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}

}  // namespace

BOOL CreateProcessW(std::wstring_view applicationName, std::wstring_view commandLine,
                    std::wstring_view currentDirectory, DWORD* processId) {
    const SpawnRequest request = BuildRequest(applicationName, commandLine, currentDirectory);
    pid_t pid = 0;
    StartUpHold hold;
    const int rc = request.program.empty() ? ENOENT : Spawn(request, &pid);
    if (rc != 0) {
        SetLastError(rc == ENOENT ? ERROR_FILE_NOT_FOUND : ErrorFromErrno(rc));
        return FALSE;
    }
    hold.Started(pid);
    Children::Instance().Adopt(pid);
    if (processId != nullptr) *processId = static_cast<DWORD>(pid);
    return TRUE;
}

BOOL TerminateProcess(DWORD processId, UINT /*exitCode*/) {
    if (processId == 0 || ::kill(static_cast<pid_t>(processId), SIGKILL) != 0) {
        SetLastError(processId == 0 ? ERROR_INVALID_PARAMETER : ErrorFromErrno(errno));
        return FALSE;
    }
    return TRUE;
}

DWORD WaitForProcess(DWORD processId, DWORD milliseconds) {
    const auto pid = static_cast<pid_t>(processId);
    if (const auto ended = Children::Instance().EndedEventOf(pid)) {
        return WaitForSingleObject(*ended, milliseconds);
    }
    return WaitForStranger(pid, milliseconds);
}

BOOL GetExitCodeProcess(DWORD processId, DWORD* exitCode) {
    const auto code = Children::Instance().ExitCodeOf(static_cast<pid_t>(processId));
    if (!code) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (exitCode != nullptr) *exitCode = *code;
    return TRUE;
}

DWORD GetCurrentProcessId() {
    return static_cast<DWORD>(::getpid());
}

}  // namespace platform
