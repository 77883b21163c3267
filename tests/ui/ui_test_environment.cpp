// Sets the test program up before the first test: offscreen Qt, private runtime, simulated clock.
#include <gtest/gtest.h>

#include <memory>

#include "tests/support/offscreen_application.h"
#include "tests/ui/ui_test_support.h"

namespace ui_test {
namespace {

class UiTestEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        platform::SYSTEMTIME start{};
        start.wYear = 2026;
        start.wMonth = 12;
        start.wDay = 9;
        start.wHour = 21;
        app_ = std::make_unique<test_support::OffscreenApplication>("ui_tests", start, kClockRate,
                                                                    QStringLiteral("Orvandel"));
    }

    void TearDown() override { app_.reset(); }

  private:
    std::unique_ptr<test_support::OffscreenApplication> app_;
};

[[maybe_unused]] const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new UiTestEnvironment);

}  // namespace

}  // namespace ui_test
