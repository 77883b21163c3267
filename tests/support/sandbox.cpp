#include "tests/support/sandbox.h"

#include <stdlib.h>
#include <unistd.h>

#include <fstream>

#include "platform/clock.h"
#include "platform/paths.h"

namespace test_support {

Sandbox::Sandbox() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "orvandel-sandbox-XXXXXX").string();
    root_ = ::mkdtemp(pattern.data());
    for (const char* sub : {"home", "config", "runtime", "work"})
        std::filesystem::create_directories(root_ / sub);
    env_.Set("HOME", (root_ / "home").string());
    env_.Set("XDG_CONFIG_HOME", (root_ / "config").string());
    env_.Set("XDG_RUNTIME_DIR", (root_ / "runtime").string());
    env_.Set("ORVANDEL_NAMESPACE", "sandbox" + std::to_string(::getpid()));
    env_.Set("ORVANDEL_SIM_POWER", std::nullopt);
    env_.Set("ORVANDEL_SIM_CLOCK", std::nullopt);
    env_.Set("ORVANDEL_SIM_DISK", std::nullopt);
    // The test process itself runs on the real clock, even when a test later sets
    // ORVANDEL_SIM_CLOCK for the helpers it starts.
    platform::Clock::Instance();
}

Sandbox::~Sandbox() {
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
}

std::wstring Sandbox::Wide(const std::string& name) const {
    return platform::FromNativePath(Native(name).native());
}

std::vector<std::string> Sandbox::Lines(const std::string& name) const {
    std::ifstream in(Native(name));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

}  // namespace test_support
