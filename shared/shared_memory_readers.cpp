#include "shared/shared_memory_readers.h"

#include <span>
#include <string_view>

#include "platform/named_file_mapping.h"
#include "shared/shared_memory_names.h"

namespace shared {
namespace {

template <typename T>
int ReadObject(std::string_view name, T* out) {
    if (out == nullptr) return 0;
    T value{};
    auto bytes = std::as_writable_bytes(std::span(&value, 1));
    if (!platform::ReadNamedMapping(
            name, {reinterpret_cast<std::uint8_t*>(bytes.data()), bytes.size()})) {
        return 0;
    }
    *out = value;
    return 1;
}

}  // namespace

int ReadRecSharedMemory(platform::DWORD pid, RecordRequest* out) {
    return ReadObject(ObjectNameForProcess(kRecPrefix, pid), out);
}

int ReadPluginEvent(platform::DWORD pid, PluginEventInfo* out) {
    return ReadObject(ObjectNameForProcess(kEventPrefix, pid), out);
}

int ReadPluginStatus(platform::DWORD pid, std::int32_t* out) {
    return ReadObject(ObjectNameForProcess(kStatusPrefix, pid), out);
}

int ReadPluginFriioId(platform::DWORD pid, std::int32_t* out) {
    return ReadObject(ObjectNameForProcess(kFriioIdPrefix, pid), out);
}

int ReadPluginTime(platform::DWORD pid, std::int32_t* out) {
    return ReadObject(ObjectNameForProcess(kTimePrefix, pid), out);
}

int ReadPluginPostHwnd(platform::DWORD pid, platform::HWND* out) {
    return ReadObject(ObjectNameForProcess(kPostHwndPrefix, pid), out);
}

int ReadPostTimerHwnd(platform::HWND* out) {
    return ReadObject(kPostTimerHwndName, out);
}

}  // namespace shared
