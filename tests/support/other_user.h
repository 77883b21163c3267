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

// A folder of its own in the temporary folder that every user may reach (the tests' own folders
// are private to the user running them): readable (0755), or writable by all and sticky as /tmp
// is (1777). Removed with the object.
class SharedFolder {
  public:
    enum Access { kReadable, kLikeTmp };
    explicit SharedFolder(Access access = kReadable);
    ~SharedFolder();
    SharedFolder(const SharedFolder&) = delete;
    SharedFolder& operator=(const SharedFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }

  private:
    std::filesystem::path path_;
};

// A copy of a program, under a name of the test's choice, that every user may run; removed with
// the object.
class SharedProgramCopy {
  public:
    SharedProgramCopy(const std::filesystem::path& program, const std::string& name);

    const std::filesystem::path& Path() const { return path_; }

  private:
    SharedFolder folder_;
    std::filesystem::path path_;
};

// Waits until the process with that id runs `program` (a started child has replaced itself by
// it); false when it does not within the time-out (it could not become the user, say).
bool WaitUntilRunning(pid_t pid, const std::filesystem::path& program);

}  // namespace test_support
