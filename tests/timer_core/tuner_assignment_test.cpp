// The tuner assignment with every tuner busy: displacement, chaining behind the weakest slot,
// the choice between the overlapped and the unchained slots, replacement of a chained
// reservation, and a group left with more slots than tuners. Also the effective duration a
// chain gives the current recording.
#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "tests/timer_core/scheduler_fixture.h"

namespace scheduler_test {
namespace {

using Titles = std::vector<std::wstring>;

class TunerAssignmentTest : public SchedulerFixture {
  protected:
    void SetUp() override {
        SchedulerFixture::SetUp();
        SetClock(Today(19, 0));  // every slot below waits for its start
    }
    // The effective minutes of the n-th slot of group 1.
    int Effective(std::size_t n) const {
        return timer_core::GetEffectiveDuration(manager_.SlotsOfGroup(1).at(n).get(), manager_);
    }
    std::shared_ptr<ReserveEntry> Placed(const std::wstring& title,
                                         const platform::SYSTEMTIME& start, std::uint32_t minutes,
                                         int priority) {
        auto entry = Add(title, start, minutes, priority);
        EXPECT_EQ(manager_.AssignGroup1(entry), 1);
        return entry;
    }
};

TEST_F(TunerAssignmentTest, ALaterProgrammeIsChainedBehindTheOneTunerAndCutsItOnlyWhenItWins) {
    Placed(L"P", Today(20, 0), 60, 3);
    const auto next = Placed(L"翌番組", Today(21, 0), 60, 3);
    EXPECT_EQ(Held(1), Titles{L"P>翌番組"});
    EXPECT_EQ(Assigned(next), 1);
    EXPECT_EQ(Effective(0), 60);  // equal priorities, RecPriority 0: P keeps its length
    manager_.DeleteReserve(next->id);

    const auto stronger = Placed(L"強い", Today(20, 30), 60, 4);
    EXPECT_EQ(Held(1), Titles{L"P>強い"});
    EXPECT_EQ(Effective(0), 30);
    manager_.DeleteReserve(stronger->id);

    Placed(L"同じ", Today(20, 30), 60, 3);
    EXPECT_EQ(Held(1), Titles{L"P>同じ"});
    EXPECT_EQ(Effective(0), 60);
    Ini(L"SET", L"RecPriority", L"1");
    manager_.LoadSettings();
    EXPECT_EQ(Effective(0), 30);
}

TEST_F(TunerAssignmentTest, AWeakerProgrammeInsideTheRecordingFindsNoPlace) {
    Placed(L"P", Today(20, 0), 60, 3);
    const auto weak = Placed(L"弱い", Today(20, 30), 20, 2);
    EXPECT_EQ(Held(1), Titles{L"P"});
    EXPECT_EQ(Assigned(weak), 0);
}

TEST_F(TunerAssignmentTest, WhenEverySlotStartsWithItTheWeakestLowerPriorityIsDisplaced) {
    Tuners(2, 0);
    const auto two = Placed(L"優先2", Today(20, 0), 60, 2);
    const auto four = Placed(L"優先4", Today(20, 0), 60, 4);
    const auto slots = manager_.SlotsOfGroup(1);

    const auto equal = Placed(L"同じ優先2", Today(20, 0), 60, 2);
    EXPECT_EQ(Held(1), (Titles{L"優先2", L"優先4"}));
    EXPECT_EQ(Assigned(equal), 0);

    const auto three = Placed(L"優先3", Today(20, 0), 60, 3);
    EXPECT_EQ(Held(1), (Titles{L"優先3", L"優先4"}));
    EXPECT_EQ(manager_.SlotsOfGroup(1), slots);  // the slot's thread goes on with R
    EXPECT_EQ(Assigned(two), 0);
    EXPECT_EQ(Assigned(three) + Assigned(four), 2);
    EXPECT_EQ(two->start.wMinute, 0);  // not postponed: its start stays
}

TEST_F(TunerAssignmentTest, ADisplacedPostponedReservationComesBackTwoMinutesLater) {
    const auto postponed = Placed(L"延長待ち", Today(20, 0), 60, 2);
    {
        const std::lock_guard lock(manager_.DataLock());
        postponed->postponed = 1;
    }
    Placed(L"強い", Today(20, 0), 60, 3);
    EXPECT_EQ(Held(1), Titles{L"強い"});
    EXPECT_EQ(Assigned(postponed), 0);
    EXPECT_EQ(postponed->start.wHour, 20);
    EXPECT_EQ(postponed->start.wMinute, 2);
    // Still filed under 20:00, where it was (the start index is not re-keyed).
    EXPECT_EQ(manager_.GetReserveAt(0), postponed.get());
}

TEST_F(TunerAssignmentTest, APartlySameStartChainsBehindTheOverlappedWeakerRecording) {
    Tuners(2, 0);
    SetClock(Today(19, 29));
    Placed(L"待機P", Today(20, 0), 60, 4);
    Placed(L"録画中Q", Today(19, 30), 60, 1);
    SetClock(Today(19, 45));
    const auto r = Placed(L"R", Today(20, 0), 60, 3);
    EXPECT_EQ(Held(1), (Titles{L"待機P", L"録画中Q>R"}));
    EXPECT_EQ(Effective(1), 30);  // Q ends at R's start
    EXPECT_EQ(Assigned(r), 1);
}

TEST_F(TunerAssignmentTest, AStrongerProgrammeReplacesAChainedOneOfTheSameStart) {
    Placed(L"P", Today(20, 0), 60, 3);
    const auto chained = Placed(L"H", Today(21, 0), 60, 2);
    ASSERT_EQ(Held(1), Titles{L"P>H"});

    const auto weak = Placed(L"弱いR", Today(21, 0), 60, 2);
    EXPECT_EQ(Held(1), Titles{L"P>H"});
    EXPECT_EQ(Assigned(weak), 0);

    const auto strong = Placed(L"強いR", Today(21, 0), 60, 4);
    EXPECT_EQ(Held(1), Titles{L"P>強いR"});
    EXPECT_EQ(Assigned(chained), 0);
    EXPECT_EQ(Assigned(strong), 1);
}

// Three tuners: A records P1 with H1 chained, B records P2 (overlapping R's start), C records a
// short P3 of the lowest priority that starts after R.
class ChainingListTest : public TunerAssignmentTest {
  protected:
    void Build(const platform::SYSTEMTIME& chainedStart) {
        SetClock(Today(18, 59));
        Placed(L"P1", Today(19, 0), 60, 3);
        Placed(L"H1", chainedStart, 60, 2);
        Tuners(3, 0);
        Placed(L"P2", Today(19, 30), 60, 2);
        Placed(L"P3", Today(20, 10), 10, 1);
        SetClock(Today(19, 45));
    }
};

TEST_F(ChainingListTest, WhenEveryChainStartsWithRTheOverlappedSlotsAreTheList) {
    Build(Today(20, 0));
    Placed(L"R", Today(20, 0), 45, 3);
    EXPECT_EQ(Held(1), (Titles{L"P1>H1", L"P2>R", L"P3"}));
}

TEST_F(ChainingListTest, OtherwiseEveryUnchainedSlotIsAndTheWeakestComesFirst) {
    Build(Today(20, 5));
    Placed(L"R", Today(20, 0), 45, 3);
    EXPECT_EQ(Held(1), (Titles{L"P1>H1", L"P2", L"P3>R"}));
}

TEST_F(TunerAssignmentTest, AGroupWithMoreSlotsThanTunersTakesTheAllBusyPath) {
    Tuners(2, 0);
    Placed(L"P1", Today(20, 0), 60, 3);
    Placed(L"P2", Today(20, 0), 60, 3);
    Tuners(1, 0);  // lowered while both wait
    const auto inside = Placed(L"内側", Today(20, 15), 30, 2);
    EXPECT_EQ(Held(1), (Titles{L"P1", L"P2"}));
    EXPECT_EQ(Assigned(inside), 0);
    Placed(L"後", Today(21, 0), 60, 3);
    EXPECT_EQ(Held(1), (Titles{L"P1>後", L"P2"}));
}

TEST_F(TunerAssignmentTest, NoSatelliteTunerLeavesEverySatelliteReservationUnassigned) {
    const auto bs = Add(L"そらBS紀行", Today(20, 0), 60, 5, kSoraBs);
    EXPECT_EQ(manager_.AssignGroup2(bs), 0);
    EXPECT_EQ(manager_.AssignGroup1(bs), 0);
    EXPECT_EQ(Assigned(bs), 0);
    Tuners(1, 1);
    EXPECT_EQ(manager_.AssignGroup1(bs), 1);  // passed on
    EXPECT_EQ(Held(2), Titles{L"そらBS紀行"});
    EXPECT_TRUE(Held(1).empty());
}

TEST(EffectiveDurationTest, TheChainedPriorityAndRecPriorityDecide) {
    const auto folder = timer_core_test::FreshFolder("effective");
    TimerManager manager(platform::FromNativePath((folder / "Orvandel.ini").native()));
    EXPECT_EQ(timer_core::GetEffectiveDuration(nullptr, manager), 0);
    RecThreadSlot slot;
    slot.currentReserve = std::make_shared<ReserveEntry>();
    slot.currentReserve->start = Today(20, 0);
    slot.currentReserve->durationMinutes = 60;
    slot.currentReserve->priority = 3;
    EXPECT_EQ(timer_core::GetEffectiveDuration(&slot, manager), 60);
    slot.chainedReserve = std::make_shared<ReserveEntry>();
    slot.chainedReserve->start = Today(20, 30, 50);
    slot.chainedReserve->priority = 4;
    EXPECT_EQ(timer_core::GetEffectiveDuration(&slot, manager), 60);  // chained flag not set
    slot.chainedFlag = 1;
    EXPECT_EQ(timer_core::GetEffectiveDuration(&slot, manager), 30);  // truncated minutes
    slot.chainedReserve->priority = 2;
    EXPECT_EQ(timer_core::GetEffectiveDuration(&slot, manager), 60);
    slot.chainedReserve->priority = 3;
    EXPECT_EQ(timer_core::GetEffectiveDuration(&slot, manager), 60);
    platform::WritePrivateProfileStringW(L"SET", L"RecPriority", L"1", manager.IniPath().c_str());
    manager.LoadSettings();
    EXPECT_EQ(timer_core::GetEffectiveDuration(&slot, manager), 30);
    slot.chainedReserve->start = Today(21, 0, 30);  // after the end: no cut
    slot.chainedReserve->priority = 5;
    EXPECT_EQ(timer_core::GetEffectiveDuration(&slot, manager), 60);
}

}  // namespace
}  // namespace scheduler_test
