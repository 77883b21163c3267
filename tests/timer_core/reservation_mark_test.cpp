// Finding a reservation again after the store was loaded anew from Program.txt (IDs renumbered
// in start order) or after a record thread moved it.
#include "timer_core/reservations/reservation_mark.h"

#include <gtest/gtest.h>

#include "tests/timer_core/program_file_fixture.h"
#include "tests/timer_core/reservation_samples.h"
#include "timer_core/reservations/reserve_list.h"

namespace timer_core {
namespace {

using reservation_samples::At;
using reservation_samples::Entry;

class ReservationMarkTest : public reservation_samples::ProgramFileFixture {
  protected:
    // A 19:00 and B 21:00, then C 20:00 added later: IDs 1, 2, 3 in start order A, C, B.
    void AddThree() {
        for (const ReserveEntry& entry : {Entry(L"港町ニュース", At(2090, 5, 1, 19, 0), 1),
                                          Entry(L"さくらドラマ", At(2090, 5, 1, 21, 0), 2),
                                          Entry(L"みなと紀行", At(2090, 5, 1, 20, 0), 3)})
            ASSERT_EQ(store_.Add(&entry, 0), 1);
    }
    // Saves the store and loads it again, as the main window does after automatic reservations.
    void SaveAndLoad() {
        ASSERT_EQ(store_.SaveProgramFile(ProgramPath()), 1);
        ASSERT_EQ(store_.LoadProgramFile(ProgramPath()), 1);
    }

    ReserveList store_;
};

TEST_F(ReservationMarkTest, AReservationLoadedAnewIsFoundByItsProgrammeAndStart) {
    AddThree();
    const ReservationMark drama(store_, 2);
    SaveAndLoad();
    ASSERT_EQ(store_.FindById(2)->title, L"みなと紀行");
    const ReserveEntry* found = drama.Find(store_);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->title, L"さくらドラマ");
    EXPECT_EQ(found->id, 3);
}

TEST_F(ReservationMarkTest, ARecordASlotHoldsIsFoundItselfEvenWhenItsStartMovedAfterTheLoad) {
    AddThree();
    store_.FindById(2)->assigned = 1;
    const ReservationMark drama(store_, 2);
    SaveAndLoad();
    ReserveEntry* held = store_.FindById(3);
    ASSERT_EQ(held->title, L"さくらドラマ");
    held->start = At(2090, 5, 1, 21, 2);  // the broadcaster moved it
    store_.RekeyById(3);
    EXPECT_EQ(drama.Find(store_), held);
}

TEST_F(ReservationMarkTest, OfAlikeReservationsTheOneMarkedIsFound) {
    // The same programme reserved twice (an iEPG file opened twice), told apart by their order.
    ReserveEntry first = Entry(L"一度目", At(2090, 5, 1, 21, 0), 7);
    ReserveEntry second = first;
    second.title = L"二度目";
    const ReserveEntry earlier = Entry(L"前の番組", At(2090, 5, 1, 20, 0), 8);
    for (const ReserveEntry& entry : {first, second, earlier})
        ASSERT_EQ(store_.Add(&entry, 0), 1);
    const ReservationMark marked(store_, 2);
    SaveAndLoad();
    ASSERT_NE(marked.Find(store_), nullptr);
    EXPECT_EQ(marked.Find(store_)->title, L"二度目");
}

TEST_F(ReservationMarkTest, AReservationThatIsGoneOrWasNeverThereFindsNothing) {
    AddThree();
    const ReservationMark drama(store_, 2);
    EXPECT_EQ(ReservationMark(store_, 9).Find(store_), nullptr);
    store_.Remove(2);
    EXPECT_EQ(drama.Find(store_), nullptr);
    SaveAndLoad();
    EXPECT_EQ(drama.Find(store_), nullptr);
}

}  // namespace
}  // namespace timer_core
