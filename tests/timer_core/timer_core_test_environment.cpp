#include "tests/timer_core/timer_core_test_environment.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include "platform/clock.h"
#include "tests/support/fresh_folder.h"
#include "tests/support/private_runtime.h"

namespace timer_core_test {
namespace {

class TimerCoreEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        test_support::PrivateTestRoot("timer-core");
        test_support::UsePrivateRuntime();
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        ::setenv("ORVANDEL_SIM_CLOCK",
                 platform::FormatSimClockSetting({2026, 12, 4, 3, 21, 0, 0, 0}, kClockRate).c_str(),
                 1);
        // From here on every clock reading, pause and wait of the program is simulated; the
        // machine's clock is never set by a test.
        ASSERT_TRUE(platform::Clock::Instance().IsSimulated());
    }
};

[[maybe_unused]] const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new TimerCoreEnvironment);

}  // namespace
}  // namespace timer_core_test
