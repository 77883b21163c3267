#include "broadcast_sim/stream_pacer.h"

#include <algorithm>

namespace broadcast_sim {
namespace {

constexpr auto kLongestRound = std::chrono::milliseconds(20);
constexpr auto kShortestRound = std::chrono::milliseconds(2);
// A source stalled longer than this does not make up for it with a burst.
constexpr double kMostCatchUpSeconds = 1.0;

}  // namespace

StreamPacer::StreamPacer(double bitsPerSecond, std::size_t chunkPackets)
    : packetsPerSecond_(std::max(bitsPerSecond, 0.0) / (8.0 * sizeof(TsPacket))),
      chunkPackets_(std::max<std::size_t>(chunkPackets, 1)) {
    pending_.reserve(chunkPackets_ * 2);
}

void StreamPacer::Restart(RealTime now) {
    start_ = now;
    produced_ = 0;
    pending_.clear();
}

void StreamPacer::Round(PacketSource& source, RealTime now, std::uint64_t nowLocal,
                        std::uint64_t tickMs, const Sink& sink) {
    const double seconds = std::chrono::duration<double>(now - start_).count();
    const double behind = seconds * packetsPerSecond_ - static_cast<double>(produced_);
    if (behind > kMostCatchUpSeconds * packetsPerSecond_) {
        // Forget the backlog: the budget starts again one second behind now.
        produced_ = static_cast<std::uint64_t>(seconds * packetsPerSecond_ -
                                               kMostCatchUpSeconds * packetsPerSecond_);
    }
    const auto due = static_cast<std::uint64_t>(seconds * packetsPerSecond_);
    const std::size_t budget = due > produced_ ? static_cast<std::size_t>(due - produced_) : 0;
    round_.clear();
    source.Produce(nowLocal, tickMs, budget, round_);
    produced_ += round_.size();
    pending_.insert(pending_.end(), round_.begin(), round_.end());
    std::size_t offset = 0;
    while (pending_.size() - offset >= chunkPackets_) {
        sink(pending_[offset].data(), chunk_bytes());
        offset += chunkPackets_;
    }
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(offset));
}

void StreamPacer::Flush(const Sink& sink) {
    if (pending_.empty()) return;
    sink(pending_.front().data(), pending_.size() * sizeof(TsPacket));
    pending_.clear();
}

std::chrono::nanoseconds StreamPacer::RoundInterval() const {
    if (packetsPerSecond_ <= 0) return kLongestRound;
    const auto chunk = std::chrono::duration<double>(chunkPackets_ / packetsPerSecond_);
    const auto interval = std::chrono::duration_cast<std::chrono::nanoseconds>(chunk);
    return std::clamp<std::chrono::nanoseconds>(interval, kShortestRound, kLongestRound);
}

}  // namespace broadcast_sim
