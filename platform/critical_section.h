// A critical section: a lock that the thread holding it may take again (recursive), released as
// often as it was taken. Usable with std::lock_guard / std::unique_lock.
#pragma once

#include <mutex>

namespace platform {

class CriticalSection {
  public:
    void Enter() { mutex_.lock(); }
    bool TryEnter() { return mutex_.try_lock(); }
    void Leave() { mutex_.unlock(); }

    // BasicLockable, for the standard lock guards.
    void lock() { Enter(); }
    bool try_lock() { return TryEnter(); }
    void unlock() { Leave(); }

  private:
    std::recursive_mutex mutex_;
};

inline void EnterCriticalSection(CriticalSection* section) {
    section->Enter();
}
inline void LeaveCriticalSection(CriticalSection* section) {
    section->Leave();
}

}  // namespace platform
