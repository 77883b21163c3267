// The stand-in's settings file and the tuner it drives, with values a hand-edited file can hold.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>

#include "platform/event.h"
#include "tests/support/sandbox.h"
#include "viewer/tuner.h"
#include "viewer/viewer_settings.h"

namespace viewer {
namespace {

class ViewerSettingsTest : public ::testing::Test {
  protected:
    // The settings of the file's viewer and of one device, as one line to compare.
    std::string Loaded(const std::string& text, int device) {
        std::ofstream(sandbox.Native("FriioView.ini"), std::ios::binary) << text;
        const std::wstring ini = sandbox.Wide("FriioView.ini");
        const ViewerSettings s = LoadViewerSettings(ini, &problems);
        const DeviceSettings d = LoadDeviceSettings(ini, device, &problems);
        std::ostringstream line;
        line << s.devices << " " << s.scheduleCycleMs << " " << s.chunkPackets << " "
             << s.showWindow << " | " << static_cast<int>(d.kind) << " " << d.cardState << " "
             << d.errorsPerMinute << " " << d.scrambledShare << " " << d.bitrate;
        return line.str();
    }
    test_support::Sandbox sandbox;
    SettingsProblems problems;
};

TEST_F(ViewerSettingsTest, NumbersInRangeAreTakenAsWritten) {
    EXPECT_EQ(Loaded("[FriioView]\r\nDevices=3\r\nScheduleCycle=5000\r\nChunkPackets=32\r\n"
                     "ShowWindow=0\r\n[Device2]\r\nKind=2\r\nCardState=6\r\n"
                     "ErrorsPerMinute=12.5\r\nScrambledPercent=5\r\nBitrate=52000000\r\n",
                     2),
              "3 5000 32 0 | 2 6 12.5 0.05 5.2e+07");
    EXPECT_TRUE(problems.empty());
}

TEST_F(ViewerSettingsTest, ValuesThatAreNoNumberOfTheirRangeAreReportedAndTheDefaultUsed) {
    const std::string text =
        "[FriioView]\r\nDevices=1e3\r\nScheduleCycle=-5\r\nChunkPackets=99999999999\r\n"
        "ShowWindow=yes\r\n"
        "[Device0]\r\nKind=3\r\nCardState=2.5\r\nErrorsPerMinute=1e12\r\n"
        "ScrambledPercent=nan\r\nBitrate=nan\r\n"
        "[Device1]\r\nErrorsPerMinute=inf\r\nScrambledPercent=-1\r\nBitrate=0x10\r\n";
    EXPECT_EQ(Loaded(text, 0), "2 25000 256 1 | 1 0 0 0 8e+06");
    ASSERT_EQ(problems.size(), 9u);
    EXPECT_EQ(problems[0],
              L"FriioView.ini: [FriioView] Devices=1e3 is not a whole number from 0 to 256; 2 is "
              L"used");
    EXPECT_EQ(problems[8],
              L"FriioView.ini: [Device0] Bitrate=nan is not a number from 0 to "
              L"100000000; 8000000 is used");
    problems.clear();
    EXPECT_EQ(Loaded(text, 1), "2 25000 256 1 | 2 0 0 0 1.2e+07");
    ASSERT_EQ(problems.size(), 7u);
    EXPECT_EQ(problems[4],
              L"FriioView.ini: [Device1] ErrorsPerMinute=inf is not a number from 0 "
              L"to 60000; 0 is used");
}

// Plays null packets as fast as asked.
class NullPackets : public broadcast_sim::PacketSource {
  public:
    void Produce(std::uint64_t, std::uint64_t, std::size_t budget,
                 std::vector<broadcast_sim::TsPacket>& out) override {
        broadcast_sim::TsPacket packet{};
        packet[0] = 0x47;
        packet[1] = 0x1F;
        packet[2] = 0xFF;
        out.insert(out.end(), budget, packet);
    }
};

// Whatever the device settings say, a round's work stays bounded and a stop ends the thread at
// once (the viewer waits for it when it ends, e.g. on SIGTERM).
TEST(TunerTest, AnyErrorRateKeepsRoundsShortAndStopsAtOnce) {
    DeviceSettings device;
    device.errorsPerMinute = 1e12;
    device.bitrate = 8000000.0;
    platform::Event chunk(false, false);
    Tuner tuner(device, 16, [&](const std::uint8_t*, std::size_t) { platform::SetEvent(chunk); });
    tuner.SetSource(std::make_unique<NullPackets>());
    tuner.Start();
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(platform::WaitForSingleObject(chunk, 5000), platform::WAIT_OBJECT_0);
    EXPECT_GT(tuner.ErrorCount(), 0);
    const auto start = std::chrono::steady_clock::now();
    tuner.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

}  // namespace
}  // namespace viewer
