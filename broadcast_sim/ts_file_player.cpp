#include "broadcast_sim/ts_file_player.h"

#include <algorithm>

#include "platform/paths.h"

namespace broadcast_sim {

std::wstring TsFilePath(const std::wstring& folder, std::uint32_t channel) {
    return platform::JoinPath(folder, std::to_wstring(channel) + L".ts");
}

std::unique_ptr<TsFilePlayer> TsFilePlayer::Open(const std::wstring& folder,
                                                 std::uint32_t channel) {
    platform::FileHandle file = platform::CreateFileW(
        TsFilePath(folder, channel), platform::GENERIC_READ,
        platform::FILE_SHARE_READ | platform::FILE_SHARE_WRITE, platform::OPEN_EXISTING);
    if (!file.IsValid() || !file.IsRegularFile()) return nullptr;
    const std::uint64_t packets = file.Size().value_or(0) / sizeof(TsPacket);
    if (packets == 0) return nullptr;
    return std::unique_ptr<TsFilePlayer>(new TsFilePlayer(std::move(file), packets));
}

void TsFilePlayer::Produce(std::uint64_t, std::uint64_t, std::size_t budget,
                           std::vector<TsPacket>& out) {
    while (budget > 0) {
        if (position_ == packets_) {
            file_.SetPointer(0, platform::FILE_BEGIN);
            position_ = 0;
        }
        const std::size_t take =
            static_cast<std::size_t>(std::min<std::uint64_t>(budget, packets_ - position_));
        const std::size_t first = out.size();
        out.resize(first + take);
        platform::DWORD read = 0;
        const auto bytes = static_cast<platform::DWORD>(take * sizeof(TsPacket));
        if (!file_.Read(out[first].data(), bytes, &read) || read != bytes) {
            out.resize(first + read / sizeof(TsPacket));
            position_ = packets_;
            return;  // the file shrank or failed; try again from its start next time
        }
        position_ += take;
        budget -= take;
    }
}

}  // namespace broadcast_sim
