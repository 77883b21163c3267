#include "tests/timer_ui/main_window_fixture.h"

#include <QApplication>
#include <QTimer>
#include <fstream>
#include <sstream>

#include "platform/clock.h"
#include "platform/code_page.h"
#include "platform/known_folders.h"
#include "platform/paths.h"
#include "timer_core/reservations/program_line.h"
#include "timer_core/reservations/reserve_list.h"
#include "timer_core/scheduling/reserve_time.h"
#include "timer_ui/async_message_box.h"
#include "timer_ui/sleep_wait_dlg.h"
#include "ui/message_box_window.h"

namespace timer_ui_test {

platform::SYSTEMTIME MinutesFromNow(std::int64_t minutes) {
    const std::uint64_t now = platform::Clock::Instance().NowLocal();
    std::uint64_t moved = now + minutes * timer_core::kFileTimePerMinute;
    moved -= moved % timer_core::kFileTimePerMinute;
    return timer_core::LocalSystemTime(moved);
}

platform::SYSTEMTIME DaysAhead(int days, int hour, int minute) {
    platform::SYSTEMTIME day = MinutesFromNow(std::int64_t{days} * 24 * 60);
    day.wHour = static_cast<platform::WORD>(hour);
    day.wMinute = static_cast<platform::WORD>(minute);
    return day;
}

timer_core::ReserveEntry Reservation(const std::wstring& title, const platform::SYSTEMTIME& start,
                                     std::uint32_t minutes, std::int32_t id,
                                     std::uint16_t eventId) {
    timer_core::ReserveEntry entry;
    entry.title = title;
    entry.start = start;
    entry.start.wSecond = 0;
    entry.start.wMilliseconds = 0;
    entry.durationMinutes = minutes;
    entry.channelName = L"みなと総合１";
    entry.channelValue = kMinatoChannel;
    entry.serviceId = kMinatoService;
    entry.eventId = eventId;
    entry.priority = 2;
    entry.follow = 1;
    entry.id = id;
    return entry;
}

std::string IepgText(const std::wstring& title, const platform::SYSTEMTIME& start, int minutes,
                     std::uint16_t eventId) {
    const std::uint64_t end =
        timer_core::LocalFileTime(start) + minutes * timer_core::kFileTimePerMinute;
    const platform::SYSTEMTIME stop = timer_core::LocalSystemTime(end);
    wchar_t text[512];
    std::swprintf(text, std::size(text),
                  L"Content-type: application/x-tv-program-digital-info; charset=shift_jis\r\n"
                  L"version: 2\r\nstation: DFS%05X\r\nstation-name: みなと総合１\r\n"
                  L"year: %d\r\nmonth: %d\r\ndate: %d\r\nstart: %02d:%02d\r\nend: %02d:%02d\r\n"
                  L"program-title: %ls\r\nprogram-id: %d\r\n\r\n",
                  unsigned{kMinatoService}, start.wYear, start.wMonth, start.wDay, start.wHour,
                  start.wMinute, stop.wHour, stop.wMinute, title.c_str(), int{eventId});
    return platform::WideToShiftJis(text);
}

std::wstring OpenNotice() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* box = dynamic_cast<ui::MessageBoxWindow*>(widget);
        if (box != nullptr && box->GetSafeHwnd() != 0 && box->IsNonBlocking() &&
            box->GetWindowText() == timer_ui::AsyncMessageBox::kCaption) {
            return box->Text();
        }
    }
    return {};
}

// --- the fixture --------------------------------------------------------------------------------

void MainWindowTest::SetUp() {
    DialogTest::SetUp();
    std::error_code ec;
    std::filesystem::remove_all(PrivateRoot() / "work", ec);
    std::filesystem::create_directories(DataFolder());
    std::filesystem::create_directories(PrivateRoot() / "work");
    WriteIni("");
    powerFileStart_ = std::filesystem::file_size(PowerRequestFile(), ec);
    if (ec) powerFileStart_ = 0;
}

void MainWindowTest::TearDown() {
    if (window_) {
        window_->DestroyWindow();
        window_->FreeOwnedItems();
        window_.reset();
    }
    DialogTest::TearDown();
}

std::filesystem::path MainWindowTest::IniFile() const {
    return platform::ToNativePath(home_.IniPath());
}

std::filesystem::path MainWindowTest::DataFolder() const {
    return platform::ToNativePath(platform::GetDocumentsFolder()) /
           std::filesystem::path("Orvandel");
}

