// What the main window's tests share: a private home (so a fresh data folder <Documents>/Orvandel)
// and settings file for every test, writers of the files the window reads (Program.txt, ChSet.txt,
// ChSet2.txt, iEPG files), the window itself on the simulated clock, and what it shows (list rows,
// the open notice, the power requests it made).
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/system_time.h"
#include "tests/timer_ui/private_home.h"
#include "tests/timer_ui/timer_ui_test_environment.h"
#include "timer_core/reservations/reserve_entry.h"
#include "timer_ui/orvandel_dlg.h"
#include "timer_ui/sleep_wait_dlg.h"
#include "ui/list_view.h"

namespace timer_ui_test {

// The channel of the iEPG samples: みなと総合１ (terrestrial channel 21, service 0x0400 of
// transport stream 0x7F10), and a second one, さくらテレビ (channel 22, 0x0408 of 0x7F20).
inline constexpr int kMinatoChannel = 21;
inline constexpr std::uint16_t kMinatoService = 0x0400;
inline constexpr std::uint16_t kMinatoStream = 0x7F10;
inline constexpr int kSakuraChannel = 22;
inline constexpr std::uint16_t kSakuraService = 0x0408;
inline constexpr std::uint16_t kSakuraStream = 0x7F20;

// The present local time of the simulated clock moved on by whole minutes (seconds dropped).
platform::SYSTEMTIME MinutesFromNow(std::int64_t minutes);
// hh:mm of the day `days` after today.
platform::SYSTEMTIME DaysAhead(int days, int hour, int minute = 0);

// A reservation on みなと総合１ with the given title, start and length.
timer_core::ReserveEntry Reservation(const std::wstring& title, const platform::SYSTEMTIME& start,
                                     std::uint32_t minutes, std::int32_t id = 0,
                                     std::uint16_t eventId = 0x1000);

// The text of a version 2 iEPG file of a programme on みなと総合１ (Shift-JIS, CR LF).
std::string IepgText(const std::wstring& title, const platform::SYSTEMTIME& start, int minutes,
                     std::uint16_t eventId);

// The text of the non-blocking notice open now, or empty.
std::wstring OpenNotice();

class MainWindowTest : public DialogTest {
  protected:
    void SetUp() override;
    void TearDown() override;

    // <Documents>/Orvandel, made afresh for the test.
    std::filesystem::path DataFolder() const;
    std::filesystem::path ProgramFile() const { return DataFolder() / "Program.txt"; }
    std::filesystem::path IniFile() const;

    void WriteIni(const std::string& setSection) const;
    void WriteProgram(const std::vector<timer_core::ReserveEntry>& entries) const;
    void WriteFile(const std::filesystem::path& path, const std::string& bytes) const;
    // ChSet.txt and ChSet2.txt naming both sample channels.
    void WriteChannelTables() const;
    // A file of the test's own folder.
    std::filesystem::path WorkFile(const std::string& name, const std::string& bytes) const;

    // Program.txt's reservations as they are in the file (IDs as written).
    std::vector<timer_core::ReserveEntry> ProgramEntries() const;
    // The power requests the test made ("standby", "hibernate", "wake-armed ...").
    std::vector<std::string> PowerRequests() const;

    // Creates the window (modeless, shown) on the settings file; no recording is really made.
    timer_ui::COrvandelDlg& OpenWindow();
    timer_ui::COrvandelDlg& Window() { return *window_; }
    ui::ListView& List();
    // The texts of one list row.
    std::vector<std::wstring> RowTexts(int row);
    // The notices the window shows from here on start from none.
    void CloseNotice();

    std::unique_ptr<timer_ui::COrvandelDlg> window_;

  private:
    PrivateHome home_;
    std::uintmax_t powerFileStart_ = 0;
};

// The standby countdown on the screen now, or null.
timer_ui::CSleepWaitDlg* OpenCountdown();

// Answers every standby countdown that opens while it lives: Cancel at once, or (letCountdownRun)
// no answer at all, so that it runs out.
class CountdownWatch {
  public:
    explicit CountdownWatch(bool cancel = true);
    ~CountdownWatch();
    CountdownWatch(const CountdownWatch&) = delete;
    CountdownWatch& operator=(const CountdownWatch&) = delete;

    int Opened() const { return *opened_; }

  private:
    std::shared_ptr<int> opened_ = std::make_shared<int>(0);
    class QTimer* timer_;
};

}  // namespace timer_ui_test
