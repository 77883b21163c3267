#include "broadcast_sim/si_carousel.h"

namespace broadcast_sim {

void SiCarousel::Reset(std::vector<PidSection> sections, std::uint64_t nowMs) {
    sections_ = std::move(sections);
    startMs_ = nowMs;
    emitted_ = 0;
}

void SiCarousel::TakeDue(std::uint64_t nowMs, const std::function<void(const PidSection&)>& emit) {
    if (sections_.empty() || nowMs < startMs_) return;
    const std::uint64_t count = sections_.size();
    const std::uint64_t due = (nowMs - startMs_) * count / periodMs_ + 1;
    if (due > emitted_ + count) emitted_ = due - count;
    for (; emitted_ < due; ++emitted_)
        emit(sections_[emitted_ % count]);
}

}  // namespace broadcast_sim
