// What the tuner can receive: the channels of a broadcast description file, or the built-in
// broadcast of the sample channels; or, when a folder of recordings is set, those recordings.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "broadcast_sim/broadcast_description.h"
#include "broadcast_sim/packet_source.h"
#include "viewer/viewer_settings.h"

namespace viewer {

class BroadcastCatalog {
  public:
    // nullopt with a message when the description file cannot be read.
    static std::optional<BroadcastCatalog> Load(const ViewerSettings& settings,
                                                std::wstring* error);

    // The stream of the channel as the device receives it; null when nothing is on it.
    std::unique_ptr<broadcast_sim::PacketSource> OpenSource(std::uint32_t channel,
                                                            const DeviceSettings& device) const;

    // The first service of the channel (0 when the channel is unknown) and a service's name.
    std::uint16_t FirstService(std::uint32_t channel) const;
    std::wstring ServiceName(std::uint32_t channel, std::uint16_t serviceId) const;

  private:
    // The channel's services without programmes; nullopt when it is unknown.
    std::optional<broadcast_sim::ChannelBroadcast> Outline(std::uint32_t channel) const;

    std::optional<broadcast_sim::BroadcastDescription> file_;  // nullopt: built-in broadcast
    std::wstring tsFolder_;
    std::uint64_t scheduleCycleMs_ = 25000;
};

}  // namespace viewer
