// What the main window and the program's start read from outside: iEPG files dropped on the
// window or named on the command line, Program.txt as another editor left it, the EpgData
// folder and the automatic reservations made from it with the help of ChSet.txt. Bad input
// shows its message, loses nothing and leaves the window usable.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <fstream>
#include <optional>
#include <string>

#include "broadcast_sim/collected_epg_data.h"
#include "platform/clock.h"
#include "platform/code_page.h"
#include "platform/paths.h"
#include "platform/whole_file.h"
#include "tests/support/fresh_folder.h"
#include "tests/support/scoped_environment.h"
#include "tests/timer_ui/main_window_fixture.h"
#include "timer_core/epg/auto_search_file.h"
#include "timer_core/reservations/program_line.h"
#include "timer_core/scheduling/reserve_time.h"
#include "timer_ui/main_window_texts.h"
#include "timer_ui/orvandel_app.h"
#include "ui/message_box.h"

namespace timer_ui_test {
namespace {

using timer_ui::COrvandelDlg;
namespace texts = timer_ui::texts;

class MainWindowFilesTest : public MainWindowTest {
  protected:
    // Drops the files on the window as the desktop does, in this order.
    void Drop(const std::vector<std::filesystem::path>& files) {
        auto* data = new QMimeData;
        QList<QUrl> urls;
        for (const std::filesystem::path& file : files)
            urls.push_back(QUrl::fromLocalFile(QString::fromStdString(file.string())));
        data->setUrls(urls);
        QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, data, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(&Window(), &enter);
        QDropEvent drop(QPointF(100, 100), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&Window(), &drop);
        delete data;
    }

    std::filesystem::path Iepg(const std::string& name, const std::wstring& title,
                               const platform::SYSTEMTIME& start, int minutes,
                               std::uint16_t eventId) {
        return WorkFile(name, IepgText(title, start, minutes, eventId));
    }

    // The window works on: a change of the first row's title through the change command's own
    // refusal path (no row selected) still answers.
    void ExpectUsable() {
        CloseNotice();
        ClickButton(Window(), COrvandelDlg::IDC_DELETE);
        EXPECT_EQ(OpenNotice(), texts::kCheckToDelete);
        CloseNotice();
    }
};

TEST_F(MainWindowFilesTest, ThreeDroppedFilesWithABadSecondAddTheFirstAndThirdAndShowOneMessage) {
    WriteChannelTables();
    WriteProgram({Reservation(L"港町ニュース", DaysAhead(1, 19), 30)});
    OpenWindow();
    CloseNotice();
    std::string version1 = IepgText(L"古い形式", DaysAhead(2, 12), 30, 0x4002);
    version1.replace(version1.find("version: 2"), 10, "version: 1");
    Drop({Iepg("first.tvpid", L"さくら紀行", DaysAhead(2, 20), 45, 0x4001),
          WorkFile("second.tvpid", version1),
          Iepg("third.tvpid", L"港の灯", DaysAhead(3, 22, 30), 90, 0x4003)});

    ASSERT_EQ(List().GetItemCount(), 3);
    EXPECT_EQ(RowTexts(1)[2], L"さくら紀行");
    EXPECT_EQ(RowTexts(2)[2], L"港の灯");
    EXPECT_NE(RowTexts(2)[0].find(L"22:30～00:00"), std::wstring::npos);
    EXPECT_EQ(RowTexts(1)[3], L"2");
    EXPECT_EQ(RowTexts(1)[4], L"する");
    EXPECT_EQ(List().GetItemData(1), 2);
    EXPECT_EQ(List().GetItemData(2), 3);
    EXPECT_EQ(OpenNotice(), texts::kIepgReadFailed);
    int boxes = 0;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && widget->windowTitle() == QStringLiteral("Orvandel メッセージ"))
            ++boxes;
    }
    EXPECT_EQ(boxes, 1);

    const auto entries = ProgramEntries();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[1].channelValue, kMinatoChannel);
    EXPECT_EQ(entries[1].channelName, L"みなと総合１");
    EXPECT_EQ(entries[1].eventId, 0x4001);
    EXPECT_EQ(entries[2].durationMinutes, 90u);
    EXPECT_EQ(entries[2].id, 3);
}

