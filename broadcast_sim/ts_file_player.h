// Plays a recorded channel instead of the synthetic broadcast: the file "<channel value>.ts" of
// a folder, read packet by packet and started over at its end.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "broadcast_sim/packet_source.h"
#include "platform/file_handle.h"

namespace broadcast_sim {

class TsFilePlayer : public PacketSource {
  public:
    // Null when the folder has no readable regular file of the channel with at least one packet
    // (a pipe or a device is refused).
    static std::unique_ptr<TsFilePlayer> Open(const std::wstring& folder, std::uint32_t channel);

    // Exactly `budget` packets, the file looped as often as needed. A trailing part of a
    // packet at the end of the file is skipped.
    void Produce(std::uint64_t nowLocal, std::uint64_t tickMs, std::size_t budget,
                 std::vector<TsPacket>& out) override;

  private:
    TsFilePlayer(platform::FileHandle file, std::uint64_t packets)
        : file_(std::move(file)), packets_(packets) {}

    platform::FileHandle file_;
    std::uint64_t packets_;  // whole packets in the file
    std::uint64_t position_ = 0;
};

// The file a channel plays from.
std::wstring TsFilePath(const std::wstring& folder, std::uint32_t channel);

}  // namespace broadcast_sim
