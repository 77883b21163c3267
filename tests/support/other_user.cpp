#include "tests/support/other_user.h"

#include <stdlib.h>
#include <unistd.h>

#include "tests/support/wait_until.h"

namespace test_support {

bool CanStartAsOtherUser() {
    return ::geteuid() == 0;
}

SharedProgramCopy::SharedProgramCopy(const std::filesystem::path& program,
                                     const std::string& name) {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "orvandel-shared-XXXXXX").string();
    folder_ = ::mkdtemp(pattern.data());
    namespace fs = std::filesystem;
    fs::permissions(folder_, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                 fs::perms::others_read | fs::perms::others_exec);
    path_ = folder_ / name;
    fs::copy_file(program, path_);
}

SharedProgramCopy::~SharedProgramCopy() {
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
}

bool WaitUntilRunning(pid_t pid, const std::filesystem::path& program) {
    const std::filesystem::path exe = "/proc/" + std::to_string(pid) + "/exe";
    return WaitUntil([&] {
        std::error_code ec;
        return std::filesystem::read_symlink(exe, ec) == program;
    });
}

}  // namespace test_support
