// Runs a program with a small, nearly full disk under one folder: a tmpfs of the given size
// mounted there in a mount namespace of its own (a user namespace too when not root), then
// the program in its place (same process id, so /proc/<pid>/root/<folder> shows that disk).
// Where no file system can be mounted, a file size limit of the same size stands in for it.
//
//   viewer_test_small_disk <folder> <bytes> <program> [arguments...]
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

bool WriteFile(const char* path, const std::string& text) {
    const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::close(fd);
    return written;
}

// A namespace of our own in which this process may mount: a user namespace maps our own ids
// to themselves when we are not root.
bool EnterMountNamespace() {
    if (::geteuid() == 0) return ::unshare(CLONE_NEWNS) == 0;
    const std::string uid = std::to_string(::geteuid());
    const std::string gid = std::to_string(::getegid());
    return ::unshare(CLONE_NEWUSER | CLONE_NEWNS) == 0 &&
           WriteFile("/proc/self/setgroups", "deny") &&
           WriteFile("/proc/self/uid_map", uid + " " + uid + " 1") &&
           WriteFile("/proc/self/gid_map", gid + " " + gid + " 1");
}

bool MountSmallDisk(const char* folder, const char* bytes) {
    if (!EnterMountNamespace()) return false;
    // Nothing mounted here reaches the namespace we came from.
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return false;
    const std::string options = std::string("size=") + bytes + ",mode=0700";
    return ::mount("tmpfs", folder, "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) == 0;
}

void LimitFileSize(const char* bytes) {
    std::signal(SIGXFSZ, SIG_IGN);  // kept through exec: writes fail with EFBIG instead
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = std::strtoull(bytes, nullptr, 10);
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: viewer_test_small_disk <folder> <bytes> <program> ...\n");
        return 2;
    }
    if (!MountSmallDisk(argv[1], argv[2])) LimitFileSize(argv[2]);
    ::execv(argv[3], argv + 3);
    std::perror("viewer_test_small_disk: exec");
    return 127;
}
