// The record request and the start of a slot's recording: minutes and margins, the file name
// (also from hostile titles), the viewer's command line in fixed mode, and the plug-in asked
// again while it cannot be found in follow mode.
#include <gtest/gtest.h>

#include "platform/file_operations.h"
#include "shared/sanitize_file_name.h"
#include "shared/shared_memory_readers.h"
#include "shared/window_message_ids.h"
#include "tests/timer_core/record_thread_fixture.h"
#include "timer_core/recording/record_request.h"
#include "timer_core/recording/slot_recording_start.h"

namespace record_thread_test {
namespace {

namespace fs = std::filesystem;

class RecordRequestTest : public RecordThreadFixture {
  protected:
    ReserveEntry Entry(std::uint32_t minutes, std::uint32_t seconds) {
        ReserveEntry entry;
        entry.title = L"みなと夜のニュース";
        entry.start = Today(20, 0);
        entry.start.wSecond = 30;
        entry.durationMinutes = minutes;
        entry.durationSeconds = seconds;
        entry.channelValue = kMinato;
        entry.serviceId = 0x401;
        entry.eventId = 0x1234;
        return entry;
    }
    // The fixed-mode start of the slot's recording: -r and the viewer's arguments.
    std::pair<int, std::vector<std::string>> StartFixed(
        const std::shared_ptr<RecThreadSlot>& slot) {
        shared::SharedMemoryBlock block;
        int minutes = 0;
        EXPECT_EQ(timer_core::StartSlotRecording(&minutes, manager_, slot.get(), block), 1);
        EXPECT_TRUE(timer_core_test::WaitUntil([&] { return !Runs().empty(); }));
        const auto runs = Runs();
        EXPECT_EQ(ViewerOf(slot), runs.empty() ? 0u : runs.back().pid);
        return {minutes, runs.empty() ? std::vector<std::string>{} : runs.back().args};
    }
};

TEST_F(RecordRequestTest, MinutesRoundUpAStartedMinuteAndTheMarginHoldsBothSettingsAndFive) {
    shared::RecordRequest request;
    request.noErrLog = 7;  // the caller's
    const ReserveEntry halfMinute = Entry(29, 30);
    timer_core::BuildRecordRequest(&halfMinute, &request, manager_, 2);
    EXPECT_EQ(request.minutes, 30u);
    EXPECT_EQ(request.marginSeconds, 21);  // StartSec 15 + EndSec 1 + 5
    EXPECT_EQ(request.noErrLog, 7u);
    EXPECT_EQ(shared::RecordFileName(request), L"2026120420002-みなと夜のニュース.ts");
    EXPECT_EQ(request.channel, static_cast<std::uint32_t>(kMinato));
    EXPECT_EQ(request.serviceId, 0x401);
    EXPECT_EQ(request.eventId, 0x1234);
    EXPECT_EQ(request.start.wHour, 20);
    EXPECT_EQ(request.start.wSecond, 30);
    EXPECT_EQ(request.start.wMilliseconds, 0);

    const ReserveEntry whole = Entry(30, 0);
    timer_core::BuildRecordRequest(&whole, &request, manager_, 2);
    EXPECT_EQ(request.minutes, 30u);
    Set(L"NameManual", L"1");
    Set(L"StartSec", L"0");
    Set(L"EndSec", L"0");
    timer_core::BuildRecordRequest(&whole, &request, manager_, 2);
    EXPECT_EQ(shared::RecordFileName(request), L"みなと夜のニュース.ts");
    EXPECT_EQ(request.marginSeconds, 5);

    // The final minute's own request: the minutes as stored, the margin StartSec + 5.
    Set(L"StartSec", L"15");
    Set(L"NoErrLog", L"1");
    const auto final = timer_core::BuildFinalMinuteRequest(halfMinute, manager_.Settings(), 0);
    EXPECT_EQ(final.minutes, 29u);
    EXPECT_EQ(final.marginSeconds, 20);
    EXPECT_EQ(final.noErrLog, 1u);

    // Nothing to build from or into.
    timer_core::BuildRecordRequest(nullptr, &request, manager_, 0);
    timer_core::BuildRecordRequest(&whole, nullptr, manager_, 0);
}

TEST_F(RecordRequestTest, NoTitleLeadsOutOfTheRecordingFolder) {
    const std::wstring hostile[] = {L"../../etc/passwd",
                                    L"/",
                                    L"..",
                                    L"\\..\\..\\x",
                                    L"a\x01\x1F\x7F\nb\rc\td",
                                    L"\"quoted\" -o 9 -f \"x",
                                    std::wstring(600, L'長'),
                                    L""};
    for (const std::wstring& title : hostile) {
        for (int nameManual : {0, 1}) {
            ReserveEntry entry = Entry(30, 0);
            entry.title = title;
            const std::wstring name = timer_core::RecordingFileName(entry, nameManual, 0);
            EXPECT_EQ(name.find_first_of(L"/\\\""), std::wstring::npos);
            EXPECT_NE(name, L"..");
            EXPECT_TRUE(name.ends_with(L".ts"));
            const fs::path path(platform::ToNativePath(platform::JoinPath(L"/rec", name)));
            EXPECT_EQ(path.parent_path(), fs::path("/rec"));
        }
    }
}

// The request's name field holds 511 UTF-16 units: a longer title is cut, the extension stays,
// and a character beyond the BMP (two units) is never split.
TEST_F(RecordRequestTest, ALongTitleIsCutInTheRequestAndKeepsItsExtension) {
    const auto units = [](const std::wstring& name) {
        std::size_t count = 0;
        for (const wchar_t c : name)
            count += static_cast<std::uint32_t>(c) > 0xFFFF ? 2 : 1;
        return count;
    };
    shared::RecordRequest request;
    ReserveEntry entry = Entry(30, 0);
    entry.title = std::wstring(600, L'漢');
    timer_core::BuildRecordRequest(&entry, &request, manager_, 2);
    EXPECT_EQ(shared::RecordFileName(request),
              L"2026120420002-" + std::wstring(511 - 14 - 3, L'漢') + L".ts");
    const auto final = timer_core::BuildFinalMinuteRequest(entry, manager_.Settings(), 2);
    EXPECT_EQ(shared::RecordFileName(final), shared::RecordFileName(request));

    Set(L"NameManual", L"1");
    entry.title = std::wstring(300, L'\U0001F4FA');
    timer_core::BuildRecordRequest(&entry, &request, manager_, 2);
    const std::wstring name = shared::RecordFileName(request);
    EXPECT_EQ(name, std::wstring(254, L'\U0001F4FA') + L".ts");
    EXPECT_EQ(units(name), 511u);

    // A name that fits is left whole.
    entry.title = std::wstring(508, L'漢');
    timer_core::BuildRecordRequest(&entry, &request, manager_, 2);
    EXPECT_EQ(shared::RecordFileName(request), entry.title + L".ts");
}

TEST_F(RecordRequestTest, FixedModeRecordsForTheEffectiveMinutesWithTheMarginsInWholeMinutes) {
    const auto news = Add(L"みなと夜のニュース", Today(20, 0), 30, 0);
    const auto slot = Slot(news);
    {
        const std::lock_guard lock(manager_.DataLock());
        slot->deviceIndex = 1;
    }
    // 15 + 1 s of margin make one more minute.
    auto [minutes, args] = StartFixed(slot);
    EXPECT_EQ(minutes, 31);
    EXPECT_EQ(args, (std::vector<std::string>{"-n", "-c", "27", "-r", "31", "-x", "-f",
                                              "2026120420001-みなと夜のニュース.ts", "-d", "5",
                                              "-e", "-o", "1"}));
    EXPECT_EQ(DebugCount("recstart"), 1);

    // No margins: -r is the effective length, here cut at a chained programme that wins, and
    // one minute for the 5 s the viewer starts ahead of the programme.
    Set(L"StartSec", L"0");
    Set(L"EndSec", L"0");
    Set(L"NoErrLog", L"1");
    const auto later = Add(L"さくらドラマ", Today(20, 20), 30, 0, 5);
    {
        const std::lock_guard lock(manager_.DataLock());
        slot->chainedReserve = later;
        slot->chainedFlag = 1;
    }
    std::tie(minutes, args) = StartFixed(slot);
    EXPECT_EQ(minutes, 21);
    EXPECT_EQ(args, (std::vector<std::string>{"-n", "-c", "27", "-r", "21", "-x", "-f",
                                              "2026120420001-みなと夜のニュース.ts", "-d", "5",
                                              "-o", "1"}));
}

// A viewer that cannot be started leaves the slot without one (the recording phase then ends
// it) and says so, for which reservation.
TEST_F(RecordRequestTest, AFixedTimeViewerThatCannotStartLeavesTheSlotWithoutOne) {
    const auto news = Add(L"みなと夜のニュース", Today(20, 0), 30, 0);
    const auto slot = Slot(news);
    std::filesystem::remove(platform::ToNativePath(viewer_.Path()));
    shared::SharedMemoryBlock block;
    int minutes = 0;
    EXPECT_EQ(timer_core::StartSlotRecording(&minutes, manager_, slot.get(), block), 1);
    EXPECT_EQ(ViewerOf(slot), 0u);
    EXPECT_EQ(DebugCount("record thread: the recording viewer could not be started, ID " +
                         std::to_string(Read(news).id) + " みなと夜のニュース 2026/12/04 20:00"),
              1);
}

TEST_F(RecordRequestTest, NamedAfterTheTitleARecordingReplacesTheEarlierOneOfThatName) {
    Set(L"NameManual", L"1");
    const auto movie = Add(L"映画/前編", Today(20, 0), 30, 0);
    const fs::path earlier = recordings_ / platform::ToNativePath(L"映画／前編.ts");
    std::ofstream(earlier) << "earlier";
    const fs::path other = recordings_ / "other.ts";
    std::ofstream(other) << "other";
    const auto [minutes, args] = StartFixed(Slot(movie));
    EXPECT_EQ(args.at(7), "映画／前編.ts");
    EXPECT_FALSE(fs::exists(earlier));
    EXPECT_TRUE(fs::exists(other));
    EXPECT_EQ(minutes, 31);

    // Without a recording folder nothing is deleted (the viewer records elsewhere).
    auto friio = platform::RegistryKey::Open(L"Software\\Friio");
    friio->SetString(L"SavePath", L"");
    std::ofstream(earlier) << "earlier";
    StartFixed(Slot(movie));
    EXPECT_TRUE(fs::exists(earlier));
}

TEST_F(RecordRequestTest, WithoutThePlugInWindowTheStartIsPostedElevenTimes200msApart) {
    const auto news = Add(L"みなと夜のニュース", Today(20, 0), 30, 1);
    const auto slot = Slot(news);
    const platform::DWORD viewer = StartViewer();
    {
        const std::lock_guard lock(manager_.DataLock());
        slot->viewerProcessId = viewer;
        slot->deviceIndex = 0;
    }
    shared::SharedMemoryBlock block;
    int minutes = 0;
    const std::uint64_t begin = platform::GetTickCount64();
    EXPECT_EQ(timer_core::StartSlotRecording(&minutes, manager_, slot.get(), block), 1);
    const std::uint64_t took = platform::GetTickCount64() - begin;
    EXPECT_EQ(minutes, 30);
    EXPECT_EQ(DebugCount("rec faile"), 10);
    EXPECT_EQ(DebugCount("recstart"), 1);
    EXPECT_EQ(DebugCount("record thread: the plug-in of viewer " + std::to_string(viewer) +
                         " could not be asked to record, ID "),
              1);
    EXPECT_GE(took, 2000u);
    EXPECT_LT(took, 4000u);
    // The request was published all the same, with the margin of a start StartSec + 5 s ahead:
    // those 20 s, EndSec and the 5 s the plug-in takes off.
    shared::RecordRequest request;
    ASSERT_EQ(shared::ReadRecSharedMemory(viewer, &request), 1);
    EXPECT_EQ(request.minutes, 30u);
    EXPECT_EQ(request.marginSeconds, 26);
    EXPECT_EQ(request.noErrLog, 0u);
    EXPECT_EQ(Runs().size(), 1u);  // and no viewer started

    // Found at once: one post, then the programme text when NoInfoLog is 0.
    Set(L"NoInfoLog", L"0");
    FakePlugin plugin(viewer);
    EXPECT_EQ(timer_core::StartSlotRecording(&minutes, manager_, slot.get(), block), 1);
    ASSERT_TRUE(plugin.Messages().WaitFor(shared::WM_PLUGIN_WRITE_PROGRAM_TEXT));
    EXPECT_EQ(plugin.Messages().Count(shared::WM_PLUGIN_REC_START), 1);
    EXPECT_EQ(plugin.Messages().Of(shared::WM_PLUGIN_REC_START)[0].wParam, 27u);
    EXPECT_EQ(DebugCount("rec faile"), 10);
    EXPECT_EQ(timer_core::StartSlotRecording(&minutes, manager_, nullptr, block), 0);
}

}  // namespace
}  // namespace record_thread_test
