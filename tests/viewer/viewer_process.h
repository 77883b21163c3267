// Runs the real FriioView in a private folder of its own (a copy of the binary, the sample
// channel lists and the recording test plug-in), in a private sandbox, on a simulated clock at
// 60 times real time. Its standard output and error come back as lines.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/clock.h"
#include "platform/paths.h"
#include "platform/window_messages.h"
#include "tests/support/helper_process.h"
#include "tests/support/private_runtime.h"
#include "tests/support/sandbox.h"

namespace viewer_test {

namespace fs = std::filesystem;

inline constexpr platform::UINT kPluginTune = platform::WM_USER + 1;
inline constexpr platform::UINT kPluginSelectService = platform::WM_USER + 2;
inline constexpr platform::UINT kPluginCloseViewer = platform::WM_USER + 3;
inline constexpr platform::UINT kPluginStatus = platform::WM_USER + 4;
inline constexpr platform::UINT kPluginStream = platform::WM_USER + 5;

class ViewerProcessTest : public ::testing::Test {
  protected:
    ViewerProcessTest() {
        // One runtime folder for the whole test program: the platform layer of this process
        // keeps its socket and window registry there from the first use on.
        fs::permissions(test_support::UsePrivateRuntime(), fs::perms::owner_all);
        folder = sandbox.Native("viewer");
        fs::create_directories(folder);
        const fs::path built = FRIIOVIEW_PATH;
        for (const char* name : {"FriioView", "channels.ini", "bscs.ini"})
            fs::copy_file(built.parent_path() / name, folder / name);
        fs::copy_file(TEST_PLUGIN_PATH, folder / fs::path(TEST_PLUGIN_PATH).filename());
        clock = platform::FormatSimClockSetting({2026, 12, 3, 9, 10, 20, 0, 0}, 60.0);
    }

    // Starts the viewer with the arguments (through `launcher` when it is set); the extra
    // environment is "NAME=value" entries.
    void Start(const std::vector<std::string>& args, std::vector<std::string> env = {}) {
        std::vector<std::string> shellArgs{"-c", "exec \"$0\" \"$@\" 2>&1"};
        shellArgs.insert(shellArgs.end(), launcher.begin(), launcher.end());
        shellArgs.push_back((folder / "FriioView").string());
        shellArgs.insert(shellArgs.end(), args.begin(), args.end());
        env.push_back("QT_QPA_PLATFORM=offscreen");
        env.push_back("ORVANDEL_SIM_CLOCK=" + clock);
        process = std::make_unique<test_support::HelperProcess>("/bin/sh", shellArgs, env);
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
        const std::string rest = Expect("CreatePluginWindow host=");
        host = static_cast<platform::HWND>(std::stoul(rest));
        own = static_cast<platform::HWND>(std::stoul(rest.substr(rest.find("own=") + 4)));
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
        siginfo_t info{};
        for (int i = 0; i < 400; ++i) {
            info.si_pid = 0;
            ::waitid(P_PID, static_cast<id_t>(process->Pid()), &info, WEXITED | WNOHANG | WNOWAIT);
            if (info.si_pid != 0) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        if (info.si_pid == 0) {
            ADD_FAILURE() << "the viewer did not end";
            process->Kill();
            return -1;
        }
        const int status = process->Wait();
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
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
