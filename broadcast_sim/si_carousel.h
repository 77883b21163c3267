// A carousel of sections: every section of the list goes out once per period, spread evenly
// over it, in list order, round and round.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "broadcast_sim/section_builder.h"

namespace broadcast_sim {

struct PidSection {
    std::uint16_t pid = 0;
    Section section;
};

class SiCarousel {
  public:
    explicit SiCarousel(std::uint64_t periodMs) : periodMs_(periodMs) {}

    // New contents; the next cycle starts at `nowMs` with the first section.
    void Reset(std::vector<PidSection> sections, std::uint64_t nowMs);
    bool Empty() const { return sections_.empty(); }

    // Hands every section that has fallen due by `nowMs` to `emit`. The first section of a cycle
    // is due at its start. After a long pause at most one whole cycle is caught up.
    void TakeDue(std::uint64_t nowMs, const std::function<void(const PidSection&)>& emit);

  private:
    std::uint64_t periodMs_;
    std::vector<PidSection> sections_;
    std::uint64_t startMs_ = 0;
    std::uint64_t emitted_ = 0;
};

}  // namespace broadcast_sim
