#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "broadcast_sim/time_builder.h"
#include "capture_plugin/program_info.h"

namespace capture_plugin {
namespace {

using platform::SYSTEMTIME;

constexpr std::uint16_t kTsid = 0x7FE0;
constexpr std::uint16_t kService = 1024;

struct RecordedOutput : ProgramInfoOutput {
    void PublishNowData(std::string_view text) override { nowData.emplace_back(text); }
    void PublishNextData(std::string_view text) override { nextData.emplace_back(text); }
    void PublishEvent(const shared::PluginEventInfo& info) override { events.push_back(info); }
    void RefreshTexts() override { ++refreshes; }
    void WriteProgramTxt(const std::wstring& text) override { programTexts.push_back(text); }

    std::vector<std::string> nowData;
    std::vector<std::string> nextData;
    std::vector<shared::PluginEventInfo> events;
    std::vector<std::wstring> programTexts;
    int refreshes = 0;
};

class ProgramInfoTest : public ::testing::Test {
  protected:
    void AddEvent(std::uint16_t id, int hour, int minute, int durationMinutes,
                  const std::wstring& name) {
        auto e = std::make_unique<broadcast::EpgEventRecord>();
        e->serviceId = kService;
        e->eventId = id;
        e->startYear = 2009;
        e->startMonth = 1;
        e->startDay = 4;
        e->startHour = static_cast<std::uint8_t>(hour);
        e->startMinute = static_cast<std::uint8_t>(minute);
        e->durationHours = static_cast<std::uint8_t>(durationMinutes / 60);
        e->durationMinutes = static_cast<std::uint8_t>(durationMinutes % 60);
        e->name = name;
        auto& holder = store_.presentFollowing[broadcast::ServiceKey(kTsid, kService)];
        if (!holder) holder = std::make_unique<broadcast::EventMapHolder>();
        holder->events[id] = std::move(e);
    }

    void AddService(const std::wstring& name) {
        broadcast::ServiceRecord service;
        service.transportStreamId = kTsid;
        service.serviceId = kService;
        service.serviceName = name;
        store_.PutService(&service);
    }

    void UpdateAt(int hour, int minute, int second = 0) {
        const SYSTEMTIME now = broadcast_sim::JstTime(2009, 1, 4, hour, minute, second);
        platform::FILETIME time;
        ASSERT_TRUE(platform::SystemTimeToFileTime(&now, &time));
        context_.broadcastTime = platform::FileTimeToU64(time);
        info_.Update(store_, context_, out_);
    }

