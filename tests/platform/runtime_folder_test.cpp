// The runtime folder: the fallback without XDG_RUNTIME_DIR trusts only a private folder of this
// user, and takes one in the user's cache folder when another user has taken the shared one;
// everything below it is private whatever the umask, a process removes what it made when it
// exits, and a starting process sweeps what killed processes left.
#include "platform/runtime_folder.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/named_file_mapping.h"
#include "platform/named_object_store.h"
#include "platform/paths.h"
#include "platform/window_messages.h"
#include "tests/support/helper_process.h"
#include "tests/support/other_user.h"
#include "tests/support/private_runtime.h"

namespace platform {
namespace {

namespace fs = std::filesystem;
using test_support::HelperProcess;

// Sets an environment variable (nullopt: removes it) for the lifetime of the object.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, std::optional<std::string> value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value) {
            ::setenv(name, value->c_str(), 1);
        } else {
            ::unsetenv(name);
        }
    }
    ~ScopedEnv() {
        if (old_) {
            ::setenv(name_, old_->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    const char* name_;
    std::optional<std::string> old_;
};

// A temporary folder standing in for /tmp, where the fallback runtime folder goes, and a private
// cache folder, where the user's own one goes when that one is refused.
class FallbackRuntimeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const fs::path base = test_support::UsePrivateRuntime();
        const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        temp_ = tempFolder_.Path();
        cache_ = base / ("cache-" + name);
        tmpdir_.emplace("TMPDIR", temp_.string());
        xdg_.emplace("XDG_RUNTIME_DIR", std::nullopt);
        cacheHome_.emplace("XDG_CACHE_HOME", cache_.string());
        log_.emplace("ORVANDEL_DEBUG_LOG", (temp_ / "debug.log").string());
    }
    void TearDown() override {
        log_.reset();
        cacheHome_.reset();
        xdg_.reset();
        tmpdir_.reset();
        std::error_code ec;
        fs::remove_all(cache_, ec);
    }

    fs::path Fallback() const { return temp_ / ("orvandel-" + std::to_string(::getuid())); }
    fs::path OwnFallback() const { return cache_ / "orvandel-runtime"; }
    std::string DebugLog() const {
        std::ifstream in(temp_ / "debug.log");
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // The environment a helper needs to use the same fallback (it has no XDG_RUNTIME_DIR).
    std::vector<std::string> HelperEnv() const {
        return {"TMPDIR=" + temp_.string(),
                "XDG_RUNTIME_DIR=", "XDG_CACHE_HOME=" + cache_.string()};
    }
    // Expects the fallback to be refused, with the reason in the debug output, and the user's own
    // folder in the cache folder to take its place.
    void ExpectRefused(const std::string& reason) {
        EXPECT_EQ(RuntimeFolder().parent_path(), OwnFallback());
        bool existed = false;
        EXPECT_TRUE(NamedFileMapping::Create("Global\\Refused", 4, &existed).Valid());
        EXPECT_NE(DebugLog().find(reason), std::string::npos) << DebugLog();
    }

    // Another user may write there, as in /tmp.
    test_support::SharedFolder tempFolder_{test_support::SharedFolder::kLikeTmp};
    fs::path temp_;
    fs::path cache_;
    std::optional<ScopedEnv> tmpdir_, xdg_, cacheHome_, log_;
};

mode_t ModeOf(const fs::path& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? st.st_mode : 0;
}

TEST_F(FallbackRuntimeTest, IsCreatedPrivateAndEverythingBelowItIsPrivateWhateverTheUmask) {
    const mode_t oldMask = ::umask(0);
    // A window (message socket, window record, thread activity) and a named object, made by a
    // process that inherits the empty umask.
    HelperProcess window(PLATFORM_TEST_HELPER, {"window", "private", "0", "1"}, HelperEnv());
    HelperProcess mapping(PLATFORM_TEST_HELPER, {"hold-mapping", "Global\\Private", "8", "1"},
                          HelperEnv());
    ::umask(oldMask);
    ASSERT_TRUE(window.Expect("hwnd ").has_value());
    ASSERT_EQ(mapping.Expect("existed "), "0");
    int files = 0;
    EXPECT_EQ(ModeOf(Fallback()) & 07777, 0700u);
    for (const auto& entry : fs::recursive_directory_iterator(Fallback())) {
        const mode_t mode = ModeOf(entry.path());
        SCOPED_TRACE(entry.path().string());
        if (S_ISDIR(mode)) {
            EXPECT_EQ(mode & 07777, 0700u);
        } else {
            ++files;
            EXPECT_EQ(mode & 07777, 0600u);
        }
    }
    EXPECT_GE(files, 4);  // socket, window record, thread activity, mapping
    EXPECT_FALSE(fs::exists(OwnFallback()));
}

TEST_F(FallbackRuntimeTest, AFolderThatIsALinkAnotherUsersOrOpenToOthersIsRefused) {
    // Made by this process: used.
    ASSERT_EQ(RuntimeFolder().parent_path(), Fallback());
    // Replaced by a link after it was made: refused from the next use on.
    fs::rename(Fallback(), temp_ / "elsewhere");
    fs::create_directory_symlink(temp_ / "elsewhere", Fallback());
    ExpectRefused("is a symbolic link");
    fs::remove(Fallback());

    // Made first by someone else and left open to others.
    fs::create_directory(Fallback());
    fs::permissions(Fallback(),
                    fs::perms::owner_all | fs::perms::group_all | fs::perms::others_all);
    ExpectRefused("its mode is 0777, not 0700");
    fs::permissions(Fallback(), fs::perms::owner_all);
    EXPECT_EQ(RuntimeFolder().parent_path(), Fallback());

    // Another user's, however private.
    if (::chown(Fallback().c_str(), 65534, 65534) != 0) GTEST_SKIP() << "cannot give it away";
    ExpectRefused("belongs to user 65534");
}

TEST_F(FallbackRuntimeTest, AnotherUserWhoMakesTheFolderFirstCannotKeepProgramsFromMeeting) {
    if (!test_support::CanStartAsOtherUser())
        GTEST_SKIP() << "only root can start a program as another user";
    HelperProcess other("/bin/mkdir", {"-m", "0700", Fallback().string()}, {},
                        test_support::kOtherUser);
    ASSERT_EQ(other.Wait(), 0);
    ASSERT_TRUE(fs::is_directory(Fallback()));
    // Two programs of this user still meet: both take the folder in the cache folder.
    bool existed = false;
    const NamedFileMapping mine = NamedFileMapping::Create("Global\\Met", 8, &existed);
    ASSERT_TRUE(mine.Valid());
    HelperProcess helper(PLATFORM_TEST_HELPER, {"hold-mapping", "Global\\Met", "8", "1"},
                         HelperEnv());
    EXPECT_EQ(helper.Expect("existed "), "1");
    EXPECT_EQ(RuntimeFolder().parent_path(), OwnFallback());
    EXPECT_NE(
        DebugLog().find("belongs to user 65534; using " + OwnFallback().string() + " instead"),
        std::string::npos)
        << DebugLog();
}

TEST_F(FallbackRuntimeTest, WhenTheOwnFolderIsRefusedTooTheRefusalNamesBoth) {
    fs::create_directory_symlink(temp_, Fallback());
    fs::create_directories(cache_);
    fs::create_directory_symlink(temp_, OwnFallback());
    std::wstring refusal;
    EXPECT_TRUE(RuntimeFolder(&refusal).empty());
    EXPECT_EQ(refusal, FromNativePath(Fallback().native()) + L": it is a symbolic link\n" +
                           FromNativePath(OwnFallback().native()) + L": it is a symbolic link");
    bool existed = false;
    EXPECT_FALSE(NamedFileMapping::Create("Global\\Refused", 4, &existed).Valid());
    EXPECT_NE(DebugLog().find("named objects, messages and windows are not available"),
              std::string::npos);
}

class RuntimeCleanupTest : public ::testing::Test {
  protected:
    void SetUp() override { test_support::UsePrivateRuntime(); }
};

// The files in the runtime folder that belong to the process with that id.
std::vector<fs::path> FilesOf(pid_t pid, const std::string& mappingName) {
    const fs::path runtime = RuntimeFolder();
    std::vector<fs::path> found;
    const fs::path socket = runtime / "msg" / std::to_string(pid);
    if (fs::exists(fs::symlink_status(socket))) found.push_back(socket);
    if (!mappingName.empty()) {
        const fs::path mapping = runtime / "mappings" / NamedObjectStore::FileNameOf(mappingName);
        if (fs::exists(mapping)) found.push_back(mapping);
    }
    // Window records hold the process id after their magic; thread activity files after two
    // 64-bit times.
    for (const auto& [folder, offset] : {std::pair{"windows", 4}, std::pair{"threads", 16}}) {
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(runtime / folder, ec)) {
            std::ifstream in(entry.path(), std::ios::binary);
            std::uint32_t owner = 0;
            in.seekg(offset);
            in.read(reinterpret_cast<char*>(&owner), sizeof owner);
            if (in && owner == static_cast<std::uint32_t>(pid)) found.push_back(entry.path());
        }
    }
    return found;
}

