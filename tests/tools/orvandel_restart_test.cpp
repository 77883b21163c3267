// The timer across its own ends and starts, with the real Orvandel, the viewer and the plug-in on
// one simulated clock: an iEPG file handed over by a second instance is recorded by the first; a
// timer closed while it records leaves Program.txt whole, finds the reservation failed when it
// comes back, and the viewer it left goes once its recording is done; a reservation whose start
// passed while no timer ran is marked failed at the start.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "broadcast_sim/time_builder.h"
#include "platform/code_page.h"
#include "tests/support/fresh_folder.h"
#include "timer_core/scheduling/reserve_time.h"
#include "tools/broadcast_time_span.h"
#include "tools/iepg_file.h"
#include "tools/system_world.h"

namespace tools_test {
namespace {

namespace fs = std::filesystem;

// Slow enough that the viewer's plug-in answers within the record thread's 30 one-second polls
// of the final minute even under the sanitizers on a busy machine; fast enough that a recording
// takes seconds.
constexpr double kClockRate = 10;
// Real time beyond what the clock needs, for programs starting and files settling.
constexpr int kGraceMs = 30000;
// The broadcast marks every second: a recording is measured to the second.
constexpr int kMeasureSeconds = 1;

const wchar_t kNotRunning[] = L"録画失敗（開始時間にPCが立ち上がっていなかった可能性があります）";

platform::SYSTEMTIME At(int hour, int minute, int second = 0) {
    return broadcast_sim::JstTime(2026, 12, 4, hour, minute, second);
}

std::uint64_t Clock(const platform::SYSTEMTIME& time) {
    return timer_core::LocalFileTime(time);
}

// みなと総合 from 20:00 to 22:00; みなと紀行 is the programme the tests record.
const char kBroadcast[] =
    "channel\t21\t0x7F10\t0x7F10\tみなと総合\n"
    "service\t0x400\t1\tみなと総合１\n"
    "event\t1\t2026-12-04 20:00:00\t3600\tみなと夜の番組\n"
    "event\t2\t2026-12-04 21:00:00\t120\tみなと紀行\n"
    "event\t3\t2026-12-04 21:02:00\t240\tみなと歌謡ショー\n"
    "event\t4\t2026-12-04 21:06:00\t3240\tみなと夜のニュース\n";

struct Programme {
    const wchar_t* title;
    platform::SYSTEMTIME start;
    std::uint32_t minutes;
    std::uint16_t eventId;
};

const Programme kKikou{L"みなと紀行", At(21, 0), 2, 2};

tools::SystemWorldOptions Options(const platform::SYSTEMTIME& clockStart) {
    tools::SystemWorldOptions options;
    options.binFolder = ORVANDEL_BIN_FOLDER;
    options.clockStart = clockStart;
    options.clockRate = kClockRate;
    options.offscreen = true;
    options.viewer.broadcastDescription = kBroadcast;
    options.viewer.channelsIni = L"[東京]\r\n21=みなと総合\r\n";
    // Small chunks: a recording's file grows, and stops, within a second of the clock.
    options.viewerIni = {{L"FriioView", L"ChunkPackets", L"32"}};
    return options;
}

timer_core::ReserveEntry Reservation(const wchar_t* title, const platform::SYSTEMTIME& start,
                                     std::uint32_t minutes, std::uint16_t eventId,
                                     const wchar_t* result = L"") {
    timer_core::ReserveEntry entry;
    entry.title = title;
    entry.start = start;
    entry.durationMinutes = minutes;
    entry.channelName = L"みなと総合１";
    entry.channelValue = 21;
    entry.serviceId = 0x400;
    entry.eventId = eventId;
    entry.priority = 3;
    entry.follow = 1;
    entry.resultText = result;
    return entry;
}

timer_core::ReserveEntry Reservation(const Programme& p) {
    return Reservation(p.title, p.start, p.minutes, p.eventId);
}

const timer_core::ReserveEntry* Titled(const std::vector<timer_core::ReserveEntry>& entries,
                                       const std::wstring& title) {
    const auto it = std::find_if(entries.begin(), entries.end(),
                                 [&](const auto& e) { return e.title == title; });
    return it == entries.end() ? nullptr : &*it;
}

std::string FileBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Program.txt is whole: it ends with a line end, and each of its lines is one reservation the
// timer reads back (a line cut short by a half-written file would not parse).
void ExpectWhole(const tools::SystemWorld& world, std::size_t lines) {
    const std::string bytes = FileBytes(world.ProgramFile());
    ASSERT_FALSE(bytes.empty());
    EXPECT_TRUE(bytes.ends_with("\r\n"));
    std::size_t ends = 0;
    for (std::size_t at = bytes.find("\r\n"); at != std::string::npos;
         at = bytes.find("\r\n", at + 2))
        ++ends;
    EXPECT_EQ(ends, lines);
    EXPECT_EQ(world.Reservations().size(), lines);
}

double SecondsBetween(const platform::SYSTEMTIME& from, const platform::SYSTEMTIME& to) {
    return (static_cast<double>(Clock(to)) - static_cast<double>(Clock(from))) / 1e7;
}

class RealTime {
  public:
    ~RealTime() {
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - begin_).count();
        std::printf("%.1f s of real time\n", seconds);
    }

