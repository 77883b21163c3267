#include "broadcast/epg_store.h"

#include <gtest/gtest.h>

namespace broadcast {
namespace {

ServiceRecord MakeService(std::uint16_t tsid, std::uint16_t sid, const wchar_t* name) {
    ServiceRecord s;
    s.transportStreamId = tsid;
    s.originalNetworkId = 4;
    s.serviceId = sid;
    s.serviceName = name;
    s.serviceType = 0x01;
    return s;
}

// A schedule with every kind of nested record, for the clearing tests.
std::unique_ptr<ServiceScheduleRecord> MakeSchedule(std::uint16_t sid) {
    auto schedule = std::make_unique<ServiceScheduleRecord>(sid);
    auto table = std::make_unique<EitTableRecord>();
    table->segments[0] = {1, 2};
    schedule->basicTables[0x50] = std::move(table);
    schedule->extendedTables[0x58] = std::make_unique<EitTableRecord>();
    schedule->events[7] = std::make_unique<EpgEventRecord>();
    schedule->extendedTexts[7] = L"extended";
    return schedule;
}

TEST(EpgStoreTest, PutServiceReplacesTheRecordOfItsKey) {
    EpgStore store;
    const ServiceRecord first = MakeService(0x4010, 101, L"first");
    const ServiceRecord second = MakeService(0x4010, 101, L"second");
    EXPECT_EQ(store.PutService(&first), 1);
    EXPECT_EQ(store.PutService(&second), 1);
    ASSERT_EQ(store.services.size(), 1u);
    const ServiceRecord& kept = *store.services.at(ServiceKey(0x4010, 101));
    EXPECT_EQ(kept.serviceName, L"second");
    EXPECT_EQ(kept.originalNetworkId, 4);
    EXPECT_EQ(kept.serviceType, 0x01);
    EXPECT_EQ(store.PutService(nullptr), 0);
    EXPECT_EQ(store.services.size(), 1u);
}

TEST(EpgStoreTest, SameServiceIdOnTwoStreamsIsTwoKeys) {
    EpgStore store;
    const ServiceRecord a = MakeService(0x4010, 101, L"a");
    const ServiceRecord b = MakeService(0x4011, 101, L"b");
    store.PutService(&a);
    store.PutService(&b);
    EXPECT_EQ(store.services.size(), 2u);
    EXPECT_NE(ServiceKey(0x4010, 101), ServiceKey(0x4011, 101));
    EXPECT_EQ(ServiceKey(0x4010, 101), 0x40100065u);
}

TEST(EpgStoreTest, EachClearEmptiesOnlyItsMap) {
    EpgStore store;
    const ServiceRecord s = MakeService(1, 2, L"s");
    store.PutService(&s);
    store.schedules[ServiceKey(1, 2)] = MakeSchedule(2);
    store.presentFollowing[ServiceKey(1, 2)] = std::make_unique<EventMapHolder>();
    store.presentFollowing[ServiceKey(1, 2)]->events[5] = std::make_unique<EpgEventRecord>();

    store.Clear();
    EXPECT_TRUE(store.schedules.empty());
    EXPECT_EQ(store.services.size(), 1u);
    EXPECT_EQ(store.presentFollowing.size(), 1u);
    store.ClearPresentFollowing();
    EXPECT_TRUE(store.presentFollowing.empty());
    EXPECT_EQ(store.services.size(), 1u);
    store.ClearServices();
    EXPECT_TRUE(store.services.empty());
}

}  // namespace
}  // namespace broadcast
