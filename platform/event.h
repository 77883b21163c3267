// Events with their Windows meaning: manual or automatic reset, an initial state, SetEvent,
// ResetEvent and waits with a time limit. An Event is a handle: copies share one event, and the
// event lives as long as any copy (a thread that holds a copy keeps it alive).
//
// Time limits are clock time: under a simulated clock (platform/clock.h) a wait of 20000 ms at
// rate 60 takes a third of a real second.
#pragma once

#include <memory>
#include <span>

#include "platform/win_types.h"

namespace platform {

inline constexpr DWORD WAIT_OBJECT_0 = 0;
inline constexpr DWORD WAIT_TIMEOUT = 0x102;
inline constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;

namespace detail {
struct EventState;
}

class Event {
  public:
    // A manual-reset event stays signalled until ResetEvent; an automatic-reset event releases
    // one wait and is then unsignalled again.
    Event(bool manualReset, bool initialState);

  private:
    friend BOOL SetEvent(const Event& event);
    friend BOOL ResetEvent(const Event& event);
    friend DWORD WaitForMultipleObjects(std::span<const Event* const> events, DWORD milliseconds);

    std::shared_ptr<detail::EventState> state_;
};

BOOL SetEvent(const Event& event);
BOOL ResetEvent(const Event& event);

// WAIT_OBJECT_0 when the event is (or becomes) signalled within the time limit (INFINITE: no
// limit), else WAIT_TIMEOUT. An automatic-reset event is consumed by the wait that returns it.
DWORD WaitForSingleObject(const Event& event, DWORD milliseconds);

// Waits until any of the events is signalled: WAIT_OBJECT_0 + its index (the lowest index when
// several are), WAIT_TIMEOUT after the limit, WAIT_FAILED for an empty list.
DWORD WaitForMultipleObjects(std::span<const Event* const> events, DWORD milliseconds);

}  // namespace platform
