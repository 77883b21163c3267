// When the main window's check starts the timed EPG acquisition, with which delay, and how the
// threads it starts are stopped: on the simulated clock, with a stand-in thread procedure that
// records every start, and with the real one on a viewer that never answers.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/process.h"
#include "tests/support/helper_process.h"
#include "tests/support/other_user.h"
#include "tests/support/private_runtime.h"
#include "tests/timer_core/fake_viewer.h"
#include "tests/timer_core/scheduler_fixture.h"
#include "timer_core/recording/friio_view_launcher.h"
#include "timer_core/recording/friio_view_processes.h"

namespace scheduler_test {
namespace {

using timer_core_test::FakeViewer;
using timer_core_test::WaitUntil;

// The delays of the acquisition threads started so far, each noted as its thread starts.
class ArmedThreads {
  public:
    // A stand-in that notes its delay and ends; it keeps the notes alive.
    static TimerManager::EpgProcedure Procedure(const std::shared_ptr<ArmedThreads>& armed) {
        return [armed](const std::shared_ptr<TimerManager>&, const platform::Event&,
                       std::int32_t delay) {
            const std::lock_guard lock(armed->mutex_);
            armed->delays_.push_back(delay);
            return platform::DWORD{0};
        };
    }
    std::vector<std::int32_t> Delays() {
        const std::lock_guard lock(mutex_);
        return delays_;
    }

  private:
    std::mutex mutex_;
    std::vector<std::int32_t> delays_;
};

class EpgAcquisitionCheckTest : public SchedulerFixture {
  protected:
    void SetUp() override {
        SchedulerFixture::SetUp();
        test_support::UsePrivateRuntime();
        manager_.SetEpgProcedure(ArmedThreads::Procedure(armed_));
    }
    void TearDown() override {
        SchedulerFixture::TearDown();
        for (const platform::DWORD pid : viewers_) {
            platform::TerminateProcess(pid, 1);
            platform::WaitForProcess(pid, timer_core_test::kProcessEndMs);
        }
    }

    void EpgTimes(const std::vector<std::wstring>& entries) {
        Ini(L"Orvandel", L"Count", std::to_wstring(entries.size()));
        for (std::size_t n = 0; n < entries.size(); ++n)
            Ini(L"Orvandel", std::to_wstring(n).c_str(), entries[n]);
    }
    // The delays of every thread started so far. A check that starts a thread first stops (and
    // waits for) the one before, so after a check that started one, every earlier start is in.
    std::vector<std::int32_t> Delays() { return armed_->Delays(); }
    // Waits for the thread of the last check that started one.
    std::vector<std::int32_t> DelaysOnceThere(std::size_t count) {
        EXPECT_TRUE(WaitUntil([&] { return armed_->Delays().size() >= count; }));
        return armed_->Delays();
    }

