// The real FriioView with the real plug-in library on a synthetic broadcast, driven from outside
// as the timer drives it: message 0x432 to the plug-in window found through PostHwnd, the
// Status object polled, the timer's data folder loaded as the timer loads it and compared with
// the broadcast, and a recording started in the viewer ending a second collection.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "broadcast/epg_records.h"
#include "broadcast_sim/broadcast_description_file.h"
#include "broadcast_sim/sim_time.h"
#include "broadcast_sim/time_builder.h"
#include "platform/clock.h"
#include "platform/code_page.h"
#include "platform/paths.h"
#include "shared/plugin_posts.h"
#include "shared/window_message_ids.h"
#include "tests/capture_plugin/plugin_test_support.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/wait_until.h"
#include "tests/support/wall_clock_hold.h"
#include "timer_core/epg/load_epg_data_files.h"
#include "tools/collection_world.h"
#include "tools/viewer_session.h"

namespace capture_plugin {
namespace {

constexpr double kViewerClockRate = 20.0;

struct ServiceLine {
    std::uint16_t id;
    std::uint8_t type;
    const char* name;
};

// Two channels; of their services only types 0x01 and 0xA5 are TV services for the tables.
std::string Description(const platform::SYSTEMTIME& start) {
    const struct {
        std::uint32_t channel;
        std::uint16_t tsid;
        std::vector<ServiceLine> services;
    } channels[] = {
        {21, 0x7F10, {{0x0400, 0x01, "局21a"}, {0x0401, 0xA5, "局21b"}, {0x0402, 0xC0, "局21c"}}},
        {24, 0x7F30, {{0x0410, 0x01, "局24a"}, {0x0411, 0x02, "局24b"}}},
    };
    const std::uint64_t first =
        broadcast_sim::StartOfDay(broadcast_sim::ToTimeValue(start)) - platform::kFileTimePerDay;
    std::string text;
    for (const auto& c : channels) {
        text += "channel\t" + std::to_string(c.channel) + "\t" + std::to_string(c.tsid) + "\t" +
                std::to_string(c.tsid) + "\t試験局\n";
        for (const ServiceLine& s : c.services) {
            text += "service\t" + std::to_string(s.id) + "\t" + std::to_string(s.type) + "\t" +
                    s.name + "\n";
            for (int hour = 0; hour < 24 * 10; ++hour) {
                const auto t = broadcast_sim::ToCalendar(
                    first + static_cast<std::uint64_t>(hour) * 3600 * platform::kFileTimePerSecond);
                char line[128];
                std::snprintf(line, sizeof line,
                              "event\t%d\t%04d-%02d-%02d %02d:00:00\t3600\t番組%d\n", hour + 1,
                              t.wYear, t.wMonth, t.wDay, t.wHour, hour + 1);
                text += line;
            }
        }
    }
    return text;
}

// The store holds the channel's services and, for its TV services, the programmes of the
// broadcast from the three-hour segment on air at `collected` (a time of the collection) on for
// seven days; nothing that is not in the broadcast.
void ExpectStoreHoldsChannel(const broadcast::EpgStore& store,
                             const broadcast_sim::ChannelBroadcast& channel,
                             std::uint64_t collected) {
    const std::uint64_t segment = collected - collected % (3 * 3600 * 10'000'000ULL);
    const std::uint64_t horizon = collected + 7 * platform::kFileTimePerDay;
    for (const broadcast_sim::ServiceSchedule& expected : channel.services) {
        const std::uint32_t key =
            broadcast::ServiceKey(channel.transport_stream_id, expected.service_id);
        ASSERT_TRUE(store.services.count(key)) << expected.service_id;
        EXPECT_EQ(store.services.at(key)->serviceName, expected.name);
        EXPECT_EQ(store.services.at(key)->serviceType, expected.service_type);
        if (expected.service_type != 0x01 && expected.service_type != 0xA5) continue;
        ASSERT_TRUE(store.schedules.count(key)) << expected.service_id;
        const broadcast::EventMap& events = store.schedules.at(key)->events;
        std::size_t inWindow = 0;
        for (const broadcast_sim::EventDescription& e : expected.events) {
            const std::uint64_t start = broadcast_sim::ToTimeValue(e.start);
            const auto found = events.find(e.event_id);
            if (found == events.end()) {
                EXPECT_FALSE(start >= segment && start < horizon) << "missing event " << e.event_id;
                continue;
            }
            ++inWindow;
            EXPECT_EQ(found->second->name, e.name);
            EXPECT_EQ(broadcast_sim::ToTimeValue(EventStart(*found->second)), start);
            EXPECT_EQ(found->second->durationHours, 1);
        }
        EXPECT_EQ(inWindow, events.size());  // nothing that is not in the broadcast
        EXPECT_GE(inWindow, 7u * 24u);
    }
}

class EndToEndCollectionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        start_ = broadcast_sim::JstTime(2026, 12, 9, 19, 30, 0);
        tools::ViewerFolderOptions options;
        options.broadcastDescription = Description(start_);
        options.channelsIni = L"[東京]\r\n21=試験２１\r\n24=試験２４\r\n";
        ASSERT_TRUE(world_.PrepareViewerFolder(options));
        for (const char* name :
             {"HOME", "XDG_CONFIG_HOME", "XDG_DOCUMENTS_DIR", "ORVANDEL_SIM_CLOCK"})
            env_.Preserve(name);
        world_.ExportEnvironment(start_, kViewerClockRate);
        broadcast_sim::DescriptionError error;
        const auto parsed =
            broadcast_sim::ParseBroadcastDescription(options.broadcastDescription, &error);
        ASSERT_TRUE(parsed.has_value());
        description_ = *parsed;
        ASSERT_TRUE(session_.Start(platform::FromNativePath(world_.ViewerPath().native()), 0));
        ASSERT_NE(session_.WaitForPluginWindow(20000), 0u);
    }

