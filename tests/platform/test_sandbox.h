// A private world for one test: its own HOME, XDG config, runtime folder and namespace, so that
// tests never touch the user's files and run side by side. Child processes inherit it.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/known_folders.h"
#include "platform/paths.h"

namespace test_support {

class Sandbox {
  public:
    Sandbox() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "orvandel-sandbox-XXXXXX").string();
        root_ = ::mkdtemp(pattern.data());
        for (const char* sub : {"home", "config", "runtime", "work"})
            std::filesystem::create_directories(root_ / sub);
        ::setenv("HOME", (root_ / "home").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (root_ / "config").c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", (root_ / "runtime").c_str(), 1);
        ::setenv("ORVANDEL_NAMESPACE", ("sandbox" + std::to_string(::getpid())).c_str(), 1);
        ::unsetenv("ORVANDEL_SIM_POWER");
        ::unsetenv("ORVANDEL_SIM_CLOCK");
        ::unsetenv("ORVANDEL_SIM_DISK");
        // The test process itself runs on the real clock, even when a test later sets
        // ORVANDEL_SIM_CLOCK for the helpers it starts.
        platform::Clock::Instance();
    }
    ~Sandbox() {
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;

    // A path inside the sandbox's work folder.
    std::filesystem::path Native(const std::string& name) const { return root_ / "work" / name; }
    std::wstring Wide(const std::string& name) const {
        return platform::FromNativePath(Native(name).native());
    }

    // The lines of a file of the work folder (none when it is missing).
    std::vector<std::string> Lines(const std::string& name) const {
        std::ifstream in(Native(name));
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }

  private:
    std::filesystem::path root_;
};

// The helper program of the multi-process tests, built beside the test program.
inline std::wstring ServicesHelperPath() {
    return platform::FolderOf(platform::HostExecutablePath()) + L"platform_services_helper";
}

}  // namespace test_support
