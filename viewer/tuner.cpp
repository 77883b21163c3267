#include "viewer/tuner.h"

#include <chrono>
#include <cmath>

#include "broadcast_sim/stream_pacer.h"
#include "platform/clock.h"

namespace viewer {

Tuner::Tuner(const DeviceSettings& device, std::size_t chunkPackets, ChunkSink sink)
    : device_(device), chunkPackets_(chunkPackets), sink_(std::move(sink)) {}

Tuner::~Tuner() {
    Stop();
}

void Tuner::Start() {
    if (thread_) return;
    platform::ResetEvent(stop_);
    thread_ = std::make_unique<platform::Thread>([this] { return Run(); }, false);
}

void Tuner::Stop() {
    if (!thread_) return;
    platform::SetEvent(stop_);
    // A round ends within the plug-ins' own bound (500 ms a chunk); wait for it whatever it
    // takes, since the thread uses this object.
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

void Tuner::SimulateErrors(std::uint64_t tickMs) {
    if (device_.errorsPerMinute <= 0) return;
    const double minutes = static_cast<double>(tickMs - errorsStartTick_) / 60000.0;
    const auto due = static_cast<std::uint64_t>(std::floor(minutes * device_.errorsPerMinute));
    for (; errorsMade_ < due; ++errorsMade_) {
        ++errors_;
        if (source_) source_->BreakContinuity();
    }
}

platform::DWORD Tuner::Run() {
    platform::Clock& clock = platform::Clock::Instance();
    broadcast_sim::StreamPacer pacer(device_.bitrate, chunkPackets_);
    errorsStartTick_ = clock.TickMs();
    const double rate = clock.Rate();
    const auto waitMs = static_cast<platform::DWORD>(std::max(
        1.0, std::chrono::duration<double, std::milli>(pacer.RoundInterval()).count() * rate));
    pacer.Restart(std::chrono::steady_clock::now());
    do {
        if (TakePendingSource()) pacer.Restart(std::chrono::steady_clock::now());
        SimulateErrors(clock.TickMs());
        if (source_) {
            pacer.Round(*source_, std::chrono::steady_clock::now(), clock.NowLocal(),
                        clock.TickMs(), sink_);
        }
    } while (platform::WaitForSingleObject(stop_, waitMs) == platform::WAIT_TIMEOUT);
    return 0;
}

}  // namespace viewer
