// A helper program run as a child process for multi-process tests: its standard input and output
// are pipes; lines are read with a time-out so that a broken helper fails the test, never hangs it.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace test_support {

class HelperProcess {
  public:
    // Starts `program` with the arguments and the test's environment changed by `extraEnv`:
    // a "NAME=value" entry replaces the test's variable of that name, a bare "NAME" removes it.
    // With `user`, the program runs as that user (and group, without further groups), which only
    // root may do (tests/support/other_user.h); a helper that could not become it exits with 126.
    HelperProcess(const std::string& program, const std::vector<std::string>& args,
                  const std::vector<std::string>& extraEnv = {},
                  std::optional<uid_t> user = std::nullopt);
    HelperProcess(const HelperProcess&) = delete;
    HelperProcess& operator=(const HelperProcess&) = delete;
    // Kills the helper if it still runs.
    ~HelperProcess();

    pid_t Pid() const { return pid_; }

    // The next line the helper writes, without its end; nullopt on time-out or end of output.
    std::optional<std::string> ReadLine(
        std::chrono::milliseconds timeout = std::chrono::seconds(20));
    // Reads lines until one starts with `prefix`; returns the rest of it.
    std::optional<std::string> Expect(const std::string& prefix,
                                      std::chrono::milliseconds timeout = std::chrono::seconds(20));
    void WriteLine(const std::string& line);

    // Closes the helper's input (helpers that hold something end then) and waits for its exit.
    int CloseAndWait();
    void Kill();
    // Waits for the helper's end; its wait status.
    int Wait();
    // Waits at most `timeout` for the helper's end: its wait status, or nullopt while it runs.
    std::optional<int> WaitFor(std::chrono::milliseconds timeout);

  private:
    pid_t pid_ = -1;
    int in_ = -1;
    int out_ = -1;
    std::string buffer_;
};

}  // namespace test_support
