// For the dialog test programs: the Qt application they run in, offscreen (unless QT_QPA_PLATFORM
// names another platform), in a private runtime folder and namespace, on a simulated clock, with
// waits that run its event loop. A program's test environment makes one in SetUp and drops it in
// TearDown.
#pragma once

#include <QApplication>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/clock.h"
#include "tests/support/private_runtime.h"
#include "tests/support/qt_event_loop.h"

namespace test_support {

class OffscreenApplication {
  public:
    // programName: argv[0]; applicationName: the title of boxes that name no caption.
    OffscreenApplication(std::string programName, const platform::SYSTEMTIME& clockStart,
                         double clockRate, const QString& applicationName)
        : programName_(std::move(programName)) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
        UsePrivateRuntime();
        ::setenv("ORVANDEL_SIM_CLOCK",
                 platform::FormatSimClockSetting(clockStart, clockRate).c_str(), 1);
        argv_[0] = programName_.data();
        app_ = std::make_unique<QApplication>(argc_, argv_);
        QApplication::setApplicationName(applicationName);
        WaitWithTheEventLoop();
    }
    ~OffscreenApplication() { SetIdleRunner(nullptr); }

    OffscreenApplication(const OffscreenApplication&) = delete;
    OffscreenApplication& operator=(const OffscreenApplication&) = delete;

  private:
    std::string programName_;
    int argc_ = 1;
    char* argv_[2] = {nullptr, nullptr};
    std::unique_ptr<QApplication> app_;
};

}  // namespace test_support