    std::shared_ptr<ArmedThreads> armed_ = std::make_shared<ArmedThreads>();
    std::vector<platform::DWORD> viewers_;
};

// The delay is whole seconds to the EPG time; the clock runs on between setting it and the check.
MATCHER_P(DelayOf, seconds, "") {
    return arg <= seconds * 1000 && arg > (seconds - 2) * 1000;
}

TEST_F(EpgAcquisitionCheckTest, ATimeLaterTomorrowIsNotNearUntilTwoMinutesBeforeIt) {
    EpgTimes({L"23,30,1", L"6,0,1"});
    SetClock(Today(23, 45));
    EXPECT_EQ(manager_.CheckEpgAcquisition(), 1);
    SetClock(At(2026, 12, 5, 5, 57, 50));
    EXPECT_EQ(manager_.CheckEpgAcquisition(), 1);  // 130 s ahead

    SetClock(At(2026, 12, 5, 5, 59, 30));
    EXPECT_EQ(manager_.CheckEpgAcquisition(), 1);
    EXPECT_THAT(DelaysOnceThere(1), ::testing::ElementsAre(DelayOf(30)));
}

TEST_F(EpgAcquisitionCheckTest, OnlyDisabledTimesStartNothing) {
    EpgTimes({L"4,0,0", L"4,1,0"});
    SetClock(Today(4, 0, 10));
    EXPECT_EQ(manager_.CheckEpgAcquisition(), 1);
    EpgTimes({L"4,0,0", L"4,1,1"});
    EXPECT_EQ(manager_.CheckEpgAcquisition(), 1);
    EXPECT_THAT(DelaysOnceThere(1), ::testing::ElementsAre(DelayOf(50)));
}

TEST_F(EpgAcquisitionCheckTest, AReservationWithinNinetyMinutesAfterTheTimeDeclinesIt) {
    EpgTimes({L"4,0,1"});
    // A hand-edited line whose start is no date, filed before it, does not hide it.
    Add(L"手直しの番組", Today(4, 61), 30);
    const auto early = Add(L"朝の番組", Today(5, 29), 30);
    SetClock(Today(3, 59));
    EXPECT_EQ(manager_.CheckEpgAcquisition(), 0);

    manager_.DeleteReserve(early->id);
    Add(L"朝の番組", Today(5, 30), 30);
    EXPECT_EQ(manager_.CheckEpgAcquisition(), 1);
    EXPECT_THAT(DelaysOnceThere(1), ::testing::ElementsAre(DelayOf(60)));
}

TEST_F(EpgAcquisitionCheckTest, ARunningViewerDeclinesIt) {
    EpgTimes({L"4,0,1"});
    SetClock(Today(3, 59, 30));
    FakeViewer viewer("stubborn");
    timer_core::FriioViewLauncher launcher;
    launcher.SetPath(viewer.Path());
    platform::DWORD pid = 0;
    ASSERT_EQ(launcher.StartForEpg(0, &pid), 1);
    viewers_.push_back(pid);
    ASSERT_EQ(timer_core::IsFriioViewPid(pid, platform::TakeProcessSnapshot()), 1);
    EXPECT_EQ(manager_.CheckEpgAcquisition(), 0);

    platform::TerminateProcess(pid, 1);
    ASSERT_EQ(platform::WaitForProcess(pid, timer_core_test::kProcessEndMs),
              platform::WAIT_OBJECT_0);
    EXPECT_EQ(manager_.CheckEpgAcquisition(), 1);
    EXPECT_EQ(DelaysOnceThere(1).size(), 1u);
}

TEST_F(EpgAcquisitionCheckTest, AnotherUsersProgramNamedAsTheViewerNeitherDeclinesItNorIsEnded) {
    if (!test_support::CanStartAsOtherUser())
        GTEST_SKIP() << "only root can start a program as another user";
    // `cp /bin/sleep /tmp/FriioView; /tmp/FriioView 100` as another user (and in this test's
    // namespace, which that user's environment may name as it likes).
    const test_support::SharedProgramCopy viewer("/bin/sleep", "FriioView");
    test_support::HelperProcess other(viewer.Path().string(), {"100"}, {},
                                      test_support::kOtherUser);
    ASSERT_TRUE(test_support::WaitUntilRunning(other.Pid(), viewer.Path()));
    const auto pid = static_cast<platform::DWORD>(other.Pid());
    EXPECT_EQ(timer_core::IsFriioViewPid(pid, platform::TakeProcessSnapshot()), 0);
    EpgTimes({L"4,0,1"});
    SetClock(Today(3, 59, 30));
    EXPECT_EQ(manager_.CheckEpgAcquisition(), 1);
    EXPECT_EQ(DelaysOnceThere(1).size(), 1u);
    // Nor is it this user's to end.
    timer_core::TerminateViewer(pid);
    EXPECT_EQ(other.WaitFor(std::chrono::milliseconds(0)), std::nullopt);
}

TEST_F(EpgAcquisitionCheckTest, ATimeJustPassedStartsAtOnceButOnlyOnce) {
    EpgTimes({L"4,0,1", L"4,1,1"});
    // After a resume, say: the time of this minute passed 30 s ago.
    SetClock(Today(4, 0, 30));
    EXPECT_EQ(manager_.CheckEpgAcquisition(), 1);
    EXPECT_THAT(DelaysOnceThere(1), ::testing::ElementsAre(DelayOf(-30)));
    // A later check of the same minute finds the run over and does not start it again.
    SetClock(Today(4, 0, 50));
    EXPECT_EQ(manager_.CheckEpgAcquisition(), 1);

    SetClock(Today(4, 1, 5));
    EXPECT_EQ(manager_.CheckEpgAcquisition(), 1);
    EXPECT_THAT(DelaysOnceThere(2), ::testing::ElementsAre(DelayOf(-30), DelayOf(-5)));
}

// A stand-in thread that overruns its stop until released, then notes whether its stop is still
// signalled; the next one notes its stop as it starts.
struct OverrunningThreads {
    platform::Event release{true, false};
    platform::Event firstEnded{true, false};
    std::mutex mutex;
    std::vector<std::string> notes;

