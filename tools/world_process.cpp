#include "tools/world_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <optional>

#include "platform/clock.h"

extern char** environ;

namespace tools {
namespace {

std::string NameOf(const std::string& entry) {
    return entry.substr(0, entry.find('='));
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    pointers.reserve(strings.size() + 1);
    for (std::string& s : strings)
        pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers;
}

}  // namespace

std::vector<std::string> ChangedEnvironment(const std::vector<std::string>& changes) {
    std::vector<std::string> result;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string name = NameOf(*e);
        if (std::none_of(changes.begin(), changes.end(),
                         [&](const std::string& c) { return NameOf(c) == name; }))
            result.emplace_back(*e);
    }
    std::copy_if(changes.begin(), changes.end(), std::back_inserter(result),
                 [](const std::string& c) { return c.find('=') != std::string::npos; });
    return result;
}

WorldProcess::WorldProcess(const std::filesystem::path& program,
                           const std::vector<std::string>& args,
                           const std::vector<std::string>& environment,
                           const std::filesystem::path& folder,
                           const std::filesystem::path& outputFile, platform::Clock* worldClock) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outputFile.c_str(),
                                     O_WRONLY | O_CREAT | O_APPEND, 0600);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
    std::vector<std::string> argStore{program.string()};
    argStore.insert(argStore.end(), args.begin(), args.end());
    std::vector<std::string> envStore = environment;
    auto argv = Pointers(argStore);
    auto envp = Pointers(envStore);
    std::optional<platform::StartUpHold> hold;
    if (worldClock != nullptr) hold.emplace(*worldClock);
    if (::posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), envp.data()) != 0)
        pid_ = 0;
    if (hold && pid_ > 0) hold->Started(pid_);
    posix_spawn_file_actions_destroy(&actions);
}

WorldProcess::~WorldProcess() {
    Kill();
}

void WorldProcess::Reap(int status) {
    exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

bool WorldProcess::Running() {
    if (pid_ <= 0 || exitCode_) return false;
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) != pid_) return true;
    Reap(status);
    return false;
}

std::optional<int> WorldProcess::WaitFor(std::chrono::milliseconds timeout) {
    if (pid_ <= 0) return std::nullopt;
    if (!Running()) return exitCode_;
    // A process descriptor becomes readable when the process ends.
    const int pidFd = static_cast<int>(::syscall(SYS_pidfd_open, pid_, 0));
    if (pidFd >= 0) {
        pollfd p{pidFd, POLLIN, 0};
        ::poll(&p, 1, static_cast<int>(timeout.count()));
        ::close(pidFd);
    }
    Running();
    return exitCode_;
}

void WorldProcess::Kill() {
    // Never with 0 or -1, which would signal a whole group or every process of the user.
    if (pid_ <= 0 || !Running()) return;
    ::kill(pid_, SIGKILL);
    int status = 0;
    if (::waitpid(pid_, &status, 0) == pid_) Reap(status);
}

}  // namespace tools
