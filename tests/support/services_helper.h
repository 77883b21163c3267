// Runs the helper program of the platform-services tests (built beside every test program)
// through the layer's own process calls; the platform and timer-core tests use it.
#pragma once

#include <string>

#include "platform/event.h"
#include "platform/known_folders.h"
#include "platform/paths.h"
#include "platform/process.h"

namespace test_support {

// The helper program of the multi-process tests, built beside the test program.
inline std::wstring ServicesHelperPath() {
    return platform::FolderOf(platform::HostExecutablePath()) + L"platform_services_helper";
}

// Starts the helper with the Windows-style argument tail; 0 when it could not be started.
inline platform::DWORD StartServicesHelper(const std::wstring& tail) {
    platform::DWORD pid = 0;
    if (!platform::CreateProcessW(ServicesHelperPath(), L" " + tail, L"", &pid)) return 0;
    return pid;
}

// Waits for a started helper (at most 30 s) and gives its exit code, or -1.
inline int FinishServicesHelper(platform::DWORD pid) {
    if (pid == 0 || platform::WaitForProcess(pid, 30000) != platform::WAIT_OBJECT_0) return -1;
    platform::DWORD code = 0;
    return platform::GetExitCodeProcess(pid, &code) ? static_cast<int>(code) : -1;
}

inline int RunServicesHelper(const std::wstring& tail) {
    return FinishServicesHelper(StartServicesHelper(tail));
}

}  // namespace test_support
