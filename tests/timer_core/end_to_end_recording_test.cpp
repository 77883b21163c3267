// Recordings end to end: the timer in its main window stand-in, the real FriioView with its two
// tuners and the real plug-in on a synthetic broadcast, all on one fast simulated clock
// (tests/timer_core/timer_world.h). Each scenario checks the recording files (their broadcast
// times against the programme's), the reservations as the timer saved them and the messages its
// main window got, and prints what it measured.
#ifdef FRIIOVIEW_PATH

#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "broadcast_sim/time_builder.h"
#include "shared/shared_memory_layouts.h"
#include "shared/shared_memory_readers.h"
#include "tests/timer_core/timer_core_test_environment.h"
#include "tests/timer_core/timer_world.h"
#include "timer_core/recording/main_window_messages.h"
#include "timer_core/scheduling/reserve_time.h"

namespace timer_core_test {
namespace {

namespace fs = std::filesystem;
using timer_core::ReserveEntry;

constexpr std::uint32_t kMinato = 21;
constexpr std::uint16_t kMinatoService = 0x400;
constexpr std::uint32_t kSakura = 22;
constexpr std::uint16_t kSakuraService = 0x408;
constexpr int kStartSec = 15;
constexpr int kEndSec = 1;
// The broadcast marks every second and a recording takes whole chunks of well under a second of
// this clock: what a recording holds is known to this precision.
constexpr double kMeasure = 1;
// A viewer killed by the test has recorded until a chunk before the kill, and the clock read after
// the kill has run on a little.
constexpr double kKillMeasure = 2;
// Clock time after a programme's end in which a recording that went on would have grown.
constexpr double kAfterEnd = 10;
// A recording that ends at a moment (the viewer's own end, or the timer's close in its cycle of a
// second) has its file grow until a chunk before it (32 packets at 2 Mbit/s: 24 ms of real time,
// 0.7 s of this clock at rate 30) and at most this much after it.
constexpr double kChunkSlack = 1;
constexpr double kStopLate = 2;

platform::SYSTEMTIME At(int hour, int minute, int second = 0) {
    return broadcast_sim::JstTime(2026, 12, 4, hour, minute, second);
}

std::uint64_t Clock(const platform::SYSTEMTIME& time) {
    return timer_core::LocalFileTime(time);
}

double SecondsBetween(const platform::SYSTEMTIME& from, const platform::SYSTEMTIME& to) {
    return (static_cast<double>(Clock(to)) - static_cast<double>(Clock(from))) / 1e7;
}

platform::SYSTEMTIME Plus(const platform::SYSTEMTIME& time, double seconds) {
    return timer_core::LocalSystemTime(
        static_cast<std::uint64_t>(static_cast<double>(Clock(time)) + seconds * 1e7));
}

std::string Text(const platform::SYSTEMTIME& t) {
    char text[24];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", t.wHour, t.wMinute, t.wSecond);
    return text;
}

struct Programme {
    std::uint32_t channel = kMinato;
    std::uint16_t eventId = 0;
    platform::SYSTEMTIME start;
    int seconds = 0;
    std::string title;
};

// Two channels of one service each (みなと総合 on 21, さくらテレビ on 22), the programmes given
// and scripted changes ("change" lines of broadcast_description_file.h).
std::string Broadcast(const std::vector<Programme>& programmes,
                      const std::vector<std::string>& changes = {}) {
    std::string text;
    const struct {
        std::uint32_t channel;
        const char* head;
    } channels[] = {
        {kMinato, "channel\t21\t0x7F10\t0x7F10\tみなと総合\nservice\t0x400\t1\tみなと総合１\n"},
        {kSakura, "channel\t22\t0x7F18\t0x7F18\tさくらテレビ\nservice\t0x408\t1\tさくらテレビ１\n"},
    };
    for (const auto& c : channels) {
        text += c.head;
        for (const Programme& p : programmes) {
            if (p.channel != c.channel) continue;
            char line[160];
            std::snprintf(line, sizeof line, "event\t%d\t2026-12-04 %02d:%02d:%02d\t%d\t%s\n",
                          p.eventId, p.start.wHour, p.start.wMinute, p.start.wSecond, p.seconds,
                          p.title.c_str());
            text += line;
        }
    }
    for (const std::string& change : changes)
        text += change + "\n";
    return text;
}

// みなと総合 around the programmes given (one after the other from 10:00, event ids from 11):
// the morning programme until 10:00, the midday one after them until 11:00.
std::vector<Programme> OnMinato(const std::vector<Programme>& middle) {
    std::vector<Programme> all{{kMinato, 10, At(9, 0), 3600, "みなと朝"}};
    all.insert(all.end(), middle.begin(), middle.end());
    const Programme& last = middle.back();
    const platform::SYSTEMTIME end = Plus(last.start, last.seconds);
    all.push_back({kMinato, static_cast<std::uint16_t>(last.eventId + 1), end,
                   static_cast<int>(SecondsBetween(end, At(11, 0))), "みなと昼"});
    return all;
}

ReserveEntry Reservation(const std::wstring& title, const Programme& programme, int follow,
                         int priority = 3) {
    ReserveEntry entry;
    entry.title = title;
    entry.start = programme.start;
    entry.durationMinutes = static_cast<std::uint32_t>(programme.seconds / 60);
    entry.channelName = programme.channel == kMinato ? L"みなと総合" : L"さくらテレビ";
    entry.channelValue = static_cast<std::int32_t>(programme.channel);
    entry.serviceId = programme.channel == kMinato ? kMinatoService : kSakuraService;
    entry.eventId = programme.eventId;
    entry.priority = static_cast<std::uint8_t>(priority);
    entry.follow = static_cast<std::uint8_t>(follow);
    return entry;
}

TimerWorldOptions Options(const platform::SYSTEMTIME& clockStart, double rate,
                          const std::string& broadcast) {
    TimerWorldOptions options;
    options.clockStart = clockStart;
    options.clockRate = rate;
    options.viewer.broadcastDescription = broadcast;
    options.viewer.channelsIni = L"[東京]\r\n21=みなと総合\r\n22=さくらテレビ\r\n";
    options.viewer.bscsIni = L"[BS110CS]\r\n11727,4010=ＢＳみなと\r\n";
    options.viewer.bitsPerSecond = 2000000;
    // Small chunks: the files grow, and stop, within a second of this clock.
    options.viewerIni = {{L"FriioView", L"ChunkPackets", L"32"}};
    options.timerIni = {{L"SET", L"StartSec", std::to_wstring(kStartSec)},
                        {L"SET", L"EndSec", std::to_wstring(kEndSec)}};
    return options;
}

class EndToEndRecordingScenarioTest : public ::testing::Test {
  protected:
    void SetUp() override { realStart_ = std::chrono::steady_clock::now(); }

