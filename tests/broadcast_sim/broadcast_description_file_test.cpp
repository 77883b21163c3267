// Broadcast description files: every record kind, and malformed files refused with the line.
#include "broadcast_sim/broadcast_description_file.h"

#include <gtest/gtest.h>

#include "broadcast_sim/sim_time.h"
#include "broadcast_sim/time_builder.h"

namespace broadcast_sim {
namespace {

TEST(BroadcastDescriptionFileTest, ReadsEveryRecordKind) {
    const char* text =
        "# a comment\r\n"
        "\r\n"
        "channel\t782385168\t0x4010\t4\tＢＳテスト\r\n"
        "service\t101\t0x01\tＢＳテスト１\r\n"
        "event\t0x1001\t2026-12-09T23:30:00\t5400\t映画「夜」[字]\t一行目\\n二行目\\\\\r\n"
        "item\t出演者\t山田太郎\r\n"
        "item\t\t，鈴木花子\r\n"
        "genre\t6\t0\r\n"
        "genre\t0xF\t0xE\t1\t2\r\n"
        "video\t1\t0xB3\t映像\r\n"
        "audio\t3\t7\r\n"
        "service\t102\t192\tデータ\r\n"
        "channel\t27\t0x7FE0\t0x7FE0\t地上\r\n"
        "change\t2026-12-09 23:00:00\t782385168\t101\t0x1001\treplace\r\n"
        "event\t0x1002\t2026-12-09 23:45:00\t600\t臨時\r\n"
        "change\t2026-12-09 23:10:00\t782385168\t101\t0x1002\tresize\t900\r\n";
    DescriptionError error;
    const auto d = ParseBroadcastDescription(text, &error);
    ASSERT_TRUE(d) << error.line << " " << std::string(error.message.begin(), error.message.end());
    ASSERT_EQ(d->channels.size(), 2u);
    const ChannelBroadcast& bs = d->channels[0];
    EXPECT_EQ(bs.channel, (11938u << 16) | 0x4010);
    EXPECT_EQ(bs.transport_stream_id, 0x4010);
    EXPECT_EQ(bs.original_network_id, 4);
    EXPECT_EQ(bs.ts_name, L"ＢＳテスト");
    ASSERT_EQ(bs.services.size(), 2u);
    EXPECT_EQ(bs.services[1].service_type, 192);
    const EventDescription& e = bs.services[0].events.at(0);
    EXPECT_EQ(e.event_id, 0x1001);
    EXPECT_EQ(ToTimeValue(e.start), ToTimeValue(JstTime(2026, 12, 9, 23, 30)));
    EXPECT_EQ(e.duration_seconds, 5400u);
    EXPECT_EQ(e.name, L"映画「夜」[字]");
    EXPECT_EQ(e.text, L"一行目\n二行目\\");
    ASSERT_EQ(e.extended_items.size(), 2u);
    EXPECT_EQ(e.extended_items[1].description, L"");
    ASSERT_EQ(e.genres.size(), 2u);
    EXPECT_EQ(e.genres[1].user2, 2);
    ASSERT_TRUE(e.component && e.audio);
    EXPECT_EQ(e.component->component_type, 0xB3);
    EXPECT_EQ(e.audio->sampling_rate, 7);
    EXPECT_EQ(d->channels[1].services.size(), 0u);

    ASSERT_EQ(d->changes.size(), 2u);
    EXPECT_EQ(d->changes[0].kind, ChangeKind::kReplace);
    EXPECT_EQ(d->changes[0].replacement.name, L"臨時");
    EXPECT_EQ(d->changes[1].kind, ChangeKind::kResize);

    // Both changes due: the replacement, then resized.
    const ChannelBroadcast changed =
        WithChangesUntil(bs, d->changes, ToTimeValue(JstTime(2026, 12, 9, 23, 10)));
    EXPECT_EQ(changed.services[0].events.at(0).event_id, 0x1002);
    EXPECT_EQ(changed.services[0].events.at(0).duration_seconds, 900u);
    EXPECT_EQ(NextChangeAfter(bs.channel, d->changes, ToTimeValue(JstTime(2026, 12, 9, 23, 5))),
              ToTimeValue(JstTime(2026, 12, 9, 23, 10)));
}

TEST(BroadcastDescriptionFileTest, MalformedFilesNameTheLine) {
    const struct {
        const char* text;
        int line;
    } cases[] = {
        {"service\t1\t1\tx\n", 1},                                            // no channel
        {"channel\t27\t1\t1\tx\nevent\t1\t2026-12-09 10:00:00\t60\tx\n", 2},  // no service
        {"channel\t27\t1\t1\n", 1},                                           // field missing
        {"channel\t27\t0x10000\t1\tx\n", 1},                                  // out of range
        {"channel\t27\t1\t1\tx\nservice\t1\t1\ts\nevent\t1\t2026-02-30 10:00:00\t60\tx\n", 3},
        {"channel\t27\t1\t1\tx\nservice\t1\t1\ts\nevent\t1\t2026-12-09 10:00:00\t6O\tx\n", 3},
        {"channel\t27\t1\t1\tx\nservice\t1\t1\ts\n"
         "event\t1\t2026-12-09 10:00:00\t60\tx\nevent\t2\t2026-12-09 09:00:00\t60\tx\n",
         4},                                                         // out of order
        {"channel\t27\t1\t1\tx\nchannel\t27\t2\t2\ty\n", 2},         // channel twice
        {"item\ta\tb\n", 1},                                         // no event
        {"change\t2026-12-09 10:00:00\t27\t1\t1\treplace\n", 2},     // no replacement
        {"change\t2026-12-09 10:00:00\t27\t1\t1\tstretch\t5\n", 1},  // unknown change
        {"programme\t1\n", 1},
    };
    for (const auto& c : cases) {
        DescriptionError error;
        EXPECT_FALSE(ParseBroadcastDescription(c.text, &error)) << c.text;
        EXPECT_EQ(error.line, c.line) << c.text;
        EXPECT_FALSE(error.message.empty());
    }
    DescriptionError error;
    EXPECT_FALSE(LoadBroadcastDescription(L"/nonexistent/broadcast.txt", &error));
    EXPECT_EQ(error.line, 0);
}

}  // namespace
}  // namespace broadcast_sim