    // The Status values seen, each once, until `last` or `timeoutMs` of real time; polled as
    // the timer polls it.
    std::vector<std::int32_t> StatusesUntil(std::int32_t last, int timeoutMs) {
        std::vector<std::int32_t> seen;
        test_support::WaitUntil(
            [&] {
                const auto status = session_.Status();
                if (status && (seen.empty() || seen.back() != *status)) seen.push_back(*status);
                return !seen.empty() && seen.back() == last;
            },
            timeoutMs);
        return seen;
    }
    // Whether the Status reaches `status` within `timeoutMs`.
    bool ReachesStatus(std::int32_t status, int timeoutMs) {
        const auto seen = StatusesUntil(status, timeoutMs);
        return !seen.empty() && seen.back() == status;
    }

    plugin_test::PluginWorld root_;
    test_support::ScopedEnvironment env_;  // the viewer's environment, this test's only
    tools::CollectionWorld world_{root_.Root() / "e2e",
                                  std::filesystem::path(FRIIO_PLUGIN_PATH).parent_path()};
    platform::SYSTEMTIME start_;
    broadcast_sim::BroadcastDescription description_;
    tools::ViewerSession session_;
};

TEST_F(EndToEndCollectionTest, CollectsEveryChannelAndARecordingEndsTheNextCollection) {
    ASSERT_EQ(shared::PostPluginStartCapture(session_.Pid()), 1);
    const auto statuses = StatusesUntil(3, 60000);
    // 0 from the worker's start may still be seen first.
    std::vector<std::int32_t> collection = statuses;
    if (!collection.empty() && collection.front() == 0) collection.erase(collection.begin());
    ASSERT_EQ(collection, (std::vector<std::int32_t>{1, 3}));

    for (const broadcast_sim::ChannelBroadcast& channel : description_.channels) {
        const std::string name = "ch" + std::to_string(channel.channel) + "_epg.dat";
        SCOPED_TRACE(name);
        const std::string bytes = plugin_test::ReadFile(world_.CaptureFolder() / name);
        EXPECT_FALSE(bytes.empty());
        EXPECT_EQ(plugin_test::ReadFile(world_.DataFolder() / "EpgData" / name), bytes);
    }
    // The collection ends within the minute of real time waited above, 20 minutes of the clock
    // from 19:30: the 18:00 segment was on air throughout.
    broadcast::EpgStore store;
    ASSERT_EQ(timer_core::LoadEpgDataFiles(
                  platform::FromNativePath((world_.DataFolder() / "EpgData").native()), store),
              1);
    for (const broadcast_sim::ChannelBroadcast& channel : description_.channels) {
        SCOPED_TRACE(channel.channel);
        ExpectStoreHoldsChannel(store, channel, broadcast_sim::ToTimeValue(start_));
    }
    EXPECT_EQ(plugin_test::ReadFile(world_.DataFolder() / "ChSet.txt"),
              platform::WideToShiftJis(L"局21a=21\r\n局21b=21\r\n局24a=24\r\n"));
    EXPECT_EQ(plugin_test::ReadFile(world_.DataFolder() / "ChSet2.txt"),
              platform::WideToShiftJis(L"局21a\t21\t1024\t32528\r\n局21b\t21\t1025\t32528\r\n"
                                       L"局24a\t24\t1040\t32560\r\n"));

    // A second collection; the viewer starts recording in the middle of it. Meanwhile the
    // viewer's wall clock stands still: the collection must not reach its channels' 60 s before
    // the recording is noticed, however slowly a busy machine gets there.
    const auto viewerClockSetting =
        platform::ParseSimClockSetting(std::getenv("ORVANDEL_SIM_CLOCK"));
    ASSERT_TRUE(viewerClockSetting.has_value());
    platform::Clock viewerClock(viewerClockSetting);
    test_support::WallClockHold hold(viewerClock);
    ASSERT_EQ(shared::PostPluginStartCapture(session_.Pid()), 1);
    ASSERT_TRUE(ReachesStatus(1, 20000));
    ASSERT_TRUE(session_.PostToViewer(shared::WM_HOST_REC_START, shared::kHostRecStartFlag | 30));
    EXPECT_TRUE(ReachesStatus(0, 20000));
    session_.Close();
}

}  // namespace
}  // namespace capture_plugin