    double RealSeconds() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - realStart_).count();
    }
    // The recording of the name (without folder), with its first and last broadcast time.
    struct Recording {
        fs::path path;
        std::uintmax_t size = 0;
        platform::SYSTEMTIME first{};
        platform::SYSTEMTIME last{};
    };
    static std::optional<Recording> Find(const TimerWorld& world, const std::string& part) {
        for (const auto& file : world.RecordingFiles()) {
            if (file.path.filename().string().find(part) == std::string::npos) continue;
            const auto span = TimerWorld::TotSpan(file.path);
            if (!span) return Recording{file.path, file.size, {}, {}};
            return Recording{file.path, file.size, span->first, span->second};
        }
        return std::nullopt;
    }
    static std::optional<ReserveEntry> Stored(const TimerWorld& world, const std::wstring& title) {
        for (const ReserveEntry& entry : world.Reservations()) {
            if (entry.title == title) return entry;
        }
        return std::nullopt;
    }
    // Waits until the world's clock has passed the time (a span of clock in which something
    // that must not happen would have happened).
    static bool WaitForClock(const TimerWorld& world, const platform::SYSTEMTIME& time) {
        return WaitUntil([&] { return Clock(world.Now()) >= Clock(time); }, 30000);
    }
    // The recording's broadcast times reach from `from` (or earlier) to `to` (or later).
    static void ExpectSpans(const Recording& recording, const platform::SYSTEMTIME& from,
                            const platform::SYSTEMTIME& to) {
        EXPECT_LE(Clock(recording.first), Clock(from)) << Text(recording.first);
        EXPECT_GE(Clock(recording.last), Clock(to)) << Text(recording.last);
    }
    // The recording of the followed programme (file name part, reservation title) holds it from
    // StartSec before its start to EndSec after `end` and is noted as recorded, for `minutes`.
    static std::optional<Recording> ExpectRecordedToItsEnd(
        const TimerWorld& world, const std::string& part, const std::wstring& title,
        const platform::SYSTEMTIME& start, const platform::SYSTEMTIME& end, std::uint32_t minutes) {
        const auto recording = Find(world, part);
        if (!recording) return std::nullopt;
        ExpectSpans(*recording, Early(start), Plus(end, kEndSec - kMeasure));
        const auto stored = Stored(world, title);
        EXPECT_TRUE(stored.has_value());
        if (!stored) return recording;
        EXPECT_EQ(stored->resultText, L"録画終了 ");
        EXPECT_EQ(stored->durationMinutes, minutes);
        return recording;
    }
    // Waits until the recording has stopped growing and checks that it stopped EndSec after
    // `end`, to the second: the clock time of its last growth (nullopt when it went on).
    static std::optional<platform::SYSTEMTIME> StopsAtItsEnd(TimerWorld& world,
                                                             const fs::path& path,
                                                             const platform::SYSTEMTIME& end) {
        const auto stopped = world.WaitUntilFileStopsGrowing(path, 10000, 20000);
        if (!stopped) return std::nullopt;
        EXPECT_GE(Clock(*stopped), Clock(Plus(end, kEndSec - kChunkSlack))) << Text(*stopped);
        EXPECT_LE(Clock(*stopped), Clock(Plus(end, kEndSec + kStopLate))) << Text(*stopped);
        return stopped;
    }
    // The programme's start less StartSec, to the second.
    static platform::SYSTEMTIME Early(const platform::SYSTEMTIME& start) {
        return Plus(start, -kStartSec + kMeasure);
    }
    void Print(const std::string& scenario, const Recording& recording,
               const platform::SYSTEMTIME& start, const platform::SYSTEMTIME& end) const {
        std::printf(
            "%s: %s recorded %s-%s (TOT), programme %s-%s: from %+.0f s to %+.0f s; "
            "%.1f s real\n",
            scenario.c_str(), recording.path.filename().string().c_str(),
            Text(recording.first).c_str(), Text(recording.last).c_str(), Text(start).c_str(),
            Text(end).c_str(), SecondsBetween(start, recording.first),
            SecondsBetween(end, recording.last), RealSeconds());
    }

