#include "platform/local_socket.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
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
    const auto folder = RuntimeFolder() / "msg";
    std::error_code ec;
    std::filesystem::create_directory(folder, ec);
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
    std::thread([this] { Receive(); }).detach();
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
