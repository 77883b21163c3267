// The merge of one channel's services into ChSet.txt and ChSet2.txt.
#include "capture_plugin/channel_table_merge.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "platform/code_page.h"
#include "platform/paths.h"
#include "shared/ch_set2_file.h"
#include "tests/capture_plugin/plugin_test_support.h"

namespace capture_plugin {
namespace {

void AddService(broadcast::EpgStore& store, std::uint16_t tsid, std::uint16_t sid,
                std::uint8_t type, const std::wstring& name) {
    broadcast::ServiceRecord service;
    service.transportStreamId = tsid;
    service.serviceId = sid;
    service.serviceType = type;
    service.serviceName = name;
    store.PutService(&service);
}

class ChannelTableMergeTest : public ::testing::Test {
  protected:
    std::wstring Path(const char* name) {
        return platform::FromNativePath((world_.Root() / name).native());
    }
    std::string Read(const char* name) { return plugin_test::ReadFile(world_.Root() / name); }
    void Merge(const broadcast::EpgStore& store, int tsid, std::uint32_t channel) {
        MergeChannelTables(store, tsid, channel, Path("ChSet.txt"), Path("ChSet2.txt"));
    }

    plugin_test::PluginWorld world_;
};

TEST_F(ChannelTableMergeTest, TakesTheTvServicesOfTheStreamAndKeepsOtherChannels) {
    plugin_test::WriteFile(world_.Root() / "ChSet.txt", "B=5\r\nOLD=7\r\n");
    plugin_test::WriteFile(world_.Root() / "ChSet2.txt", "OLD\t7\t1\t9\r\n");
    broadcast::EpgStore store;
    AddService(store, 10, 1, 0x01, L"A");
    AddService(store, 10, 2, 0xA5, L"A");      // same name: one ChSet line, two ChSet2 lines
    AddService(store, 10, 3, 0xC0, L"DATA");   // not a TV service
    AddService(store, 11, 4, 0x01, L"OTHER");  // another stream
    AddService(store, 10, 5, 0x01, L"B");      // overwrites B=5
    Merge(store, 10, 27);
    EXPECT_EQ(Read("ChSet.txt"), "A=27\r\nB=27\r\nOLD=7\r\n");
    EXPECT_EQ(Read("ChSet2.txt"),
              "OLD\t7\t1\t9\r\nA\t27\t1\t10\r\nA\t27\t2\t10\r\nB\t27\t5\t10\r\n");
}

TEST_F(ChannelTableMergeTest, MergesOfTwoCollectionsAtOnceLoseNothing) {
    // The terrestrial and the BS/CS viewer merge into the same files at the same time.
    auto collect = [&](std::uint16_t firstTsid) {
        for (std::uint16_t tsid = firstTsid; tsid < firstTsid + 40; ++tsid) {
            broadcast::EpgStore store;
            AddService(store, tsid, 1, 0x01, L"S" + std::to_wstring(tsid));
            Merge(store, tsid, tsid);
        }
    };
    std::thread a(collect, 100);
    std::thread b(collect, 200);
    a.join();
    b.join();
    shared::ChSet2File chSet2;
    ASSERT_EQ(chSet2.Load(Path("ChSet2.txt")), 1);
    EXPECT_EQ(chSet2.entries().size(), 80u);
}

}  // namespace
}  // namespace capture_plugin
