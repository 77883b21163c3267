// The viewer's channel list as the plug-in loads it when its window is created: the tuner kind,
// the file and section, channel values, check marks, and the FriioID publication.
#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>

#include "capture_plugin/capture_texts.h"
#include "capture_plugin/quorvantel.h"
#include "shared/shared_memory_readers.h"
#include "tests/capture_plugin/plugin_test_support.h"

namespace capture_plugin {
namespace {

class ChannelListTest : public ::testing::Test {
  protected:
    void SetUp() override {
        world_.WriteChannelsIni(
            L"[東京]\r\n27=みなと総合\r\n26=教育\r\n[大阪]\r\n16=関西\r\n[BS110CS]\r\n1=wrong "
            L"file\r\n");
        world_.WriteBscsIni(L"[BS110CS]\r\n11727,4010=ＢＳみなと\r\n12034,4030=ＢＳさくら\r\n");
    }
    CQuorvantelDlg& Open(int tunerKind) {
        hostWindow_ = std::make_unique<plugin_test::HostWindow>(tunerKind);
        plugin_ = std::make_unique<CQuorvantel>(nullptr, world_.HostFolder());
        plugin_->Init(&host_, kDtvSdkVersion);
        plugin_->CreatePluginWindow(hostWindow_->hwnd());
        return plugin_->Window();
    }
    std::int32_t FriioId() {
        std::int32_t id = -1;
        shared::ReadPluginFriioId(static_cast<platform::DWORD>(::getpid()), &id);
        return id;
    }
    std::vector<std::pair<std::uint32_t, int>> Entries(const CQuorvantelDlg& dlg) {
        std::vector<std::pair<std::uint32_t, int>> entries;
        for (const ChannelItem& item : dlg.ChannelList())
            entries.emplace_back(item.channel, item.checked);
        return entries;
    }

    plugin_test::PluginWorld world_;
    plugin_test::FakeHost host_;
    std::unique_ptr<plugin_test::HostWindow> hostWindow_;
    std::unique_ptr<CQuorvantel> plugin_;
};

TEST_F(ChannelListTest, TerrestrialTunerReadsTheAreaSectionWithItsCheckMarks) {
    world_.SetArea(L"東京");
    world_.SetPluginSetting(L"27ch", L"0");
    world_.SetPluginSetting(L"26ch", L"1");
    CQuorvantelDlg& dlg = Open(1);
    EXPECT_EQ(Entries(dlg), (std::vector<std::pair<std::uint32_t, int>>{{27, 0}, {26, 1}}));
    EXPECT_EQ(dlg.ChannelList()[0].name, L"みなと総合");
    EXPECT_EQ(dlg.TunerKind(), 1);
    EXPECT_EQ(FriioId(), 1);
    EXPECT_TRUE(dlg.StatusText().empty());
}

TEST_F(ChannelListTest, BsCsAreaOnATerrestrialTunerFallsBackToTheLastTerrestrialArea) {
    world_.SetArea(L"bs110cs");
    world_.SetPluginSetting(L"DefArea", L"大阪");
    CQuorvantelDlg& dlg = Open(1);
    EXPECT_EQ(Entries(dlg), (std::vector<std::pair<std::uint32_t, int>>{{16, 1}}));
}

TEST_F(ChannelListTest, BsCsTunerReadsFrequencyAndStreamIdKeys) {
    world_.SetArea(L"東京");
    CQuorvantelDlg& dlg = Open(2);
    EXPECT_EQ(Entries(dlg), (std::vector<std::pair<std::uint32_t, int>>{
                                {(11727u << 16) | 0x4010, 1}, {(12034u << 16) | 0x4030, 1}}));
    EXPECT_EQ(FriioId(), 2);
}

TEST_F(ChannelListTest, AMissingSectionOrFileLeavesTheListEmptyAndSaysSo) {
    world_.SetArea(L"札幌");
    CQuorvantelDlg& dlg = Open(1);
    EXPECT_TRUE(dlg.ChannelList().empty());
    EXPECT_EQ(dlg.StatusText(), kChannelFileErrorText);
    EXPECT_EQ(FriioId(), 1);  // published all the same

    std::filesystem::remove(world_.ViewerFolder() / "bscs.ini");
    plugin_.reset();
    EXPECT_TRUE(Open(2).ChannelList().empty());
    EXPECT_EQ(plugin_->Window().StatusText(), kChannelFileErrorText);
    EXPECT_EQ(FriioId(), 2);
}

}  // namespace
}  // namespace capture_plugin