    std::chrono::steady_clock::time_point realStart_;
};

// 1. Fixed time (follow flag 0) on the terrestrial tuner: the viewer records by itself from
// StartSec + 5 s before for the minutes with the margins', which the stored length then holds.
TEST_F(EndToEndRecordingScenarioTest, AFixedTimeRecordingOnTheTerrestrialTuner) {
    const Programme news{kMinato, 11, At(10, 0), 120, "みなとニュース"};
    const std::vector<Programme> programmes = OnMinato({news});
    TimerWorld world(Options(At(9, 58, 20), 20, Broadcast(programmes)));
    ASSERT_TRUE(world.Start());
    ASSERT_TRUE(world.AddReservation(Reservation(L"みなとニュース", news, 0)));

    const auto ended = world.WaitForMessage(timer_core::WM_RECORDING_ENDED, 1, 30000);
    ASSERT_TRUE(ended.has_value());
    const auto recording = Find(world, "みなとニュース");
    ASSERT_TRUE(recording.has_value());
    EXPECT_EQ(recording->path.filename().string(), "2026120410000-みなとニュース.ts");
    const platform::SYSTEMTIME end = Plus(news.start, news.seconds);
    ExpectSpans(*recording, Early(news.start), Plus(end, kEndSec));
    // It does not grow after the end.
    ASSERT_TRUE(WaitForClock(world, Plus(*ended, 10)));
    EXPECT_EQ(fs::file_size(recording->path), recording->size);
    EXPECT_TRUE(world.ViewerPids().empty());

    const auto stored = Stored(world, L"みなとニュース");
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->resultText, L"録画終了 ");
    EXPECT_EQ(stored->durationMinutes, 3u);  // 2 minutes and the margins' minute
    EXPECT_EQ(world.MessageCount(timer_core::WM_RECORDING_ENDED), 1);
    EXPECT_EQ(world.MessageCount(timer_core::WM_RESERVATION_UPDATED), 0);
    std::printf("1: 0x470 at %s\n", Text(*ended).c_str());
    Print("1", *recording, news.start, end);
}