  private:
    std::chrono::steady_clock::time_point begin_ = std::chrono::steady_clock::now();
};

TEST(OrvandelRestartTest, TheFirstInstanceRecordsTheProgrammeOfAnIepgFileASecondOneHandsIt) {
    const RealTime realTime;
    tools::SystemWorldOptions options = Options(At(20, 56, 30));
    // Where the iEPG file's station is found.
    options.channelTable = {{21, 0x7F10, 0x400, L"みなと総合１"}};
    tools::SystemWorld world(test_support::FreshFolder("iepg"), options);
    ASSERT_TRUE(world.Prepare());
    ASSERT_TRUE(world.StartOrvandel());

    const fs::path iepg = world.Root() / "kikou.tvpid";
    ASSERT_TRUE(
        tools::WriteIepgFile(iepg, {L"DFS00400", L"みなと総合１", kKikou.title, kKikou.start,
                                    static_cast<int>(kKikou.minutes), kKikou.eventId}));
    EXPECT_EQ(world.RunSecondInstance({iepg.string()}), 0);
    const platform::SYSTEMTIME end = At(21, 2);
    std::vector<timer_core::ReserveEntry> reservations;
    ASSERT_TRUE(world.WaitUntilClock(
        [&] {
            reservations = world.Reservations();
            const auto* entry = Titled(reservations, kKikou.title);
            return entry != nullptr && !entry->resultText.empty();
        },
        end, kGraceMs))
        << "the reservation has no result by the programme's end";
    ASSERT_EQ(reservations.size(), 1u);
    const auto& entry = reservations.front();
    EXPECT_NE(entry.id, 0);
    EXPECT_EQ(entry.follow, 1);
    EXPECT_EQ(entry.channelValue, 21);
    EXPECT_EQ(entry.resultText, L"録画終了 ");

    const auto files = world.RecordingFiles();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_NE(files[0].path.filename().string().find("みなと紀行"), std::string::npos);
    const auto span = tools::ReadBroadcastTimeSpan(files[0].path);
    ASSERT_TRUE(span.has_value());
    const auto shortfall = tools::ShortfallOf(*span, kKikou.start, kKikou.minutes * 60, 0);
    EXPECT_EQ(shortfall.atStart, 0);
    EXPECT_EQ(shortfall.atEnd, 0) << "the recording ends before its programme";
    // The timer closed the viewer at the end; the second instance had gone long before.
    EXPECT_TRUE(tools::WaitFor([&] { return world.ViewerPids().empty(); }, kGraceMs));
    EXPECT_TRUE(world.CloseOrvandel());
    EXPECT_TRUE(world.Stop().empty());
}

TEST(OrvandelRestartTest, ClosedWhileRecordingTheTimerComesBackWithTheReservationFailed) {
    const RealTime realTime;
    tools::SystemWorldOptions options = Options(At(20, 57, 30));
    const auto before = Reservation(L"みなと夕方の番組", At(19, 0), 60, 901, L"録画終了 ");
    const auto later =
        Reservation(L"みなとスポーツ", broadcast_sim::JstTime(2026, 12, 5, 21, 0), 30, 31);
    options.reservations = {before, Reservation(kKikou), later};
    tools::SystemWorld world(test_support::FreshFolder("closed-recording"), options);
    ASSERT_TRUE(world.Prepare());
    ASSERT_TRUE(world.StartOrvandel());

    // The programme is on air and being recorded.
    std::vector<tools::SystemWorld::RecordingFile> files;
    ASSERT_TRUE(world.WaitUntilClock(
        [&] {
            files = world.RecordingFiles();
            return files.size() == 1 && files[0].size > 0 &&
                   Clock(world.Now()) >= Clock(At(21, 0, 10));
        },
        At(21, 0, 10), kGraceMs));
    const auto viewers = world.ViewerPids();
    ASSERT_EQ(viewers.size(), 1u);

    ASSERT_TRUE(world.CloseOrvandel());
    // Program.txt as the timer last saved it: every line, none cut short.
    ExpectWhole(world, 3);
    // The recording goes on in the viewer the closed timer left.
    const auto grown = files[0].size;
    EXPECT_TRUE(tools::WaitFor(
        [&] {
            const auto now = world.RecordingFiles();
            return now.size() == 1 && now[0].size > grown;
        },
        kGraceMs));

    ASSERT_TRUE(world.StartOrvandel());
    // The start-up's load wrote the store back before the window came up.
    ExpectWhole(world, 3);
    const auto reservations = world.Reservations();
    const auto* kikou = Titled(reservations, kKikou.title);
    const auto* first = Titled(reservations, before.title);
    const auto* next = Titled(reservations, later.title);
    ASSERT_NE(kikou, nullptr);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(next, nullptr);
    // No slot holds it again (its start lies behind the clock): its start passed without a
    // result, as for a timer that was not running.
    EXPECT_EQ(kikou->resultText, kNotRunning);
    EXPECT_EQ(first->resultText, L"録画終了 ");
    EXPECT_EQ(next->resultText, L"");
    EXPECT_EQ(first->id, 1);
    EXPECT_EQ(kikou->id, 2);
    EXPECT_EQ(next->id, 3);

    // The viewer left behind ends by itself once its recording is done, with the programme in it.
    const platform::SYSTEMTIME end = At(21, 2);
    EXPECT_TRUE(
        world.WaitUntilClock([&] { return world.ViewerPids().empty(); }, At(21, 2, 30), kGraceMs))
        << "the viewer of the closed timer's recording is still running";
    EXPECT_GE(SecondsBetween(end, world.Now()), -kMeasureSeconds);
    files = world.RecordingFiles();
    ASSERT_EQ(files.size(), 1u);
    const auto span = tools::ReadBroadcastTimeSpan(files[0].path);
    ASSERT_TRUE(span.has_value());
    const auto shortfall = tools::ShortfallOf(*span, kKikou.start, kKikou.minutes * 60, 0);
    EXPECT_EQ(shortfall.atStart, 0);
    EXPECT_EQ(shortfall.atEnd, 0) << "the recording ends before its programme";
    // Past the programme's end, the timer has not recorded it again.
    ASSERT_TRUE(world.WaitUntilClock([&] { return Clock(world.Now()) >= Clock(At(21, 2, 30)); },
                                     At(21, 2, 30), kGraceMs));
    EXPECT_EQ(world.RecordingFiles().size(), 1u);
    EXPECT_TRUE(world.ViewerPids().empty());
    EXPECT_EQ(Titled(world.Reservations(), kKikou.title)->resultText, kNotRunning);

    EXPECT_TRUE(world.CloseOrvandel());
    EXPECT_TRUE(world.Stop().empty());
}

TEST(OrvandelRestartTest, AReservationWhoseStartPassedWhileNoTimerRanIsMarkedFailedAtTheStart) {
    const RealTime realTime;
    tools::SystemWorldOptions options = Options(At(20, 57));
    options.clockRate = 20;
    const auto over = Reservation(L"みなと夕方の番組", At(19, 0), 60, 901);
    const auto onAir = Reservation(L"みなと夜の番組", At(20, 0), 60, 1);
    const auto recorded = Reservation(L"みなと朝の情報", At(7, 0), 30, 902, L"録画終了 ");
    const auto coming = Reservation(kKikou);
    options.reservations = {recorded, over, onAir, coming};
    tools::SystemWorld world(test_support::FreshFolder("not-running"), options);
    ASSERT_TRUE(world.Prepare());
    ASSERT_TRUE(world.StartOrvandel());

    ExpectWhole(world, 4);
    const auto reservations = world.Reservations();
    ASSERT_EQ(reservations.size(), 4u);
    EXPECT_EQ(Titled(reservations, over.title)->resultText, kNotRunning);
    // Still on air, but its start has passed all the same.
    EXPECT_EQ(Titled(reservations, onAir.title)->resultText, kNotRunning);
    EXPECT_EQ(Titled(reservations, recorded.title)->resultText, L"録画終了 ");
    EXPECT_EQ(Titled(reservations, coming.title)->resultText, L"");
    // The text as the file holds it: Shift-JIS after the ID's tab, at the end of the line.
    const std::string line = "\t" + platform::WideToShiftJis(kNotRunning) + "\r\n";
    const std::string bytes = FileBytes(world.ProgramFile());
    const auto first = bytes.find(line);
    ASSERT_NE(first, std::string::npos);
    EXPECT_NE(bytes.find(line, first + line.size()), std::string::npos);

    EXPECT_TRUE(world.CloseOrvandel());
    EXPECT_TRUE(world.Stop().empty());
}

}  // namespace
}  // namespace tools_test