TEST_F(MainWindowFilesTest, HostileDroppedFilesAreRefusedOneByOneAndNothingIsLost) {
    WriteChannelTables();
    WriteProgram({Reservation(L"港町ニュース", DaysAhead(1, 19), 30)});
    OpenWindow();
    CloseNotice();

    const std::string valid = IepgText(L"港の灯", DaysAhead(2, 21), 30, 0x4100);
    std::string huge = valid;
    huge.insert(huge.find("program-title: "), std::string(2 << 20, 'x') + "\r\n");
    std::string binary(4096, '\0');
    for (std::size_t i = 0; i < binary.size(); ++i)
        binary[i] = static_cast<char>((i * 131 + 7) & 0xFF);
    // Numbers no programme has are refused, not wrapped into a reservation.
    std::string absurdYear = valid;
    absurdYear.replace(absurdYear.find("year: "), 10, "year: -2026");
    std::string absurdTime = valid;
    absurdTime.replace(absurdTime.find("month: "), absurdTime.find("end: ") - absurdTime.find("month: "),
                       "month: 13\r\ndate: 32\r\nstart: 25:61\r\n");
    std::string unknownService = valid;
    unknownService.replace(unknownService.find("DFS00400"), 8, "DFS0FFFF");
    std::filesystem::create_directories(PrivateRoot() / "work" / "folder.tvpid");
    const std::filesystem::path fifo = PrivateRoot() / "work" / "fifo.tvpid";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);

    const std::vector<std::pair<std::filesystem::path, std::wstring_view>> cases = {
        {WorkFile("huge.tvpid", huge), texts::kIepgReadFailed},
        {WorkFile("binary.tvpid", binary), texts::kIepgReadFailed},
        {WorkFile("year.tvpid", absurdYear), texts::kIepgReadFailed},
        {WorkFile("time.tvpid", absurdTime), texts::kIepgReadFailed},
        {PrivateRoot() / "work" / "folder.tvpid", texts::kIepgReadFailed},
        {fifo, texts::kIepgReadFailed},
        {PrivateRoot() / "work" / "missing.tvpid", texts::kIepgReadFailed},
        {WorkFile("unknown.tvpid", unknownService), texts::kPhysicalChannelNotFound},
    };
    for (const auto& [file, message] : cases) {
        Drop({file});
        EXPECT_EQ(OpenNotice(), message) << file;
        EXPECT_EQ(List().GetItemCount(), 1) << file;
        CloseNotice();
    }
    ASSERT_EQ(ProgramEntries().size(), 1u);
    EXPECT_EQ(ProgramEntries()[0].title, L"港町ニュース");

    // An end before the start within the hour is no length of thousands of years.
    std::string backwards = valid;
    backwards.replace(backwards.find("end: "), 10, "end: 21:00");
    backwards.replace(backwards.find("start: "), 12, "start: 21:40");
    Drop({WorkFile("backwards.tvpid", backwards)});
    ASSERT_EQ(ProgramEntries().size(), 2u);
    EXPECT_EQ(ProgramEntries()[1].durationMinutes, 0u);
    ExpectUsable();
}

TEST_F(MainWindowFilesTest, ADropWithoutChSet2HandlesNoFile) {
    OpenWindow();
    CloseNotice();
    Drop({Iepg("first.tvpid", L"さくら紀行", DaysAhead(2, 20), 45, 0x4001)});
    EXPECT_EQ(OpenNotice(), texts::kChannelListReadFailed);
    EXPECT_EQ(List().GetItemCount(), 0);
    EXPECT_TRUE(ProgramEntries().empty());
}

TEST_F(MainWindowFilesTest, ABrokenProgramFileShowsWhatCanBeReadAndTheWindowWorks) {
    std::string text = "\xEF\xBB\xBF;written by another editor\n";
    text += "2026/12/1\tbroken line without its columns\r\n";
    text += std::string("\x81\x82\x83\t\xFF\xFE\t\t\t\r\n");
    text += "garbage without a tab\r\n";
    timer_core::ReserveEntry kept = Reservation(L"残る予約", DaysAhead(1, 19), 30, 7);
    timer_core::ReserveEntry lfOnly = Reservation(L"改行だけの行", DaysAhead(1, 21), 30, 9);
    std::string lfLine = timer_core::FormatProgramLine(lfOnly);
    lfLine.replace(lfLine.size() - 2, 2, "\n");
    WriteFile(ProgramFile(), text + timer_core::FormatProgramLine(kept) + lfLine);
    OpenWindow();
    ASSERT_EQ(List().GetItemCount(), 2);
    EXPECT_EQ(RowTexts(0)[2], L"残る予約");
    EXPECT_EQ(RowTexts(1)[2], L"改行だけの行");
    ExpectUsable();
}

