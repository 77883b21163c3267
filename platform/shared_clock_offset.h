// The offset that SetLocalTime adds to a simulated clock, shared by every process of the
// namespace that runs the same simulation: an 8-byte file in the runtime folder, mapped into
// each process, so a move is seen everywhere at once without a system call per clock reading.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

class SharedClockOffset {
  public:
    // key names the simulation (processes with the same key share the offset).
    explicit SharedClockOffset(const std::string& key);
    ~SharedClockOffset();
    SharedClockOffset(const SharedClockOffset&) = delete;
    SharedClockOffset& operator=(const SharedClockOffset&) = delete;

    // 100-ns units added to the simulated local time; 0 when nothing was moved.
    std::int64_t Load() const;
    // False when the shared file could not be set up (the clock then cannot be moved).
    bool Store(std::int64_t offset);

  private:
    std::int64_t* value_ = nullptr;  // mapped; null when the file could not be mapped
};

}  // namespace platform
