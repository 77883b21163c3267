#include "tests/support/other_user.h"

#include <stdlib.h>
#include <unistd.h>

#include "tests/support/wait_until.h"

namespace test_support {

namespace fs = std::filesystem;

bool CanStartAsOtherUser() {
    return ::geteuid() == 0;
}

SharedFolder::SharedFolder(Access access) {
    std::string pattern = (fs::temp_directory_path() / "orvandel-shared-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
    const fs::perms readable = fs::perms::owner_all | fs::perms::group_read |
                               fs::perms::group_exec | fs::perms::others_read |
                               fs::perms::others_exec;
    fs::permissions(path_, access == kLikeTmp ? fs::perms::all | fs::perms::sticky_bit : readable);
}

SharedFolder::~SharedFolder() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

SharedProgramCopy::SharedProgramCopy(const fs::path& program, const std::string& name)
    : path_(folder_.Path() / name) {
    fs::copy_file(program, path_);
}

bool WaitUntilRunning(pid_t pid, const fs::path& program) {
    const fs::path exe = "/proc/" + std::to_string(pid) + "/exe";
    return WaitUntil([&] {
        std::error_code ec;
        return fs::read_symlink(exe, ec) == program;
    });
}

}  // namespace test_support
