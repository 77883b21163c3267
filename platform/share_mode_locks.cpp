#include "platform/share_mode_locks.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/fd_io.h"
#include "platform/file_handle.h"

namespace platform {
namespace {

// Record bytes: what an open holds, and what it refuses to share.
constexpr off_t kRecordBase = 0x7FFFFFFFFFFF0000LL;
enum Record : off_t {
    kHasRead = 0,
    kHasWrite = 1,
    kDeniesRead = 2,
    kDeniesWrite = 3,
    kDeniesDelete = 4,
};

struct flock RecordLock(short type, Record record) {
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = kRecordBase + record;
    lock.l_len = 1;
    return lock;
}

// True when another open description holds the record.
bool Held(int fd, Record record) {
    struct flock lock = RecordLock(F_WRLCK, record);
    if (::fcntl(fd, F_OFD_GETLK, &lock) != 0) return false;
    return lock.l_type != F_UNLCK;
}

bool Take(int fd, Record record) {
    struct flock lock = RecordLock(F_RDLCK, record);
    return ::fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

// Serialises look-and-record between opens of the same file. Its holder needs it for a few calls;
// one that keeps it for a second was stopped there, and the open gives up.
constexpr std::chrono::milliseconds kGateLimit(1000);

class Gate {
  public:
    explicit Gate(int fd) : fd_(fd), held_(FlockWithin(fd_, LOCK_EX, kGateLimit) == 0) {}
    ~Gate() {
        if (held_) ::flock(fd_, LOCK_UN);
    }
    Gate(const Gate&) = delete;
    Gate& operator=(const Gate&) = delete;
    bool Held() const { return held_; }

  private:
    int fd_;
    bool held_;
};

bool Conflicts(int fd, DWORD access, DWORD share) {
    return ((access & GENERIC_READ) && Held(fd, kDeniesRead)) ||
           ((access & GENERIC_WRITE) && Held(fd, kDeniesWrite)) ||
           (!(share & FILE_SHARE_READ) && Held(fd, kHasRead)) ||
           (!(share & FILE_SHARE_WRITE) && Held(fd, kHasWrite));
}

std::vector<Record> RecordsOf(DWORD access, DWORD share) {
    std::vector<Record> records;
    if (access & GENERIC_READ) records.push_back(kHasRead);
    if (access & GENERIC_WRITE) records.push_back(kHasWrite);
    if (!(share & FILE_SHARE_READ)) records.push_back(kDeniesRead);
    if (!(share & FILE_SHARE_WRITE)) records.push_back(kDeniesWrite);
    if (!(share & FILE_SHARE_DELETE)) records.push_back(kDeniesDelete);
    return records;
}

}  // namespace

bool AcquireShareMode(int fd, DWORD desiredAccess, DWORD shareMode) {
    const Gate gate(fd);
    if (!gate.Held() || Conflicts(fd, desiredAccess, shareMode)) return false;
    for (const Record record : RecordsOf(desiredAccess, shareMode))
        Take(fd, record);
    return true;
}

int UnlinkIfDeletionShared(int fd, const std::string& nativePath) {
    const Gate gate(fd);
    if (!gate.Held() || Held(fd, kDeniesDelete)) return EBUSY;
    return ::unlink(nativePath.c_str()) == 0 ? 0 : errno;
}

}  // namespace platform
