// The built program Orvandel as a person runs it, in this test program's private world (home,
// Documents, runtime folder and namespace, simulated clock, power requests into a file): the
// first start, the hand-over of a second start to the running instance, an iEPG file on the
// command line, and closing.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/named_mutex.h"
#include "platform/paths.h"
#include "platform/process_snapshot.h"
#include "platform/window_messages.h"
#include "shared/shared_memory_block.h"
#include "shared/shared_memory_readers.h"
#include "tests/support/fresh_folder.h"
#include "tests/support/helper_process.h"
#include "tests/support/other_user.h"
#include "tests/support/scoped_environment.h"
#include "tests/timer_ui/main_window_fixture.h"
#include "timer_core/recording/main_window_messages.h"

namespace timer_ui_test {
namespace {

struct OwnWindow {
    ui::HWND hwnd = 0;
    std::wstring title;
};

// The windows of a process, most recent first.
std::vector<OwnWindow> WindowsOf(pid_t pid) {
    struct Search {
        pid_t pid;
        std::vector<OwnWindow> found;
    } search{pid, {}};
    platform::EnumWindows(
        [](platform::HWND hwnd, platform::LPARAM lParam) -> platform::BOOL {
            auto* s = reinterpret_cast<Search*>(lParam);
            platform::DWORD owner = 0;
            platform::GetWindowThreadProcessId(hwnd, &owner);
            if (owner == static_cast<platform::DWORD>(s->pid)) {
                wchar_t title[256] = {};
                platform::GetWindowTextW(hwnd, title, 256);
                s->found.push_back({hwnd, title});
            }
            return platform::TRUE;
        },
        reinterpret_cast<platform::LPARAM>(&search));
    return search.found;
}

std::optional<ui::HWND> WindowTitled(pid_t pid, std::wstring_view title) {
    for (const OwnWindow& window : WindowsOf(pid)) {
        if (window.title == title) return window.hwnd;
    }
    return std::nullopt;
}

bool ExitedCleanly(test_support::HelperProcess& process) {
    const std::optional<int> status = process.WaitFor(std::chrono::seconds(60));
    return status && WIFEXITED(*status) && WEXITSTATUS(*status) == 0;
}

// Stands in for a running instance: holds the single-instance mutex and publishes its window,
// which notes the requests and messages a second instance sends it.
class RunningInstanceStandIn : public ui::Dialog {
  public:
    RunningInstanceStandIn() : ui::Dialog(kTemplate) {}

    std::function<void()> onReload;
    int shows = 0;
    int foregrounds = 0;
    int reloads = 0;

    ui::LRESULT WindowProc(ui::UINT message, ui::WPARAM wParam, ui::LPARAM lParam) override {
        if (message == timer_core::WM_RELOAD_RESERVATIONS) {
            ++reloads;
            if (onReload) onReload();
        }
        return ui::Dialog::WindowProc(message, wParam, lParam);
    }
    void OnShowRequest(int command) override {
        if (command == ui::SW_SHOW) ++shows;
    }
    void OnForegroundRequest() override { ++foregrounds; }

  private:
    static constexpr ui::DialogTemplate kTemplate{L"Orvandel", 100, 100, 0, {}};
};

class OrvandelProcessTest : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        // The program's settings file lies beside it: each test runs its own copy.
        folder_ = PrivateRoot() / "program";
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        std::error_code ec;
        std::filesystem::create_hard_link(ORVANDEL_PATH, folder_ / "Orvandel", ec);
        if (ec) std::filesystem::copy_file(ORVANDEL_PATH, folder_ / "Orvandel");
        shots_ = PrivateRoot() / "shots";
        std::filesystem::remove_all(shots_);
        env_.Set("ORVANDEL_SCREENSHOT_DIR", shots_.string());
        env_.Set("ORVANDEL_DEBUG_LOG", (PrivateRoot() / "orvandel-debug.log").string());
    }

    void WriteProgramIni(const std::string& setSection = "") const {
        WriteFile(folder_ / "Orvandel.ini", "[SET]\r\nTunerCount=1\r\n" + setSection);
    }

    std::unique_ptr<test_support::HelperProcess> Start(const std::vector<std::string>& args = {}) {
        return std::make_unique<test_support::HelperProcess>((folder_ / "Orvandel").string(), args);
    }

    // Waits for the main window of the program: the window it publishes for a second instance.
    ui::HWND AwaitMainWindow(test_support::HelperProcess& program) {
        platform::HWND published = 0;
        EXPECT_TRUE(WaitUntil(
            [&] {
                platform::DWORD owner = 0;
                return shared::ReadPostTimerHwnd(&published) == 1 &&
                       platform::GetWindowThreadProcessId(published, &owner) != 0 &&
                       owner == static_cast<platform::DWORD>(program.Pid());
            },
            30000));
        wchar_t title[64] = {};
        platform::GetWindowTextW(published, title, 64);
        EXPECT_EQ(std::wstring(title), L"Orvandel");
        return published;
    }

