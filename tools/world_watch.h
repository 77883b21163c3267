// What a user would notice changing in a world while it runs, as events on the world's clock:
// programs starting and ending (with their command lines), reservations appearing, moving,
// lengthening and getting their result texts, recording files appearing. Look() compares the
// world with what it saw last time; call it often (the waits of the recording day do).
#pragma once

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "platform/system_time.h"
#include "platform/win_types.h"
#include "timer_core/reservations/reserve_entry.h"
#include "tools/system_world.h"

namespace tools {

struct WorldEvent {
    platform::SYSTEMTIME at{};
    std::string text;  // UTF-8
};

class WorldWatch {
  public:
    // Events are also printed to `live` (when given) as they are seen.
    explicit WorldWatch(const SystemWorld& world, std::FILE* live = nullptr);

    void Look();
    // Notes an event of the caller's own (the user's actions).
    void Note(const std::string& text);

    const std::vector<WorldEvent>& Events() const { return events_; }

  private:
    void LookAtProcesses();
    void LookAtReservations();
    void LookAtRecordings();

    const SystemWorld& world_;
    std::FILE* live_;
    std::vector<WorldEvent> events_;
    std::map<platform::DWORD, std::string> processes_;  // pid -> program and arguments
    // By title: the titles of one world's day are distinct.
    std::map<std::wstring, timer_core::ReserveEntry> reservations_;
    std::map<std::string, bool> recordings_;
};

// "19:06:40" of a time.
std::string ClockText(const platform::SYSTEMTIME& time);

}  // namespace tools