// 2. Follow mode: the broadcaster moves the programme five minutes later before the final minute.
// The record thread sees it in the plug-in's programme record, gives the reservation back with its
// new start and a note, and the rescheduled slot records with the programme.
TEST_F(EndToEndRecordingScenarioTest, FollowModeRecordsAProgrammeMovedFiveMinutesLater) {
    const Programme news{kMinato, 11, At(10, 0), 60, "みなとニュース"};
    const std::vector<Programme> programmes = OnMinato({news});
    const std::vector<std::string> changes = {
        "change\t2026-12-04 09:58:30\t21\t0x400\t10\tresize\t3900",
        "change\t2026-12-04 09:58:30\t21\t0x400\t11\tmove\t2026-12-04 10:05:00",
        "change\t2026-12-04 09:58:30\t21\t0x400\t12\tmove\t2026-12-04 10:06:00",
        "change\t2026-12-04 09:58:30\t21\t0x400\t12\tresize\t3240"};
    TimerWorld world(Options(At(9, 58, 20), 20, Broadcast(programmes, changes)));
    ASSERT_TRUE(world.Start());
    ASSERT_TRUE(world.AddReservation(Reservation(L"みなとニュース", news, 1)));

    const auto rescheduled = world.WaitForMessage(timer_core::WM_RESCHEDULE, 1, 20000);
    ASSERT_TRUE(rescheduled.has_value());
    const auto moved = Stored(world, L"みなとニュース");
    ASSERT_TRUE(moved.has_value());
    EXPECT_EQ(Clock(moved->start), Clock(At(10, 5)));
    EXPECT_EQ(moved->resultText, L"開始時間が変わりました(予約時 2026/12/04 10:00) ");
    EXPECT_TRUE(world.RecordingFiles().empty());

    const auto ended = world.WaitForMessage(timer_core::WM_RECORDING_ENDED, 1, 30000);
    ASSERT_TRUE(ended.has_value());
    const auto recording = Find(world, "みなとニュース");
    ASSERT_TRUE(recording.has_value());
    EXPECT_EQ(recording->path.filename().string(), "2026120410050-みなとニュース.ts");
    const platform::SYSTEMTIME start = At(10, 5);
    const platform::SYSTEMTIME end = At(10, 6);
    ExpectSpans(*recording, Early(start), Plus(end, kEndSec - kMeasure));
    // Nothing was recorded at the programme's first start.
    EXPECT_GE(Clock(recording->first), Clock(Plus(start, -kStartSec - 10)));
    ASSERT_TRUE(WaitForClock(world, Plus(*ended, 10)));
    EXPECT_EQ(fs::file_size(recording->path), recording->size);

    const auto stored = Stored(world, L"みなとニュース");
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->resultText, L"開始時間が変わりました(予約時 2026/12/04 10:00) 録画終了 ");
    EXPECT_EQ(stored->durationMinutes, 1u);
    EXPECT_EQ(world.MessageCount(timer_core::WM_RESCHEDULE), 1);
    EXPECT_EQ(world.MessageCount(timer_core::WM_RECORDING_ENDED), 1);
    std::printf("2: 0x473 at %s, 0x470 at %s\n", Text(*rescheduled).c_str(), Text(*ended).c_str());
    Print("2", *recording, start, end);
}

// 3. Follow mode: the programme runs ten minutes longer while it is recorded. The thread tells
// the plug-in once (0x43F), notes the new length, and the recording covers the extension.
TEST_F(EndToEndRecordingScenarioTest, FollowModeFollowsAProgrammeExtendedByTenMinutes) {
    const Programme news{kMinato, 11, At(10, 0), 60, "みなとニュース"};
    const std::vector<Programme> programmes = OnMinato({news});
    const std::vector<std::string> changes = {
        "change\t2026-12-04 10:00:30\t21\t0x400\t11\tresize\t660",
        "change\t2026-12-04 10:00:30\t21\t0x400\t12\tmove\t2026-12-04 10:11:00",
        "change\t2026-12-04 10:00:30\t21\t0x400\t12\tresize\t2940"};
    // Twelve minutes of clock: fast, but a viewer still has two seconds of real time in the
    // final minute to come up with its plug-in.
    TimerWorld world(Options(At(9, 58, 35), 30, Broadcast(programmes, changes)));
    ASSERT_TRUE(world.Start());
    ASSERT_TRUE(world.AddReservation(Reservation(L"みなとニュース", news, 1)));

    const auto updated = world.WaitForMessage(timer_core::WM_RESERVATION_UPDATED, 1, 20000);
    ASSERT_TRUE(updated.has_value());
    const auto longer = Stored(world, L"みなとニュース");
    ASSERT_TRUE(longer.has_value());
    EXPECT_EQ(longer->durationMinutes, 11u);
    // The planned end (10:01:01) passes while the recording goes on.
    ASSERT_TRUE(WaitForClock(world, At(10, 2)));
    const auto growing = Find(world, "みなとニュース");
    ASSERT_TRUE(growing.has_value());
    EXPECT_EQ(world.MessageCount(timer_core::WM_RECORDING_ENDED), 0);

    // The viewer ends the recording by itself at the new end, as the plug-in told it.
    const platform::SYSTEMTIME end = At(10, 11);
    ASSERT_TRUE(WaitForClock(world, Plus(end, -30)));
    const auto stopped = StopsAtItsEnd(world, growing->path, end);
    ASSERT_TRUE(stopped.has_value());
    const auto ended = world.WaitForMessage(timer_core::WM_RECORDING_ENDED, 1, 30000);
    ASSERT_TRUE(ended.has_value());
    EXPECT_GE(Clock(*ended), Clock(Plus(end, kEndSec)));
    const auto recording =
        ExpectRecordedToItsEnd(world, "みなとニュース", L"みなとニュース", news.start, end, 11);
    ASSERT_TRUE(recording.has_value());
    EXPECT_GT(recording->size, growing->size);
    EXPECT_EQ(world.MessageCount(timer_core::WM_RESERVATION_UPDATED), 1);
    std::printf("3: 0x472 at %s, the file last grew at %s, 0x470 at %s\n", Text(*updated).c_str(),
                Text(*stopped).c_str(), Text(*ended).c_str());
    Print("3", *recording, news.start, end);
}

