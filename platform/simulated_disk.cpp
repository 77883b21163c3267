#include "platform/simulated_disk.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string_view>

#include "platform/fd_io.h"

namespace platform {
namespace {

const char* SimulationFile() {
    const char* file = std::getenv("ORVANDEL_SIM_DISK");
    return file != nullptr && *file != '\0' ? file : nullptr;
}

std::optional<std::uint64_t> DiskSize(const char* file) {
    const int fd = ::open(file, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::string text;
    const bool read = ReadAllFromFd(fd, &text);
    ::close(fd);
    if (!read) return std::nullopt;
    std::size_t i = text.find_first_not_of(" \t\r\n");
    if (i == std::string::npos || text[i] < '0' || text[i] > '9') return std::nullopt;
    std::uint64_t size = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        const std::uint64_t digit = static_cast<std::uint64_t>(text[i] - '0');
        if (size > (UINT64_MAX - digit) / 10) return std::nullopt;
        size = size * 10 + digit;
    }
    return size;
}

std::uint64_t BytesInFolder(const std::string& folder) {
    std::uint64_t used = 0;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return 0;
    while (const dirent* entry = ::readdir(dir)) {
        struct stat st {};
        if (::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(st.st_mode)) {
            used += static_cast<std::uint64_t>(st.st_size);
        }
    }
    ::closedir(dir);
    return used;
}

}  // namespace

bool IsDiskSimulated() {
    return SimulationFile() != nullptr;
}

std::optional<SimulatedDiskSpace> QuerySimulatedDisk(const std::string& nativeFolder) {
    const char* file = SimulationFile();
    if (file == nullptr) return std::nullopt;
    const std::optional<std::uint64_t> size = DiskSize(file);
    if (!size) return std::nullopt;
    const std::uint64_t used = BytesInFolder(nativeFolder);
    return SimulatedDiskSpace{*size, used < *size ? *size - used : 0};
}

}  // namespace platform
