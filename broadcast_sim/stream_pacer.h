// Paces a packet source at a bitrate and cuts what it produces into chunks of a fixed number of
// packets. The owner calls Round regularly (RoundInterval apart); each round asks the source for
// what has fallen due and hands every completed chunk to the sink.
//
// The bitrate counts real time, so that a simulated clock running fast does not multiply the
// data; what the source puts into the stream (tables, their times) follows the platform clock.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>

#include "broadcast_sim/packet_source.h"

namespace broadcast_sim {

class StreamPacer {
  public:
    using Sink = std::function<void(const std::uint8_t* data, std::size_t size)>;
    using RealTime = std::chrono::steady_clock::time_point;

    StreamPacer(double bitsPerSecond, std::size_t chunkPackets);

    // Starts counting the budget at `now`; a partly filled chunk is dropped.
    void Restart(RealTime now);

    // One round at real time `now` with the clock's local time and tick count.
    void Round(PacketSource& source, RealTime now, std::uint64_t nowLocal, std::uint64_t tickMs,
               const Sink& sink);

    // Hands the partly filled chunk, if any, to the sink: the end of a stream.
    void Flush(const Sink& sink);

    // How long to wait between rounds: about one chunk's worth of time, at most 20 ms.
    std::chrono::nanoseconds RoundInterval() const;

    std::size_t chunk_bytes() const { return chunkPackets_ * sizeof(TsPacket); }

  private:
    double packetsPerSecond_;
    std::size_t chunkPackets_;
    RealTime start_{};
    std::uint64_t produced_ = 0;  // packets since start_
    std::vector<TsPacket> pending_;
    std::vector<TsPacket> round_;
};

}  // namespace broadcast_sim
