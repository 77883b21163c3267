// The timed EPG acquisition end to end: the timer (in its main window stand-in) arms it at
// start-up, starts one FriioView per tuner kind at the EPG time, both plug-ins collect their
// channels into the EPG data folder, the main window gets 0x474 and reloads the data, and no
// viewer is left.
#ifdef FRIIOVIEW_PATH

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "broadcast_sim/time_builder.h"
#include "platform/code_page.h"
#include "tests/timer_core/timer_core_test_environment.h"
#include "tests/timer_core/timer_world.h"
#include "timer_core/recording/main_window_messages.h"
#include "timer_core/scheduling/reserve_time.h"

namespace timer_core_test {
namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kMinato = 21;  // terrestrial
constexpr std::uint32_t kBsMinato = (11727u << 16) | 0x4010;

// One service per channel, an hour-long programme every hour from the day before for ten days.
std::string HourlyBroadcast(const platform::SYSTEMTIME& day) {
    struct Channel {
        std::uint32_t value;
        const char* tsid;
        const char* onid;
        const char* name;
        const char* serviceId;
        const char* serviceName;
    };
    const Channel channels[] = {
        {kMinato, "0x7F10", "0x7F10", "みなと総合", "0x0400", "みなと総合１"},
        {kBsMinato, "0x4010", "0x0004", "ＢＳみなと", "101", "ＢＳみなと１"},
    };
    const std::uint64_t first =
        timer_core::LocalFileTime({day.wYear, day.wMonth, 0, day.wDay, 0, 0, 0, 0}) -
        platform::kFileTimePerDay;
    std::string text;
    for (const Channel& c : channels) {
        text += "channel\t" + std::to_string(c.value) + "\t" + c.tsid + "\t" + c.onid + "\t" +
                c.name + "\n";
        text += std::string("service\t") + c.serviceId + "\t1\t" + c.serviceName + "\n";
        for (int hour = 0; hour < 24 * 10; ++hour) {
            const platform::SYSTEMTIME t = timer_core::LocalSystemTime(
                first + static_cast<std::uint64_t>(hour) * timer_core::kFileTimePerHour);
            char line[128];
            std::snprintf(line, sizeof line, "event\t%d\t%04d-%02d-%02d %02d:00:00\t3600\t番組%d\n",
                          hour + 1, t.wYear, t.wMonth, t.wDay, t.wHour, hour + 1);
            text += line;
        }
    }
    return text;
}

std::string Clock(const platform::SYSTEMTIME& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", t.wHour, t.wMinute, t.wSecond,
                  t.wMilliseconds);
    return text;
}

double ClockSecondsBetween(const platform::SYSTEMTIME& from, const platform::SYSTEMTIME& to) {
    return (static_cast<double>(timer_core::LocalFileTime(to)) -
            static_cast<double>(timer_core::LocalFileTime(from))) /
           1e7;
}

// A world whose timer has the EPG time 04:00, ten seconds after its clock starts, with one
// terrestrial and one BS channel.
TimerWorldOptions AcquisitionAtFour() {
    TimerWorldOptions options;
    options.clockStart = broadcast_sim::JstTime(2026, 12, 4, 3, 59, 50);
    // The run gives each viewer 4 s of clock to publish its tuner kind: 400 ms of real time.
    options.clockRate = 10;
    options.viewer.broadcastDescription = HourlyBroadcast(options.clockStart);
    options.viewer.channelsIni = L"[東京]\r\n21=みなと総合\r\n";
    options.viewer.bscsIni = L"[BS110CS]\r\n11727,4010=ＢＳみなと\r\n";
    options.timerIni = {{L"Orvandel", L"Count", L"2"},
                        {L"Orvandel", L"0", L"4,0,1"},
                        {L"Orvandel", L"1", L"12,0,0"}};
    return options;
}

const platform::SYSTEMTIME kEpgTime = broadcast_sim::JstTime(2026, 12, 4, 4, 0, 0);

