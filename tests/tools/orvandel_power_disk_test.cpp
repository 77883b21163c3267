// The real Orvandel with the viewers on the simulated clock, for what it does around recordings:
// after a recording with RecEnd = 1 the countdown runs out and standby is requested, the machine
// is to wake five minutes before the next reservation, and sleep stays blocked while a recording
// is due within ten minutes; with AutoDel = 1 on a small disk the oldest recordings make room
// while the one being written stays.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "broadcast_sim/time_builder.h"
#include "tests/support/fresh_folder.h"
#include "timer_core/scheduling/reserve_time.h"
#include "tools/system_world.h"

namespace tools_test {
namespace {

namespace fs = std::filesystem;

constexpr std::uint64_t kSecond = 10000000;
constexpr std::uint64_t kMinute = 60 * kSecond;
constexpr std::uint64_t kMiB = 1024 * 1024;
// Real time a step may take beyond the clock time it is due in (a busy machine, sanitizers).
constexpr int kGraceMs = 20000;

platform::SYSTEMTIME At(int hour, int minute, int second = 0) {
    return broadcast_sim::JstTime(2026, 12, 4, hour, minute, second);
}

std::uint64_t Clock(const platform::SYSTEMTIME& time) {
    return timer_core::LocalFileTime(time);
}

std::string Text(std::uint64_t clock) {
    const platform::SYSTEMTIME t = timer_core::LocalSystemTime(clock);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", t.wYear, t.wMonth, t.wDay,
                  t.wHour, t.wMinute, t.wSecond);
    return text;
}

timer_core::ReserveEntry Fixed(const std::wstring& title, const std::wstring& channel,
                               std::int32_t value, std::uint16_t serviceId,
                               const platform::SYSTEMTIME& start, std::uint32_t minutes) {
    timer_core::ReserveEntry entry;
    entry.title = title;
    entry.start = start;
    entry.durationMinutes = minutes;
    entry.channelName = channel;
    entry.channelValue = value;
    entry.serviceId = serviceId;
    entry.eventId = 0;
    entry.priority = 3;
    entry.follow = 0;  // fixed time: the viewer records by itself, no programme guide needed
    return entry;
}

tools::SystemWorldOptions Options(double rate, const platform::SYSTEMTIME& start) {
    tools::SystemWorldOptions options;
    options.binFolder = ORVANDEL_BIN_FOLDER;
    options.clockStart = start;
    options.clockRate = rate;
    options.offscreen = true;
    return options;
}

// One line of the simulated power file: "<time> <request>[ <argument>]".
struct PowerLine {
    std::uint64_t at = 0;
    std::string request;
    std::optional<std::uint64_t> argument;  // the due time of "wake-armed"
};

std::optional<std::uint64_t> ParseTime(const std::string& text) {
    int y, mo, d, h, mi, s;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d", &y, &mo, &d, &h, &mi, &s) != 6)
        return std::nullopt;
    return Clock(broadcast_sim::JstTime(y, mo, d, h, mi, s));
}

std::vector<PowerLine> PowerLines(const tools::SystemWorld& world) {
    std::vector<PowerLine> lines;
    for (const std::string& text : world.PowerLogLines()) {
        const std::size_t first = text.find(' ');
        if (first == std::string::npos) continue;
        const std::size_t second = text.find(' ', first + 1);
        PowerLine line;
        line.at = ParseTime(text.substr(0, first)).value_or(0);
        line.request = text.substr(
            first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
        if (second != std::string::npos) line.argument = ParseTime(text.substr(second + 1));
        lines.push_back(line);
    }
    return lines;
}

std::string Describe(const std::vector<PowerLine>& lines) {
    std::string text;
    for (const PowerLine& line : lines) {
        text += Text(line.at) + " " + line.request;
        if (line.argument) text += " " + Text(*line.argument);
        text += "\n";
    }
    return text;
}

std::vector<PowerLine>::const_iterator Find(const std::vector<PowerLine>& lines,
                                            const std::string& request,
                                            std::vector<PowerLine>::const_iterator from) {
    return std::find_if(from, lines.end(), [&](const auto& l) { return l.request == request; });
}

const timer_core::ReserveEntry* Titled(const std::vector<timer_core::ReserveEntry>& entries,
                                       const std::wstring& title) {
    const auto it = std::find_if(entries.begin(), entries.end(),
                                 [&](const auto& e) { return e.title == title; });
    return it == entries.end() ? nullptr : &*it;
}

bool Recorded(const tools::SystemWorld& world, const std::wstring& title) {
    const auto entries = world.Reservations();
    const auto* entry = Titled(entries, title);
    return entry != nullptr && entry->resultText.find(L"録画終了") != std::wstring::npos;
}

double RealSecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TEST(OrvandelPowerDiskTest,
     AfterARecordingTheCountdownEndsInStandbyWithTheWakeUpSetForTheNextReservation) {
    const auto began = std::chrono::steady_clock::now();
    // みなと夜話 records 20:00-20:01; さくら深夜便 is next, at 20:30.
    const std::wstring recorded = L"みなと夜話";
    const std::wstring next = L"さくら深夜便";
    tools::SystemWorldOptions options = Options(40, At(19, 48, 30));
    options.timerIni = {{L"SET", L"RecEnd", L"1"}};
    options.reservations = {Fixed(recorded, L"みなと総合", 21, 0x400, At(20, 0), 1),
                            Fixed(next, L"さくらテレビ", 22, 0x408, At(20, 30), 1)};
    options.pictures = true;
    tools::SystemWorld world(test_support::FreshFolder("standby"), options);
    ASSERT_TRUE(world.Prepare());
    ASSERT_TRUE(world.StartOrvandel());

    std::vector<PowerLine> lines;
    const bool slept = world.WaitUntilClock(
        [&] {
            lines = PowerLines(world);
            return Find(lines, "standby", lines.cbegin()) != lines.end();
        },
        At(20, 2, 30), kGraceMs);
    ASSERT_TRUE(slept) << Describe(lines);
    const std::string log = Describe(lines);

    // Before anything was due within ten minutes, the wake-up was set for the first recording,
    // five minutes early, and the lock was not held.
    const std::uint64_t recordingStart = Clock(At(20, 0));
    const auto blocked = Find(lines, "sleep-blocked", lines.cbegin());
    ASSERT_NE(blocked, lines.end()) << log;
    EXPECT_GE(blocked->at, recordingStart - 10 * kMinute) << log;
    // Taken ahead of the recording by the answer given at least once a minute.
    EXPECT_LE(blocked->at, recordingStart - 7 * kMinute) << log;
    const bool armedForFirst = std::any_of(lines.cbegin(), blocked, [&](const PowerLine& l) {
        return l.request == "wake-armed" && l.argument == recordingStart - 5 * kMinute;
    });
    EXPECT_TRUE(armedForFirst) << log;

    // Held through the recording; let go only once it had ended.
    const auto allowed = Find(lines, "sleep-allowed", blocked);
    ASSERT_NE(allowed, lines.end()) << log;
    EXPECT_GE(allowed->at, Clock(At(20, 1))) << log;
    EXPECT_EQ(Find(lines, "sleep-blocked", blocked + 1), lines.end()) << log;

    // The countdown (sixteen seconds) ran out, then standby was asked for, once.
    const auto standby = Find(lines, "standby", lines.cbegin());
    EXPECT_GT(standby, allowed) << log;
    EXPECT_GE(standby->at, Clock(At(20, 2, 15))) << log;
    EXPECT_EQ(Find(lines, "standby", standby + 1), lines.end()) << log;
    EXPECT_EQ(Find(lines, "hibernate", lines.cbegin()), lines.end()) << log;
    EXPECT_TRUE(fs::exists(world.PictureFolder() / "timer_ui_CSleepWaitDlg.png"));

    // The last wake-up set before standby is the next reservation's start less five minutes.
    const auto lastArmed = std::find_if(std::make_reverse_iterator(standby), lines.crend(),
                                        [](const auto& l) { return l.request == "wake-armed"; });
    ASSERT_NE(lastArmed, lines.crend()) << log;
    EXPECT_EQ(lastArmed->argument, Clock(At(20, 25))) << log;
    // Never armed within seven minutes of its event (such an arming is refused).
    for (const PowerLine& line : lines) {
        if (line.request == "wake-armed" && line.argument) {
            EXPECT_LE(line.at + 2 * kMinute, *line.argument) << log;
        }
    }

    // Program.txt is saved once the window is back from standby.
    EXPECT_TRUE(tools::WaitFor([&] { return Recorded(world, recorded); }, kGraceMs));
    ASSERT_EQ(world.RecordingFiles().size(), 1u);
    EXPECT_GT(world.RecordingFiles()[0].size, 0u);
    EXPECT_TRUE(world.CloseOrvandel());
    EXPECT_TRUE(world.Stop().empty());
    std::printf("Real time: %.1f s\n", RealSecondsSince(began));
}

// --- the small disk ---------------------------------------------------------------------------

constexpr std::uint64_t kOldSize = 384 * kMiB;

void WriteSparse(const fs::path& path, std::uint64_t size) {
    std::ofstream(path, std::ios::binary).put('\0');
    fs::resize_file(path, size);
}

std::uint64_t BytesIn(const fs::path& folder) {
    std::uint64_t used = 0;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        if (entry.is_regular_file(ec)) used += entry.file_size(ec);
    }
    return used;
}

TEST(OrvandelPowerDiskTest, OnASmallDiskTheOldestRecordingsGoAndTheOneBeingWrittenStays) {
    const auto began = std::chrono::steady_clock::now();
    // Two terrestrial tuners: みなと夜の映画 records 20:00-20:08 while さくら短編 starts at 20:03.
    const std::wstring running = L"みなと夜の映画";
    const std::wstring second = L"さくら短編";
    tools::SystemWorldOptions options = Options(30, At(19, 58, 30));
    options.viewerIni = {{L"Device1", L"Kind", L"1"}};
    options.timerIni = {
        {L"SET", L"TunerCount", L"2"}, {L"SET", L"TunerCount2", L"0"}, {L"SET", L"AutoDel", L"1"}};
    options.reservations = {Fixed(running, L"みなと総合", 21, 0x400, At(20, 0), 8),
                            Fixed(second, L"さくらテレビ", 22, 0x408, At(20, 3), 2)};
    // Plenty of room at first: the steps at planning and at the first start delete nothing.
    options.simulatedDiskBytes = 64ull * 1024 * kMiB;
    tools::SystemWorld world(test_support::FreshFolder("small-disk"), options);
    ASSERT_TRUE(world.Prepare());

    // What the folder holds, in the order the housekeeping takes them (names that begin with
    // digits before names that begin with letters); the recording of みなと夜の映画,
    // "2026120420000-みなと夜の映画.ts", comes between them.
    const fs::path folder = world.RecordingFolder();
    const std::vector<fs::path> goes{
        folder / "2026112819000-みなと旧作.ts", folder / "2026113020000-あおぞら旧作.TS",
        folder / "2026120121000-さくら旧作.ts", folder / "さくら名作選-前編.ts"};
    const std::vector<fs::path> stays{folder / "みなと名作選-後編.ts",
                                      folder / "みなと保存版.ts",  // no hyphen: not a recording
                                      folder / "みなと-番組表.txt"};
    for (const auto& list : {goes, stays}) {
        for (const fs::path& path : list)
            WriteSparse(path, kOldSize);
    }
    ASSERT_TRUE(world.StartOrvandel());

    // Once みなと夜の映画 is being written, something else fills the disk.
    const fs::path recording = folder / "2026120420000-みなと夜の映画.ts";
    ASSERT_TRUE(
        world.WaitUntilClock([&] { return fs::exists(recording) && fs::file_size(recording) > 0; },
                             At(20, 0), kGraceMs));
    // At the start of さくら短編 (20:02:40, its margin included) the slots still need 5 minutes of
    // みなと夜の映画 and 2 of さくら短編: 7 x 150 MiB + 500 MiB. Four old recordings must go for
    // that; the fifth may stay even when the start comes a minute or two late.
    const std::uint64_t need = 7 * 150 * kMiB + 500 * kMiB;
    const std::uint64_t freeNow = need - 4 * kOldSize + 64 * kMiB;
    world.SetSimulatedDiskBytes(BytesIn(folder) + freeNow);
    ASSERT_LT(Clock(world.Now()), Clock(At(20, 2, 30))) << "the machine is too slow";
    for (const fs::path& path : goes)
        EXPECT_TRUE(fs::exists(path)) << path;

    const bool made = world.WaitUntilClock(
        [&] {
            return std::none_of(goes.begin(), goes.end(),
                                [](const fs::path& p) { return fs::exists(p); });
        },
        At(20, 3), kGraceMs);
    EXPECT_TRUE(made);
    for (const fs::path& path : stays)
        EXPECT_TRUE(fs::exists(path)) << path;
    EXPECT_TRUE(fs::exists(recording));

    // Both recordings run to their ends; the one kept in use is whole.
    const bool ended = world.WaitUntilClock(
        [&] {
            return Recorded(world, running) && Recorded(world, second) &&
                   world.ViewerPids().empty();
        },
        At(20, 10), kGraceMs);
    EXPECT_TRUE(ended);
    EXPECT_TRUE(fs::exists(recording));
    const auto files = world.RecordingFiles();
    EXPECT_EQ(files.size(), 4u);  // the two new ones, 後編 and 保存版
    const auto debug = world.DebugLogLines();
    EXPECT_TRUE(std::any_of(debug.begin(), debug.end(),
                            [](const auto& l) { return l.find("free ") != std::string::npos; }));
    EXPECT_TRUE(world.CloseOrvandel());
    EXPECT_TRUE(world.Stop().empty());
    std::printf("Real time: %.1f s\n", RealSecondsSince(began));
}

}  // namespace
}  // namespace tools_test