// 9. Follow mode: a five-minute programme is extended to ten minutes while it is on air, told
// early, mid-way or in its last minute, and the broadcaster leaves the next programme where it
// was. The plug-in tells the new length at once, the thread passes it on (0x43F), and the file
// goes on to the new end and EndSec after it.
class EndToEndExtensionTest : public EndToEndRecordingScenarioTest,
                              public ::testing::WithParamInterface<int> {};

TEST_P(EndToEndExtensionTest, AProgrammeExtendedWhileOnAirIsRecordedToItsNewEnd) {
    const Programme film{kMinato, 11, At(10, 0), 300, "みなと映画"};
    const Programme next{kMinato, 12, At(10, 5), 300, "みなと短編"};
    const std::vector<Programme> programmes = OnMinato({film, next});
    const platform::SYSTEMTIME told = Plus(film.start, GetParam());
    char change[96];
    std::snprintf(change, sizeof change,
                  "change\t2026-12-04 %02d:%02d:%02d\t21\t0x400\t11\tresize\t600", told.wHour,
                  told.wMinute, told.wSecond);
    TimerWorld world(Options(At(9, 58, 35), 30, Broadcast(programmes, {change})));
    ASSERT_TRUE(world.Start());
    ASSERT_TRUE(world.AddReservation(Reservation(L"みなと映画", film, 1)));

    const auto updated = world.WaitForMessage(timer_core::WM_RESERVATION_UPDATED, 1, 30000);
    ASSERT_TRUE(updated.has_value());
    // Passed on while the programme still runs to its old end, where the viewer would stop
    // (the thread looks every 10 s, every second in the last minute; how soon the plug-in has
    // read the change from the stream costs real time, which a bound of the clock would race).
    EXPECT_GE(Clock(*updated), Clock(told));
    EXPECT_LT(Clock(*updated), Clock(Plus(film.start, film.seconds)));
    const platform::SYSTEMTIME end = At(10, 10);
    ASSERT_TRUE(WaitForClock(world, Plus(end, -30)));
    const auto growing = Find(world, "みなと映画");
    ASSERT_TRUE(growing.has_value());
    const auto stopped = StopsAtItsEnd(world, growing->path, end);
    ASSERT_TRUE(stopped.has_value());
    const auto ended = world.WaitForMessage(timer_core::WM_RECORDING_ENDED, 1, 30000);
    ASSERT_TRUE(ended.has_value());
    const auto recording =
        ExpectRecordedToItsEnd(world, "みなと映画", L"みなと映画", film.start, end, 10);
    ASSERT_TRUE(recording.has_value());
    EXPECT_EQ(world.MessageCount(timer_core::WM_RESERVATION_UPDATED), 1);
    std::printf("9 (+%d s): 0x472 at %s, the file last grew at %s, 0x470 at %s\n", GetParam(),
                Text(*updated).c_str(), Text(*stopped).c_str(), Text(*ended).c_str());
    Print("9", *recording, film.start, end);
}

// Told 30 s after the start, mid-way and 40 s before the first end.
INSTANTIATE_TEST_SUITE_P(ToldWhileOnAir, EndToEndExtensionTest, ::testing::Values(30, 150, 260));

// 6. The viewer is killed three minutes before the end: the slot ends at once with its note, and
// the file keeps what was recorded until then.
TEST_F(EndToEndRecordingScenarioTest, AViewerKilledThreeMinutesBeforeTheEndEndsTheSlot) {
    const Programme film{kMinato, 11, At(10, 0), 300, "みなと映画"};
    const std::vector<Programme> programmes = OnMinato({film});
    TimerWorld world(Options(At(9, 58, 20), 20, Broadcast(programmes)));
    ASSERT_TRUE(world.Start());
    ASSERT_TRUE(world.AddReservation(Reservation(L"みなと映画", film, 1)));
    const platform::SYSTEMTIME killAt = At(10, 2);
    ASSERT_TRUE(WaitForClock(world, killAt));
    const auto viewers = world.ViewerPids();
    ASSERT_EQ(viewers.size(), 1u);
    world.KillViewer(viewers.front());
    const platform::SYSTEMTIME killed = world.Now();

    const auto ended = world.WaitForMessage(timer_core::WM_RECORDING_ENDED, 1, 20000);
    ASSERT_TRUE(ended.has_value());
    // Within a 10 s cycle or two, long before the normal end.
    EXPECT_LE(SecondsBetween(killed, *ended), 25.0);
    const auto stored = Stored(world, L"みなと映画");
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->resultText, L"録画中に終了された可能性があります ");
    const auto recording = Find(world, "みなと映画");
    ASSERT_TRUE(recording.has_value());
    ExpectSpans(*recording, Early(film.start), Plus(killed, -kKillMeasure));
    EXPECT_LE(Clock(recording->last), Clock(killed));
    ASSERT_TRUE(WaitForClock(world, Plus(*ended, 10)));
    EXPECT_EQ(fs::file_size(recording->path), recording->size);
    EXPECT_TRUE(world.ViewerPids().empty());
    std::printf("6: killed at %s, 0x470 at %s\n", Text(killed).c_str(), Text(*ended).c_str());
    Print("6", *recording, film.start, Plus(film.start, film.seconds));
}

