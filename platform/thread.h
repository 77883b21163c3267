// A worker thread as the timer and the plug-in use it: created suspended or running, stopped by its
// owner through a stop event and a bounded wait.
//
// Linux cannot end another thread safely, so where Windows code would terminate a thread that has
// not ended after the wait, this layer detaches it instead: the thread runs on until its
// procedure returns, and nothing it uses may be freed before then. A procedure therefore owns
// (by value or through std::shared_ptr) everything it touches after its stop event may have been
// set: Events are shared handles already; the owner's other state belongs in a shared_ptr that
// the procedure captures.
#pragma once

#include <functional>
#include <memory>
#include <thread>

#include "platform/event.h"
#include "platform/win_types.h"

namespace platform {

class Thread {
  public:
    using Procedure = std::function<DWORD()>;

    // Starts the procedure at once, or when Resume is called if startSuspended.
    Thread(Procedure procedure, bool startSuspended);
    // A thread that has ended is joined; one still running is detached (never killed); one that
    // was never resumed ends without running its procedure.
    ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // Lets a suspended thread run; no effect otherwise.
    void Resume();

    bool HasEnded() const;
    // The procedure's result once it has ended.
    DWORD ExitCode() const;

    // WAIT_OBJECT_0 when the thread ended within the clock time given, else WAIT_TIMEOUT.
    DWORD Wait(DWORD milliseconds) const;

    // The owner's stop: sets stopEvent, waits up to the clock time given and, when the thread
    // has not ended by then, detaches it (where Windows would terminate it). True when it ended.
    bool Stop(const Event& stopEvent, DWORD milliseconds);

  private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
    std::thread thread_;
};

}  // namespace platform