TEST_F(MainWindowFilesTest, AProgramFileThatCannotBeReadIsNeitherReplacedNorEmptied) {
    // A folder where the file should be: it can be neither read nor created.
    std::filesystem::create_directories(ProgramFile() / "inside");
    OpenWindow();
    EXPECT_EQ(List().GetItemCount(), 0);
    EXPECT_TRUE(std::filesystem::is_directory(ProgramFile() / "inside"));
    // The start's later messages replaced this one; a reload shows it again.
    Window().SendMessage(0x46F);
    EXPECT_EQ(OpenNotice(), texts::kReserveListNotFound);
    ExpectUsable();
}

// --- EPG data and automatic reservations -------------------------------------------------------

class AutoReservationTest : public MainWindowFilesTest {
  protected:
    // ch21_epg.dat of みなと総合 with a small schedule on both services, and a condition that
    // finds "さくら紀行" on both.
    void WriteEpgDataAndCondition() {
        broadcast_sim::ChannelBroadcast channel;
        channel.channel = kMinatoChannel;
        channel.transport_stream_id = kMinatoStream;
        channel.original_network_id = kMinatoStream;
        channel.ts_name = L"みなと総合";
        channel.services = {
            Service(kMinatoService, L"みなと総合１",
                    {{0x5001, L"さくら紀行　第１回", DaysAhead(1, 20)},
                     {0x5002, L"港町ニュース", DaysAhead(1, 21)},
                     {0x5003, L"さくら紀行　第２回", DaysAhead(2, 20)}}),
            Service(0x0401, L"みなと総合２", {{0x5101, L"さくら紀行　特別編", DaysAhead(1, 23)}})};
        std::filesystem::create_directories(DataFolder() / "EpgData");
        WriteFile(DataFolder() / "EpgData" / "ch21_epg.dat",
                  broadcast_sim::CollectEpgData(channel, platform::Clock::Instance().NowLocal()));

        timer_core::AutoSearchCondition condition;
        condition.andWords = L"さくら紀行";
        condition.genre = -1;
        condition.weekdays = {1, 1, 1, 1, 1, 1, 1};
        condition.serviceKeys = {(kMinatoStream << 16) | kMinatoService,
                                 (kMinatoStream << 16) | 0x0401};
        condition.priority = 4;
        condition.follow = 0;
        timer_core::AutoSearchFile file;
        file.conditions[0] = condition;
        ASSERT_EQ(file.Save(), 1);
    }

    struct Programme {
        std::uint16_t eventId;
        std::wstring name;
        platform::SYSTEMTIME start;
    };

    static broadcast_sim::ServiceSchedule Service(std::uint16_t id, const std::wstring& name,
                                                  const std::vector<Programme>& programmes) {
        broadcast_sim::ServiceSchedule service;
        service.service_id = id;
        service.name = name;
        for (const Programme& p : programmes) {
            broadcast_sim::EventDescription event;
            event.event_id = p.eventId;
            event.start = p.start;
            event.duration_seconds = 54 * 60;
            event.name = p.name;
            event.text = L"旅の記録";
            service.events.push_back(event);
        }
        return service;
    }
};

TEST_F(AutoReservationTest, HitsBecomeReservationsWithTheirConditionsPriorityAndFollow) {
    WriteEpgDataAndCondition();
    WriteFile(DataFolder() / "ChSet.txt",
              platform::WideToShiftJis(L"みなと総合１=21\r\nみなと総合２=21\r\n"));
    OpenWindow();
    EXPECT_EQ(OpenNotice(), L"");
    EXPECT_FALSE(Window().Store().schedules.empty());
    ASSERT_EQ(List().GetItemCount(), 3);
    EXPECT_EQ(RowTexts(0)[2], L"さくら紀行　第１回");
    EXPECT_EQ(RowTexts(0)[3], L"4");
    EXPECT_EQ(RowTexts(0)[4], L"しない");
    EXPECT_EQ(RowTexts(1)[1], L"みなと総合２");
    const auto entries = ProgramEntries();
    ASSERT_EQ(entries.size(), 3u);
    for (const auto& entry : entries)
        EXPECT_NE(entry.id, 0);

    // A reload finds the same programmes reserved and adds nothing.
    ClickButton(Window(), COrvandelDlg::IDC_EPG_RELOAD);
    EXPECT_EQ(List().GetItemCount(), 3);
    EXPECT_EQ(ProgramEntries().size(), 3u);
}

