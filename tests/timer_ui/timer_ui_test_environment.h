// What the timer's dialog tests share: an offscreen Qt application, a private runtime folder and
// namespace, a simulated clock running ten times as fast as real time, power requests and debug
// lines written to files, waiting for events while the event loop runs, driving modal dialogs,
// and the folders screenshots go to.
#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/wait_until.h"
#include "ui/dialog.h"
#include "ui/list_view.h"
#include "ui/message_box.h"

namespace timer_ui_test {

// The simulated clock's rate in this test program.
inline constexpr double kClockRate = 10.0;

// Waiting runs the event loop (the environment sets that up).
using test_support::WaitUntil;

// The program's private folder (the power request file and the debug log are in it).
const std::filesystem::path& PrivateRoot();

// Where the power requests of the program go (ORVANDEL_SIM_POWER).
std::filesystem::path PowerRequestFile();

// Clicks a button of the dialog as the user would (WM_COMMAND with BN_CLICKED).
void ClickButton(ui::Dialog& dialog, int id);

// Clicks or double-clicks a row of a shown list view with the mouse (the list's hot item becomes
// the row); ClickBelowRows clicks the empty space under the last row.
void ClickRow(ui::ListView& list, int row);
void DoubleClickRow(ui::ListView& list, int row);
void ClickBelowRows(ui::ListView& list);

// Answers every modal message box with OK while it lives and keeps what the boxes said.
class MessageBoxes {
  public:
    MessageBoxes();
    ~MessageBoxes();
    MessageBoxes(const MessageBoxes&) = delete;
    MessageBoxes& operator=(const MessageBoxes&) = delete;

    std::vector<std::wstring> Texts() const;

    std::vector<ui::MessageBoxRequest> shown;
};

// Runs `answer` on the dialog that becomes the active modal widget, once, while the caller's
// DoModal runs; it must end the dialog.
void WhenModal(std::function<void(ui::Dialog&)> answer);

// Draws `widget` and, when ORVANDEL_SCREENSHOT_DIR was set when the program started, saves the
// picture there as <name>.png; false when nothing was drawn or the file could not be written.
bool SaveScreenshot(QWidget& widget, const QString& name);

// The dialogs and boxes of this process that still exist (shown or not).
int LiveDialogs();

// The base of the dialog tests: after each test no dialog or box may be left, not even one that
// waits to be deleted (the program-wide check after each test sees windows and their timers).
class DialogTest : public ::testing::Test {
  protected:
    void TearDown() override;
};

}  // namespace timer_ui_test
