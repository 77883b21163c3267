// Another user of the same machine, for the tests of what must hold against one: programs started
// under a user id that is not the test's (HelperProcess with a user). Only root can start a
// program as another user; the tests run as root here and in CI, and elsewhere skip that part.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>

namespace test_support {

// "nobody".
inline constexpr uid_t kOtherUser = 65534;

// Whether this process may start programs as kOtherUser.
bool CanStartAsOtherUser();

// A copy of a program, under a name of the test's choice, in a folder of its own that every user
// may read and run (the tests' own folders are private to the user running them); removed with
// the object.
class SharedProgramCopy {
  public:
    SharedProgramCopy(const std::filesystem::path& program, const std::string& name);
    ~SharedProgramCopy();
    SharedProgramCopy(const SharedProgramCopy&) = delete;
    SharedProgramCopy& operator=(const SharedProgramCopy&) = delete;

    const std::filesystem::path& Path() const { return path_; }

  private:
    std::filesystem::path folder_;
    std::filesystem::path path_;
};

// Waits until the process with that id runs `program` (a started child has replaced itself by
// it); false when it does not within the time-out (it could not become the user, say).
bool WaitUntilRunning(pid_t pid, const std::filesystem::path& program);

}  // namespace test_support