TEST_F(AutoReservationTest, AServiceChSetDoesNotKnowStopsTheRunWithItsMessage) {
    WriteEpgDataAndCondition();
    WriteFile(DataFolder() / "ChSet.txt", platform::WideToShiftJis(L"みなと総合１=21\r\n"));
    OpenWindow();
    EXPECT_EQ(OpenNotice(), texts::kChannelListReadFailed);
    // The hits before it stay in the store; neither saved nor listed yet.
    EXPECT_EQ(List().GetItemCount(), 0);
    EXPECT_TRUE(ProgramEntries().empty());
    {
        const std::lock_guard lock(Window().Manager().DataLock());
        EXPECT_EQ(Window().Manager().Reservations().Count(), 2u);
    }
    // The next save takes them along.
    Window().SendMessage(0x472);
    EXPECT_EQ(ProgramEntries().size(), 2u);
    ExpectUsable();
}

// The automatic reservations at the start save the store: a Program.txt that could not be read
// must not be replaced by them, nor hold the window.
class UnreadProgramFileTest : public AutoReservationTest {
  protected:
    void StartWithEpgData() {
        WriteEpgDataAndCondition();
        WriteFile(DataFolder() / "ChSet.txt",
                  platform::WideToShiftJis(L"みなと総合１=21\r\nみなと総合２=21\r\n"));
        OpenWindow();
        EXPECT_EQ(OpenNotice(), texts::kReserveListReadFailed);
        EXPECT_EQ(List().GetItemCount(), 0);
        // What saves the store says that it did not.
        CloseNotice();
        Window().SendMessage(0x472);
        EXPECT_EQ(OpenNotice(), texts::kReserveListSaveFailed);
        ExpectUsable();
    }
};

TEST_F(UnreadProgramFileTest, AFileBeyondTheBoundIsNotSavedOver) {
    WriteProgram({Reservation(L"港町ニュース", DaysAhead(1, 19), 30),
                  Reservation(L"港の灯", DaysAhead(2, 21), 30)});
    const std::uintmax_t written = std::filesystem::file_size(ProgramFile());
    std::filesystem::resize_file(ProgramFile(), platform::kMaxListFileBytes + 1);  // sparse
    StartWithEpgData();
    EXPECT_EQ(std::filesystem::file_size(ProgramFile()), platform::kMaxListFileBytes + 1);
    std::filesystem::resize_file(ProgramFile(), written);
    const auto entries = ProgramEntries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1].title, L"港の灯");
}

TEST_F(UnreadProgramFileTest, APipeInPlaceOfTheFileHoldsNothingUp) {
    std::filesystem::create_directories(DataFolder());
    ASSERT_EQ(::mkfifo(ProgramFile().c_str(), 0600), 0);
    StartWithEpgData();
    EXPECT_TRUE(std::filesystem::is_fifo(ProgramFile()));
}

TEST_F(AutoReservationTest, WithoutChSetNothingIsReserved) {
    WriteEpgDataAndCondition();
    OpenWindow();
    EXPECT_EQ(OpenNotice(), texts::kChannelListReadFailed);
    EXPECT_TRUE(ProgramEntries().empty());
}

TEST_F(AutoReservationTest, AMissingEpgDataFolderSaysSoAndReservesNothing) {
    WriteFile(DataFolder() / "ChSet.txt", platform::WideToShiftJis(L"みなと総合１=21\r\n"));
    timer_core::AutoSearchFile file;
    file.conditions[0].andWords = L"さくら紀行";
    file.Save();
    OpenWindow();
    EXPECT_EQ(OpenNotice(), texts::kEpgLoadFailed);
    EXPECT_TRUE(Window().Store().schedules.empty());
    EXPECT_TRUE(ProgramEntries().empty());
    ClickButton(Window(), COrvandelDlg::IDC_SEARCH);
    EXPECT_EQ(OpenNotice(), texts::kNoEpgForSearch);
    ExpectUsable();
}

// --- the command line
// ------------------------------------------------------------------------------

class CommandLineTest : public MainWindowFilesTest {
  protected:
    MessageBoxes boxes_;
};

