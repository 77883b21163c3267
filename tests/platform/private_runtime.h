// Gives the test process its own runtime folder and namespace, so that named objects, sockets and
// windows of tests running in parallel never meet.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace test_support {

// Sets XDG_RUNTIME_DIR to a fresh temporary folder and ORVANDEL_NAMESPACE to a name of its own,
// once per process; returns the folder.
inline const std::filesystem::path& UsePrivateRuntime() {
    static const std::filesystem::path folder = [] {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "orvandel-test-XXXXXX").string();
        const char* made = ::mkdtemp(pattern.data());
        const std::filesystem::path path = made != nullptr ? made : pattern;
        ::setenv("XDG_RUNTIME_DIR", path.c_str(), 1);
        ::setenv("ORVANDEL_NAMESPACE", ("t" + std::to_string(::getpid())).c_str(), 1);
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(std::getenv("XDG_RUNTIME_DIR"), ec);
        });
        return path;
    }();
    return folder;
}

}  // namespace test_support
