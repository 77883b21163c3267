#include "platform/suspend_query.h"

#include <utility>

#include "platform/logind.h"
#include "platform/simulated_power.h"

namespace platform {

SuspendQueryAnswer::SuspendQueryAnswer(std::wstring who, std::wstring why)
    : who_(std::move(who)), why_(std::move(why)) {}

SuspendQueryAnswer::~SuspendQueryAnswer() {
    Allow();
}

void SuspendQueryAnswer::Answer(LRESULT answer) {
    if (answer == BROADCAST_QUERY_DENY)
        Block();
    else
        Allow();
}

bool SuspendQueryAnswer::Blocking() const {
    return lock_.Valid() || simulatedLock_;
}

void SuspendQueryAnswer::Block() {
    if (Blocking()) return;
    if (IsPowerSimulated()) {
        AppendSimulatedPowerRequest("sleep-blocked");
        simulatedLock_ = true;
        return;
    }
    lock_ = logind::InhibitSleep(who_, why_);
}

void SuspendQueryAnswer::Allow() {
    if (simulatedLock_) AppendSimulatedPowerRequest("sleep-allowed");
    simulatedLock_ = false;
    lock_.Reset();
}

}  // namespace platform