    void Note(const std::string& note) {
        const std::lock_guard lock(mutex);
        notes.push_back(note);
    }
    std::vector<std::string> Notes() {
        const std::lock_guard lock(mutex);
        return notes;
    }
};

TEST_F(EpgAcquisitionCheckTest, ANewArmingStopsTheRunningThreadAndAnOverrunningOneStaysStopped) {
    auto threads = std::make_shared<OverrunningThreads>();
    manager_.SetEpgProcedure([threads](const std::shared_ptr<TimerManager>&,
                                       const platform::Event& stop, std::int32_t) {
        const bool first = threads->Notes().empty();
        const bool stopped = platform::WaitForSingleObject(stop, 0) == platform::WAIT_OBJECT_0;
        threads->Note(std::string(first ? "first" : "second") + (stopped ? " stopped" : " runs"));
        if (!first) return platform::DWORD{0};
        platform::WaitForSingleObject(threads->release, platform::INFINITE);
        const bool stoppedLater = platform::WaitForSingleObject(stop, 0) == platform::WAIT_OBJECT_0;
        threads->Note(stoppedLater ? "first stopped" : "first runs");
        platform::SetEvent(threads->firstEnded);
        return platform::DWORD{0};
    });
    EpgTimes({L"4,0,1"});
    SetClock(Today(3, 59));
    EXPECT_EQ(manager_.CheckEpgAcquisition(), 1);
    ASSERT_TRUE(WaitUntil([&] { return threads->Notes().size() == 1; }));
    // The first does not end within the stop's wait and is left to run on.
    SetClock(Today(3, 59, 30));
    EXPECT_EQ(manager_.CheckEpgAcquisition(), 1);
    ASSERT_TRUE(WaitUntil([&] { return threads->Notes().size() == 2; }));
    platform::SetEvent(threads->release);
    ASSERT_EQ(platform::WaitForSingleObject(threads->firstEnded, timer_core_test::kProcessEndMs),
              platform::WAIT_OBJECT_0);
    EXPECT_EQ(threads->Notes(),
              (std::vector<std::string>{"first runs", "second runs", "first stopped"}));
}

// The real thread on a viewer without the plug-in that ignores every close request: the run
// closes it through its window and then waits for it, and the manager's stop ends that wait.
TEST(EpgAcquireThreadTest, AStopEndsTheRunWhileItWaitsForAViewerThatDoesNotClose) {
    test_support::UsePrivateRuntime();
    timer_core_test::PrivateHome home;
    FakeViewer viewer("stubborn");
    const auto folder = timer_core_test::FreshFolder("epg-thread");
    auto manager = std::make_unique<TimerManager>(
        platform::FromNativePath((folder / "Orvandel.ini").native()));
    const auto ini = [&](const wchar_t* section, const wchar_t* key, const std::wstring& value) {
        platform::WritePrivateProfileStringW(section, key, value.c_str(),
                                             manager->IniPath().c_str());
    };
    ini(L"SET", L"FriioViewPath", viewer.Path());
    ini(L"SET", L"TunerCount", L"1");
    ini(L"SET", L"TunerCount2", L"0");
    ini(L"Orvandel", L"Count", L"1");
    ini(L"Orvandel", L"0", L"4,0,1");
    manager->LoadSettings();
    SetClock(Today(3, 59, 59));
    ASSERT_EQ(manager->CheckEpgAcquisition(), 1);

    // Started on device 0, given 4 s, found without a plug-in, asked to stop recording and to
    // close.
    ASSERT_TRUE(WaitUntil([&] { return viewer.Messages().size() >= 2; }, 20000));
    EXPECT_EQ(viewer.Messages(), (std::vector<std::string>{"0xfb9", "0x10"}));
    std::vector<platform::DWORD> pids;
    timer_core::ListFriioViewPids(&pids);
    ASSERT_EQ(pids.size(), 1u);

    const std::uint64_t start = platform::GetTickCount64();
    manager.reset();
    EXPECT_LT(platform::GetTickCount64() - start, TimerManager::kStopWaitMs);
    // Left running by the stopped thread.
    EXPECT_EQ(timer_core::IsFriioViewPid(pids[0], platform::TakeProcessSnapshot()), 1);
    platform::TerminateProcess(pids[0], 1);
    EXPECT_EQ(platform::WaitForProcess(pids[0], timer_core_test::kProcessEndMs),
              platform::WAIT_OBJECT_0);
}

}  // namespace
}  // namespace scheduler_test
