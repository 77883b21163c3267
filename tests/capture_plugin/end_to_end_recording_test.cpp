// The real FriioView with the real plug-in library on a synthetic broadcast, driven as the timer
// drives a recording in follow mode: the record request published under the viewer's process id,
// then 0x43D, 0x440, 0x43F and 0x43E posted to the plug-in window found through PostHwnd. The
// viewer's reception has errors and scrambled packets, so the error log grows tick by tick. The
// plug-in's EVENT, NowData and NextData objects carry the programmes on air, and a scripted
// extension of the present programme reaches EVENT.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "broadcast_sim/sim_time.h"
#include "broadcast_sim/time_builder.h"
#include "platform/clock.h"
#include "platform/code_page.h"
#include "platform/named_file_mapping.h"
#include "platform/paths.h"
#include "platform/private_profile.h"
#include "platform/registry.h"
#include "platform/window_messages.h"
#include "shared/plugin_posts.h"
#include "shared/shared_memory_block.h"
#include "shared/shared_memory_names.h"
#include "shared/shared_memory_readers.h"
#include "shared/window_message_ids.h"
#include "tests/capture_plugin/plugin_test_support.h"
#include "tests/capture_plugin/window_parts_environment.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/wait_until.h"
#include "tools/collection_world.h"
#include "tools/viewer_session.h"

namespace capture_plugin {
namespace {

namespace fs = std::filesystem;

constexpr double kViewerClockRate = 25.0;
constexpr std::uint32_t kChannel = 21;
constexpr std::uint16_t kService = 0x400;

// One service with an hour-long programme every hour; at 19:35 the programme of 19:00 runs over
// by half an hour and the one after it moves and shrinks to keep the schedule.
std::string Description() {
    std::string text = "channel\t21\t0x7F10\t0x7F10\t試験局\nservice\t0x400\t1\t局二十一\n";
    for (int hour = 17; hour <= 23; ++hour) {
        char line[160];
        std::snprintf(line, sizeof line,
                      "event\t%d\t2026-12-09 %02d:00:00\t3600\t番組%d時\t%d時の番組の説明です。\n",
                      hour, hour, hour, hour);
        text += line;
    }
    text += "change\t2026-12-09 19:35:00\t21\t0x400\t19\tresize\t5400\n";
    text += "change\t2026-12-09 19:35:00\t21\t0x400\t20\tmove\t2026-12-09 20:30:00\n";
    text += "change\t2026-12-09 19:35:00\t21\t0x400\t20\tresize\t1800\n";
    return text;
}

std::uintmax_t SizeOf(const fs::path& path) {
    std::error_code ec;
    const auto size = fs::file_size(path, ec);
    return ec ? 0 : size;
}

int CountLines(const std::string& text) {
    int lines = 0;
    for (std::size_t at = text.find("\r\n"); at != std::string::npos;
         at = text.find("\r\n", at + 2))
        ++lines;
    return lines;
}

class EndToEndRecordingTest : public ::testing::Test {
  protected:
    void SetUp() override {
        tools::ViewerFolderOptions options;
        options.broadcastDescription = Description();
        options.channelsIni = L"[東京]\r\n21=試験２１\r\n";
        options.bitsPerSecond = 4000000;
        ASSERT_TRUE(world_.PrepareViewerFolder(options));
        const std::wstring viewerIni = platform::FromNativePath(
            (world_.ViewerPath().parent_path() / "FriioView.ini").native());
        platform::WritePrivateProfileStringW(L"Device0", L"ErrorsPerMinute", L"12",
                                             viewerIni.c_str());
        platform::WritePrivateProfileStringW(L"Device0", L"ScrambledPercent", L"5",
                                             viewerIni.c_str());
        for (const char* name :
             {"HOME", "XDG_CONFIG_HOME", "XDG_DOCUMENTS_DIR", "ORVANDEL_SIM_CLOCK"})
            env_.Preserve(name);
        world_.ExportEnvironment(broadcast_sim::JstTime(2026, 12, 9, 19, 30, 0), kViewerClockRate);
        clock_ = *platform::ParseSimClockSetting(std::getenv("ORVANDEL_SIM_CLOCK"));
        recordings_ = root_.Root() / "e2e" / "recordings";
        fs::create_directories(recordings_);
        auto friio = platform::RegistryKey::Create(L"Software\\Friio");
        friio->SetString(L"SavePath", platform::FromNativePath(recordings_.native()));
        friio->SetString(L"Area", L"東京");
        ASSERT_TRUE(session_.Start(platform::FromNativePath(world_.ViewerPath().native()), 0));
        ASSERT_NE(session_.WaitForPluginWindow(20000), 0u);
    }
    void TearDown() override { session_.Close(); }

