// Pacing a packet source at a bitrate in chunks of a fixed size, and playing recordings.
#include "broadcast_sim/stream_pacer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "broadcast_sim/ts_file_player.h"
#include "platform/paths.h"

namespace broadcast_sim {
namespace {

using namespace std::chrono_literals;

// Exactly the budget, packets numbered in their first payload byte.
class CountingSource : public PacketSource {
  public:
    void Produce(std::uint64_t, std::uint64_t, std::size_t budget,
                 std::vector<TsPacket>& out) override {
        for (std::size_t i = 0; i < budget + extra; ++i) {
            TsPacket& p = out.emplace_back();
            p.fill(0);
            p[0] = 0x47;
            p[4] = static_cast<std::uint8_t>(next++);
        }
    }
    std::size_t extra = 0;
    std::uint32_t next = 0;
};

struct Chunks {
    void operator()(const std::uint8_t* data, std::size_t size) {
        sizes.push_back(size);
        bytes.insert(bytes.end(), data, data + size);
    }
    std::vector<std::size_t> sizes;
    std::vector<std::uint8_t> bytes;
};

TEST(StreamPacerTest, DeliversTheBitrateInWholeChunksAndNeverBurstsMoreThanASecond) {
    StreamPacer pacer(188 * 8 * 1000.0, 100);  // 1000 packets a second
    CountingSource source;
    Chunks chunks;
    const auto t0 = std::chrono::steady_clock::time_point{} + 100s;
    pacer.Restart(t0);
    pacer.Round(source, t0 + 1s, 0, 0, std::ref(chunks));
    EXPECT_EQ(chunks.sizes, std::vector<std::size_t>(10, 100 * 188));
    pacer.Round(source, t0 + 1050ms, 0, 0, std::ref(chunks));
    EXPECT_EQ(chunks.sizes.size(), 10u);  // 50 packets wait for the rest of their chunk
    pacer.Round(source, t0 + 1100ms, 0, 0, std::ref(chunks));
    ASSERT_EQ(chunks.sizes.size(), 11u);
    for (std::size_t i = 0; i < 1100; ++i)
        ASSERT_EQ(chunks.bytes[i * 188 + 4], static_cast<std::uint8_t>(i));

    // After a stall of ten seconds only one second is made up.
    pacer.Round(source, t0 + 11100ms, 0, 0, std::ref(chunks));
    EXPECT_EQ(chunks.sizes.size(), 21u);

    // Packets beyond the budget (tables) go out too, and count against it.
    source.extra = 30;
    pacer.Round(source, t0 + 11100ms, 0, 0, std::ref(chunks));
    pacer.Round(source, t0 + 11170ms, 0, 0, std::ref(chunks));
    EXPECT_EQ(chunks.sizes.size(), 22u);  // 30 + 70 + 30

    EXPECT_EQ(pacer.RoundInterval(), 20ms);
    const auto bs = StreamPacer(52e6, 256).RoundInterval();  // one chunk of 52 Mbit/s
    EXPECT_GT(bs, 7ms);
    EXPECT_LT(bs, 8ms);
}

TEST(TsFilePlayerTest, PlaysTheChannelsFileLoopedAndSkipsAPartialPacket) {
    const auto folder =
        std::filesystem::temp_directory_path() / ("ts-player-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    {
        std::ofstream file(folder / "27.ts", std::ios::binary);
        for (int i = 0; i < 3; ++i) {
            TsPacket p{};
            p[0] = 0x47;
            p[4] = static_cast<std::uint8_t>(i);
            file.write(reinterpret_cast<const char*>(p.data()), 188);
        }
        file.write("partial", 7);
    }
    const std::wstring wide = platform::FromNativePath(folder.native());
    EXPECT_EQ(TsFilePlayer::Open(wide, 28), nullptr);
    auto player = TsFilePlayer::Open(wide, 27);
    ASSERT_NE(player, nullptr);
    std::vector<TsPacket> out;
    player->Produce(0, 0, 4, out);
    player->Produce(0, 0, 3, out);
    ASSERT_EQ(out.size(), 7u);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(out[static_cast<std::size_t>(i)][4], i % 3);

    // Only regular files play: a pipe nobody writes and a device are refused at once.
    ASSERT_EQ(::mkfifo((folder / "28.ts").c_str(), 0600), 0);
    EXPECT_EQ(TsFilePlayer::Open(wide, 28), nullptr);
    std::filesystem::create_symlink("/dev/zero", folder / "29.ts");
    EXPECT_EQ(TsFilePlayer::Open(wide, 29), nullptr);
    std::filesystem::create_symlink(folder / "27.ts", folder / "30.ts");
    EXPECT_NE(TsFilePlayer::Open(wide, 30), nullptr);
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace broadcast_sim