TEST_F(RuntimeCleanupTest, AProcessThatExitsLeavesNothingBehind) {
    HelperProcess window(PLATFORM_TEST_HELPER, {"window", "leaving", "0", "1"});
    const auto line = window.Expect("hwnd ");
    ASSERT_TRUE(line.has_value());
    const auto hwnd = static_cast<HWND>(std::strtoul(line->c_str(), nullptr, 10));
    HelperProcess leak(PLATFORM_TEST_HELPER, {"leak-mapping", "Global\\Leaked"});
    ASSERT_EQ(leak.Expect("existed "), "0 valid 1");
    EXPECT_EQ(FilesOf(window.Pid(), "").size(), 3u);  // socket, window record, thread activity
    EXPECT_EQ(FilesOf(leak.Pid(), "Global\\Leaked").size(), 1u);

    const pid_t windowPid = window.Pid();
    const pid_t leakPid = leak.Pid();
    ASSERT_TRUE(PostMessageW(hwnd, WM_CLOSE, 0, 0));
    ASSERT_TRUE(window.Expect("quit").has_value());
    EXPECT_EQ(window.CloseAndWait(), 0);
    EXPECT_EQ(leak.CloseAndWait(), 0);
    EXPECT_TRUE(FilesOf(windowPid, "").empty());
    // The handle was never closed; the exit gave the object up.
    EXPECT_TRUE(FilesOf(leakPid, "Global\\Leaked").empty());
}

