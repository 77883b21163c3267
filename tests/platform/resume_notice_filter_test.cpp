#include <gtest/gtest.h>

#include "platform/resume_watcher.h"

namespace platform {
namespace {

using namespace std::chrono_literals;
using TimePoint = ResumeNoticeFilter::TimePoint;

const TimePoint kStart{};
constexpr auto kGrace = ResumeNoticeFilter::kGrace;

TEST(ResumeNoticeFilterTest, WithoutLogindEveryGapIsAResumeAtOnce) {
    ResumeNoticeFilter filter(false);
    EXPECT_TRUE(filter.OnGap(kStart));
    EXPECT_TRUE(filter.OnGap(kStart + 5s));
    EXPECT_FALSE(filter.OnTime(kStart + 1h));
}

TEST(ResumeNoticeFilterTest, WithLogindTheSignalIsTheNoticeAndTheGapOfTheSameSleepIsDropped) {
    ResumeNoticeFilter filter(true);
    // Signal before the gap was polled.
    EXPECT_FALSE(filter.OnPrepareForSleep(true));
    EXPECT_TRUE(filter.OnPrepareForSleep(false));
    // Gap polled first: held, then the signal delivers it, and nothing is left to deliver.
    EXPECT_FALSE(filter.OnPrepareForSleep(true));
    EXPECT_FALSE(filter.OnGap(kStart));
    EXPECT_FALSE(filter.OnTime(kStart + kGrace - 1ms));
    EXPECT_TRUE(filter.OnPrepareForSleep(false));
    EXPECT_FALSE(filter.OnTime(kStart + kGrace));
    // A signal without an announcement (the announcement was lost) still counts.
    EXPECT_TRUE(filter.OnPrepareForSleep(false));
}

TEST(ResumeNoticeFilterTest, AGapLogindSaysNothingAboutIsDeliveredAfterTheGraceTimeOnce) {
    ResumeNoticeFilter filter(true);
    // A sleep that bypassed logind.
    EXPECT_FALSE(filter.OnGap(kStart));
    EXPECT_FALSE(filter.OnGap(kStart + 2s));  // the same hold, not a second one
    EXPECT_EQ(filter.HeldUntil(), kStart + kGrace);
    EXPECT_TRUE(filter.OnTime(kStart + kGrace));
    EXPECT_FALSE(filter.OnTime(kStart + kGrace + 1s));
    // An announced sleep whose signal comes later than the grace time: the late signal is not a
    // second resume, and the next sleep is delivered again.
    EXPECT_FALSE(filter.OnPrepareForSleep(true));
    EXPECT_FALSE(filter.OnGap(kStart + 1h));
    EXPECT_TRUE(filter.OnTime(kStart + 1h + kGrace));
    EXPECT_FALSE(filter.OnPrepareForSleep(false));
    EXPECT_FALSE(filter.OnPrepareForSleep(true));
    EXPECT_TRUE(filter.OnPrepareForSleep(false));
}

TEST(ResumeNoticeFilterTest, WhenLogindIsLostAHeldGapAndLaterGapsGoOutAtOnce) {
    ResumeNoticeFilter filter(true);
    EXPECT_FALSE(filter.OnGap(kStart));
    filter.LogindLost();
    EXPECT_TRUE(filter.OnTime(kStart));
    EXPECT_TRUE(filter.OnGap(kStart + 1s));
}

}  // namespace
}  // namespace platform
