#include "tools/recording_day_plan.h"

#include "broadcast_sim/time_builder.h"
#include "platform/utf8.h"
#include "timer_core/scheduling/reserve_time.h"
#include "tools/world_plan.h"

namespace tools {
namespace {

constexpr int kYear = 2026;
constexpr int kMonth = 12;
constexpr int kDay = 4;
// Hourly programmes fill the days around the evening, so the guide is a complete week.
constexpr int kDaysBefore = 1;
constexpr int kDaysAfter = 8;
constexpr int kEveningFrom = 18;
constexpr int kEveningTo = 20;

platform::SYSTEMTIME At(int hour, int minute, int second = 0) {
    return broadcast_sim::JstTime(kYear, kMonth, kDay, hour, minute, second);
}

std::uint64_t Clock(const platform::SYSTEMTIME& time) {
    return timer_core::LocalFileTime(time);
}

struct Programme {
    std::uint16_t eventId;
    platform::SYSTEMTIME start;
    int seconds;
    const char* title;
};

struct Channel {
    BroadcastChannel broadcast;
    const char* prefix;  // of the hourly programmes around the evening
    std::vector<Programme> evening;
};

constexpr std::uint32_t kMinato = 21;
constexpr std::uint32_t kSakura = 22;
constexpr std::uint32_t kBsMinato = (11727u << 16) | 0x4010;

const std::vector<Channel>& Channels() {
    static const std::vector<Channel> channels{
        {{kMinato, 0x7F10, 0x7F10, "みなと総合", 0x400, "みなと総合１"},
         "みなと",
         {{1, At(18, 0), 3960, "みなと夕方ワイド"},
          {2, At(19, 6), 120, "みなとニュース"},
          {3, At(19, 8), 360, "みなと天気と交通"},
          {4, At(19, 14), 120, "みなとスポーツ"},
          {5, At(19, 16), 2640, "みなと歌謡ショー"}}},
        {{kSakura, 0x7F18, 0x7F18, "さくらテレビ", 0x408, "さくらテレビ１"},
         "さくら",
         {{1, At(18, 0), 4320, "さくら夕方情報"},
          {2, At(19, 12), 120, "さくらドラマ"},
          {3, At(19, 14), 2760, "さくらバラエティ"}}},
        {{kBsMinato, 0x4010, 0x0004, "ＢＳみなと", 101, "ＢＳみなと１"},
         "ＢＳみなと",
         {{1, At(18, 0), 4020, "ＢＳ夕べの音楽"},
          {2, At(19, 7), 120, "ＢＳ世界紀行"},
          {3, At(19, 9), 240, "ＢＳ美術館"},
          {4, At(19, 13), 120, "ＢＳ調べの小箱"},
          {5, At(19, 15), 2700, "ＢＳ夜の映画"}}},
    };
    return channels;
}

// What the broadcasters change while the day runs: the news runs two minutes longer (told while
// it is on air) and the BS travel programme starts two minutes later (told shortly before).
const char* const kChanges[] = {
    "change\t2026-12-04 19:06:40\t21\t0x400\t2\tresize\t240",
    "change\t2026-12-04 19:06:40\t21\t0x400\t3\tmove\t2026-12-04 19:10:00",
    "change\t2026-12-04 19:06:40\t21\t0x400\t3\tresize\t240",
    "change\t2026-12-04 19:05:30\t0x2DCF4010\t101\t1\tresize\t4140",
    "change\t2026-12-04 19:05:30\t0x2DCF4010\t101\t2\tmove\t2026-12-04 19:09:00",
    "change\t2026-12-04 19:05:30\t0x2DCF4010\t101\t3\tmove\t2026-12-04 19:11:00",
    "change\t2026-12-04 19:05:30\t0x2DCF4010\t101\t3\tresize\t120",
};

const char* HourName(int hour) {
    if (hour < 5) return "深夜便";
    if (hour < 10) return "朝の情報";
    if (hour < 17) return "昼の番組";
    if (hour < 20) return "夕方の番組";
    return "夜の番組";
}

std::string Schedule(const Channel& channel) {
    const std::uint64_t first = Clock(broadcast_sim::JstTime(kYear, kMonth, kDay)) -
                                kDaysBefore * platform::kFileTimePerDay;
    const std::uint64_t eveningFrom = Clock(At(kEveningFrom, 0));
    const std::uint64_t eveningTo = Clock(At(kEveningTo, 0));
    std::string text;
    std::uint16_t filler = 1000;
    for (int hour = 0; hour < 24 * (kDaysBefore + kDaysAfter); ++hour) {
        const std::uint64_t at =
            first + static_cast<std::uint64_t>(hour) * timer_core::kFileTimePerHour;
        if (at == eveningFrom) {
            for (const Programme& p : channel.evening)
                text += EventLine(p.eventId, p.start, p.seconds, p.title);
        }
        if (at >= eveningFrom && at < eveningTo) continue;
        const platform::SYSTEMTIME start = timer_core::LocalSystemTime(at);
        text +=
            EventLine(filler++, start, 3600, std::string(channel.prefix) + HourName(start.wHour));
    }
    return text;
}

std::string Broadcast() {
    std::string text;
    for (const Channel& c : Channels()) {
        text += ChannelLines(c.broadcast) + Schedule(c);
    }
    for (const char* change : kChanges)
        text += std::string(change) + "\n";
    return text;
}

timer_core::ReserveEntry HandMade() {
    timer_core::ReserveEntry entry;
    entry.title = L"みなとスポーツ";
    entry.start = At(19, 14);
    entry.durationMinutes = 2;
    entry.channelName = L"みなと総合１";
    entry.channelValue = static_cast<std::int32_t>(kMinato);
    entry.serviceId = 0x400;
    entry.eventId = 4;
    entry.priority = 3;
    entry.follow = 0;
    return entry;
}

}  // namespace

RecordingDayPlan EveningPlan() {
    const std::vector<Channel>& channels = Channels();
    RecordingDayPlan plan;
    plan.clockStart = At(18, 57);
    plan.reservationsBy = At(19, 5);
    plan.dayEnd = At(19, 16, 30);
    plan.broadcast = Broadcast();
    UseThreeChannels(plan);
    plan.timerIni = {{L"Orvandel", L"Count", L"1"}, {L"Orvandel", L"0", L"19,0,1"}};
    // Title words on one channel each, in the evening hour.
    plan.conditions = {TitleWordCondition(L"ニュース", channels[0].broadcast, 19, 19, true),
                       TitleWordCondition(L"ドラマ", channels[1].broadcast, 19, 19, true),
                       TitleWordCondition(L"紀行", channels[2].broadcast, 19, 19, true)};
    plan.handMade = HandMade();
    plan.iepg = {L"BSDT101", L"ＢＳみなと１", L"ＢＳ調べの小箱", At(19, 13), 2, 4};
    plan.programmes = {
        {L"みなとニュース", "automatic (ニュース), two minutes longer on air", At(19, 6), 240},
        {L"ＢＳ世界紀行", "automatic (紀行), moved from 19:07 before it began", At(19, 9), 120},
        {L"さくらドラマ", "automatic (ドラマ), handed over to みなとスポーツ", At(19, 12), 120, 20},
        {L"ＢＳ調べの小箱", "iEPG file opened with a second Orvandel", At(19, 13), 120},
        {L"みなとスポーツ", "by hand in Program.txt, fixed time, after the drama on its tuner",
         At(19, 14), 120},
    };
    return plan;
}

SystemWorldOptions WorldOptionsFor(const RecordingDayPlan& plan) {
    SystemWorldOptions options = WorldOptionsOf(plan);
    options.viewer.bitsPerSecond = 2000000;
    options.pictures = true;
    return options;
}

}  // namespace tools
