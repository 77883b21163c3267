#include "platform/thread.h"

#include <atomic>

namespace platform {

// Shared by the owner and the running thread, so either may go first.
struct Thread::Shared {
    Event resume{true, false};
    Event ended{true, false};
    std::atomic<bool> cancelled{false};
    std::atomic<DWORD> exitCode{0};
};

Thread::Thread(Procedure procedure, bool startSuspended) : shared_(std::make_shared<Shared>()) {
    if (!startSuspended) SetEvent(shared_->resume);
    thread_ = std::thread([shared = shared_, procedure = std::move(procedure)] {
        WaitForSingleObject(shared->resume, INFINITE);
        if (!shared->cancelled.load()) shared->exitCode.store(procedure());
        SetEvent(shared->ended);
    });
}

Thread::~Thread() {
    if (!thread_.joinable()) return;
    if (WaitForSingleObject(shared_->resume, 0) == WAIT_TIMEOUT) {
        shared_->cancelled.store(true);
        SetEvent(shared_->resume);
    }
    if (HasEnded() || shared_->cancelled.load()) {
        thread_.join();
    } else {
        thread_.detach();
    }
}

void Thread::Resume() {
    SetEvent(shared_->resume);
}

bool Thread::HasEnded() const {
    return WaitForSingleObject(shared_->ended, 0) == WAIT_OBJECT_0;
}

DWORD Thread::ExitCode() const {
    return shared_->exitCode.load();
}

DWORD Thread::Wait(DWORD milliseconds) const {
    return WaitForSingleObject(shared_->ended, milliseconds);
}

bool Thread::Stop(const Event& stopEvent, DWORD milliseconds) {
    SetEvent(stopEvent);
    if (Wait(milliseconds) == WAIT_OBJECT_0) {
        if (thread_.joinable()) thread_.join();
        return true;
    }
    if (thread_.joinable()) thread_.detach();
    return false;
}

}  // namespace platform
