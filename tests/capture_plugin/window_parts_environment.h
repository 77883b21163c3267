// What the tests of the plug-in window's parts share: a private HOME, configuration (registry),
// runtime folder and namespace, a simulated clock, an offscreen Qt application, and waiting for
// events without busy loops.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "platform/system_time.h"
#include "shared/shared_memory_layouts.h"
#include "ui/dialog.h"

namespace window_parts_test {

// The simulated clock's rate in this test program, and its start.
inline constexpr double kClockRate = 10.0;
platform::SYSTEMTIME ClockStart();

// The private root of this test program (home/, config/ and work/ below it).
const std::filesystem::path& PrivateRoot();
// A fresh, empty folder below work/ for one test.
std::filesystem::path FreshFolder(const std::string& name);

// From here on a modal box fails the running test and is answered with OK at once, so that no
// box is ever left open (the program's start-up does this too).
void RefuseMessageBoxes();

// The program's debug output goes to one file, named before any thread starts (so that no test
// changes the environment while a worker may read it). A tail is what was written after it was
// made.
class DebugLogTail {
  public:
    DebugLogTail();
    std::string Text() const;

  private:
    std::uintmax_t start_;
};

// Clicks a button of the dialog as the user would (WM_COMMAND with BN_CLICKED).
void ClickButton(ui::Dialog& dialog, int id);

// A record request as the timer's record thread publishes it.
struct RequestFields {
    std::uint32_t channel = 27;
    std::uint16_t serviceId = 0x400;
    std::uint16_t eventId = 0x1234;
    std::uint32_t minutes = 90;
    std::uint32_t noErrLog = 0;
    std::int32_t marginSeconds = 65;
};
shared::RecordRequest MakeRecordRequest(const std::wstring& name, const RequestFields& fields);

// The local clock as a FILETIME value.
std::uint64_t NowLocal();

}  // namespace window_parts_test
