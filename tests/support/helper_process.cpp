#include "tests/support/helper_process.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

extern char** environ;

namespace test_support {
namespace {

std::vector<char*> Pointers(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (auto& s : strings)
        pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers;
}

// "NAME" of a "NAME=value" entry (or of a bare "NAME").
std::string NameOf(const std::string& entry) {
    return entry.substr(0, entry.find('='));
}

// Starts the program as `user` with `in` and `out` as its standard input and output. Between
// fork and exec the child of a threaded process may make only async-signal-safe calls.
pid_t SpawnAsUser(uid_t user, const char* program, int in, int out, char* const* argv,
                  char* const* envp) {
    const pid_t pid = ::fork();
    if (pid != 0) return pid;
    if (::dup2(in, 0) < 0 || ::dup2(out, 1) < 0 || ::setgroups(0, nullptr) != 0 ||
        ::setresgid(user, user, user) != 0 || ::setresuid(user, user, user) != 0) {
        ::_exit(126);
    }
    ::execve(program, argv, envp);
    ::_exit(127);
}

}  // namespace

HelperProcess::HelperProcess(const std::string& program, const std::vector<std::string>& args,
                             const std::vector<std::string>& extraEnv, std::optional<uid_t> user) {
    int toChild[2];
    int fromChild[2];
    if (::pipe2(toChild, O_CLOEXEC) != 0) return;
    if (::pipe2(fromChild, O_CLOEXEC) != 0) {
        ::close(toChild[0]);
        ::close(toChild[1]);
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, toChild[0], 0);
    posix_spawn_file_actions_adddup2(&actions, fromChild[1], 1);
    std::vector<std::string> argStore{program};
    argStore.insert(argStore.end(), args.begin(), args.end());
    std::vector<std::string> envStore;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string name = NameOf(*e);
        const bool changed = std::any_of(extraEnv.begin(), extraEnv.end(),
                                         [&](const std::string& x) { return NameOf(x) == name; });
        if (!changed) envStore.emplace_back(*e);
    }
    for (const std::string& entry : extraEnv) {
        if (entry.find('=') != std::string::npos) envStore.push_back(entry);
    }
    auto argv = Pointers(argStore);
    auto envp = Pointers(envStore);
    if (user) {
        pid_ =
            SpawnAsUser(*user, program.c_str(), toChild[0], fromChild[1], argv.data(), envp.data());
    } else if (::posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), envp.data()) !=
               0) {
        pid_ = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    ::close(toChild[0]);
    ::close(fromChild[1]);
    in_ = toChild[1];
    out_ = fromChild[0];
}

HelperProcess::~HelperProcess() {
    Kill();
    if (in_ >= 0) ::close(in_);
    if (out_ >= 0) ::close(out_);
}

std::optional<std::string> HelperProcess::ReadLine(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const auto end = buffer_.find('\n');
        if (end != std::string::npos) {
            std::string line = buffer_.substr(0, end);
            buffer_.erase(0, end + 1);
            return line;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return std::nullopt;
        pollfd p{out_, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
        char chunk[512];
        const ssize_t n = ::read(out_, chunk, sizeof chunk);
        if (n <= 0) return std::nullopt;
        buffer_.append(chunk, static_cast<std::size_t>(n));
    }
}

std::optional<std::string> HelperProcess::Expect(const std::string& prefix,
                                                 std::chrono::milliseconds timeout) {
    while (auto line = ReadLine(timeout)) {
        if (line->rfind(prefix, 0) == 0) return line->substr(prefix.size());
    }
    return std::nullopt;
}

void HelperProcess::WriteLine(const std::string& line) {
    const std::string text = line + "\n";
    [[maybe_unused]] const ssize_t n = ::write(in_, text.data(), text.size());
}

int HelperProcess::CloseAndWait() {
    ::close(in_);
    in_ = -1;
    return Wait();
}

void HelperProcess::Kill() {
    // Never with -1, which would signal every process the user may signal.
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    Wait();
}

int HelperProcess::Wait() {
    int status = 0;
    if (pid_ > 0) ::waitpid(pid_, &status, 0);
    pid_ = -1;
    return status;
}

std::optional<int> HelperProcess::WaitFor(std::chrono::milliseconds timeout) {
    if (pid_ <= 0) return std::nullopt;
    // A process descriptor becomes readable when the process ends.
    const int pidFd = static_cast<int>(::syscall(SYS_pidfd_open, pid_, 0));
    if (pidFd < 0) return std::nullopt;
    pollfd p{pidFd, POLLIN, 0};
    const int ready = ::poll(&p, 1, static_cast<int>(timeout.count()));
    ::close(pidFd);
    if (ready != 1) return std::nullopt;
    return Wait();
}

}  // namespace test_support