TEST_F(CommandLineTest, QuotesAreRemovedAndOnlyQuotesCountAsNoFile) {
    EXPECT_EQ(timer_ui::COrvandelApp::IepgPathOf(L"\"/home/user/番組 表/a.tvpid\""),
              L"/home/user/番組 表/a.tvpid");
    EXPECT_EQ(timer_ui::COrvandelApp::IepgPathOf(L"\"\"\""), L"");
    EXPECT_EQ(timer_ui::COrvandelApp::IepgPathOf(L""), L"");
}

TEST_F(CommandLineTest, TheFilesProgrammeIsAppendedUnnumberedAndTheOldLinesStay) {
    WriteChannelTables();
    timer_core::ReserveEntry old = Reservation(L"港町ニュース", DaysAhead(1, 19), 30, 5);
    WriteProgram({old, old});
    const std::filesystem::path file = Iepg("a.tvpid", L"さくら紀行", DaysAhead(2, 20), 45, 0x4001);
    timer_ui::COrvandelApp::AddCommandLineReservation(platform::FromNativePath(file.native()));
    EXPECT_TRUE(boxes_.shown.empty());
    const auto entries = ProgramEntries();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].id, 5);
    EXPECT_EQ(entries[1].id, 5);
    EXPECT_EQ(entries[2].id, 0);
    EXPECT_EQ(entries[2].title, L"さくら紀行");
    EXPECT_EQ(entries[2].priority, 2);
    EXPECT_EQ(entries[2].follow, 1);
    EXPECT_EQ(entries[2].durationMinutes, 45u);
}

TEST_F(CommandLineTest, EachFailureHasItsModalBoxWithAnEmptyCaption) {
    const std::filesystem::path good = Iepg("a.tvpid", L"さくら紀行", DaysAhead(2, 20), 45, 0x4001);
    const auto add = [](const std::filesystem::path& path) {
        timer_ui::COrvandelApp::AddCommandLineReservation(platform::FromNativePath(path.native()));
    };
    add(PrivateRoot() / "work" / "missing.tvpid");
    add(good);  // no ChSet2.txt yet
    WriteChannelTables();
    std::string unknown = IepgText(L"さくら紀行", DaysAhead(2, 20), 45, 0x4001);
    unknown.replace(unknown.find("DFS00400"), 8, "DFS00999");
    add(WorkFile("unknown.tvpid", unknown));
    ASSERT_EQ(boxes_.shown.size(), 3u);
    EXPECT_EQ(boxes_.shown[0].text, texts::kIepgReadFailed);
    EXPECT_EQ(boxes_.shown[1].text, texts::kChannelSettingsReadFailed);
    EXPECT_EQ(boxes_.shown[2].text, texts::kPhysicalChannelNotFound);
    for (const ui::MessageBoxRequest& box : boxes_.shown) {
        EXPECT_EQ(box.caption, L"");
        EXPECT_EQ(box.owner, 0u);
    }
    EXPECT_TRUE(ProgramEntries().empty());
}

TEST_F(CommandLineTest, WithoutAUsableRuntimeFolderTheStartSaysWhyInABoxAndEnds) {
    // No XDG_RUNTIME_DIR, and both places of the runtime folder taken by links.
    const std::filesystem::path temp = test_support::FreshFolder("tmp");
    const std::filesystem::path cache = test_support::FreshFolder("cache");
    const std::filesystem::path shared = temp / ("orvandel-" + std::to_string(::getuid()));
    const std::filesystem::path own = cache / "orvandel-runtime";
    std::filesystem::create_directory_symlink(temp, shared);
    std::filesystem::create_directory_symlink(temp, own);
    {
        test_support::ScopedEnvironment env;
        env.Set("XDG_RUNTIME_DIR", std::nullopt);
        env.Set("TMPDIR", temp.string());
        env.Set("XDG_CACHE_HOME", cache.string());
        timer_ui::COrvandelApp app(L"", platform::FromNativePath(IniFile().native()));
        EXPECT_EQ(app.InitInstance(), ui::FALSE);
    }
    ASSERT_EQ(boxes_.shown.size(), 1u);
    EXPECT_EQ(boxes_.shown[0].caption, L"Orvandel");
    EXPECT_EQ(boxes_.shown[0].type, ui::MB_ICONERROR);
    EXPECT_EQ(boxes_.shown[0].text,
              std::wstring(texts::kRuntimeFolderRefused) +
                  platform::FromNativePath(shared.native()) + L": it is a symbolic link\n" +
                  platform::FromNativePath(own.native()) + L": it is a symbolic link");
    EXPECT_FALSE(std::filesystem::exists(ProgramFile()));
}

}  // namespace
}  // namespace timer_ui_test
