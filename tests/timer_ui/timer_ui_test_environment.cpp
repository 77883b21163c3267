// Sets the test program up before the first test: offscreen Qt, private runtime, simulated clock.
#include "tests/timer_ui/timer_ui_test_environment.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "broadcast_sim/time_builder.h"
#include "tests/support/mouse_input.h"
#include "tests/support/offscreen_application.h"
#include "tests/support/review_picture.h"
#include "ui/screenshot.h"

namespace timer_ui_test {
namespace {

// Where the named pictures go: ORVANDEL_SCREENSHOT_DIR as the program was started with it. The
// variable itself is taken away, so that the dialogs of the other tests do not each save a
// picture of themselves there.
QString& PictureFolder() {
    static QString folder;
    return folder;
}

class TimerUiTestEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        PictureFolder() = ui::ScreenshotDirectory();
        ::unsetenv("ORVANDEL_SCREENSHOT_DIR");
        // Power requests only go into a file; the debug lines of the timer core too.
        std::filesystem::create_directories(PrivateRoot());
        ::setenv("ORVANDEL_SIM_POWER", PowerRequestFile().c_str(), 1);
        ::setenv("ORVANDEL_DEBUG_LOG", (PrivateRoot() / "debug.log").c_str(), 1);
        app_ = std::make_unique<test_support::OffscreenApplication>(
            "timer_ui_tests", broadcast_sim::JstTime(2026, 12, 9, 20, 50), kClockRate,
            QStringLiteral("Orvandel"));
    }

    void TearDown() override {
        app_.reset();
        std::error_code ec;
        std::filesystem::remove_all(PrivateRoot(), ec);
    }

  private:
    std::unique_ptr<test_support::OffscreenApplication> app_;
};

[[maybe_unused]] const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new TimerUiTestEnvironment);

}  // namespace

const std::filesystem::path& PrivateRoot() {
    static const std::filesystem::path root = [] {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "orvandel-timer-ui-XXXXXX").string();
        const char* made = ::mkdtemp(pattern.data());
        return std::filesystem::path(made != nullptr ? made : pattern);
    }();
    return root;
}

std::filesystem::path PowerRequestFile() {
    return PrivateRoot() / "power.txt";
}

void ClickButton(ui::Dialog& dialog, int id) {
    dialog.SendMessage(ui::WM_COMMAND, ui::MAKEWPARAM(static_cast<ui::WORD>(id), ui::BN_CLICKED),
                       0);
}

namespace {

using test_support::Click;
using test_support::SendMouse;

QPoint RowPoint(ui::ListView& list, int row) {
    return list.visualRect(list.model()->index(row, 0)).center();
}

}  // namespace

void ClickRow(ui::ListView& list, int row) {
    Click(list.viewport(), RowPoint(list, row));
}

void DoubleClickRow(ui::ListView& list, int row) {
    const QPoint point = RowPoint(list, row);
    ClickRow(list, row);
    SendMouse(list.viewport(), QEvent::MouseButtonDblClick, point);
    SendMouse(list.viewport(), QEvent::MouseButtonRelease, point);
}

void ClickBelowRows(ui::ListView& list) {
    Click(list.viewport(), QPoint(20, list.viewport()->height() - 3));
}

MessageBoxes::MessageBoxes() {
    ui::SetMessageBoxAnswer([this](const ui::MessageBoxRequest& request) {
        shown.push_back(request);
        return ui::IDOK;
    });
}

MessageBoxes::~MessageBoxes() {
    ui::SetMessageBoxAnswer({});
}

std::vector<std::wstring> MessageBoxes::Texts() const {
    std::vector<std::wstring> texts;
    for (const ui::MessageBoxRequest& request : shown)
        texts.push_back(request.text);
    return texts;
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
    return test_support::SaveReviewPicture(widget, PictureFolder(), name);
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
