#include "broadcast_sim/filler_packets.h"

namespace broadcast_sim {
namespace {

constexpr int kVideoPerAudio = 15;

}  // namespace

FillerPackets::FillerPackets(const std::vector<std::pair<std::uint16_t, std::uint16_t>>& pidPairs,
                             double scrambledShare)
    : scrambledShare_(scrambledShare < 0   ? 0
                      : scrambledShare > 1 ? 1
                                           : scrambledShare) {
    for (const auto& [video, audio] : pidPairs) {
        const std::size_t v = pids_.size();
        pids_.push_back({video, 0, true});
        pids_.push_back({audio, 0, false});
        for (int i = 0; i < kVideoPerAudio; ++i)
            pattern_.push_back(v);
        pattern_.push_back(v + 1);
    }
}

void FillerPackets::Append(std::size_t count, std::vector<TsPacket>& out) {
    if (pattern_.empty()) return;
    for (std::size_t i = 0; i < count; ++i) {
        Pid& pid = pids_[pattern_[next_]];
        next_ = (next_ + 1) % pattern_.size();
        if (pid.video && breakNext_) {
            pid.counter = (pid.counter + 1) & 0x0F;
            breakNext_ = false;
        }
        std::uint8_t scrambling = 0;
        scrambledDebt_ += scrambledShare_;
        if (scrambledDebt_ >= 1.0) {
            scrambledDebt_ -= 1.0;
            scrambling = 3;  // odd key
        }
        out.push_back(MakePacket(pid.pid, false, scrambling, pid.counter));
        pid.counter = (pid.counter + 1) & 0x0F;
    }
}

}  // namespace broadcast_sim