    // Closes the program through its window's close box and waits for it to end.
    void Close(test_support::HelperProcess& program, ui::HWND hwnd) {
        ASSERT_TRUE(platform::PostMessageW(hwnd, ui::WM_SYSCOMMAND, ui::SC_CLOSE, 0));
        EXPECT_TRUE(ExitedCleanly(program));
        EXPECT_TRUE(WindowsOf(program.Pid()).empty());
        for (const platform::ProcessEntry& process : platform::TakeProcessSnapshot()) {
            EXPECT_FALSE(platform::ImageNamesEqual(process.imageName, L"FriioView"));
            EXPECT_NE(process.parentProcessId, static_cast<platform::DWORD>(program.Pid()));
        }
    }

    std::filesystem::path folder_;
    std::filesystem::path shots_;
    test_support::ScopedEnvironment env_;
};

TEST_F(OrvandelProcessTest, AFirstStartOnFreshDocumentsShowsTheNoticeTheSettingsThenTheWindow) {
    std::filesystem::remove_all(DataFolder());
    auto program = Start();
    // No settings file: the notice comes first, a box without caption, then the settings.
    std::optional<ui::HWND> notice;
    ASSERT_TRUE(
        WaitUntil([&] { return (notice = WindowTitled(program->Pid(), L"")).has_value(); }, 30000));
    EXPECT_FALSE(WindowTitled(program->Pid(), L"Orvandel").has_value());
    ASSERT_TRUE(platform::PostMessageW(*notice, ui::WM_CLOSE, 0, 0));
    std::optional<ui::HWND> settings;
    ASSERT_TRUE(WaitUntil(
        [&] { return (settings = WindowTitled(program->Pid(), L"設定")).has_value(); }, 30000));
    EXPECT_FALSE(WindowTitled(program->Pid(), L"Orvandel").has_value());
    // Cancelled: the start goes on all the same.
    ASSERT_TRUE(platform::PostMessageW(*settings, ui::WM_CLOSE, 0, 0));

    const ui::HWND hwnd = AwaitMainWindow(*program);
    ASSERT_NE(hwnd, 0u);
    EXPECT_TRUE(platform::IsWindowVisible(hwnd));
    EXPECT_TRUE(std::filesystem::exists(ProgramFile()));
    ASSERT_TRUE(
        WaitUntil([&] { return std::filesystem::exists(shots_ / "timer_ui_COrvandelDlg.png"); }));
    EXPECT_TRUE(ProgramEntries().empty());
    Close(*program, hwnd);
    EXPECT_FALSE(std::filesystem::exists(folder_ / "Orvandel.ini"));
}

TEST_F(OrvandelProcessTest, ASecondStartWritesTheReservationBeforeAskingTheRunningOneToReload) {
    WriteChannelTables();
    WriteProgram({Reservation(L"港町ニュース", MinutesFromNow(24 * 60), 30, 1)});
    const std::filesystem::path iepg =
        WorkFile("sakura.tvpid", IepgText(L"さくら紀行", MinutesFromNow(48 * 60), 45, 0x4001));

    bool existed = false;
    platform::NamedMutex mutex = platform::NamedMutex::Create("Global\\Orvandel", true, &existed);
    ASSERT_FALSE(existed);
    RunningInstanceStandIn running;
    ASSERT_TRUE(running.Create());
    shared::SharedMemoryBlock published;
    ASSERT_EQ(published.WritePostTimerHwnd(running.GetSafeHwnd()), 1);
    std::vector<timer_core::ReserveEntry> atReload;
    running.onReload = [&] { atReload = ProgramEntries(); };

    auto second = Start({iepg.string()});
    EXPECT_TRUE(ExitedCleanly(*second));
    const bool reloaded = WaitUntil([&] { return running.reloads == 1; });
    running.DestroyWindow();
    published.CloseAll();
    mutex.Close();
    ASSERT_TRUE(reloaded);
    EXPECT_EQ(running.shows, 1);
    EXPECT_EQ(running.foregrounds, 1);
    ASSERT_EQ(atReload.size(), 2u);
    EXPECT_EQ(atReload[0].id, 1);
    EXPECT_EQ(atReload[1].id, 0);
    EXPECT_EQ(atReload[1].title, L"さくら紀行");
    EXPECT_EQ(atReload[1].channelValue, kMinatoChannel);
}

