// The world of the whole system: the real Orvandel started as a user starts it, its window reached
// through the handle it publishes, a second instance with an iEPG file, a picture of the main
// window on request, and closing that leaves no process of the world behind.
#include "tools/system_world.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "broadcast_sim/time_builder.h"
#include "tests/support/fresh_folder.h"
#include "tools/iepg_file.h"

namespace tools_test {
namespace {

namespace fs = std::filesystem;

constexpr int kEpgTimeout = 60000;

tools::SystemWorldOptions Options() {
    tools::SystemWorldOptions options;
    options.binFolder = ORVANDEL_BIN_FOLDER;
    options.clockStart = broadcast_sim::JstTime(2026, 12, 4, 18, 59, 30);
    options.clockRate = 20;
    options.offscreen = true;
    return options;
}

// An EPG acquisition at 19:00, half a minute of clock after the start.
tools::SystemWorldOptions WithEpgTime(tools::SystemWorldOptions options) {
    options.timerIni = {{L"Orvandel", L"Count", L"1"}, {L"Orvandel", L"0", L"19,0,1"}};
    return options;
}

std::string Head(const fs::path& file, std::size_t n) {
    std::ifstream in(file, std::ios::binary);
    std::string bytes(n, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(n));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

timer_core::ReserveEntry HandMade() {
    timer_core::ReserveEntry entry;
    entry.title = L"みなとスポーツ";
    entry.start = broadcast_sim::JstTime(2026, 12, 5, 21, 0);
    entry.durationMinutes = 30;
    entry.channelName = L"みなと総合";
    entry.channelValue = 21;
    entry.serviceId = 0x400;
    entry.eventId = 31;
    entry.priority = 3;
    entry.follow = 0;
    return entry;
}

const timer_core::ReserveEntry* Titled(const std::vector<timer_core::ReserveEntry>& entries,
                                       const std::wstring& title) {
    const auto it = std::find_if(entries.begin(), entries.end(),
                                 [&](const auto& e) { return e.title == title; });
    return it == entries.end() ? nullptr : &*it;
}

TEST(SystemWorldTest, OrvandelStartsAsAUserStartsItDrawsItsWindowAndClosesLeavingNothing) {
    tools::SystemWorldOptions options = Options();
    options.pictures = true;
    tools::SystemWorld world(test_support::FreshFolder("start-close"), options);
    ASSERT_TRUE(world.Prepare());
    EXPECT_TRUE(fs::exists(world.TimerIni()));
    ASSERT_TRUE(world.StartOrvandel());

    EXPECT_NE(world.MainWindow(), 0u);
    const auto running = world.Processes();
    ASSERT_EQ(running.size(), 1u);
    EXPECT_EQ(running[0].name, "Orvandel");
    EXPECT_EQ(running[0].pid, world.OrvandelPid());
    // The window's own picture at its first show, and one more on request.
    EXPECT_TRUE(world.WaitForFile(world.PictureFolder() / "timer_ui_COrvandelDlg.png"));
    const fs::path picture = world.Root() / "main-window.png";
    ASSERT_TRUE(world.SaveMainWindowPicture(picture));
    EXPECT_EQ(Head(picture, 8), "\x89PNG\r\n\x1A\n");
    EXPECT_TRUE(fs::exists(world.PictureFolder() / "timer_ui_COrvandelDlg-2.png"));
    // Its start-up saved the (empty) reservation list.
    EXPECT_TRUE(fs::exists(world.ProgramFile()));

    EXPECT_TRUE(world.CloseOrvandel());
    EXPECT_EQ(world.OrvandelPid(), 0u);
    EXPECT_TRUE(world.Processes().empty());
    EXPECT_TRUE(world.Stop().empty());
}

TEST(SystemWorldTest, ASecondInstanceHandsItsIepgFileToTheRunningOneWhichMergesTheHandMadeLineToo) {
    tools::SystemWorldOptions options = Options();
    options.channelTable = {{21, 0x7F10, 0x400, L"みなと総合１"}};
    tools::SystemWorld world(test_support::FreshFolder("second-instance"), options);
    ASSERT_TRUE(world.Prepare());
    EXPECT_TRUE(fs::exists(world.DataFolder() / "ChSet2.txt"));
    ASSERT_TRUE(world.StartOrvandel());

    ASSERT_TRUE(world.AppendReservation(HandMade()));
    const fs::path iepg = world.Root() / "sakura.tvpid";
    ASSERT_TRUE(tools::WriteIepgFile(iepg, {L"DFS00400", L"みなと総合１", L"みなと紀行",
                                            broadcast_sim::JstTime(2026, 12, 5, 20, 0), 45, 21}));
    EXPECT_EQ(world.RunSecondInstance({iepg.string()}), 0);
    std::vector<timer_core::ReserveEntry> merged;
    ASSERT_TRUE(tools::WaitFor(
        [&] {
            merged = world.Reservations();
            return merged.size() == 2 && std::all_of(merged.begin(), merged.end(),
                                                     [](const auto& e) { return e.id != 0; });
        },
        30000));
    const auto* iepgEntry = Titled(merged, L"みなと紀行");
    const auto* hand = Titled(merged, L"みなとスポーツ");
    ASSERT_NE(iepgEntry, nullptr);
    ASSERT_NE(hand, nullptr);
    EXPECT_EQ(iepgEntry->channelValue, 21);
    EXPECT_EQ(iepgEntry->durationMinutes, 45u);
    EXPECT_EQ(iepgEntry->follow, 1);
    EXPECT_EQ(hand->follow, 0);
    EXPECT_NE(iepgEntry->id, hand->id);
    // The second instance has gone; the first runs on.
    ASSERT_EQ(world.Processes().size(), 1u);
    EXPECT_TRUE(world.CloseOrvandel());
    EXPECT_TRUE(world.Processes().empty());
}

TEST(SystemWorldTest, ClosingOrvandelDuringAnEpgAcquisitionEndsItsViewers) {
    tools::SystemWorld world(test_support::FreshFolder("close-acquiring"), WithEpgTime(Options()));
    ASSERT_TRUE(world.Prepare());
    ASSERT_TRUE(world.StartOrvandel());
    ASSERT_TRUE(tools::WaitFor([&] { return world.ViewerPids().size() == 2; }, kEpgTimeout));

    EXPECT_TRUE(world.CloseOrvandel());
    // Asked to close as the timer ended, they go by themselves.
    EXPECT_TRUE(tools::WaitFor([&] { return world.Processes().empty(); }, 10000));
    EXPECT_TRUE(world.Stop().empty());
}

TEST(SystemWorldTest, StopEndsTheViewersAKilledOrvandelLeftAndNamesThem) {
    tools::SystemWorld world(test_support::FreshFolder("killed"), WithEpgTime(Options()));
    ASSERT_TRUE(world.Prepare());
    ASSERT_TRUE(world.StartOrvandel());
    ASSERT_TRUE(tools::WaitFor([&] { return !world.ViewerPids().empty(); }, kEpgTimeout));
    world.KillOrvandel();
    EXPECT_EQ(world.OrvandelPid(), 0u);

    const auto viewers = world.ViewerPids();
    ASSERT_FALSE(viewers.empty());
    const auto left = world.Stop();
    ASSERT_EQ(left.size(), viewers.size());
    for (const auto& process : left)
        EXPECT_EQ(process.name, "FriioView");
    EXPECT_TRUE(world.Processes().empty());
}

TEST(SystemWorldTest, TheClockStartsWithTheFirstProgramAndRunsAtTheWorldsRate) {
    tools::SystemWorldOptions options = Options();
    options.clockRate = 50;
    tools::SystemWorld world(test_support::FreshFolder("clock"), options);
    const auto start = options.clockStart;
    EXPECT_EQ(world.Now().wMinute, start.wMinute);
    const auto environment = world.ChildEnvironment();
    const auto clock = std::find_if(environment.begin(), environment.end(), [](const auto& e) {
        return e.starts_with("ORVANDEL_SIM_CLOCK=2026-12-04T18:59:30,50,");
    });
    EXPECT_NE(clock, environment.end());
    // Two seconds of clock pass in 40 ms of real time.
    ASSERT_TRUE(world.WaitForClock(broadcast_sim::JstTime(2026, 12, 4, 18, 59, 32), 1000));
    EXPECT_EQ(world.RealMs(2000), 40);
}

}  // namespace
}  // namespace tools_test
