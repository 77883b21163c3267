// The reservation store's indexes: numbering, updates, removal and re-keying keep the three
// orders consistent.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/timer_core/reservation_samples.h"
#include "timer_core/reservations/reserve_list.h"

namespace timer_core {
namespace {

using reservation_samples::At;
using reservation_samples::Entry;

std::vector<std::wstring> Titles(const ReserveList& store) {
    std::vector<std::wstring> titles;
    for (const ReserveEntry& entry : store.Entries())
        titles.push_back(entry.title);
    return titles;
}

TEST(ReserveListTest, AddNumbersNewEntriesAndUpdatesKnownOnes) {
    ReserveList store;
    EXPECT_EQ(store.Add(nullptr, 0), 0);
    ReserveEntry entry = Entry(L"夜のニュース", At(2090, 5, 1, 21, 0), 0x1000);
    entry.assigned = 1;
    entry.postponed = 1;
    entry.durationSeconds = 30;
    ASSERT_EQ(store.Add(&entry, 0), 1);
    ASSERT_EQ(store.Add(&entry, 0), 1);  // no duplicate test here
    EXPECT_EQ(entry.id, 0);              // the caller's entry is left as it was
    ReserveEntry* first = store.FindById(1);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(store.FindById(2), nullptr);
    EXPECT_EQ(first->assigned, 0);
    EXPECT_EQ(first->postponed, 0);
    EXPECT_EQ(first->durationSeconds, 0u);

    // Mode 1 leaves the copy unnumbered: counted and listed, but not found by ID.
    ASSERT_EQ(store.Add(&entry, 1), 1);
    EXPECT_EQ(store.Count(), 3u);
    EXPECT_EQ(store.FindById(0), nullptr);
    EXPECT_EQ(store.FindById(3), nullptr);

    ReserveEntry update = *first;
    update.title = L"夜のニュース（延長）";
    update.durationMinutes = 45;
    EXPECT_EQ(store.Add(&update, 0), 1);
    EXPECT_EQ(first->title, L"夜のニュース（延長）");
    EXPECT_EQ(first->durationMinutes, 45u);
    EXPECT_EQ(store.Add(first, 0), 1);  // the reservation dialog passes the record itself
    EXPECT_EQ(first->durationMinutes, 45u);
    update.id = 42;
    EXPECT_EQ(store.Add(&update, 0), 0);
    EXPECT_EQ(store.Count(), 3u);
}

TEST(ReserveListTest, RemovedIdsAreNotReusedAndTheProgrammeIndexFollows) {
    ReserveList store;
    for (std::uint16_t event = 1; event <= 3; ++event) {
        const ReserveEntry entry = Entry(L"番組", At(2090, 5, event, 21, 0), event);
        store.Add(&entry, 0);
    }
    const std::uint32_t second = (0x0400u << 16) | 2;
    EXPECT_TRUE(store.ContainsProgramKey(second));
    EXPECT_EQ(store.Remove(7), 0);
    ASSERT_EQ(store.Remove(2), 1);
    EXPECT_EQ(store.Remove(2), 0);
    EXPECT_FALSE(store.ContainsProgramKey(second));
    const ReserveEntry next = Entry(L"次", At(2090, 6, 1, 0, 0), 9);
    store.Add(&next, 0);
    EXPECT_NE(store.FindById(4), nullptr);
    EXPECT_EQ(store.FindById(2), nullptr);

    // An update that changes the programme moves it in the programme index at once.
    ReserveEntry moved = *store.FindById(1);
    moved.eventId = 0x77;
    ASSERT_EQ(store.Add(&moved, 0), 1);
    EXPECT_FALSE(store.ContainsProgramKey((0x0400u << 16) | 1));
    EXPECT_TRUE(store.ContainsProgramKey((0x0400u << 16) | 0x77));
    ASSERT_EQ(store.Remove(1), 1);
    EXPECT_FALSE(store.ContainsProgramKey((0x0400u << 16) | 0x77));
    EXPECT_EQ(store.Count(), 2u);
}

TEST(ReserveListTest, RecordFiledUnderAnotherStartIsStillRemovedWhole) {
    // The scheduler files a record a minute before its start and then puts the start back; the
    // record stays under the earlier key until it is re-keyed.
    ReserveList store;
    const ReserveEntry a = Entry(L"A", At(2090, 5, 1, 21, 0), 1);
    const ReserveEntry b = Entry(L"B", At(2090, 5, 1, 20, 59), 2);
    store.Add(&a, 0);
    store.Add(&b, 0);
    ReserveEntry* record = store.FindById(1);
    record->start = At(2090, 5, 1, 20, 58);
    ASSERT_EQ(store.RekeyById(1), 1);
    record->start = At(2090, 5, 1, 21, 0);
    EXPECT_EQ(Titles(store), (std::vector<std::wstring>{L"A", L"B"}));
    ASSERT_EQ(store.Remove(1), 1);
    EXPECT_EQ(Titles(store), (std::vector<std::wstring>{L"B"}));
    EXPECT_EQ(store.Count(), 1u);
}

TEST(ReserveListTest, RekeyMovesBehindEqualStartsAndIgnoresUnknownIds) {
    ReserveList store;
    for (const auto& [title, hour] :
         {std::pair{L"A", 20}, std::pair{L"B", 21}, std::pair{L"C", 22}}) {
        const ReserveEntry entry = Entry(title, At(2090, 5, 1, hour, 0), 1);
        store.Add(&entry, 0);
    }
    EXPECT_EQ(store.RekeyById(99), 1);
    EXPECT_EQ(Titles(store), (std::vector<std::wstring>{L"A", L"B", L"C"}));
    store.FindById(1)->start.wHour = 21;
    ASSERT_EQ(store.RekeyById(1), 1);
    EXPECT_EQ(Titles(store), (std::vector<std::wstring>{L"B", L"A", L"C"}));
    EXPECT_EQ(store.At(1)->title, L"A");
    EXPECT_EQ(store.At(3), nullptr);
    store.Clear();
    EXPECT_EQ(store.Count(), 0u);
    EXPECT_EQ(store.FindById(2), nullptr);
}

TEST(ReserveListTest, StartKeyAndPastTest) {
    EXPECT_EQ(StartKey(At(2090, 5, 1, 9, 7)), L"209005010907");
    const platform::SYSTEMTIME now = At(2024, 5, 1, 21, 0);
    EXPECT_EQ(IsTimePast(now, At(2024, 5, 1, 20, 59)), 1);
    EXPECT_EQ(IsTimePast(now, now), 0);
    EXPECT_EQ(IsTimePast(now, At(2024, 5, 1, 21, 1)), 0);
    EXPECT_EQ(IsTimePast(now, At(2024, 2, 30, 0, 0)), 0);
}

}  // namespace
}  // namespace timer_core