void MainWindowTest::WriteFile(const std::filesystem::path& path, const std::string& bytes) const {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

void MainWindowTest::WriteIni(const std::string& setSection) const {
    WriteFile(IniFile(), "[SET]\r\nTunerCount=1\r\nTunerCount2=0\r\n" + setSection);
}

void MainWindowTest::WriteProgram(const std::vector<timer_core::ReserveEntry>& entries) const {
    std::string text;
    for (const timer_core::ReserveEntry& entry : entries)
        text += timer_core::FormatProgramLine(entry);
    WriteFile(ProgramFile(), text);
}

void MainWindowTest::WriteChannelTables() const {
    WriteFile(DataFolder() / "ChSet.txt",
              platform::WideToShiftJis(L"さくらテレビ=22\r\nみなと総合１=21\r\n"));
    WriteFile(DataFolder() / "ChSet2.txt",
              platform::WideToShiftJis(L"みなと総合１\t21\t1024\t32528\r\n"
                                       L"さくらテレビ\t22\t1032\t32544\r\n"));
}

std::filesystem::path MainWindowTest::WorkFile(const std::string& name,
                                               const std::string& bytes) const {
    const std::filesystem::path path = PrivateRoot() / "work" / name;
    WriteFile(path, bytes);
    return path;
}

std::vector<timer_core::ReserveEntry> MainWindowTest::ProgramEntries() const {
    std::ifstream in(ProgramFile(), std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    const std::string text = bytes.str();
    std::vector<timer_core::ReserveEntry> entries;
    for (std::string_view line : timer_core::ReservationLines(text)) {
        timer_core::ReserveEntry entry;
        if (timer_core::ReserveList::ParseLine(line, &entry)) entries.push_back(entry);
    }
    return entries;
}

std::vector<std::string> MainWindowTest::PowerRequests() const {
    std::ifstream in(PowerRequestFile(), std::ios::binary);
    in.seekg(static_cast<std::streamoff>(powerFileStart_));
    std::vector<std::string> requests;
    for (std::string line; std::getline(in, line);) {
        // "<time> <request>[ <argument>]": the request and its argument.
        const std::size_t blank = line.find(' ');
        if (blank != std::string::npos) requests.push_back(line.substr(blank + 1));
    }
    return requests;
}

timer_ui::COrvandelDlg& MainWindowTest::OpenWindow() {
    window_ =
        std::make_unique<timer_ui::COrvandelDlg>(platform::FromNativePath(IniFile().native()));
    // Slots whose thread ends at once: the tests record nothing.
    window_->Manager().SetRecordProcedure({});
    EXPECT_TRUE(window_->Create());
    window_->ShowWindow(ui::SW_SHOW);
    return *window_;
}

ui::ListView& MainWindowTest::List() {
    return *window_->Item<ui::ListView>(timer_ui::COrvandelDlg::IDC_RESERVE_LIST);
}

std::vector<std::wstring> MainWindowTest::RowTexts(int row) {
    std::vector<std::wstring> texts;
    for (int column = 0; column < List().GetColumnCount(); ++column)
        texts.push_back(List().GetItemText(row, column));
    return texts;
}

void MainWindowTest::CloseNotice() {
    if (window_) window_->Notices().Close();
    EXPECT_TRUE(WaitUntil([] { return OpenNotice().empty(); }));
}

// --- countdowns ---------------------------------------------------------------------------------

timer_ui::CSleepWaitDlg* OpenCountdown() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* countdown = dynamic_cast<timer_ui::CSleepWaitDlg*>(widget);
        if (countdown != nullptr && countdown->GetSafeHwnd() != 0 && countdown->isVisible())
            return countdown;
    }
    return nullptr;
}

CountdownWatch::CountdownWatch(bool cancel) : timer_(new QTimer) {
    timer_->setInterval(10);
    QObject::connect(timer_, &QTimer::timeout, [opened = opened_, cancel] {
        timer_ui::CSleepWaitDlg* countdown = OpenCountdown();
        // Each countdown is counted once, however long it stays open.
        if (countdown == nullptr || countdown->property("countdownSeen").toBool()) return;
        countdown->setProperty("countdownSeen", true);
        ++*opened;
        if (cancel) countdown->SendMessage(ui::WM_COMMAND, ui::IDCANCEL, 0);
    });
    timer_->start();
}

CountdownWatch::~CountdownWatch() {
    timer_->stop();
    delete timer_;
}

}  // namespace timer_ui_test
