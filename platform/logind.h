// The layer's two uses of systemd-logind on the system bus (sd-bus): taking a "sleep" inhibitor
// lock, and hearing the PrepareForSleep signal. The bus is the one DBUS_SYSTEM_BUS_ADDRESS names
// (tests point it at a logind of their own), else the machine's.
//
// Where there is no system bus or no logind (containers, CI), nothing fails: one debug line says
// so, and the callers go on without (no lock, resume found from the boot-time gap only). A failure
// is written once until something succeeds again, so callers may simply retry.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

#include "platform/owned_fd.h"

namespace platform::logind {

// logind's Inhibit("sleep", who, why, "block"): the returned descriptor is the lock, and closing
// it releases the lock. The descriptor is close-on-exec, so children never keep the lock alive.
// Invalid when the lock could not be taken (no bus, no logind, refused).
OwnedFd InhibitSleep(std::wstring_view who, std::wstring_view why);

// A connection of its own, subscribed to logind's PrepareForSleep signal. Used by one thread at a
// time: the caller polls Fd() for Events() until Timeout(), then calls Process.
class SleepSignals {
  public:
    // Connects and subscribes before it returns, so a signal sent afterwards is heard. Without a
    // system bus, Connected() is false (and one debug line says so).
    SleepSignals();
    ~SleepSignals();
    SleepSignals(const SleepSignals&) = delete;
    SleepSignals& operator=(const SleepSignals&) = delete;

    bool Connected() const;
    int Fd() const;
    short Events() const;
    // How long the connection may wait at most before Process is due again; nullopt: no limit.
    std::optional<std::chrono::milliseconds> Timeout() const;

    // Handles whatever arrived: onSignal(true) before a sleep, onSignal(false) after the resume.
    // False when the connection broke (it is closed then, with a debug line).
    bool Process(const std::function<void(bool start)>& onSignal);

    struct Connection;

  private:
    std::unique_ptr<Connection> connection_;
};

}  // namespace platform::logind
