// The recording day of scripts/run.sh: its plan is a consistent broadcast in which each search
// condition finds exactly its programme, and the day itself, run whole, records the evening with
// nothing going wrong and reports it.
#include "tools/recording_day.h"

#include <gtest/gtest.h>
#include <stdio.h>

#include <algorithm>
#include <cstdlib>
#include <map>

#include "broadcast_sim/broadcast_description_file.h"
#include "platform/utf8.h"
#include "tests/support/fresh_folder.h"
#include "timer_core/scheduling/reserve_time.h"

namespace tools_test {
namespace {

std::uint64_t Clock(const platform::SYSTEMTIME& time) {
    return timer_core::LocalFileTime(time);
}

struct Found {
    std::uint32_t channel = 0;
    broadcast_sim::EventDescription event;
};

// Every programme of the plan's broadcast once all its changes are on air, by title.
std::multimap<std::wstring, Found> FinalProgrammes(const broadcast_sim::BroadcastDescription& d) {
    std::multimap<std::wstring, Found> found;
    for (const auto& channel : d.channels) {
        const auto changed = broadcast_sim::WithChangesUntil(channel, d.changes, ~0ull);
        for (const auto& service : changed.services) {
            for (const auto& event : service.events)
                found.insert({event.name, {channel.channel, event}});
        }
    }
    return found;
}

TEST(RecordingDayTest, ThePlanIsOneConsistentBroadcastAndEachConditionFindsOnlyItsProgramme) {
    const tools::RecordingDayPlan plan = tools::EveningPlan();
    broadcast_sim::DescriptionError error;
    const auto description = broadcast_sim::ParseBroadcastDescription(plan.broadcast, &error);
    ASSERT_TRUE(description.has_value())
        << error.line << ": " << platform::WideToUtf8(error.message);
    ASSERT_EQ(description->changes.size(), 7u);

    // Each service's programmes follow one another without gap or overlap, the changes applied.
    for (const auto& channel : description->channels) {
        const auto changed = broadcast_sim::WithChangesUntil(channel, description->changes, ~0ull);
        for (const auto& service : changed.services) {
            for (std::size_t i = 1; i < service.events.size(); ++i) {
                const auto& before = service.events[i - 1];
                EXPECT_EQ(Clock(before.start) + before.duration_seconds * 10000000ull,
                          Clock(service.events[i].start))
                    << platform::WideToUtf8(service.events[i].name);
            }
        }
    }
    // The programmes the day records, where and when they are finally on air.
    const auto programmes = FinalProgrammes(*description);
    for (const tools::DayProgramme& planned : plan.programmes) {
        ASSERT_EQ(programmes.count(planned.title), 1u) << platform::WideToUtf8(planned.title);
        const auto& event = programmes.find(planned.title)->second.event;
        EXPECT_EQ(Clock(event.start), Clock(planned.start)) << platform::WideToUtf8(planned.title);
        EXPECT_EQ(event.duration_seconds, static_cast<std::uint32_t>(planned.seconds));
    }
    // A condition's word occurs in one title of the whole week, the one it is meant for.
    for (const auto& condition : plan.conditions) {
        const auto matches =
            std::count_if(programmes.begin(), programmes.end(), [&](const auto& entry) {
                return entry.first.find(condition.andWords) != std::wstring::npos;
            });
        EXPECT_EQ(matches, 1) << platform::WideToUtf8(condition.andWords);
    }
    // The hand-made and the iEPG reservations name programmes of the broadcast.
    EXPECT_EQ(programmes.count(plan.handMade.title), 1u);
    EXPECT_EQ(programmes.count(plan.iepg.title), 1u);
}

// A day that went wrong says why: the report quotes the debug lines in which the programs tell of
// a failure, and none of the lines of a day that went well.
TEST(RecordingDayTest, TheReportQuotesTheDebugLinesOfWhatWentWrong) {
    const std::vector<std::string> failures = {
        "EPG acquisition: FriioView 4711 on device 0: its tuner kind cannot be read; closing it",
        "record thread: the viewer could not be started, ID 3 みなと映画 2026/12/04 10:00",
        "BuffOverr",
        "空きID見つからず",
    };
    std::vector<std::string> log = {
        "delay 0", "recstart", "SyncTime",
        "2026/12/04 19:12 さくらドラマ Next:2026/12/04 19:14 みなとスポーツ"};
    log.insert(log.end(), failures.begin(), failures.end());
    EXPECT_EQ(tools::FaultsInDebugLog(log), failures);
}

std::string Report(const tools::RecordingDayResult& result) {
    char* buffer = nullptr;
    std::size_t size = 0;
    std::FILE* out = ::open_memstream(&buffer, &size);
    tools::PrintRecordingDayReport(result, out);
    std::fclose(out);
    std::string text(buffer, size);
    std::free(buffer);
    return text;
}

TEST(RecordingDayTest, TheEveningIsRecordedWithNothingGoingWrong) {
    tools::RecordingDayOptions options;
    options.root = test_support::FreshFolder("day");
    options.binFolder = ORVANDEL_BIN_FOLDER;
    options.offscreen = true;
    const tools::RecordingDayResult result = tools::RunRecordingDay(options);
    const std::string report = Report(result);
    EXPECT_TRUE(result.problems.empty()) << report;

    EXPECT_EQ(result.epgServices, 3u);
    EXPECT_EQ(result.reservations.size(), result.plan.programmes.size());
    ASSERT_EQ(result.recordings.size(), result.plan.programmes.size());
    for (const tools::DayRecording& recording : result.recordings) {
        EXPECT_TRUE(recording.span.has_value()) << recording.path;
        EXPECT_GT(recording.size, 0u);
    }
    EXPECT_FALSE(result.picture.empty());
    // The report names every programme with its result, and the folder.
    for (const tools::DayProgramme& programme : result.plan.programmes)
        EXPECT_NE(report.find(platform::WideToUtf8(programme.title)), std::string::npos);
    EXPECT_NE(report.find("録画終了"), std::string::npos);
    EXPECT_NE(report.find("What went wrong\n  nothing\n"), std::string::npos);
    EXPECT_NE(report.find(result.root.string()), std::string::npos);
    std::printf("The day took %.1f s of real time\n", result.realSeconds);
}

}  // namespace
}  // namespace tools_test
