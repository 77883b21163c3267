// The soak run's plan and its account: the broadcast holds exactly the programmes the run expects
// to record, 40 a day that two tuners can take, and a programme counts as made only when its
// recording holds it from start to end with the timer's result.
#include <gtest/gtest.h>

#include <map>

#include "broadcast_sim/broadcast_description_file.h"
#include "platform/utf8.h"
#include "timer_core/scheduling/reserve_time.h"
#include "tools/soak_plan.h"
#include "tools/soak_tally.h"

namespace tools_test {
namespace {

constexpr std::uint64_t kSecond = platform::kFileTimePerSecond;

std::uint64_t Clock(const platform::SYSTEMTIME& time) {
    return timer_core::LocalFileTime(time);
}

platform::SYSTEMTIME At(std::uint64_t clock) {
    return timer_core::LocalSystemTime(clock);
}

TEST(SoakPlanTest, EveryDayBrings40ProgrammesThatTheConditionsFindAndTwoTunersCanRecord) {
    const tools::SoakPlan plan = tools::SoakWeekPlan(7);
    broadcast_sim::DescriptionError error;
    const auto description = broadcast_sim::ParseBroadcastDescription(plan.broadcast, &error);
    ASSERT_TRUE(description.has_value())
        << error.line << ": " << platform::WideToUtf8(error.message);

    // What the conditions find in the broadcast is what the plan expects, event by event.
    const std::uint64_t firstDay =
        Clock(plan.clockStart) / platform::kFileTimePerDay * platform::kFileTimePerDay;
    std::map<std::pair<std::uint16_t, std::uint16_t>, broadcast_sim::EventDescription> found;
    for (const auto& channel : description->channels) {
        for (const auto& service : channel.services) {
            for (std::size_t i = 0; i < service.events.size(); ++i) {
                const auto& event = service.events[i];
                if (i > 0) {  // one programme after another, no gap, no overlap
                    const auto& before = service.events[i - 1];
                    EXPECT_EQ(Clock(before.start) + before.duration_seconds * kSecond,
                              Clock(event.start));
                }
                // The day before the run is past at the first acquisition.
                if (Clock(event.start) < firstDay) continue;
                for (const auto& c : plan.conditions) {
                    const int key = (channel.transport_stream_id << 16) | service.service_id;
                    if (c.serviceKeys == std::vector<int>{key} &&
                        event.name.find(c.andWords) != std::wstring::npos)
                        found[{service.service_id, event.event_id}] = event;
                }
            }
        }
    }
    ASSERT_EQ(found.size(), plan.programmes.size());
    std::map<std::uint64_t, int> perDay;
    std::uint64_t terrestrialFree = 0, bsFree = 0;
    for (const tools::SoakProgramme& p : plan.programmes) {
        const auto it = found.find({p.serviceId, p.eventId});
        ASSERT_NE(it, found.end()) << platform::WideToUtf8(p.title);
        EXPECT_EQ(it->second.name, p.title);
        EXPECT_EQ(Clock(it->second.start), Clock(p.start));
        EXPECT_EQ(it->second.duration_seconds, static_cast<std::uint32_t>(p.seconds));
        // Nothing between midnight and 04:00, when the acquisition at 02:00 needs the tuners.
        EXPECT_GE(p.start.wHour, 4);
        ++perDay[Clock(p.start) / platform::kFileTimePerDay];
        // One tuner per kind: a programme begins no earlier than the one before on its tuner ends.
        std::uint64_t& free = p.channel > 0xFFFF ? bsFree : terrestrialFree;
        EXPECT_GE(Clock(p.start), free) << platform::WideToUtf8(p.title);
        free = Clock(p.start) + static_cast<std::uint64_t>(p.seconds) * kSecond;
    }
    // The week of the run and the eight days of guide after it.
    EXPECT_EQ(perDay.size(), 7u + 8u);
    for (const auto& [day, count] : perDay)
        EXPECT_EQ(count, tools::kSoakProgrammesPerDay);
    EXPECT_EQ(plan.clockStart.wHour, 1);
    EXPECT_EQ(plan.clockStart.wMinute, 57);
}

tools::SoakProgramme News() {
    tools::SoakProgramme p;
    p.title = L"みなとニュース";
    p.start = {2026, 12, 0, 7, 4, 10, 0, 0};
    p.seconds = 180;
    return p;
}

tools::SoakObservation Recorded(std::int64_t beganAfter, std::int64_t endedBefore) {
    const std::uint64_t start = Clock(News().start);
    tools::SoakObservation seen;
    seen.reserved = true;
    seen.resultText = L"録画終了 ";
    seen.files = 1;
    seen.span = tools::BroadcastTimeSpan{
        At(static_cast<std::uint64_t>(static_cast<std::int64_t>(start) + beganAfter * 10000000)),
        At(static_cast<std::uint64_t>(static_cast<std::int64_t>(start + 180 * kSecond) -
                                      endedBefore * 10000000))};
    return seen;
}

TEST(SoakTallyTest, ARecordingIsMadeOnlyWhenItHoldsTheProgrammeAndTheTimerNotedItDone) {
    using tools::SoakVerdict;
    const tools::SoakProgramme news = News();
    EXPECT_EQ(tools::JudgeRecording(news, nullptr), SoakVerdict::kNotSeen);
    tools::SoakObservation seen = Recorded(-15, -1);  // the margins of the settings
    EXPECT_EQ(tools::JudgeRecording(news, &seen), SoakVerdict::kMade);
    seen = Recorded(0, 0);  // the programme's first and last second, no more
    EXPECT_EQ(tools::JudgeRecording(news, &seen), SoakVerdict::kMade);
    seen = Recorded(1, 0);
    EXPECT_EQ(tools::JudgeRecording(news, &seen), SoakVerdict::kLateStart);
    EXPECT_TRUE(tools::IsMissedStart(tools::JudgeRecording(news, &seen)));
    seen = Recorded(-15, 1);
    EXPECT_EQ(tools::JudgeRecording(news, &seen), SoakVerdict::kEarlyEnd);
    EXPECT_FALSE(tools::IsMissedStart(tools::JudgeRecording(news, &seen)));
    // A news followed by a chained programme on its tuner hands over 20 s early, by its rule: it
    // stops as the clock passes that moment, so the second before is the last that is whole.
    tools::SoakProgramme chained = news;
    chained.handOverSeconds = 20;
    seen = Recorded(-15, 21);
    EXPECT_EQ(tools::JudgeRecording(chained, &seen), SoakVerdict::kMade);
    seen = Recorded(-15, 22);
    EXPECT_EQ(tools::JudgeRecording(chained, &seen), SoakVerdict::kEarlyEnd);
    seen = Recorded(0, 0);
    seen.resultText = L"録画中に終了された可能性があります ";
    EXPECT_EQ(tools::JudgeRecording(news, &seen), SoakVerdict::kResultNotDone);
    seen.span.reset();
    EXPECT_EQ(tools::JudgeRecording(news, &seen), SoakVerdict::kNoBroadcastTime);
    seen.files = 0;
    EXPECT_EQ(tools::JudgeRecording(news, &seen), SoakVerdict::kNotRecorded);
    EXPECT_TRUE(tools::IsMissedStart(SoakVerdict::kNotRecorded));
    seen.reserved = false;
    EXPECT_EQ(tools::JudgeRecording(news, &seen), SoakVerdict::kNotReserved);
}

TEST(SoakTallyTest, CountsDueAgainstMadePerDayAndNamesEveryProgrammeNotMade) {
    const std::vector<tools::SoakProgramme> due(5, News());
    const tools::SoakObservation made = Recorded(0, 0);
    const tools::SoakObservation late = Recorded(60, 0);
    tools::SoakObservation unreserved;
    const tools::SoakTally tally = tools::TallyRecordings(
        due, {0, 0, 1, 1, 1}, {&made, &late, &made, &unreserved, nullptr}, 2);
    ASSERT_EQ(tally.days.size(), 2u);
    EXPECT_EQ(tally.days[0].due, 2);
    EXPECT_EQ(tally.days[0].reserved, 2);
    EXPECT_EQ(tally.days[0].made, 1);
    EXPECT_EQ(tally.days[0].missedStarts, 1);
    EXPECT_EQ(tally.days[1].due, 3);
    EXPECT_EQ(tally.days[1].reserved, 1);
    EXPECT_EQ(tally.days[1].made, 1);
    EXPECT_EQ(tally.days[1].missedStarts, 0);
    EXPECT_EQ(tally.total.due, 5);
    EXPECT_EQ(tally.total.made, 2);
    ASSERT_EQ(tally.problems.size(), 3u);
    EXPECT_NE(tally.problems[0].find("みなとニュース 2026/12/07 04:10 began 04:11:00"),
              std::string::npos)
        << tally.problems[0];
    EXPECT_NE(tally.problems[1].find("never reserved"), std::string::npos);
    EXPECT_NE(tally.problems[2].find("not looked at"), std::string::npos);
}

}  // namespace
}  // namespace tools_test
