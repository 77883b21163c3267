#include "timer_core/scheduling/timer_ini_path.h"

#include "platform/known_folders.h"
#include "platform/paths.h"

namespace timer_core {
namespace {

constexpr platform::DWORD kModulePathBuffer = 512;

}  // namespace

std::wstring TimerIniPathBesideExecutable() {
    wchar_t module[kModulePathBuffer] = {};
    platform::GetModuleFileNameW(nullptr, module, kModulePathBuffer);
    const platform::PathParts parts = platform::SplitPath(module);
    return parts.drive + parts.dir + parts.fname + L".ini";
}

}  // namespace timer_core
