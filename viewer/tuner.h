// The simulated tuner device: a thread that plays the tuned channel's packet source at the
// device's bitrate, in chunks of a fixed size, into a sink, and simulates reception errors.
// Sources are switched from any thread and taken over at the next round.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

#include "broadcast_sim/packet_source.h"
#include "platform/event.h"
#include "platform/thread.h"
#include "viewer/viewer_settings.h"

namespace viewer {

class Tuner {
  public:
    using ChunkSink = std::function<void(const std::uint8_t* data, std::size_t size)>;

    Tuner(const DeviceSettings& device, std::size_t chunkPackets, ChunkSink sink);
    ~Tuner();
    Tuner(const Tuner&) = delete;
    Tuner& operator=(const Tuner&) = delete;

    // Starts the thread and returns once it has played its first round: the tuned channel is on
    // air then (a synthetic broadcast builds its tables in that round, which may take a while on
    // a busy machine), so that a recording begun next gets the stream from its start.
    void Start();
    // Ends the thread after handing over the stream up to this moment, a partial chunk
    // included; the sink is not called any more once this returns.
    void Stop();

    // Plays `source` from the next round on; null: no signal, nothing is delivered.
    void SetSource(std::unique_ptr<broadcast_sim::PacketSource> source);

    // Reception errors since the tuner started.
    std::int32_t ErrorCount() const { return errors_.load(); }

  private:
    platform::DWORD Run();
    bool TakePendingSource();
    void SimulateErrors(std::uint64_t tickMs);

    DeviceSettings device_;
    std::size_t chunkPackets_;
    ChunkSink sink_;

    std::mutex pendingMutex_;
    bool hasPending_ = false;
    std::unique_ptr<broadcast_sim::PacketSource> pending_;
    std::unique_ptr<broadcast_sim::PacketSource> source_;  // tuner thread only

    std::atomic<std::int32_t> errors_{0};
    std::uint64_t errorsStartTick_ = 0;
    std::uint64_t errorsMade_ = 0;

    platform::Event stop_{true, false};
    platform::Event firstRound_{true, false};  // set once the first round is played
    std::unique_ptr<platform::Thread> thread_;
};

}  // namespace viewer
