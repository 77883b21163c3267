#include "tools/soak_plan.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>

#include "broadcast_sim/time_builder.h"
#include "platform/utf8.h"
#include "timer_core/scheduling/reserve_time.h"
#include "tools/world_plan.h"

namespace tools {
namespace {

constexpr int kYear = 2026;
constexpr int kMonth = 12;
constexpr int kFirstDay = 7;  // a Monday
// The guide of the last day of the run still reaches a week ahead.
constexpr int kDaysBefore = 1;
constexpr int kDaysAfter = 8;
constexpr int kFirstRecordingHour = 4;
constexpr int kProgrammeSeconds = 180;

// A chained recording takes the tuner over this long before the first one's end: the hand-over
// rule for equal priorities with RecPriority 0.
constexpr int kHandOverSeconds = 20;

struct Keyword {
    int minute;  // of the hour
    const char* title;
    bool follow;
    int handOverSeconds = 0;
};

struct SoakChannel {
    BroadcastChannel broadcast;
    const char* prefix;  // of the programmes around the short ones
    const char* word;    // the condition's title word
    // The short programme of an hour, if any.
    std::function<std::optional<Keyword>(int hour)> keyword;
};

bool EvenHour(int hour) {
    return hour >= kFirstRecordingHour && hour % 2 == 0;
}

const std::vector<SoakChannel>& Channels() {
    static const std::vector<SoakChannel> channels{
        {{21, 0x7F10, 0x7F10, "みなと総合", 0x400, "みなと総合１"},
         "みなと",
         "ニュース",
         [](int hour) -> std::optional<Keyword> {
             if (hour < kFirstRecordingHour) return std::nullopt;
             // The drama of an even hour is chained behind the news on the same tuner.
             return Keyword{10, "みなとニュース", true, EvenHour(hour) ? kHandOverSeconds : 0};
         }},
        {{22, 0x7F18, 0x7F18, "さくらテレビ", 0x408, "さくらテレビ１"},
         "さくら",
         "ドラマ",
         [](int hour) -> std::optional<Keyword> {
             if (!EvenHour(hour)) return std::nullopt;
             return Keyword{13, "さくらドラマ", true};
         }},
        {{(11727u << 16) | 0x4010, 0x4010, 0x0004, "ＢＳみなと", 101, "ＢＳみなと１"},
         "ＢＳみなと",
         "紀行",
         [](int hour) -> std::optional<Keyword> {
             if (!EvenHour(hour)) return std::nullopt;
             return Keyword{10, "ＢＳ世界紀行", false};
         }},
    };
    return channels;
}

const char* PartOfDay(int hour) {
    if (hour < 5) return "深夜便";
    if (hour < 10) return "朝の情報";
    if (hour < 17) return "昼の番組";
    if (hour < 20) return "夕方の番組";
    return "夜の番組";
}

platform::SYSTEMTIME Plus(std::uint64_t base, std::uint64_t offset) {
    return timer_core::LocalSystemTime(base + offset);
}

// The channel's programmes hour by hour: a short one where the channel has one, the rest of the
// hour filled around it.
std::string Schedule(const SoakChannel& channel, int days, std::vector<SoakProgramme>& found) {
    const std::uint64_t first =
        timer_core::LocalFileTime(broadcast_sim::JstTime(kYear, kMonth, kFirstDay)) -
        kDaysBefore * platform::kFileTimePerDay;
    const std::uint64_t minute = timer_core::kFileTimePerMinute;
    std::string text;
    std::uint16_t eventId = 1;
    const auto add = [&](std::uint64_t at, int seconds, const std::string& title) {
        text += EventLine(eventId++, Plus(at, 0), seconds, title);
    };
    for (int index = 0; index < 24 * (kDaysBefore + days + kDaysAfter); ++index) {
        const std::uint64_t hourStart =
            first + static_cast<std::uint64_t>(index) * timer_core::kFileTimePerHour;
        const int hour = index % 24;
        const std::string filler = std::string(channel.prefix) + PartOfDay(hour);
        const std::optional<Keyword> keyword = channel.keyword(hour);
        if (!keyword) {
            add(hourStart, 3600, filler);
            continue;
        }
        const std::uint64_t start =
            hourStart + static_cast<std::uint64_t>(keyword->minute) * minute;
        add(hourStart, keyword->minute * 60, filler);
        if (hourStart >= first + kDaysBefore * platform::kFileTimePerDay) {
            found.push_back({platform::Utf8ToWide(keyword->title), channel.broadcast.value,
                             channel.broadcast.serviceId, eventId, Plus(start, 0),
                             kProgrammeSeconds, keyword->follow, keyword->handOverSeconds});
        }
        add(start, kProgrammeSeconds, keyword->title);
        add(start + kProgrammeSeconds * platform::kFileTimePerSecond,
            3600 - keyword->minute * 60 - kProgrammeSeconds, filler);
    }
    return text;
}

}  // namespace

SoakPlan SoakWeekPlan(double days) {
    const int wholeDays = static_cast<int>(std::ceil(days));
    SoakPlan plan;
    plan.clockStart = broadcast_sim::JstTime(kYear, kMonth, kFirstDay, 1, 57);
    for (const SoakChannel& channel : Channels()) {
        plan.broadcast +=
            ChannelLines(channel.broadcast) + Schedule(channel, wholeDays, plan.programmes);
        // The title word on its channel at any time.
        plan.conditions.push_back(TitleWordCondition(platform::Utf8ToWide(channel.word),
                                                     channel.broadcast, 0, 23,
                                                     channel.keyword(kFirstRecordingHour)->follow));
    }
    std::stable_sort(plan.programmes.begin(), plan.programmes.end(), [](auto& a, auto& b) {
        return timer_core::LocalFileTime(a.start) < timer_core::LocalFileTime(b.start);
    });
    UseThreeChannels(plan);
    plan.timerIni = {{L"Orvandel", L"Count", L"1"}, {L"Orvandel", L"0", L"2,0,1"}};
    return plan;
}

SystemWorldOptions SoakWorldOptions(const SoakPlan& plan, double clockRate) {
    SystemWorldOptions options = WorldOptionsOf(plan);
    options.clockRate = clockRate;
    // The tables follow the clock whatever the bitrate; what is left is filler, so a low bitrate
    // keeps a week of recordings small. The guide's carousel goes round in about 0.1 s of real
    // time, so an acquisition takes about as long at any rate.
    options.viewer.bitsPerSecond = 200000;
    options.viewer.scheduleCycleMs = std::max(10000, static_cast<int>(clockRate * 100));
    return options;
}

}  // namespace tools
