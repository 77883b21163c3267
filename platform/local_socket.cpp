#include "platform/local_socket.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <system_error>
#include <thread>

#include "platform/runtime_folder.h"

namespace platform {
namespace {

// A full receiver (a stopped process) makes a sender wait at most this long.
constexpr timeval kSendTimeout{2, 0};
constexpr int kReceiveBuffer = 1 << 20;
constexpr std::size_t kMaxDatagram = 256;

// The socket's address; when the folder's path is too long for sun_path, it is reached through
// the folder descriptor this process holds open.
bool MakeAddress(const std::string& folder, int folderFd, DWORD pid, sockaddr_un* address) {
    std::memset(address, 0, sizeof *address);
    address->sun_family = AF_UNIX;
    std::string path = folder + "/" + std::to_string(pid);
    if (path.size() >= sizeof address->sun_path) {
        path = "/proc/self/fd/" + std::to_string(folderFd) + "/" + std::to_string(pid);
    }
    if (path.size() >= sizeof address->sun_path) return false;
    std::memcpy(address->sun_path, path.c_str(), path.size());
    return true;
}

}  // namespace

LocalSocket& LocalSocket::Instance(const Handler& handler) {
    // Never destroyed: the receiving thread runs until the process ends.
    static LocalSocket* const socket = new LocalSocket(handler);
    return *socket;
}

LocalSocket::LocalSocket(Handler handler) : handler_(std::move(handler)) {
    const auto folder = RuntimeSubfolder("msg");
    if (folder.empty()) return;  // refused: this process cannot be reached, nor reach others
    folder_ = folder.string();
    folderFd_ = ::open(folder_.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    sendFd_ = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    ::setsockopt(sendFd_, SOL_SOCKET, SO_SNDTIMEO, &kSendTimeout, sizeof kSendTimeout);
    receiveFd_ = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    ::setsockopt(receiveFd_, SOL_SOCKET, SO_RCVBUF, &kReceiveBuffer, sizeof kReceiveBuffer);
    sockaddr_un address{};
    const auto pid = static_cast<DWORD>(::getpid());
    if (!MakeAddress(folder_, folderFd_, pid, &address)) return;
    ::unlink(address.sun_path);  // left by an ended process with the same id
    if (::bind(receiveFd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        std::perror("orvandel: cannot bind the message socket");
        return;
    }
    // bind gives the socket file the mode the umask leaves.
    ::chmod(address.sun_path, 0600);
    RemoveAtExit();
    SweepDeadSockets();
    std::thread([this] { Receive(); }).detach();
}

void LocalSocket::RemoveAtExit() {
    struct stat st {};
    const std::string name = std::to_string(::getpid());
    if (::fstatat(folderFd_, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return;
    boundInode_ = st.st_ino;
    // The instance is made by then: this runs at the end of its constructor.
    std::atexit([] {
        const LocalSocket& self = Instance({});
        struct stat now {};
        const std::string own = std::to_string(::getpid());
        // Unless a later process of the same id has bound it since (this one was forked).
        if (::fstatat(self.folderFd_, own.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0 &&
            now.st_ino == self.boundInode_) {
            ::unlinkat(self.folderFd_, own.c_str(), 0);
        }
    });
}

void LocalSocket::SweepDeadSockets() const {
    DIR* dir = ::opendir(folder_.c_str());
    if (dir == nullptr) return;
    while (const dirent* entry = ::readdir(dir)) {
        char* end = nullptr;
        const long pid = std::strtol(entry->d_name, &end, 10);
        if (entry->d_name[0] == '\0' || *end != '\0' || pid <= 0) continue;
        if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
            ::unlinkat(folderFd_, entry->d_name, 0);
    }
    ::closedir(dir);
}

void LocalSocket::Receive() {
    std::byte buffer[kMaxDatagram];
    for (;;) {
        const ssize_t n = ::recv(receiveFd_, buffer, sizeof buffer, 0);
        if (n < 0) {
            if (errno == EINTR) continue;
            return;
        }
        handler_(std::span<const std::byte>(buffer, static_cast<std::size_t>(n)));
    }
}

bool LocalSocket::SendTo(DWORD pid, std::span<const std::byte> datagram) {
    if (folder_.empty()) return false;
    sockaddr_un address{};
    if (!MakeAddress(folder_, folderFd_, pid, &address)) return false;
    for (;;) {
        const ssize_t n = ::sendto(sendFd_, datagram.data(), datagram.size(), MSG_NOSIGNAL,
                                   reinterpret_cast<const sockaddr*>(&address), sizeof address);
        if (n == static_cast<ssize_t>(datagram.size())) return true;
        if (n < 0 && errno == EINTR) continue;
        return false;
    }
}

}  // namespace platform