TEST(EndToEndEpgAcquisitionTest, BothTunersCollectAtTheEpgTimeAndTheMainWindowReloads) {
    const auto realStart = std::chrono::steady_clock::now();
    const TimerWorldOptions options = AcquisitionAtFour();
    TimerWorld world(options);
    // A stale copy from an earlier acquisition.
    fs::create_directories(world.EpgDataFolder());
    const fs::path terrestrialData = world.EpgDataFolder() / "ch21_epg.dat";
    std::FILE* stale = std::fopen(terrestrialData.c_str(), "wb");
    ASSERT_NE(stale, nullptr);
    std::fputs("stale", stale);
    std::fclose(stale);

    ASSERT_TRUE(world.Start());
    // Start-up: the stale data loads as nothing, the acquisition 10 s ahead is armed.
    std::string armed;
    for (const HostReport& report : world.Reports()) {
        if (report.line.starts_with("check-epg ")) armed = report.line.substr(10, 1);
    }
    EXPECT_EQ(armed, "1");
    EXPECT_TRUE(world.ViewerPids().empty());
    // Both viewers run from the EPG time on.
    platform::SYSTEMTIME firstSeen{};
    ASSERT_TRUE(WaitUntil(
        [&] {
            if (firstSeen.wYear == 0 && !world.ViewerPids().empty()) firstSeen = world.Now();
            return world.ViewerPids().size() == 2;
        },
        world.RealMs(60000)));
    const platform::SYSTEMTIME bothSeen = world.Now();
    const platform::SYSTEMTIME& epgTime = kEpgTime;
    // The delay is counted in whole seconds: the start may come up to a second early.
    EXPECT_GE(ClockSecondsBetween(epgTime, firstSeen), -1.0);
    EXPECT_LT(ClockSecondsBetween(epgTime, firstSeen), 5.0);
    // The second viewer after the first one's 4 s.
    EXPECT_GE(ClockSecondsBetween(firstSeen, bothSeen), 4.0);

    // Each collects one channel (at least a minute), then is closed; then 0x474.
    const auto acquired = world.WaitForMessage(timer_core::WM_EPG_ACQUIRED, 1, 60000);
    ASSERT_TRUE(acquired.has_value());
    EXPECT_TRUE(world.ViewerPids().empty());
    EXPECT_GE(ClockSecondsBetween(epgTime, *acquired), 60.0);
    EXPECT_LT(ClockSecondsBetween(epgTime, *acquired), 180.0);

    // The main window's reload finds both channels' services with their week of programmes.
    std::string epgData;
    for (const HostReport& report : world.Reports()) {
        if (report.line.starts_with("epg-data ")) epgData = report.line.substr(9);
    }
    int loaded = 0, services = 0, events = 0;
    ASSERT_EQ(std::sscanf(epgData.c_str(), "%d %d %d", &loaded, &services, &events), 3) << epgData;
    EXPECT_EQ(loaded, 1);
    EXPECT_EQ(services, 2);
    EXPECT_GE(events, 2 * 7 * 24);
    for (const std::uint32_t channel : {kMinato, kBsMinato}) {
        const fs::path file = world.EpgDataFolder() / ("ch" + std::to_string(channel) + "_epg.dat");
        EXPECT_GT(fs::file_size(file), 1000u) << file;
    }
    EXPECT_TRUE(fs::exists(world.DataFolder() / "ChSet.txt"));
    EXPECT_TRUE(fs::exists(world.DataFolder() / "ChSet2.txt"));
    // The window positions the viewers found are back: the run writes them as it ends, just
    // after it posted 0x474.
    EXPECT_TRUE(WaitUntil([&] {
        return world.FriioRegistryValue(L"VideoWindowPos") == TimerWorld::kVideoWindowPos &&
               world.FriioRegistryValue(L"ControlWindowPos") == TimerWorld::kControlWindowPos;
    }));
    EXPECT_EQ(world.FriioRegistryValue(L"VideoWindowPos"), TimerWorld::kVideoWindowPos);
    EXPECT_EQ(world.FriioRegistryValue(L"ControlWindowPos"), TimerWorld::kControlWindowPos);

    // Nothing more comes: the next checks find the time past and tomorrow's far.
    EXPECT_EQ(world.Ask("check-epg", "check-epg ").value_or("").substr(0, 1), "1");
    world.Stop();
    EXPECT_EQ(world.MessageCount(timer_core::WM_EPG_ACQUIRED), 1);
    EXPECT_TRUE(world.ViewerPids().empty());

    const double real =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - realStart).count();
    std::printf(
        "EPG acquisition at 04:00:00: first viewer seen %s, both %s, 0x474 at %s; "
        "%.1f s real\n",
        Clock(firstSeen).c_str(), Clock(bothSeen).c_str(), Clock(*acquired).c_str(), real);
}

// Plug-ins without a capture folder refuse the collection. Each is asked once and shows its box
// once, its viewer is closed at the next poll, and the run ends with a reload: no viewer keeps
// its tuner, and the debug log says why the day failed.
TEST(EndToEndEpgAcquisitionTest, PlugInsWithoutACaptureFolderAreClosedAfterOneRequest) {
    TimerWorldOptions options = AcquisitionAtFour();
    options.viewer.captureFolder = false;
    TimerWorld world(options);
    ASSERT_TRUE(world.Start());
    // Both viewers start (8 s), the first poll asks them, the second finds both refused, each
    // viewer closes within its 9 s: well within two minutes.
    const auto acquired =
        world.WaitForMessage(timer_core::WM_EPG_ACQUIRED, 1, world.RealMs(120000));
    ASSERT_TRUE(acquired.has_value());
    EXPECT_LT(ClockSecondsBetween(kEpgTime, *acquired), 60.0);
    EXPECT_TRUE(world.ViewerPids().empty());
    world.Stop();
    EXPECT_EQ(world.MessageCount(timer_core::WM_EPG_ACQUIRED), 1);

    int refusals = 0;
    int failures = 0;
    for (const std::string& line : world.System().DebugLogLines()) {
        if (line == "EPG collection refused: EPGデータ保存フォルダを指定してください") ++refusals;
        if (line.starts_with("EPG acquisition: the collection on FriioView ") &&
            line.ends_with(" failed or was refused (Status 2)")) {
            ++failures;
        }
    }
    EXPECT_EQ(refusals, 2);
    EXPECT_EQ(failures, 2);
}

}  // namespace
}  // namespace timer_core_test

#endif  // FRIIOVIEW_PATH