TEST_F(RuntimeCleanupTest, AStartingProcessSweepsWhatKilledProcessesLeft) {
    HelperProcess window(PLATFORM_TEST_HELPER, {"window", "killed", "0", "1"});
    ASSERT_TRUE(window.Expect("hwnd ").has_value());
    HelperProcess mapping(PLATFORM_TEST_HELPER, {"hold-mapping", "Global\\Killed", "8", "1"});
    ASSERT_EQ(mapping.Expect("existed "), "0");
    const pid_t windowPid = window.Pid();
    const pid_t mappingPid = mapping.Pid();
    window.Kill();
    mapping.Kill();
    ASSERT_EQ(FilesOf(windowPid, "").size(), 3u);
    ASSERT_EQ(FilesOf(mappingPid, "Global\\Killed").size(), 1u);

    // Processes that start later and use windows and named objects (of other names).
    HelperProcess nextWindow(PLATFORM_TEST_HELPER, {"window", "next", "0", "1"});
    ASSERT_TRUE(nextWindow.Expect("hwnd ").has_value());
    HelperProcess nextMapping(PLATFORM_TEST_HELPER, {"hold-mapping", "Global\\Next", "8", "1"});
    ASSERT_EQ(nextMapping.Expect("existed "), "0");
    EXPECT_TRUE(FilesOf(windowPid, "").empty());
    EXPECT_TRUE(FilesOf(mappingPid, "Global\\Killed").empty());
}

}  // namespace
}  // namespace platform
