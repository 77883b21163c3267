// The live transport stream of one channel of a synthetic broadcast, as a broadcaster sends it:
// PAT and PMTs every 100 ms, NIT and SDT every 2 s, a TOT with the clock's time every 5 s, EIT
// present/following of every service every second, and the basic and extended EIT schedules of
// all services for eight days, whose whole carousel goes round in `schedule_cycle_ms`. The rest
// of the bitrate is filler on the services' video and audio PIDs.
//
// The programmes follow the clock: at every three-hour boundary, at each scripted change and
// when the day turns, the schedules are rebuilt with a new version; present/following gets a
// new version whenever its events change.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "broadcast_sim/broadcast_description.h"
#include "broadcast_sim/filler_packets.h"
#include "broadcast_sim/packet_source.h"
#include "broadcast_sim/si_carousel.h"

namespace broadcast_sim {

struct LiveStreamSettings {
    double scrambled_share = 0.0;  // of the filler packets
    std::uint64_t schedule_cycle_ms = 25000;
};

// PIDs of the services' tables and streams (service index i).
inline constexpr std::uint16_t PmtPid(std::size_t i) {
    return static_cast<std::uint16_t>(0x1F0 + i);
}
inline constexpr std::uint16_t VideoPid(std::size_t i) {
    return static_cast<std::uint16_t>(0x111 + 0x20 * i);
}
inline constexpr std::uint16_t AudioPid(std::size_t i) {
    return static_cast<std::uint16_t>(0x112 + 0x20 * i);
}

class LiveChannelStream : public PacketSource {
  public:
    // The channel's programmes as of the day of `now` (JST FILETIME value); asked again when
    // the day changes. The channel value and services must stay the same.
    using DayProvider = std::function<ChannelBroadcast(std::uint64_t now)>;

    LiveChannelStream(DayProvider provider, std::vector<ScheduleChange> changes,
                      LiveStreamSettings settings);

    void Produce(std::uint64_t nowLocal, std::uint64_t tickMs, std::size_t budget,
                 std::vector<TsPacket>& out) override;
    void BreakContinuity() override;

    // The channel as it is on air (changes due so far applied); empty before the first Produce.
    const ChannelBroadcast& OnAir() const { return onAir_; }

  private:
    struct Timeline {
        std::vector<std::uint64_t> starts;
        std::vector<std::uint64_t> ends;
    };
    using PfKey = std::vector<int>;

    bool NeedsRebuild(std::uint64_t now) const;
    void Rebuild(std::uint64_t now, std::uint64_t tickMs);
    std::vector<PidSection> BuildTables() const;
    std::vector<PidSection> BuildSchedules(std::uint64_t now) const;
    PfKey PresentFollowing(std::uint64_t now) const;
    void RefreshPresentFollowing(std::uint64_t now, std::uint64_t tickMs, bool force);
    void Emit(const PidSection& section, std::vector<TsPacket>& out);
    void EmitTime(std::uint64_t nowLocal, std::uint64_t tickMs, std::vector<TsPacket>& out);

    DayProvider provider_;
    std::vector<ScheduleChange> changes_;
    LiveStreamSettings settings_;

    ChannelBroadcast base_;  // the provider's channel of baseDay_
    std::uint64_t baseDay_ = 0;
    ChannelBroadcast onAir_;
    std::vector<Timeline> timelines_;  // per service of onAir_
    bool built_ = false;
    std::uint64_t segment_ = 0;     // three-hour segment the schedules were built in
    std::uint64_t nextChange_ = 0;  // 0: none pending
    std::uint8_t scheduleVersion_ = 0;
    std::uint8_t pfVersion_ = 0;
    PfKey pfKey_;
    std::uint64_t nextTotMs_ = 0;
    bool totSent_ = false;
    std::uint64_t markedSecond_ = 0;  // the last second a TOT or TDT carried

    SiCarousel psi_{100};
    SiCarousel nitSdt_{2000};
    SiCarousel presentFollowing_{1000};
    SiCarousel schedule_;
    std::optional<FillerPackets> filler_;
    std::map<std::uint16_t, Packetizer> packetizers_;
};

}  // namespace broadcast_sim
