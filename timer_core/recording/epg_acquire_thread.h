// The thread of the timed EPG acquisition that TimerManager::CheckEpgAcquisition starts: one run
// of RunEpgAcquisition on the real viewers (FriioViewPath), their plug-ins and the manager's main
// window.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/event.h"
#include "platform/win_types.h"

namespace timer_core {

class TimerManager;

// `manager` is the thread's own handle on the manager's state (ShareWithThread), so that a thread
// that overruns its stop still has what it uses; every pause, start and close waits on `stop`.
// Always 0.
platform::DWORD EpgAcquireThreadProc(const std::shared_ptr<TimerManager>& manager,
                                     const platform::Event& stop, std::int32_t delayMs);

}  // namespace timer_core
