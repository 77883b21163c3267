#include "viewer/tuner.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>

#include "broadcast_sim/stream_pacer.h"
#include "platform/clock.h"

namespace viewer {
namespace {

// The error count saturates here (the status block holds it in 32 bits).
constexpr double kMostErrors = static_cast<double>(std::numeric_limits<std::int32_t>::max());

}  // namespace

Tuner::Tuner(const DeviceSettings& device, std::size_t chunkPackets, ChunkSink sink)
    : device_(device), chunkPackets_(chunkPackets), sink_(std::move(sink)) {}

Tuner::~Tuner() {
    Stop();
}

void Tuner::Start() {
    if (thread_) return;
    platform::ResetEvent(stop_);
    platform::ResetEvent(firstRound_);
    thread_ = std::make_unique<platform::Thread>([this] { return Run(); }, false);
    platform::WaitForSingleObject(firstRound_, platform::INFINITE);
}

void Tuner::Stop() {
    if (!thread_) return;
    platform::SetEvent(stop_);
    // Once stop is set a round hands over at most the chunk it is in (the plug-ins bound that
    // to 500 ms), then what fell due until now; wait for it whatever it takes, since the thread
    // uses this object.
    thread_->Wait(platform::INFINITE);
    thread_.reset();
}

void Tuner::SetSource(std::unique_ptr<broadcast_sim::PacketSource> source) {
    std::lock_guard lock(pendingMutex_);
    pending_ = std::move(source);
    hasPending_ = true;
}

bool Tuner::TakePendingSource() {
    std::unique_ptr<broadcast_sim::PacketSource> old;  // freed outside the lock
    std::lock_guard lock(pendingMutex_);
    if (!hasPending_) return false;
    old = std::move(source_);
    source_ = std::move(pending_);
    hasPending_ = false;
    return true;
}

// The errors that fell due since the last round, counted at once: the work of a round does not
// grow with the error rate. One break per round is as many as the stream shows.
void Tuner::SimulateErrors(std::uint64_t tickMs) {
    if (!(device_.errorsPerMinute > 0)) return;
    const double minutes = static_cast<double>(tickMs - errorsStartTick_) / 60000.0;
    const double due = std::min(std::floor(minutes * device_.errorsPerMinute), kMostErrors);
    if (!(due > static_cast<double>(errorsMade_))) return;
    errorsMade_ = static_cast<std::uint64_t>(due);
    errors_ = static_cast<std::int32_t>(
        std::min<std::uint64_t>(errorsMade_, std::numeric_limits<std::int32_t>::max()));
    if (source_) source_->BreakContinuity();
}

platform::DWORD Tuner::Run() {
    platform::Clock& clock = platform::Clock::Instance();
    broadcast_sim::StreamPacer pacer(device_.bitrate, chunkPackets_);
    errorsStartTick_ = clock.TickMs();
    const double rate = clock.Rate();
    const auto waitMs = static_cast<platform::DWORD>(std::max(
        1.0, std::chrono::duration<double, std::milli>(pacer.RoundInterval()).count() * rate));
    // A round can hold many chunks; once Stop is asked for, the rest are dropped, so that a stop
    // waits for one chunk at most.
    const broadcast_sim::StreamPacer::Sink deliver = [this](const std::uint8_t* data,
                                                            std::size_t size) {
        if (platform::WaitForSingleObject(stop_, 0) == platform::WAIT_TIMEOUT) sink_(data, size);
    };
    // The stream is paced by the real time the clock runs: while a simulated clock stands still
    // (a program of the world is starting) the broadcast stands still too.
    const auto realNow = [&clock] {
        return broadcast_sim::StreamPacer::RealTime(
            std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                clock.RunningRealTime()));
    };
    pacer.Restart(realNow());
    do {
        if (TakePendingSource()) pacer.Restart(realNow());
        SimulateErrors(clock.TickMs());
        if (source_) pacer.Round(*source_, realNow(), clock.NowLocal(), clock.TickMs(), deliver);
        platform::SetEvent(firstRound_);
    } while (platform::WaitForSingleObject(stop_, waitMs) == platform::WAIT_TIMEOUT);
    // What was on air until the stop goes out still, the partial chunk too: a recording closed
    // next holds the stream up to that moment, as a real tuner's file does within milliseconds
    // (at a fast simulated clock a chunk and a round are each up to a second of the clock).
    if (source_) {
        pacer.Round(*source_, realNow(), clock.NowLocal(), clock.TickMs(), sink_);
        pacer.Flush(sink_);
    }
    return 0;
}

}  // namespace viewer
