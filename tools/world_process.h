// One program of a world started as the user would start it, but with the world's environment:
// its standard input empty, its standard output and error appended to the world's output file
// (the viewers it starts inherit both). The world reaps it; other programs it starts are not its
// children and are watched through /proc.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace platform {
class Clock;
}

namespace tools {

// The calling process's environment changed by `changes`: a "NAME=value" entry replaces the
// variable of that name (or adds it), a bare "NAME" removes it.
std::vector<std::string> ChangedEnvironment(const std::vector<std::string>& changes);

class WorldProcess {
  public:
    // Starts `program` in `folder` with the arguments; Pid() is 0 when it could not be started.
    // With the world's simulated clock given, that clock stands still while the program starts.
    WorldProcess(const std::filesystem::path& program, const std::vector<std::string>& args,
                 const std::vector<std::string>& environment, const std::filesystem::path& folder,
                 const std::filesystem::path& outputFile, platform::Clock* worldClock = nullptr);
    // Ends the program (SIGKILL) when it still runs.
    ~WorldProcess();
    WorldProcess(const WorldProcess&) = delete;
    WorldProcess& operator=(const WorldProcess&) = delete;

    pid_t Pid() const { return pid_; }
    bool Running();
    // Waits at most `timeout` of real time for the end: the exit code (128 + the signal number
    // when a signal ended it), or nullopt while it runs.
    std::optional<int> WaitFor(std::chrono::milliseconds timeout);
    // The exit code once it has ended.
    std::optional<int> ExitCode() const { return exitCode_; }
    // Ends it at once and reaps it.
    void Kill();

  private:
    void Reap(int status);

    pid_t pid_ = 0;
    std::optional<int> exitCode_;
};

}  // namespace tools