    // The viewer's (simulated) local time.
    platform::SYSTEMTIME ViewerNow() const {
        const double unixNow =
            std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch())
                .count();
        const double elapsed = (unixNow - clock_.anchorUnixSeconds) * clock_.rate;
        return broadcast_sim::ToCalendar(clock_.startLocal +
                                         static_cast<std::uint64_t>(elapsed * 1e7));
    }
    int ViewerMinuteSecond() const {
        const platform::SYSTEMTIME t = ViewerNow();
        return t.wMinute * 60 + t.wSecond;
    }
    // Real milliseconds for a span of the viewer's clock.
    static int RealMs(double clockSeconds) {
        return static_cast<int>(clockSeconds * 1000 / kViewerClockRate);
    }

    void Publish(const std::wstring& name, std::uint32_t minutes, std::int32_t margin) {
        const auto request = window_parts_test::MakeRecordRequest(
            name, {kChannel, kService, 19, minutes, 0, margin});
        ASSERT_EQ(rec_.WriteRec(request, session_.Pid()), 1);
    }

    std::optional<shared::PluginEventInfo> Event() const {
        shared::PluginEventInfo info;
        if (!shared::ReadPluginEvent(session_.Pid(), &info)) return std::nullopt;
        return info;
    }
    // NowData or NextData: the text up to its first zero byte. The plug-in publishes both anew
    // after every SI packet, so a reader finds them between two publications only: it tries
    // again.
    static std::string ProgramText(std::string_view name) {
        std::string bytes(shared::kProgramTextSize, '\0');
        const auto read = [&] {
            return platform::ReadNamedMapping(
                name, {reinterpret_cast<std::uint8_t*>(bytes.data()), bytes.size()});
        };
        if (!test_support::WaitUntil(read)) return {};
        return bytes.substr(0, bytes.find('\0'));
    }

    // Waits until the file has not grown for `quietClockSeconds` of the viewer's clock; the
    // viewer time of its last growth, or -1.
    int WaitUntilStopped(const fs::path& file, double quietClockSeconds, int timeoutMs) {
        std::uintmax_t size = SizeOf(file);
        int changedAt = ViewerMinuteSecond();
        const bool quiet = test_support::WaitUntil(
            [&] {
                const int now = ViewerMinuteSecond();
                if (SizeOf(file) != size) {
                    size = SizeOf(file);
                    changedAt = now;
                }
                return now - changedAt > quietClockSeconds;
            },
            timeoutMs);
        return quiet ? changedAt : -1;
    }
    // Waits until the viewer's clock has moved on by `clockSeconds`.
    bool WaitForViewerClock(int clockSeconds) {
        const int from = ViewerMinuteSecond();
        return test_support::WaitUntil([&] { return ViewerMinuteSecond() - from >= clockSeconds; },
                                       RealMs(clockSeconds) + 10000);
    }