TEST_F(OrvandelProcessTest, TheRunningInstanceListsTheSecondStartsReservationWithAFreshId) {
    WriteProgramIni();
    WriteChannelTables();
    WriteProgram({Reservation(L"港町ニュース", MinutesFromNow(24 * 60), 30, 1)});
    auto first = Start();
    const ui::HWND hwnd = AwaitMainWindow(*first);
    ASSERT_NE(hwnd, 0u);

    const std::filesystem::path iepg =
        WorkFile("sakura.tvpid", IepgText(L"さくら紀行", MinutesFromNow(48 * 60), 45, 0x4001));
    auto second = Start({iepg.string()});
    EXPECT_TRUE(ExitedCleanly(*second));
    // The running instance merged the line: numbered 2, saved again.
    ASSERT_TRUE(WaitUntil([&] {
        const auto entries = ProgramEntries();
        return entries.size() == 2 && entries[1].id == 2;
    }));
    EXPECT_EQ(ProgramEntries()[1].title, L"さくら紀行");
    EXPECT_TRUE(WindowTitled(first->Pid(), L"Orvandel").has_value());
    Close(*first, hwnd);
    EXPECT_EQ(ProgramEntries().size(), 2u);
}

TEST_F(OrvandelProcessTest, AHugeIepgFileOnTheCommandLineShowsItsBoxAndTheProgramRunsOn) {
    WriteProgramIni();
    WriteChannelTables();
    WriteProgram({Reservation(L"港町ニュース", MinutesFromNow(24 * 60), 30, 1)});
    std::string huge = IepgText(L"さくら紀行", MinutesFromNow(48 * 60), 45, 0x4001);
    huge.insert(huge.find("program-title: "), std::string(3 << 20, 'x') + "\r\n");
    auto program = Start({WorkFile("huge.tvpid", huge).string()});
    std::optional<ui::HWND> box;
    ASSERT_TRUE(
        WaitUntil([&] { return (box = WindowTitled(program->Pid(), L"")).has_value(); }, 30000));
    ASSERT_TRUE(platform::PostMessageW(*box, ui::WM_CLOSE, 0, 0));
    const ui::HWND hwnd = AwaitMainWindow(*program);
    ASSERT_NE(hwnd, 0u);
    const auto entries = ProgramEntries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].title, L"港町ニュース");
    Close(*program, hwnd);
}

// Without XDG_RUNTIME_DIR the runtime folder is <temp>/orvandel-<uid>, which any user may make
// first.
class RuntimeFolderTakenTest : public OrvandelProcessTest {
  protected:
    // The program in the environment of a session without XDG_RUNTIME_DIR, with `temp` as its
    // temporary folder and a cache folder of its own.
    std::unique_ptr<test_support::HelperProcess> StartWithout(const std::filesystem::path& temp) {
        return std::make_unique<test_support::HelperProcess>(
            (folder_ / "Orvandel").string(), std::vector<std::string>{},
            std::vector<std::string>{"XDG_RUNTIME_DIR", "TMPDIR=" + temp.string(),
                                     "XDG_CACHE_HOME=" + cache_.string()});
    }
    bool Shown(const std::string& picture) const {
        return WaitUntil([&] { return std::filesystem::exists(shots_ / (picture + ".png")); },
                         30000);
    }
    std::filesystem::path Shared(const std::filesystem::path& temp) const {
        return temp / ("orvandel-" + std::to_string(::getuid()));
    }

    std::filesystem::path cache_ = test_support::FreshFolder("cache");
};

TEST_F(RuntimeFolderTakenTest, AnotherUserWhoMadeItFirstDoesNotKeepTheTimerFromStarting) {
    if (!test_support::CanStartAsOtherUser())
        GTEST_SKIP() << "only root can start a program as another user";
    WriteProgramIni();
    const test_support::SharedFolder temp(test_support::SharedFolder::kLikeTmp);
    test_support::HelperProcess made("/bin/mkdir", {"-m", "0700", Shared(temp.Path()).string()}, {},
                                     test_support::kOtherUser);
    ASSERT_EQ(made.Wait(), 0);
    auto program = StartWithout(temp.Path());
    // Its main window comes up, its objects in the user's cache folder.
    EXPECT_TRUE(Shown("timer_ui_COrvandelDlg"));
    EXPECT_TRUE(std::filesystem::is_directory(cache_ / "orvandel-runtime"));
    EXPECT_EQ(program->WaitFor(std::chrono::milliseconds(0)), std::nullopt);
}

TEST_F(RuntimeFolderTakenTest, WhenNoPlaceCanBeUsedABoxSaysWhyAndNoWindowOpens) {
    WriteProgramIni();
    const std::filesystem::path temp = test_support::FreshFolder("tmp");
    std::filesystem::create_directory_symlink(temp, Shared(temp));
    std::filesystem::create_directory_symlink(temp, cache_ / "orvandel-runtime");
    auto program = StartWithout(temp);
    EXPECT_TRUE(Shown("ui_MessageBoxWithoutWindowServices"));
    EXPECT_FALSE(std::filesystem::exists(shots_ / "timer_ui_COrvandelDlg.png"));
    // It waits for the box to be closed, then ends.
    EXPECT_EQ(program->WaitFor(std::chrono::milliseconds(0)), std::nullopt);
}

}  // namespace
}  // namespace timer_ui_test
