// Sets the test program up before the first test: offscreen Qt, private runtime, simulated clock.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>
#include <memory>

#include "platform/clock.h"
#include "tests/support/private_runtime.h"
#include "tests/support/qt_event_loop.h"
#include "tests/ui/ui_test_support.h"

namespace ui_test {
namespace {

class UiTestEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
        test_support::UsePrivateRuntime();
        platform::SYSTEMTIME start{};
        start.wYear = 2026;
        start.wMonth = 12;
        start.wDay = 9;
        start.wHour = 21;
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
    char name_[9] = "ui_tests";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new UiTestEnvironment);

}  // namespace

QString OutputDir() {
    return QStringLiteral(UI_TEST_OUTPUT_DIR);
}

}  // namespace ui_test
