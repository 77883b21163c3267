#include "tests/timer_core/timer_core_test_environment.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include "platform/clock.h"
#include "tests/support/private_runtime.h"

namespace timer_core_test {
namespace {

const std::filesystem::path& PrivateRoot() {
    // Never destroyed: removed by the environment's tear-down.
    static const std::filesystem::path& root = *new std::filesystem::path([] {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "orvandel-timer-core-XXXXXX").string();
        const char* made = ::mkdtemp(pattern.data());
        return made != nullptr ? std::filesystem::path(made) : std::filesystem::path(pattern);
    }());
    return root;
}

class TimerCoreEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        test_support::UsePrivateRuntime();
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        ::setenv("ORVANDEL_SIM_CLOCK",
                 platform::FormatSimClockSetting({2026, 12, 4, 3, 21, 0, 0, 0}, kClockRate).c_str(),
                 1);
        // From here on every clock reading, pause and wait of the program is simulated; the
        // machine's clock is never set by a test.
        ASSERT_TRUE(platform::Clock::Instance().IsSimulated());
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(PrivateRoot(), ec);
    }
};

[[maybe_unused]] const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new TimerCoreEnvironment);

}  // namespace

std::filesystem::path FreshFolder(const std::string& name) {
    static int counter = 0;
    const auto folder = PrivateRoot() / (name + "-" + std::to_string(++counter));
    std::filesystem::create_directories(folder);
    return folder;
}

}  // namespace timer_core_test