// The follow-mode viewer of the world (the one started on a channel, not a device probe) whose
// plug-in tells its programme: 0 until there is one.
platform::DWORD FollowingViewer(const TimerWorld& world) {
    for (const platform::DWORD pid : world.ViewerPids()) {
        std::ifstream in("/proc/" + std::to_string(pid) + "/cmdline", std::ios::binary);
        const std::string line((std::istreambuf_iterator<char>(in)), {});
        shared::PluginEventInfo event;
        if (line.find(std::string("-c\0", 3)) != std::string::npos &&
            shared::ReadPluginEvent(pid, &event) == 1)
            return pid;
    }
    return 0;
}

// Starts the world, reserves the programme in follow mode and stops its viewer (SIGSTOP) once
// the plug-in tells the programme: the stopped viewer, 0 when something failed.
platform::DWORD StopTheFollowingViewer(TimerWorld& world, const Programme& programme,
                                       const std::wstring& title) {
    platform::DWORD viewer = 0;
    if (!world.Start() || !world.AddReservation(Reservation(title, programme, 1)) ||
        !WaitUntil([&] { return (viewer = FollowingViewer(world)) != 0; }, 60000) ||
        ::kill(static_cast<pid_t>(viewer), SIGSTOP) != 0) {
        return 0;
    }
    return viewer;
}

bool DebugLogHas(TimerWorld& world, const std::string& text) {
    const auto lines = world.System().DebugLogLines();
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
        return line.find(text) != std::string::npos;
    });
}

// 10. Follow mode: the viewer stops answering (SIGSTOP) in the final minute, once its plug-in
// follows the programme. Posts cannot even reach its queue; five seconds after the first, its
// plug-in window counts as hung: the viewer is ended and another one records the programme.
TEST_F(EndToEndRecordingScenarioTest, AViewerThatStopsAnsweringInTheFinalMinuteIsReplaced) {
    const Programme news{kMinato, 11, At(10, 0), 60, "みなとニュース"};
    const std::vector<Programme> programmes = OnMinato({news});
    // Slow enough that the five real seconds fit into the final minute with room to spare.
    TimerWorld world(Options(At(9, 58, 35), 4, Broadcast(programmes)));
    const platform::DWORD first = StopTheFollowingViewer(world, news, L"みなとニュース");
    ASSERT_NE(first, 0u);
    const platform::SYSTEMTIME stopped = world.Now();

    platform::DWORD second = 0;
    ASSERT_TRUE(WaitUntil(
        [&] {
            second = FollowingViewer(world);
            return second != 0 && second != first;
        },
        60000));
    const platform::SYSTEMTIME replaced = world.Now();
    EXPECT_LT(Clock(replaced), Clock(Plus(news.start, -kStartSec)));
    EXPECT_TRUE(DebugLogHas(world, "the plug-in window of viewer " + std::to_string(first) +
                                       " does not answer; the viewer is ended"));
    const auto ended = world.WaitForMessage(timer_core::WM_RECORDING_ENDED, 1, 60000);
    ASSERT_TRUE(ended.has_value());
    const platform::SYSTEMTIME end = Plus(news.start, news.seconds);
    const auto recording =
        ExpectRecordedToItsEnd(world, "みなとニュース", L"みなとニュース", news.start, end, 1);
    ASSERT_TRUE(recording.has_value());
    EXPECT_EQ(std::ranges::count(world.ViewerPids(), first), 0);
    std::printf("10: stopped at %s, replaced at %s, 0x470 at %s\n", Text(stopped).c_str(),
                Text(replaced).c_str(), Text(*ended).c_str());
    Print("10", *recording, news.start, end);
}

