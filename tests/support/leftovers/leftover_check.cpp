// Every test program links this. The program runs in a private runtime folder and namespace of
// its own (its environment may choose another before the first test), and after each test nothing
// the test made may be left for the next one: a test that changed the environment, left a window
// (a dialog or a box) or a window timer of this process, or a thread that outlives it fails the
// run, named in the message.
#include <dirent.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/window_messages.h"
#include "tests/support/private_runtime.h"
#include "tests/support/wait_until.h"

extern char** environ;

namespace test_support {
namespace {

std::set<std::string> EnvironmentNow() {
    std::set<std::string> entries;
    for (char** e = environ; *e != nullptr; ++e)
        entries.insert(*e);
    return entries;
}

// Idle threads of Qt's global pool stay for half a minute after their work; they are Qt's.
constexpr const char* kQtPoolThread = "Thread (pooled)";

// The threads of this process by kernel id, with their names (Qt's pool left out).
std::map<std::string, std::string> Threads() {
    std::map<std::string, std::string> threads;
    if (DIR* dir = ::opendir("/proc/self/task")) {
        while (const dirent* entry = ::readdir(dir)) {
            if (entry->d_name[0] == '.') continue;
            std::ifstream comm(std::string("/proc/self/task/") + entry->d_name + "/comm");
            std::string name;
            std::getline(comm, name);
            if (name != kQtPoolThread) threads[entry->d_name] = name;
        }
        ::closedir(dir);
    }
    return threads;
}

int ThreadCount() {
    return static_cast<int>(Threads().size());
}

std::string NewThreads(const std::map<std::string, std::string>& before) {
    std::string names;
    for (const auto& [tid, name] : Threads()) {
        if (before.count(tid) == 0) names += " " + tid + ":" + name;
    }
    return names;
}

platform::BOOL CollectOwnWindow(platform::HWND hwnd, platform::LPARAM lParam) {
    platform::DWORD pid = 0;
    platform::GetWindowThreadProcessId(hwnd, &pid);
    if (pid == static_cast<platform::DWORD>(::getpid())) {
        reinterpret_cast<std::vector<platform::HWND>*>(lParam)->push_back(hwnd);
    }
    return platform::TRUE;
}

std::string Titles(const std::vector<platform::HWND>& windows) {
    std::string titles;
    for (const platform::HWND hwnd : windows) {
        char title[128] = {};
        platform::GetWindowTextA(hwnd, title, sizeof title);
        titles += std::string(titles.empty() ? "" : ", ") + "\"" + title + "\"";
    }
    return titles;
}

// Starts the platform's message receiver, which lives as long as the process, before the first
// test counts threads.
class NullWindow : public platform::WindowTarget {
  public:
    platform::LRESULT WindowProc(platform::UINT, platform::WPARAM, platform::LPARAM) override {
        return 0;
    }
};

void StartTheMessageReceiver() {
    NullWindow target;
    platform::DestroyWindowHandle(platform::CreateWindowHandle(&target, L"warm-up", 0, false));
}

class LeftoverCheck : public ::testing::EmptyTestEventListener {
  public:
    void OnTestProgramStart(const ::testing::UnitTest&) override { UsePrivateRuntime(); }

    void OnTestStart(const ::testing::TestInfo&) override {
        // After the program's environment has set the runtime folder up.
        static const bool started = (StartTheMessageReceiver(), true);
        (void)started;
        environment_ = EnvironmentNow();
        threads_ = ThreadCount();
        threadList_ = Threads();
    }

    void OnTestEnd(const ::testing::TestInfo& test) override {
        const std::string name = std::string(test.test_suite_name()) + "." + test.name();
        if (EnvironmentNow() != environment_) {
            ADD_FAILURE() << name << " changed the environment";
        }
        std::vector<platform::HWND> windows;
        platform::EnumWindows(CollectOwnWindow, reinterpret_cast<platform::LPARAM>(&windows));
        if (!windows.empty()) {
            ADD_FAILURE() << name << " left windows: " << Titles(windows);
        }
        if (platform::RealTimeUntilNextTimer().has_value()) {
            ADD_FAILURE() << name << " left a window timer armed";
        }
        // Threads the test stopped may take a moment to be gone from the list.
        if (!WaitUntil([&] { return ThreadCount() <= threads_; })) {
            ADD_FAILURE() << name << " left threads running:" << NewThreads(threadList_);
        }
    }

  private:
    std::set<std::string> environment_;
    int threads_ = 0;
    std::map<std::string, std::string> threadList_;
};

[[maybe_unused]] const bool kRegistered = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new LeftoverCheck);
    return true;
}();

}  // namespace
}  // namespace test_support
