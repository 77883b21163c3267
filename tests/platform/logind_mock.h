// A logind of the test's own: python3-dbusmock's logind template on a private bus daemon
// (helpers/logind_mock.py), with DBUS_SYSTEM_BUS_ADDRESS pointing at that bus while the object
// lives, so the layer never reaches the machine's bus.
#pragma once

#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/helper_process.h"
#include "tests/support/scoped_environment.h"

namespace test_support {

class LogindMock {
  public:
    explicit LogindMock(const std::filesystem::path& folder)
        : helper_(LOGIND_MOCK_SCRIPT, {folder.string()}) {
        const auto line = helper_.ReadLine(std::chrono::seconds(30));
        if (!line) {
            failure_ = "the logind mock did not start";
        } else if (line->starts_with("unavailable ")) {
            unavailable_ = line->substr(12);
        } else if (line->starts_with("ready ")) {
            env_.Set("DBUS_SYSTEM_BUS_ADDRESS", line->substr(6));
            ready_ = true;
        } else {
            failure_ = "the logind mock said: " + *line;
        }
    }
    ~LogindMock() { helper_.CloseAndWait(); }
    LogindMock(const LogindMock&) = delete;
    LogindMock& operator=(const LogindMock&) = delete;

    bool Ready() const { return ready_; }
    // Why the mock cannot run here (dbus-daemon or dbusmock missing); empty otherwise.
    const std::string& Unavailable() const { return unavailable_; }
    // Why it failed to start although it could; empty otherwise.
    const std::string& Failure() const { return failure_; }

    // Waits until logind holds exactly `count` inhibitors and gives them as
    // "<what>,<who>,<why>,<mode>"; nullopt when the count was not reached within 10 s.
    std::optional<std::vector<std::string>> Inhibitors(std::size_t count) {
        helper_.WriteLine("inhibitors " + std::to_string(count));
        const auto line = helper_.ReadLine();
        if (!line || !line->starts_with("inhibitors ")) return std::nullopt;
        std::vector<std::string> entries;
        std::istringstream list(line->substr(11));
        for (std::string entry; std::getline(list, entry, ';');)
            entries.push_back(entry);
        return entries;
    }

    // Emits PrepareForSleep(start) from logind; true once it was sent.
    bool EmitPrepareForSleep(bool start) {
        helper_.WriteLine(std::string("prepare-for-sleep ") + (start ? "true" : "false"));
        return helper_.ReadLine() == "emitted";
    }

  private:
    HelperProcess helper_;
    ScopedEnvironment env_;
    bool ready_ = false;
    std::string unavailable_;
    std::string failure_;
};

}  // namespace test_support

// Starts the mock in the test's sandbox, skipping the test only when the mock cannot run here.
#define START_LOGIND_MOCK(name, folder)                                  \
    test_support::LogindMock name(folder);                               \
    if (!name.Unavailable().empty()) GTEST_SKIP() << name.Unavailable(); \
    ASSERT_TRUE(name.Ready()) << name.Failure()
