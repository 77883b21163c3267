// Runs the real FriioView with the recording test plug-in in a private sandbox, on a simulated
// clock at 60 times real time (tests/support/viewer_launch.h).
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/paths.h"
#include "platform/window_messages.h"
#include "tests/support/helper_process.h"
#include "tests/support/private_runtime.h"
#include "tests/support/sandbox.h"
#include "tests/support/viewer_launch.h"

namespace viewer_test {

namespace fs = std::filesystem;

using test_support::kPluginCloseViewer;
using test_support::kPluginSelectService;
using test_support::kPluginStatus;
using test_support::kPluginStream;
using test_support::kPluginTune;

class ViewerProcessTest : public ::testing::Test {
  protected:
    ViewerProcessTest() {
        // One runtime folder for the whole test program: the platform layer of this process
        // keeps its socket and window registry there from the first use on.
        fs::permissions(test_support::UsePrivateRuntime(), fs::perms::owner_all);
        folder = sandbox.Native("viewer");
        test_support::CopyViewer(folder, FRIIOVIEW_PATH, TEST_PLUGIN_PATH);
        clock = platform::FormatSimClockSetting({2026, 12, 3, 9, 10, 20, 0, 0}, 60.0);
    }

    // Starts the viewer with the arguments (through `launcher` when it is set); the extra
    // environment is "NAME=value" entries.
    void Start(const std::vector<std::string>& args, std::vector<std::string> env = {}) {
        env.push_back("ORVANDEL_SIM_CLOCK=" + clock);
        process = test_support::StartViewer(folder, args, env, launcher);
        ASSERT_GT(process->Pid(), 0);
    }

    // The rest of the next line that starts with prefix (earlier lines are skipped).
    std::string Expect(const std::string& prefix) {
        auto rest = process->Expect(prefix);
        if (!rest) ADD_FAILURE() << "no line \"" << prefix << "\"";
        return rest.value_or("");
    }
    // The next line, which must start with prefix.
    std::string Next(const std::string& prefix) {
        const auto line = process->ReadLine();
        EXPECT_TRUE(line && line->rfind(prefix, 0) == 0)
            << "wanted \"" << prefix << "\", got \"" << line.value_or("(nothing)") << "\"";
        return line && line->size() >= prefix.size() ? line->substr(prefix.size()) : "";
    }

    // Waits for the plug-in window; host and plug-in window handles.
    void AwaitPlugin() {
        const auto windows = test_support::AwaitPluginWindows(*process);
        ASSERT_TRUE(windows.has_value()) << "no plug-in window";
        host = windows->host;
        own = windows->own;
    }

    void Post(platform::UINT message, platform::WPARAM wParam = 0, platform::LPARAM lParam = 0,
              platform::HWND to = 0) {
        ASSERT_TRUE(platform::PostMessageW(to != 0 ? to : own, message, wParam, lParam));
    }

    std::string Status() {
        Post(kPluginStatus);
        return Expect("Status ");
    }

    // The exit status, or -1 when it ended by a signal or had to be killed after 20 s.
    int ExitStatus() {
        const auto status = process->WaitFor(std::chrono::seconds(20));
        if (!status) {
            ADD_FAILURE() << "the viewer did not end";
            process->Kill();
            return -1;
        }
        return WIFEXITED(*status) ? WEXITSTATUS(*status) : -1;
    }

    std::wstring Wide(const fs::path& path) const {
        return platform::FromNativePath(path.native());
    }

    test_support::Sandbox sandbox;
    fs::path folder;
    std::string clock;
    std::vector<std::string> launcher;  // program and arguments that run the viewer
    std::unique_ptr<test_support::HelperProcess> process;
    platform::HWND host = 0;
    platform::HWND own = 0;
};

}  // namespace viewer_test