// 11. The same at a clock too fast for the hang to show within the final minute: the start goes
// to a viewer that never records. The slot ends at the programme's end with the note of a
// recording cut short, not "録画終了".
TEST_F(EndToEndRecordingScenarioTest, ARecordingThatHoldsNothingIsNotReportedAsRecorded) {
    const Programme news{kMinato, 11, At(10, 0), 60, "みなとニュース"};
    const std::vector<Programme> programmes = OnMinato({news});
    TimerWorld world(Options(At(9, 58, 35), 20, Broadcast(programmes)));
    ASSERT_NE(StopTheFollowingViewer(world, news, L"みなとニュース"), 0u);

    const auto ended = world.WaitForMessage(timer_core::WM_RECORDING_ENDED, 1, 30000);
    ASSERT_TRUE(ended.has_value());
    const platform::SYSTEMTIME end = Plus(news.start, news.seconds);
    EXPECT_GE(Clock(*ended), Clock(Plus(end, kEndSec)));
    const auto recording = Find(world, "みなとニュース");
    EXPECT_TRUE(!recording.has_value() || recording->size == 0);
    const auto stored = Stored(world, L"みなとニュース");
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->resultText, L"録画中に終了された可能性があります ");
    EXPECT_TRUE(DebugLogHas(world, "record thread: the recording holds nothing ("));
    EXPECT_TRUE(world.ViewerPids().empty());
    std::printf("11: 0x470 at %s\n", Text(*ended).c_str());
}

// 8. A viewer without the plug-in: follow mode is given up after 31 unreadable polls, and the
// programme is recorded in fixed mode all the same.
TEST_F(EndToEndRecordingScenarioTest, WithoutThePlugInFollowModeIsGivenUpAndTheRecordingHappens) {
    const Programme news{kMinato, 11, At(10, 0), 60, "みなとニュース"};
    const std::vector<Programme> programmes = OnMinato({news});
    // A slow clock: the viewer's start and 31 polls a second apart must fit into the final
    // minute, whatever the machine's load adds to each poll (here up to 80 ms of real time).
    // The device is chosen before it (asked without a plug-in, the viewer answers after 7 s).
    TimerWorldOptions options = Options(At(9, 58, 22), 7, Broadcast(programmes));
    options.withPlugin = false;
    TimerWorld world(options);
    ASSERT_TRUE(world.Start());
    ASSERT_TRUE(world.AddReservation(Reservation(L"みなとニュース", news, 1)));

    const auto off = world.WaitForMessage(timer_core::WM_RESERVATION_UPDATED, 1, 20000);
    ASSERT_TRUE(off.has_value());
    // Started at r = 60 s, 7 s for it, then one poll a second: the 31st at about r = 22 s, in
    // any case before the prepared start.
    EXPECT_GT(SecondsBetween(*off, Plus(news.start, -20)), 0.0);
    const auto noted = Stored(world, L"みなとニュース");
    ASSERT_TRUE(noted.has_value());
    EXPECT_EQ(noted->follow, 0);
    EXPECT_EQ(noted->resultText, L"Quorvantel Plug-Inが認識できなかったので追従機能OFFにしました ");

    // The viewer records by itself, the margins' minute included: by the programme's end and a
    // moment more it holds the whole programme (the slot ends a minute later, as in scenario 1).
    const platform::SYSTEMTIME end = Plus(news.start, news.seconds);
    ASSERT_TRUE(WaitForClock(world, Plus(end, kEndSec + kAfterEnd)));
    const auto recording = Find(world, "みなとニュース");
    ASSERT_TRUE(recording.has_value());
    ExpectSpans(*recording, Early(news.start), Plus(end, kEndSec));
    EXPECT_TRUE(recording->path.filename().string().ends_with("-みなとニュース.ts"));
    EXPECT_EQ(world.MessageCount(timer_core::WM_RESERVATION_UPDATED), 1);
    EXPECT_EQ(world.MessageCount(timer_core::WM_RECORDING_ENDED), 0);
    std::printf("8: follow off at %s\n", Text(*off).c_str());
    Print("8", *recording, news.start, end);
}

