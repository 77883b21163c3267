#include "platform/shared_clock_offset.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>

#include "platform/runtime_folder.h"

namespace platform {
namespace {

std::int64_t* MapOffsetFile(const std::string& key) {
    const auto folder = RuntimeFolder();
    if (folder.empty()) return nullptr;
    const int fd = OpenPrivateFile(folder / ("simclock-" + key), O_RDWR | O_CREAT);
    if (fd < 0) return nullptr;
    // Growing to the same size from several processes at once is harmless: the new bytes are 0.
    void* mapped = MAP_FAILED;
    if (::ftruncate(fd, sizeof(std::int64_t)) == 0) {
        mapped = ::mmap(nullptr, sizeof(std::int64_t), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    }
    ::close(fd);
    return mapped == MAP_FAILED ? nullptr : static_cast<std::int64_t*>(mapped);
}

}  // namespace

SharedClockOffset::SharedClockOffset(const std::string& key) : value_(MapOffsetFile(key)) {}

SharedClockOffset::~SharedClockOffset() {
    if (value_ != nullptr) ::munmap(value_, sizeof(std::int64_t));
}

std::int64_t SharedClockOffset::Load() const {
    if (value_ == nullptr) return 0;
    return std::atomic_ref<std::int64_t>(*value_).load();
}

bool SharedClockOffset::Store(std::int64_t offset) {
    if (value_ == nullptr) return false;
    std::atomic_ref<std::int64_t>(*value_).store(offset);
    return true;
}

}  // namespace platform