    broadcast::EpgStore store_;
    ProgramInfoContext context_{0, kTsid, kService, 27, 1, 11, 22};
    ProgramInfo info_;
    RecordedOutput out_;
};

TEST_F(ProgramInfoTest, NothingIsKnownWithoutBroadcastTimeEntryOrEventOnAir) {
    AddEvent(1, 20, 0, 60, L"夜のニュース");
    info_.Update(store_, context_, out_);  // broadcast time 0
    UpdateAt(22, 0);                       // no event on air
    context_.currentService = 1025;
    UpdateAt(20, 30);  // no entry for that service
    EXPECT_TRUE(out_.nowData.empty());
    EXPECT_EQ(out_.refreshes, 0);
    EXPECT_TRUE(info_.PresentText().empty());
}

TEST_F(ProgramInfoTest, PresentAndFollowingAreFoundAtTheEdgesOfTheWindow) {
    AddService(L"テレビ東西");
    AddEvent(5, 20, 0, 60, L"夜のニュース");
    AddEvent(6, 21, 0, 30, L"天気");
    UpdateAt(21, 0);  // still the first event, exactly at its end
    EXPECT_EQ(info_.PresentText().substr(0, 27), L"2009/01/04(日) 20:00～21:00\r\n");
    EXPECT_NE(info_.FollowingText().find(L"天気"), std::wstring::npos);
    ASSERT_EQ(out_.events.size(), 1u);
    const shared::PluginEventInfo& e = out_.events[0];
    EXPECT_EQ(e.status, 1);
    EXPECT_EQ(e.pluginWindow, 11u);
    EXPECT_EQ(e.viewerWindow, 22u);
    EXPECT_EQ(e.channel, 27u);
    EXPECT_EQ(e.serviceId, kService);
    EXPECT_EQ(e.eventId, 5);
    EXPECT_EQ(e.start.wHour, 20);
    EXPECT_EQ(e.durationMinutes, 60);
    EXPECT_EQ(e.nextEventId, 6);
    EXPECT_EQ(e.nextStart.wHour, 21);
    EXPECT_EQ(e.nextDurationMinutes, 30);
    EXPECT_EQ(out_.refreshes, 2);
    ASSERT_EQ(out_.nowData.size(), 1u);
    EXPECT_NE(out_.nowData[0].find("end: 21:00\r\n"), std::string::npos);
    ASSERT_EQ(out_.nextData.size(), 1u);
    EXPECT_NE(out_.nextData[0].find("start: 21:00\r\nend: 21:30\r\n"), std::string::npos);
}

TEST_F(ProgramInfoTest, LowerEventIdWinsWhenTwoWindowsHoldTheTime) {
    AddEvent(9, 20, 0, 60, L"後");
    AddEvent(3, 20, 30, 60, L"先");
    UpdateAt(20, 45);
    EXPECT_NE(info_.PresentText().find(L"先"), std::wstring::npos);
}

TEST_F(ProgramInfoTest, RepeatedRunsPublishIepgButRefreshAndEventOnlyOnRealChanges) {
    AddEvent(5, 20, 0, 60, L"News");
    AddEvent(6, 21, 0, 30, L"Weather");
    UpdateAt(20, 10);
    UpdateAt(20, 20);
    EXPECT_EQ(out_.nowData.size(), 2u);
    EXPECT_EQ(out_.nextData.size(), 2u);
    EXPECT_EQ(out_.events.size(), 1u);
    EXPECT_EQ(out_.refreshes, 2);
    // Texts that differ only in letter case change nothing.
    store_.presentFollowing.begin()->second->events[5]->name = L"NEWS";
    store_.presentFollowing.begin()->second->events[6]->name = L"weather";
    UpdateAt(20, 30);
    EXPECT_EQ(out_.events.size(), 1u);
    EXPECT_EQ(out_.refreshes, 2);
    // The present programme running over moves the following one: both change, EVENT follows.
    store_.presentFollowing.begin()->second->events[5]->durationHours = 1;
    store_.presentFollowing.begin()->second->events[5]->durationMinutes = 15;
    store_.presentFollowing.begin()->second->events[6]->startMinute = 15;
    UpdateAt(20, 40);
    ASSERT_EQ(out_.events.size(), 2u);
    EXPECT_EQ(out_.events[1].durationMinutes, 75);
    EXPECT_EQ(out_.events[1].nextStart.wMinute, 15);
}

// The present programme alone changes: the record goes out at once with the new times, the
// following fields as they were, whether the following programme still adjoins or not.
TEST_F(ProgramInfoTest, APresentProgrammeChangedWhileOnAirIsPublishedWithoutItsFollowing) {
    AddEvent(5, 20, 0, 60, L"News");
    AddEvent(6, 21, 0, 30, L"Weather");
    UpdateAt(20, 10);
    ASSERT_EQ(out_.events.size(), 1u);
    auto& events = store_.presentFollowing.begin()->second->events;
    // Runs 15 minutes longer; the weather stays at 21:00 (no following adjoins now).
    events[5]->durationHours = 1;
    events[5]->durationMinutes = 15;
    UpdateAt(20, 20);
    ASSERT_EQ(out_.events.size(), 2u);
    EXPECT_EQ(out_.events[1].eventId, 5);
    EXPECT_EQ(out_.events[1].durationMinutes, 75);
    EXPECT_EQ(out_.events[1].nextEventId, 6);
    EXPECT_EQ(out_.events[1].nextStart.wHour, 21);
    UpdateAt(20, 30);
    EXPECT_EQ(out_.events.size(), 2u);
    // Starts five minutes late and ends at 21:00 again: the following text is unchanged.
    events[5]->startMinute = 5;
    events[5]->durationHours = 0;
    events[5]->durationMinutes = 55;
    UpdateAt(20, 40);
    ASSERT_EQ(out_.events.size(), 3u);
    EXPECT_EQ(out_.events[2].start.wMinute, 5);
    EXPECT_EQ(out_.events[2].durationMinutes, 55);
    EXPECT_EQ(out_.refreshes, 4);  // the present text twice more, the following text not
}

// Until a following programme was found, the record is not published at all.
TEST_F(ProgramInfoTest, NoRecordIsPublishedBeforeAFollowingProgrammeWasFound) {
    AddEvent(5, 20, 0, 60, L"News");
    UpdateAt(20, 10);
    store_.presentFollowing.begin()->second->events[5]->durationMinutes = 10;
    UpdateAt(20, 20);  // 20:00-21:10 on air, nothing after it
    EXPECT_TRUE(out_.events.empty());
}

TEST_F(ProgramInfoTest, GapInTheScheduleKeepsTheFollowingProgrammeAsItWas) {
    AddEvent(5, 20, 0, 60, L"News");
    AddEvent(6, 21, 0, 30, L"Weather");
    UpdateAt(20, 10);
    store_.presentFollowing.begin()->second->events[6]->startMinute = 5;
    UpdateAt(20, 20);
    EXPECT_EQ(out_.nowData.size(), 2u);
    EXPECT_EQ(out_.nextData.size(), 1u);
    EXPECT_EQ(out_.events.size(), 1u);
    EXPECT_NE(info_.FollowingText().find(L"Weather"), std::wstring::npos);
}

TEST_F(ProgramInfoTest, ProgramTextIsWrittenOnceWhenTheRequestedEventIsOnAir) {
    AddEvent(5, 20, 0, 60, L"News");
    AddEvent(6, 21, 0, 30, L"Weather");
    info_.RequestProgramText(kService, 6);
    UpdateAt(20, 30);
    EXPECT_TRUE(out_.programTexts.empty());
    EXPECT_TRUE(info_.ProgramTextRequested());
    UpdateAt(21, 10);
    ASSERT_EQ(out_.programTexts.size(), 1u);
    EXPECT_EQ(out_.programTexts[0], info_.PresentText());
    EXPECT_FALSE(info_.ProgramTextRequested());
    UpdateAt(21, 11);
    EXPECT_EQ(out_.programTexts.size(), 1u);
    // A second request for the same event rewrites it while it is on air.
    info_.RequestProgramText(kService, 6);
    UpdateAt(21, 12);
    EXPECT_EQ(out_.programTexts.size(), 2u);
}

TEST_F(ProgramInfoTest, WindowCopiesWholeTextsWhileTheWorkerReplacesThem) {
    AddEvent(5, 20, 0, 60, std::wstring(4000, L'a'));
    AddEvent(6, 21, 0, 30, L"b");
    std::atomic<bool> stop{false};
    std::thread worker([&] {
        for (int i = 0; i < 2000; ++i) {
            auto& name = store_.presentFollowing.begin()->second->events[5]->name;
            name.assign(4000, i % 2 ? L'a' : L'b');
            UpdateAt(20, 30);
        }
        stop = true;
    });
    int copies = 0;
    while (!stop) {
        const std::wstring text = info_.PresentText();
        if (text.empty()) continue;
        ++copies;
        const std::size_t first = text.find(L"\r\n\r\n") + 4;
        ASSERT_EQ(text.find_first_not_of(text[first], first), first + 4000);
    }
    worker.join();
    EXPECT_GT(copies, 0);
}

}  // namespace
}  // namespace capture_plugin