// 4. Two programmes back to back on one tuner: the second is chained behind the first, which
// hands the tuner over 20 s before the second starts.
TEST_F(EndToEndRecordingScenarioTest, TwoChainedProgrammesOnOneTunerAreBothRecorded) {
    const Programme first{kMinato, 11, At(10, 0), 120, "みなと歌謡"};
    const Programme second{kMinato, 12, At(10, 2), 120, "みなと劇場"};
    const std::vector<Programme> programmes = OnMinato({first, second});
    TimerWorld world(Options(At(9, 58, 20), 20, Broadcast(programmes)));
    ASSERT_TRUE(world.Start());
    ASSERT_TRUE(world.AddReservation(Reservation(L"みなと歌謡", first, 0)));
    ASSERT_TRUE(world.AddReservation(Reservation(L"みなと劇場", second, 0)));

    const auto chained = world.WaitForMessage(timer_core::WM_RECORDING_CHAINED, 1, 30000);
    ASSERT_TRUE(chained.has_value());
    const auto ended = world.WaitForMessage(timer_core::WM_RECORDING_ENDED, 1, 30000);
    ASSERT_TRUE(ended.has_value());
    const auto a = Find(world, "みなと歌謡");
    const auto b = Find(world, "みなと劇場");
    ASSERT_TRUE(a.has_value());
    ASSERT_TRUE(b.has_value());
    // The first hands the tuner over 20 s before the second programme, which is recorded from
    // its start on: the hand-over loses no more than those 20 s of the first programme (it stops
    // as the clock passes that moment, so the second before it is the last that is whole).
    ExpectSpans(*a, Early(first.start), Plus(second.start, -20 - kMeasure));
    EXPECT_LT(Clock(a->last), Clock(second.start));
    ExpectSpans(*b, second.start, Plus(second.start, second.seconds + kEndSec));
    const auto storedA = Stored(world, L"みなと歌謡");
    const auto storedB = Stored(world, L"みなと劇場");
    ASSERT_TRUE(storedA.has_value());
    ASSERT_TRUE(storedB.has_value());
    EXPECT_EQ(storedA->resultText, L"録画終了 ");
    EXPECT_EQ(storedA->durationMinutes, 2u);  // its own length: the chain took the margins
    EXPECT_EQ(storedB->resultText, L"録画終了 ");
    EXPECT_EQ(storedB->durationMinutes, 3u);
    EXPECT_EQ(world.MessageCount(timer_core::WM_RECORDING_CHAINED), 1);
    EXPECT_EQ(world.MessageCount(timer_core::WM_RECORDING_ENDED), 1);
    std::printf("4: 0x471 at %s, 0x470 at %s, gap %.0f s\n", Text(*chained).c_str(),
                Text(*ended).c_str(), SecondsBetween(a->last, b->first));
    Print("4a", *a, first.start, Plus(first.start, first.seconds));
    Print("4b", *b, second.start, Plus(second.start, second.seconds));
}

// 5. A programme of higher priority that begins while another records on the only terrestrial
// tuner: it is chained behind, the running recording is cut before its start, and it records.
TEST_F(EndToEndRecordingScenarioTest, AHigherPriorityProgrammeCutsTheRunningRecording) {
    const Programme running{kMinato, 11, At(10, 0), 240, "みなと特集"};
    const Programme urgent{kSakura, 21, At(10, 2), 120, "さくら速報"};
    std::vector<Programme> programmes = OnMinato({running});
    programmes.insert(programmes.end(), {{kSakura, 20, At(9, 0), 7200, "さくら朝"},
                                         urgent,
                                         {kSakura, 22, At(10, 4), 3360, "さくら昼"}});
    TimerWorld world(Options(At(9, 58, 20), 20, Broadcast(programmes)));
    ASSERT_TRUE(world.Start());
    ASSERT_TRUE(world.AddReservation(Reservation(L"みなと特集", running, 0, 2)));
    ASSERT_TRUE(WaitForClock(world, At(10, 0, 30)));
    ASSERT_TRUE(world.AddReservation(Reservation(L"さくら速報", urgent, 0, 4)));

    const auto chained = world.WaitForMessage(timer_core::WM_RECORDING_CHAINED, 1, 30000);
    ASSERT_TRUE(chained.has_value());
    const auto ended = world.WaitForMessage(timer_core::WM_RECORDING_ENDED, 1, 30000);
    ASSERT_TRUE(ended.has_value());
    const auto cut = Find(world, "みなと特集");
    const auto recorded = Find(world, "さくら速報");
    ASSERT_TRUE(cut.has_value());
    ASSERT_TRUE(recorded.has_value());
    // Cut StartSec + 20 s before the newcomer, which records from StartSec before its start.
    ExpectSpans(*cut, Early(running.start), Plus(urgent.start, -kStartSec - 20 - kMeasure));
    EXPECT_LT(Clock(cut->last), Clock(Plus(urgent.start, -kStartSec)));
    ExpectSpans(*recorded, Early(urgent.start), Plus(urgent.start, urgent.seconds + kEndSec));
    const auto storedCut = Stored(world, L"みなと特集");
    ASSERT_TRUE(storedCut.has_value());
    EXPECT_EQ(storedCut->resultText, L"録画終了 ");
    EXPECT_EQ(storedCut->durationMinutes, 2u);  // up to the newcomer's start
    const auto storedUrgent = Stored(world, L"さくら速報");
    ASSERT_TRUE(storedUrgent.has_value());
    EXPECT_EQ(storedUrgent->resultText, L"録画終了 ");
    EXPECT_EQ(world.MessageCount(timer_core::WM_RECORDING_CHAINED), 1);
    std::printf("5: 0x471 at %s, 0x470 at %s\n", Text(*chained).c_str(), Text(*ended).c_str());
    Print("5a", *cut, running.start, Plus(running.start, running.seconds));
    Print("5b", *recorded, urgent.start, Plus(urgent.start, urgent.seconds));
}

}  // namespace
}  // namespace timer_core_test

#endif  // FRIIOVIEW_PATH
