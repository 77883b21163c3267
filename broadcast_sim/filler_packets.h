// Packets that stand in for the pictures and sound of a transport stream: payload-only packets
// on the video and audio PIDs of its services (fifteen video packets to one of audio), a share
// of them marked scrambled, each PID with its own continuity counter.
#pragma once

#include <cstdint>
#include <vector>

#include "broadcast_sim/packetizer.h"

namespace broadcast_sim {

class FillerPackets {
  public:
    // One (video, audio) PID pair per service; scrambledShare 0..1 of the packets carry
    // transport_scrambling_control 0b11 (odd key).
    FillerPackets(const std::vector<std::pair<std::uint16_t, std::uint16_t>>& pidPairs,
                  double scrambledShare);

    void Append(std::size_t count, std::vector<TsPacket>& out);

    // The next video packet skips one continuity-counter value.
    void BreakContinuity() { breakNext_ = true; }

  private:
    struct Pid {
        std::uint16_t pid;
        std::uint8_t counter = 0;
        bool video;
    };

    std::vector<Pid> pids_;
    std::vector<std::size_t> pattern_;  // index into pids_, cycled
    std::size_t next_ = 0;
    double scrambledShare_;
    double scrambledDebt_ = 0.0;
    bool breakNext_ = false;
};

}  // namespace broadcast_sim
