// The per-process Unix datagram socket that carries window messages between the user's processes.
// Each process binds "<runtime folder>/msg/<pid>" (mode 0600) on first use and reads it on a
// thread of its own; others send to it by process id. Datagrams of one sender arrive in the order
// sent. The socket file goes when the process exits; sockets left by processes that were killed
// are removed by the next process that binds its own.
#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <string>

#include "platform/win_types.h"

namespace platform {

class LocalSocket {
  public:
    using Handler = std::function<void(std::span<const std::byte>)>;

    // The process's socket; the handler runs on the receiving thread for every datagram. The
    // first call binds the socket and starts that thread.
    static LocalSocket& Instance(const Handler& handler);

    // Sends one datagram to the process's socket; false when the process has none (it ended or
    // never used messages) or its socket stays full for the send time-out.
    bool SendTo(DWORD pid, std::span<const std::byte> datagram);

  private:
    explicit LocalSocket(Handler handler);
    void Receive();
    // Removes this process's socket file when the process exits.
    void RemoveAtExit();
    // Removes the socket files of processes that no longer exist.
    void SweepDeadSockets() const;

    Handler handler_;
    int folderFd_ = -1;
    std::string folder_;
    int receiveFd_ = -1;
    int sendFd_ = -1;
    unsigned long boundInode_ = 0;
};

}  // namespace platform
