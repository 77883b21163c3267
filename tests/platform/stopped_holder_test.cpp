// A process stopped (SIGSTOP, a debugger) while it holds a lock holds up the others for a bounded
// time at most, and only where they need what it holds: a named object on its way out, a file in
// the middle of an update, a file in the middle of an open.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <future>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/file_handle.h"
#include "platform/last_error.h"
#include "platform/named_file_mapping.h"
#include "platform/paths.h"
#include "platform/private_profile.h"
#include "platform/window_messages.h"
#include "tests/support/helper_process.h"
#include "tests/support/private_runtime.h"

namespace platform {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test_support::HelperProcess;

class StoppedHolderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = test_support::UsePrivateRuntime() /
                  ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::create_directories(folder_);
        // This process's first use of the named objects is behind it (it sweeps the folder).
        std::uint8_t byte = 0;
        ReadNamedMapping("Global\\Nothing", std::span(&byte, 1));
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(folder_, ec);
    }

    // Starts a helper that takes the lock and stops; waits until it is stopped.
    void StopHolding(const std::string& kind, const std::string& what) {
        holder_.emplace(PLATFORM_TEST_HELPER, std::vector<std::string>{"stop-holding", kind, what});
        ASSERT_TRUE(holder_->Expect("holding").has_value());
        siginfo_t info{};
        ASSERT_EQ(::waitid(P_PID, static_cast<id_t>(holder_->Pid()), &info, WSTOPPED), 0);
    }

    // Runs `operation`; when it has not returned after `limit`, fails the test and ends the
    // holder so that it does.
    template <typename Operation>
    auto Within(std::chrono::milliseconds limit, Operation operation, pid_t holder) {
        auto result = std::async(std::launch::async, operation);
        if (result.wait_for(limit) != std::future_status::ready) {
            ADD_FAILURE() << "still waiting after " << limit.count() << " ms";
            ::kill(holder, SIGKILL);
        }
        return result.get();
    }

    std::wstring Wide(const std::string& name) const {
        return FromNativePath((folder_ / name).native());
    }

    fs::path folder_;
    std::optional<HelperProcess> holder_;
};

using Clock = std::chrono::steady_clock;

TEST_F(StoppedHolderTest, AnObjectOnItsWayOutHoldsUpItsOwnNameForASecondAtMost) {
    // A dead holder's object; the helper stops while it removes it.
    {
        HelperProcess dead(PLATFORM_TEST_HELPER, {"hold-mapping", "Global\\Removed", "8", "1"});
        ASSERT_EQ(dead.Expect("existed "), "0");
        dead.Kill();
    }
    ASSERT_NO_FATAL_FAILURE(StopHolding("object", "Global\\Removed"));
    const pid_t holder = holder_->Pid();

    const auto start = Clock::now();
    std::uint8_t byte = 0;
    EXPECT_FALSE(Within(
        5s, [&] { return ReadNamedMapping("Global\\Removed", std::span(&byte, 1)); }, holder));
    EXPECT_FALSE(Within(
        5s,
        [] {
            bool existed = false;
            return NamedFileMapping::Create("Global\\Removed", 8, &existed).Valid();
        },
        holder));
    EXPECT_LT(Clock::now() - start, 4s);

    const auto other = Clock::now();
    bool existed = true;
    EXPECT_TRUE(NamedFileMapping::Create("Global\\Other", 8, &existed).Valid());
    EXPECT_FALSE(existed);
    EXPECT_LT(Clock::now() - other, 500ms);
}

TEST_F(StoppedHolderTest, AnIniFileInTheMiddleOfAnUpdateRefusesTheNextUpdateAfterSeconds) {
    std::ofstream(folder_ / "held.ini") << "[Set]\r\nKey=1\r\n";
    ASSERT_NO_FATAL_FAILURE(StopHolding("file", (folder_ / "held.ini").string()));
    const auto start = Clock::now();
    // The last error is the calling thread's: the operation hands it back.
    const auto [written, error] = Within(
        20s,
        [&] {
            const BOOL ok =
                WritePrivateProfileStringW(L"Set", L"Key", L"2", Wide("held.ini").c_str());
            return std::pair(ok, GetLastError());
        },
        holder_->Pid());
    EXPECT_FALSE(written);
    EXPECT_EQ(error, ERROR_SHARING_VIOLATION);
    EXPECT_LT(Clock::now() - start, 10s);
    // Other files are not held up.
    const auto other = Clock::now();
    EXPECT_TRUE(WritePrivateProfileStringW(L"Set", L"Key", L"3", Wide("other.ini").c_str()));
    EXPECT_LT(Clock::now() - other, 1s);
}

TEST_F(StoppedHolderTest, AFileInTheMiddleOfAnOpenRefusesTheNextOpenAfterASecond) {
    std::ofstream(folder_ / "data.bin") << "data";
    ASSERT_NO_FATAL_FAILURE(StopHolding("file", (folder_ / "data.bin").string()));
    const auto start = Clock::now();
    const auto [opened, error] = Within(
        20s,
        [&] {
            const bool valid =
                CreateFileW(Wide("data.bin"), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING)
                    .IsValid();
            return std::pair(valid, GetLastError());
        },
        holder_->Pid());
    EXPECT_FALSE(opened);
    EXPECT_EQ(error, ERROR_SHARING_VIOLATION);
    EXPECT_LT(Clock::now() - start, 4s);
}

// A process that creates, publishes, reads and closes objects and windows all the time is
// stopped at random instants; each time, this process's own objects and windows work at once.
TEST_F(StoppedHolderTest, ABusyProcessStoppedAtRandomHoldsUpNobodyElse) {
    holder_.emplace(PLATFORM_TEST_HELPER, std::vector<std::string>{"churn"});
    ASSERT_TRUE(holder_->Expect("churning").has_value());
    const pid_t busy = holder_->Pid();
    std::mt19937 random(std::random_device{}());
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE(round);
        // A random instant of the busy process's work (a sample, not a wait for anything).
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 3000));
        ASSERT_EQ(::kill(busy, SIGSTOP), 0);
        siginfo_t info{};
        ASSERT_EQ(::waitid(P_PID, static_cast<id_t>(busy), &info, WSTOPPED), 0);
        const bool worked = Within(
            3s,
            [] {
                bool existed = false;
                auto mine = NamedFileMapping::Create("Global\\Mine", 4, &existed);
                std::uint8_t byte = 0;
                const bool read = ReadNamedMapping("Global\\Mine", std::span(&byte, 1));
                struct Target : WindowTarget {
                    LRESULT WindowProc(UINT, WPARAM, LPARAM) override { return 0; }
                } target;
                const HWND hwnd = CreateWindowHandle(&target, L"mine", 0, false);
                const bool window = hwnd != 0 && IsWindow(hwnd);
                DestroyWindowHandle(hwnd);
                return mine.Valid() && read && window;
            },
            busy);
        EXPECT_TRUE(worked);
        ::kill(busy, SIGCONT);
        if (::testing::Test::HasFailure()) break;
    }
}

}  // namespace
}  // namespace platform