    plugin_test::PluginWorld root_;
    test_support::ScopedEnvironment env_;  // the viewer's environment, this test's only
    tools::CollectionWorld world_{root_.Root() / "e2e", fs::path(FRIIO_PLUGIN_PATH).parent_path()};
    platform::SimClockSetting clock_;
    fs::path recordings_;
    tools::ViewerSession session_;
    shared::SharedMemoryBlock rec_;
};

TEST_F(EndToEndRecordingTest, RecordsLogsFollowsTheLengthWritesTheProgrammeAndStops) {
    // The programmes on air and next, as the plug-in publishes them.
    ASSERT_TRUE(test_support::WaitUntil([&] { return Event().has_value(); }, 20000));
    shared::PluginEventInfo info = *Event();
    platform::HWND pluginWindow = 0;
    ASSERT_EQ(shared::ReadPluginPostHwnd(session_.Pid(), &pluginWindow), 1);
    EXPECT_EQ(info.pluginWindow, pluginWindow);
    EXPECT_EQ(info.viewerWindow, session_.ViewerWindow());
    EXPECT_EQ(info.channel, kChannel);
    EXPECT_EQ(info.serviceId, kService);
    EXPECT_EQ(info.eventId, 19);
    EXPECT_EQ(info.start.wHour, 19);
    EXPECT_EQ(info.durationMinutes, 60);
    EXPECT_EQ(info.nextEventId, 20);
    EXPECT_EQ(info.nextStart.wHour, 20);
    EXPECT_EQ(info.nextStart.wMinute, 0);
    // The station's name comes with the service table, which may follow the first events.
    const std::string station = "station: " + platform::WideToShiftJis(L"局二十一") + "\r\n";
    std::string now;
    EXPECT_TRUE(test_support::WaitUntil([&] {
        now = ProgramText(shared::kNowDataName);
        return now.find(station) != std::string::npos;
    }));
    EXPECT_NE(now.find("start: 19:00\r\nend: 20:00\r\nprogram-title: " +
                       platform::WideToShiftJis(L"番組19時") + "\r\n"),
              std::string::npos);
    EXPECT_TRUE(test_support::WaitUntil([&] {
        return ProgramText(shared::kNextDataName).find("start: 20:00\r\nend: 21:00\r\n") !=
               std::string::npos;
    }));

    // A one-minute recording with a margin of 5 s, its programme text, then 2 minutes.
    const std::wstring name = L"夜の番組 19時.ts";
    Publish(name, 1, 5);
    ASSERT_EQ(shared::PostPluginStartRec(session_.Pid(), kChannel, kService), 1);
    ASSERT_EQ(shared::PostPluginRequestProgramText(session_.Pid()), 1);
    const fs::path recording = recordings_ / platform::ToNativePath(name);
    const fs::path log = recordings_ / platform::ToNativePath(name + L".err");
    const fs::path program = recordings_ / platform::ToNativePath(name + L".program.txt");
    ASSERT_TRUE(test_support::WaitUntil([&] { return SizeOf(recording) > 0; }, 20000));
    const int started = ViewerMinuteSecond();
    ASSERT_TRUE(test_support::WaitUntil([&] { return SizeOf(program) > 0; }, 20000));
    EXPECT_EQ(plugin_test::ReadFile(program).rfind(
                  platform::WideToShiftJis(
                      L"2026/12/09(水) 19:00～20:00\r\n\r\n番組19時\r\n\r\n19時の番組の説明です。"),
                  0),
              0u);
    ASSERT_TRUE(test_support::WaitUntil([&] { return SizeOf(log) > 0; }, RealMs(30) + 5000));
    ASSERT_EQ(shared::PostPluginUpdateRecLength(session_.Pid(), 2, 5), 1);

    // Still recording past the first minute; stopped by the viewer after two.
    const int stoppedAt = WaitUntilStopped(recording, 10, RealMs(200) + 10000);
    ASSERT_GE(stoppedAt, 0);
    EXPECT_GE(stoppedAt - started, 110);
    EXPECT_LE(stoppedAt - started, 135);

    // The error log: the first line at once, then one line per tick as the counts change. The
    // stop is sent, so that it has been handled when the call returns.
    const int logged = ViewerMinuteSecond() - started;
    platform::SendMessageW(pluginWindow, shared::WM_PLUGIN_REC_STOP, 0, 0);
    const std::string lines = plugin_test::ReadFile(log);
    EXPECT_EQ(lines.rfind("2026/12/09 19:", 0), 0u);
    EXPECT_NE(lines.find(" Scramble:0 Card:DTV_CARD_OK\r\n"), std::string::npos);
    EXPECT_GE(CountLines(lines), logged / 15 - 2);
    EXPECT_LE(CountLines(lines), logged / 15 + 1);
    ASSERT_TRUE(WaitForViewerClock(20));           // more than a tick of the log timer
    EXPECT_EQ(plugin_test::ReadFile(log), lines);  // 0x43E ended the log

    // A name with characters file names cannot hold: recorded under the sanitised name; its
    // side files would need the name as it is and are left out. 0x43E stops it.
    Publish(L"録画: 試験/2?.ts", 30, 5);
    ASSERT_EQ(shared::PostPluginStartRec(session_.Pid(), kChannel, kService), 1);
    const fs::path sanitised = recordings_ / platform::ToNativePath(L"録画： 試験／2？.ts");
    ASSERT_TRUE(test_support::WaitUntil([&] { return SizeOf(sanitised) > 0; }, 20000));
    ASSERT_EQ(shared::PostPluginStopRec(session_.Pid()), 1);
    EXPECT_GE(WaitUntilStopped(sanitised, 5, 10000), 0);
    EXPECT_EQ(std::distance(fs::directory_iterator(recordings_), fs::directory_iterator()), 4);

    // At 19:35 the programme runs over: EVENT carries the longer present programme at once, and
    // the moved following one as soon as its section has come too.
    ASSERT_TRUE(test_support::WaitUntil(
        [&] {
            const auto e = Event();
            return e && e->durationMinutes == 90 && e->nextStart.wMinute == 30;
        },
        RealMs(std::max(0, 35 * 60 - ViewerMinuteSecond())) + 10000));
    info = *Event();
    EXPECT_EQ(info.eventId, 19);
    EXPECT_EQ(info.nextEventId, 20);
    EXPECT_EQ(info.nextStart.wHour, 20);
    EXPECT_EQ(info.nextStart.wMinute, 30);
    EXPECT_EQ(info.nextDurationMinutes, 30);
    // The texts are published after the event record.
    EXPECT_TRUE(test_support::WaitUntil([&] {
        return ProgramText(shared::kNowDataName).find("end: 20:30\r\n") != std::string::npos;
    }));
}

// Names longer than the file system takes (255 bytes on Linux, counted in UTF-8): the recording
// is made under a shortened name that leaves room for ".program.txt", and its error log and
// programme text take that same name, so the three lie side by side.
TEST_F(EndToEndRecordingTest, AnOverLongNameIsShortenedForTheRecordingAndItsSideFilesAlike) {
    ASSERT_TRUE(test_support::WaitUntil([&] { return Event().has_value(); }, 20000));
    std::wstring kanji;
    for (int i = 0; i < 43; ++i)
        kanji += L"番組";
    struct Case {
        std::wstring requested;
        std::wstring recorded;  // 255 - 12 bytes at most, the extension kept
    };
    const Case cases[] = {
        {std::wstring(300, L'a') + L".ts", std::wstring(240, L'a') + L".ts"},
        {kanji + L".ts", kanji.substr(0, 80) + L".ts"},
    };
    for (const Case& c : cases) {
        Publish(c.requested, 30, 5);
        ASSERT_EQ(shared::PostPluginStartRec(session_.Pid(), kChannel, kService), 1);
        ASSERT_EQ(shared::PostPluginRequestProgramText(session_.Pid()), 1);
        const fs::path recording = recordings_ / platform::ToNativePath(c.recorded);
        const fs::path log = recordings_ / platform::ToNativePath(c.recorded + L".err");
        const fs::path program = recordings_ / platform::ToNativePath(c.recorded + L".program.txt");
        ASSERT_TRUE(test_support::WaitUntil([&] { return SizeOf(recording) > 0; }, 20000));
        ASSERT_TRUE(test_support::WaitUntil([&] { return SizeOf(program) > 0; }, 20000));
        ASSERT_TRUE(test_support::WaitUntil([&] { return SizeOf(log) > 0; }, RealMs(30) + 5000));
        EXPECT_EQ(plugin_test::ReadFile(program).rfind(
                      platform::WideToShiftJis(L"2026/12/09(水) 19:00～20:00\r\n"), 0),
                  0u);
        EXPECT_NE(plugin_test::ReadFile(log).find(" Card:DTV_CARD_OK\r\n"), std::string::npos);
        ASSERT_EQ(shared::PostPluginStopRec(session_.Pid()), 1);
        EXPECT_GE(WaitUntilStopped(recording, 5, 10000), 0);
    }
    // Nothing else: no file under any other name.
    EXPECT_EQ(std::distance(fs::directory_iterator(recordings_), fs::directory_iterator()), 6);
}

}  // namespace
}  // namespace capture_plugin
