// ChSet2.txt on the timer side: which transport stream carries a service, by channel value or by
// network class.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "platform/code_page.h"
#include "tests/support/sandbox.h"
#include "timer_core/epg/ch_set2_list.h"

namespace timer_core {
namespace {

std::string Line(const std::wstring& name, int channel, int serviceId, int transportStreamId) {
    return platform::WideToShiftJis(name) + "\t" + std::to_string(channel) + "\t" +
           std::to_string(serviceId) + "\t" + std::to_string(transportStreamId) + "\r\n";
}

TEST(ChSet2ListTest, ClassesMeetAtFfffAndTheFirstEntryInKeyOrderAnswers) {
    ChSet2List list;
    // Service 0x0400 on a terrestrial channel (TS 0x7FE0) and on a BS channel (TS 0x4010); the
    // key order puts the BS entry first.
    list.Parse(Line(L"みなと総合", 27, 0x0400, 0x7FE0) +
               Line(L"さくらBS", 0x2DEF4010, 0x0400, 0x4010) +
               Line(L"境界", 0xFFFF, 0x0500, 0x7FE1) + Line(L"CS一", 0x30000000, 0x0600, 0x6020));
    int ts = 0;
    EXPECT_EQ(list.FindByService(1, 0x0400, &ts), 1);
    EXPECT_EQ(ts, 0x7FE0);
    EXPECT_EQ(list.FindByService(2, 0x0400, &ts), 1);
    EXPECT_EQ(ts, 0x4010);
    EXPECT_EQ(list.FindByService(1, 0x0500, &ts), 1);
    EXPECT_EQ(list.FindByService(2, 0x0500, &ts), 1);
    EXPECT_EQ(list.FindByService(3, 0x0500, &ts), 0);
    EXPECT_EQ(list.FindByService(3, 0x0600, &ts), 1);
    EXPECT_EQ(ts, 0x6020);
    EXPECT_EQ(list.FindByService(7, 0x0600, &ts), 1);  // any other class number is CS
    EXPECT_EQ(list.FindByService(2, 0x0600, &ts), 0);
    EXPECT_EQ(list.FindByService(1, 0x0400, nullptr), 0);

    EXPECT_EQ(list.FindByCodeAndService(27, 0x0400, &ts), 1);
    EXPECT_EQ(ts, 0x7FE0);
    EXPECT_EQ(list.FindByCodeAndService(28, 0x0400, &ts), 0);
    EXPECT_EQ(list.FindByCodeAndService(27, 0x0400, nullptr), 0);
    EXPECT_EQ(ChannelInNetworkClass(1, -1), true);
    EXPECT_EQ(ChannelInNetworkClass(2, 0x2FFFFFFF), true);
    EXPECT_EQ(ChannelInNetworkClass(2, 0x30000000), false);
}

TEST(ChSet2ListTest, FirstLineOfAKeyWinsAndShortLinesAreSkipped) {
    ChSet2List list;
    list.Parse(Line(L"みなと総合", 27, 0x0400, 0x7FE0) + Line(L"後の行", 30, 0x0400, 0x7FE0) +
               "two\t27\t1025\r\n" + Line(L"さくらテレビ", 22, 0x0408, 0x7FE8));
    ASSERT_EQ(list.entries().size(), 2u);
    const shared::ChSet2Entry& first = list.entries().at(ChSet2List::Key(0x7FE0, 0x0400));
    EXPECT_EQ(first.serviceName, L"みなと総合");
    EXPECT_EQ(first.channel, 27);
    EXPECT_EQ(ChSet2List::Key(0x7FE0, 0x0400), 0x7FE00400);
    EXPECT_EQ(ChSet2List::ParseLine("a\tb\tc\td", nullptr), 0);
}

TEST(ChSet2ListTest, LoadReadsTheFileAndAMissingFileLeavesTheListEmpty) {
    test_support::Sandbox sandbox;
    std::ofstream(sandbox.Native("ChSet2.txt"), std::ios::binary)
        << Line(L"みなと総合", 27, 0x0400, 0x7FE0);
    ChSet2List list;
    ASSERT_EQ(list.Load(sandbox.Wide("ChSet2.txt")), 1);
    EXPECT_EQ(list.entries().size(), 1u);
    EXPECT_EQ(list.Load(sandbox.Wide("missing.txt")), 0);
    EXPECT_TRUE(list.entries().empty());
    EXPECT_EQ(list.Load(L""), 0);
}

}  // namespace
}  // namespace timer_core
