// What a tuner plays: a source of transport-stream packets asked, moment by moment, for what is
// due.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "broadcast_sim/packetizer.h"

namespace broadcast_sim {

class PacketSource {
  public:
    virtual ~PacketSource() = default;

    // Appends the packets due at this moment: `nowLocal` is the clock's local wall time
    // (FILETIME value), `tickMs` its tick count; `budget` is how many packets the bitrate still
    // allows. A source may exceed the budget with packets that must not wait (tables).
    virtual void Produce(std::uint64_t nowLocal, std::uint64_t tickMs, std::size_t budget,
                         std::vector<TsPacket>& out) = 0;

    // Makes the next payload packet skip one continuity-counter value (a reception error).
    virtual void BreakContinuity() {}
};

}  // namespace broadcast_sim
