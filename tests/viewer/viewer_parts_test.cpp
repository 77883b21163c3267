// Parts of the viewer on their own: the command line, the channel lists, the recording and the
// tuner.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>

#include <filesystem>
#include <fstream>

#include "platform/code_page.h"
#include "platform/last_error.h"
#include "platform/paths.h"
#include "platform/utf16.h"
#include "tests/support/sandbox.h"
#include "viewer/channel_list.h"
#include "viewer/recorder.h"
#include "viewer/tuner.h"
#include "viewer/viewer_command_line.h"

namespace viewer {
namespace {

std::optional<ViewerCommandLine> Parse(std::vector<std::wstring> args,
                                       std::wstring* error = nullptr) {
    return ParseViewerCommandLine(args, error);
}

TEST(ViewerCommandLineTest, TheTimersFormsParse) {
    auto line = Parse({L"-n", L"-o", L"3"});
    ASSERT_TRUE(line);
    EXPECT_TRUE(line->noVideo);
    EXPECT_EQ(line->device, 3);
    EXPECT_FALSE(line->channel);

    line = Parse({L"-n", L"-c", L"782385168", L"-r", L"31", L"-x", L"-f",
                  L"202612091020 0-ニュース.ts", L"-d", L"5", L"-e", L"-o", L"1"});
    ASSERT_TRUE(line);
    EXPECT_EQ(line->channel, 782385168u);
    EXPECT_EQ(line->minutes, 31);
    EXPECT_TRUE(line->record);
    EXPECT_EQ(line->file, L"202612091020 0-ニュース.ts");
    EXPECT_EQ(line->d, 5);
    EXPECT_TRUE(line->errorLog);
    EXPECT_EQ(line->device, 1);

    line = Parse({});
    ASSERT_TRUE(line);
    EXPECT_FALSE(line->record);
    EXPECT_EQ(line->device, 0);
}

TEST(ViewerCommandLineTest, MalformedLinesSayWhy) {
    const struct {
        std::vector<std::wstring> args;
        const wchar_t* message;
    } cases[] = {
        {{L"-o"}, L"-o needs a value"},
        {{L"-o", L"256"}, L"-o needs a number from 0 to 255, not \"256\""},
        {{L"-c", L"+21"}, L"-c needs a number from 0 to 4294967295, not \"+21\""},
        {{L"-x", L"-r", L"65536"}, L"-r needs a number from 1 to 65535, not \"65536\""},
        {{L"-e"}, L"-e is only allowed with -x"},
        {{L"-x", L"-x"}, L"-x is given twice"},
        {{L"/c"}, L"unknown argument \"/c\""},
    };
    for (const auto& c : cases) {
        std::wstring error;
        EXPECT_FALSE(Parse(c.args, &error));
        EXPECT_EQ(error, c.message);
    }
}

TEST(ChannelListTest, ReadsShiftJisAndUtf16FilesBySectionWithoutCase) {
    test_support::Sandbox sandbox;
    const std::string sjis = platform::WideToShiftJis(
        L"; コメント\r\n[大阪]\r\n16=他地域\r\n[東京]\r\n21=みなと総合\r\n 22 = さくらテレビ \r\n"
        L"ｘ=名前\r\n[BS110CS]\r\n12034,4030=ＢＳ\r\n11727,40F1=ＢＳさくら\r\nnoequals\r\n");
    std::ofstream(sandbox.Native("channels.ini"), std::ios::binary) << sjis;
    const auto tokyo = LoadChannelList(sandbox.Wide("channels.ini"), L"東京");
    ASSERT_EQ(tokyo.size(), 3u);
    EXPECT_EQ(tokyo[0].channel, 21u);
    EXPECT_EQ(tokyo[0].name, L"みなと総合");
    EXPECT_EQ(tokyo[1].channel, 22u);
    EXPECT_EQ(tokyo[1].name, L"さくらテレビ");
    EXPECT_EQ(tokyo[2].channel, 0u);

    std::ofstream(sandbox.Native("bscs.ini"), std::ios::binary)
        << "\xFF\xFE" +
               platform::WideToUtf16Le(L"[bs110cs]\r\n12034,4030=ＢＳ\r\n11727,40F1=ＢＳさくら");
    const auto bs = LoadChannelList(sandbox.Wide("bscs.ini"), L"BS110CS");
    ASSERT_EQ(bs.size(), 2u);
    EXPECT_EQ(bs[0].channel, (12034u << 16) | 0x4030);
    EXPECT_EQ(bs[1].channel, (11727u << 16) | 0x40F1);
    EXPECT_EQ(bs[1].name, L"ＢＳさくら");

    EXPECT_TRUE(LoadChannelList(sandbox.Wide("channels.ini"), L"名古屋").empty());
    EXPECT_TRUE(LoadChannelList(sandbox.Wide("missing.ini"), L"東京").empty());
}

// Four packets, the second one scrambled.
std::vector<std::uint8_t> FourPackets() {
    std::vector<std::uint8_t> chunk(188 * 4, 0xFF);
    for (std::size_t i = 0; i < chunk.size(); i += 188) {
        chunk[i] = 0x47;
        chunk[i + 3] = 0x10;
    }
    chunk[188 + 3] = 0xC0;
    return chunk;
}

TEST(RecorderTest, WritesWhileRecordingAndStopsWhenItsTimeIsUp) {
    test_support::Sandbox sandbox;
    Recorder recorder;
    const std::vector<std::uint8_t> chunk = FourPackets();
    recorder.Write(chunk.data(), chunk.size());  // not recording: nothing
    ASSERT_TRUE(recorder.Start(sandbox.Wide("a.ts"), 120));
    EXPECT_FALSE(recorder.Start(sandbox.Wide("b.ts"), 120));
    recorder.Write(chunk.data(), chunk.size());
    EXPECT_EQ(recorder.Packets(), 4u);
    EXPECT_EQ(recorder.ScrambledPackets(), 1u);
    recorder.Adjust(-60);
    EXPECT_EQ(recorder.PlannedSeconds(), 60);
    EXPECT_FALSE(recorder.StopIfDue());
    recorder.Adjust(-1000);  // time is up at once; the next chunk is the last
    EXPECT_EQ(recorder.PlannedSeconds(), 0);
    recorder.Write(chunk.data(), chunk.size());
    EXPECT_FALSE(recorder.IsRecording());
    EXPECT_EQ(std::filesystem::file_size(sandbox.Native("a.ts")), chunk.size() * 2);

    // With the stream flowing, a Tick after the time is up leaves the end to the next chunk,
    // which holds what was on air until then; without a chunk since the last Tick it stops.
    ASSERT_TRUE(recorder.Start(sandbox.Wide("c.ts"), 60));
    EXPECT_FALSE(recorder.StopIfDue());
    recorder.Write(chunk.data(), chunk.size());
    recorder.Adjust(-60);
    EXPECT_FALSE(recorder.StopIfDue());
    EXPECT_TRUE(recorder.IsRecording());
    EXPECT_TRUE(recorder.StopIfDue());
    EXPECT_EQ(std::filesystem::file_size(sandbox.Native("c.ts")), chunk.size());

    // Without a length it runs until stopped; a folder that does not exist cannot be recorded to.
    ASSERT_TRUE(recorder.Start(sandbox.Wide("a.ts"), std::nullopt));
    EXPECT_FALSE(recorder.StopIfDue());
    EXPECT_TRUE(recorder.Stop());
    EXPECT_FALSE(recorder.Stop());
    EXPECT_FALSE(recorder.Start(sandbox.Wide("missing/a.ts"), 60));
}

// Lowers this process's file size limit for one scope: writes past it fail (EFBIG) part-way,
// as on a full disk, instead of ending the process.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = saved_;
        lowered.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    rlimit saved_{};
    void (*previous_)(int) = SIG_DFL;
};

TEST(RecorderTest, AFailedWriteKeepsTheWholePacketsAndEndsTheRecording) {
    test_support::Sandbox sandbox;
    Recorder recorder;
    const std::vector<std::uint8_t> chunk = FourPackets();
    ASSERT_TRUE(recorder.Start(sandbox.Wide("full.ts"), std::nullopt));
    {
        // Room for ten packets and 64 bytes of the eleventh.
        const FileSizeLimit limit(188 * 10 + 64);
        for (int i = 0; i < 4; ++i)
            recorder.Write(chunk.data(), chunk.size());
    }
    EXPECT_FALSE(recorder.IsRecording());
    EXPECT_EQ(recorder.WriteError(), platform::ERROR_FILE_TOO_LARGE);
    EXPECT_EQ(recorder.Packets(), 10u);
    EXPECT_EQ(recorder.ScrambledPackets(), 3u);
    EXPECT_EQ(std::filesystem::file_size(sandbox.Native("full.ts")), 188u * 10);
    // The next recording starts without the old failure.
    ASSERT_TRUE(recorder.Start(sandbox.Wide("next.ts"), std::nullopt));
    EXPECT_EQ(recorder.WriteError(), 0u);
    recorder.Write(chunk.data(), chunk.size());
    EXPECT_TRUE(recorder.Stop());
    EXPECT_EQ(std::filesystem::file_size(sandbox.Native("next.ts")), chunk.size());
}

// Tables on the first call, beyond any budget: they wait in a chunk that never fills.
class TablesOnce : public broadcast_sim::PacketSource {
  public:
    void Produce(std::uint64_t, std::uint64_t, std::size_t,
                 std::vector<broadcast_sim::TsPacket>& out) override {
        if (produced_) return;
        produced_ = true;
        for (int i = 0; i < 5; ++i) {
            broadcast_sim::TsPacket& p = out.emplace_back();
            p.fill(0xFF);
            p[0] = 0x47;
        }
    }

  private:
    bool produced_ = false;
};

// A recording closed right after the tuner stops must hold what was on air until then: a stop
// that dropped the partly filled chunk cut up to a chunk off the end of every recording.
TEST(TunerTest, AStopHandsOverThePartlyFilledChunk) {
    DeviceSettings device;
    device.bitrate = 0.0;  // nothing falls due by time: only the tables go out
    std::size_t bytes = 0;
    Tuner tuner(device, 1'000'000, [&](const std::uint8_t*, std::size_t size) { bytes += size; });
    tuner.SetSource(std::make_unique<TablesOnce>());
    tuner.Start();
    EXPECT_EQ(bytes, 0u);
    tuner.Stop();
    EXPECT_EQ(bytes, 5u * 188u);
}

}  // namespace
}  // namespace viewer
