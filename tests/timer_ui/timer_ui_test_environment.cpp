// Sets the test program up before the first test: offscreen Qt, private runtime, simulated clock.
#include "tests/timer_ui/timer_ui_test_environment.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTimer>
#include <cstdlib>
#include <memory>

#include "broadcast_sim/time_builder.h"
#include "platform/clock.h"
#include "tests/support/private_runtime.h"
#include "tests/support/qt_event_loop.h"
#include "ui/screenshot.h"

namespace timer_ui_test {
namespace {

// Where the named pictures go besides the build folder: ORVANDEL_SCREENSHOT_DIR as the program
// was started with it. The variable itself is taken away, so that the dialogs of the other tests
// do not each save a picture of themselves there.
QString& PictureFolder() {
    static QString folder;
    return folder;
}

class TimerUiTestEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        PictureFolder() = ui::ScreenshotDirectory();
        ::unsetenv("ORVANDEL_SCREENSHOT_DIR");
        ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
        test_support::UsePrivateRuntime();
        const platform::SYSTEMTIME start = broadcast_sim::JstTime(2026, 12, 9, 20, 50);
        ::setenv("ORVANDEL_SIM_CLOCK", platform::FormatSimClockSetting(start, kClockRate).c_str(),
                 1);
        app_ = std::make_unique<QApplication>(argc_, argv_);
        QApplication::setApplicationName(QStringLiteral("Orvandel"));
        test_support::WaitWithTheEventLoop();
    }

    void TearDown() override {
        test_support::SetIdleRunner(nullptr);
        app_.reset();
    }

  private:
    int argc_ = 1;
    char name_[15] = "timer_ui_tests";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new TimerUiTestEnvironment);

}  // namespace

void ClickButton(ui::Dialog& dialog, int id) {
    dialog.SendMessage(ui::WM_COMMAND, ui::MAKEWPARAM(static_cast<ui::WORD>(id), ui::BN_CLICKED),
                       0);
}

void WhenModal(std::function<void(ui::Dialog&)> answer) {
    // Looks every 10 ms until the modal run has started; gives up with a failure after ten
    // seconds. The timer goes once it has fired for the last time.
    auto* timer = new QTimer;
    timer->setInterval(10);
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, answer = std::move(answer), tries] {
        auto* dialog = dynamic_cast<ui::Dialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr && ++*tries < 1000) return;
        timer->stop();
        timer->deleteLater();
        if (dialog == nullptr) {
            ADD_FAILURE() << "no modal dialog came up";
            return;
        }
        answer(*dialog);
    });
    timer->start();
}

bool SaveScreenshot(QWidget& widget, const QString& name) {
    const QString file = name + QStringLiteral(".png");
    bool saved =
        ui::RenderToPng(widget, QDir(QStringLiteral(TIMER_UI_TEST_OUTPUT_DIR)).filePath(file));
    const QString& folder = PictureFolder();
    if (!folder.isEmpty()) {
        QDir().mkpath(folder);
        saved = ui::RenderToPng(widget, QDir(folder).filePath(file)) && saved;
    }
    return saved;
}

int LiveDialogs() {
    int live = 0;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (dynamic_cast<ui::Dialog*>(widget) != nullptr) ++live;
    }
    return live;
}

void DialogTest::TearDown() {
    // Boxes delete themselves a moment after they close.
    EXPECT_TRUE(WaitUntil([] { return LiveDialogs() == 0; })) << LiveDialogs() << " left";
}

}  // namespace timer_ui_test
