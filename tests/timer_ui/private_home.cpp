#include "tests/timer_ui/private_home.h"

#include <stdlib.h>

#include <fstream>
#include <sstream>

#include "platform/paths.h"

namespace timer_ui_test {

PrivateHome::PrivateHome() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "orvandel-timer-ui-XXXXXX").string();
    root_ = ::mkdtemp(pattern.data());
    std::filesystem::create_directories(root_ / "home");
    std::filesystem::create_directories(root_ / "config");
    env_.Set("HOME", (root_ / "home").string());
    env_.Set("XDG_CONFIG_HOME", (root_ / "config").string());
}

PrivateHome::~PrivateHome() {
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
}

std::wstring PrivateHome::IniPath() const {
    return platform::FromNativePath((root_ / "Orvandel.ini").string());
}

std::filesystem::path PrivateHome::DataFile(const std::string& name) const {
    return root_ / "home" / "Documents" / "Orvandel" / name;
}

std::string PrivateHome::Read(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void PrivateHome::Write(const std::filesystem::path& path, const std::string& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

}  // namespace timer_ui_test
