// Gives the test process its own runtime folder and namespace, so that named objects, sockets and
// windows of tests running in parallel never meet.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace test_support {

// Sets XDG_RUNTIME_DIR to a fresh temporary folder and ORVANDEL_NAMESPACE to a name of its own,
// made once per process and set again at every call (other tests may have changed the
// environment meanwhile); returns the folder. Like a real runtime folder it lies in memory (tmpfs)
// where the machine has /dev/shm.
inline const std::filesystem::path& UsePrivateRuntime() {
    // Never destroyed: the removal at exit runs after static destructors may have run.
    static const std::filesystem::path& folder = *new std::filesystem::path([] {
        const std::filesystem::path base = ::access("/dev/shm", W_OK) == 0
                                               ? std::filesystem::path("/dev/shm")
                                               : std::filesystem::temp_directory_path();
        std::string pattern = (base / "orvandel-test-XXXXXX").string();
        const char* made = ::mkdtemp(pattern.data());
        return made != nullptr ? std::filesystem::path(made) : std::filesystem::path(pattern);
    }());
    static const bool cleanupRegistered = [] {
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(folder, ec);
        });
        return true;
    }();
    (void)cleanupRegistered;
    ::setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
    ::setenv("ORVANDEL_NAMESPACE", ("t" + std::to_string(::getpid())).c_str(), 1);
    return folder;
}

}  // namespace test_support
