// Hostile programme titles against the real FriioView and the real plug-in: whatever a title
// holds ("../", "/", control characters, 600 characters), the recording lands in the viewer's
// recording folder as a ".ts" file, in fixed mode (the name on the viewer's command line) and in
// follow mode (the name in the record request the plug-in reads, whose title is cut to fit the
// request's 511 characters).
#ifdef FRIIOVIEW_PATH

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "platform/paths.h"
#include "platform/private_profile.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "shared/shared_memory_readers.h"
#include "tests/support/private_runtime.h"
#include "tests/support/scoped_environment.h"
#include "tests/timer_core/fake_viewer.h"
#include "timer_core/recording/friio_view_launcher.h"
#include "timer_core/recording/slot_recording_start.h"
#include "timer_core/scheduling/timer_manager.h"
#include "tools/collection_world.h"

namespace timer_core {
namespace {

namespace fs = std::filesystem;
using timer_core_test::WaitUntil;

constexpr int kViewerStartMs = 30000;

const std::wstring kTitles[] = {
    L"/" + std::wstring(300, L'長') + L"/../" + std::wstring(300, L'名'),
    L"../../壊れた/名前\x01\x1F\n\r\t..",
};

class RecordingNameSafetyTest : public ::testing::Test {
  protected:
    RecordingNameSafetyTest()
        : root_(timer_core_test::FreshFolder("name-safety")),
          world_(root_ / "world", fs::path(FRIIOVIEW_PATH).parent_path()),
          manager_(platform::FromNativePath((root_ / "Orvandel.ini").native())) {}

    void SetUp() override {
        test_support::UsePrivateRuntime();
        environment_.Set("ORVANDEL_DEBUG_LOG", (root_ / "debug.log").string());
        ASSERT_TRUE(world_.PrepareViewerFolder({}));
        recordings_ = root_ / "world" / "recordings";
        fs::create_directories(recordings_);
        auto friio = platform::RegistryKey::Create(L"Software\\Friio");
        ASSERT_TRUE(friio.has_value());
        friio->SetString(L"SavePath", platform::FromNativePath(recordings_.native()));
        friio->SetString(L"Area", L"東京");
        const std::wstring ini = manager_.IniPath();
        platform::WritePrivateProfileStringW(
            L"SET", L"FriioViewPath",
            platform::FromNativePath(world_.ViewerPath().native()).c_str(), ini.c_str());
        platform::WritePrivateProfileStringW(L"SET", L"NameManual", L"1", ini.c_str());
        manager_.LoadSettings();
    }
    void TearDown() override {
        for (const platform::DWORD pid : started_) {
            platform::TerminateProcess(pid, 1);
            platform::WaitForProcess(pid, timer_core_test::kProcessEndMs);
        }
    }

    // A slot on device 0 recording a programme of みなと総合 with the title.
    std::shared_ptr<RecThreadSlot> Slot(const std::wstring& title, int follow,
                                        platform::DWORD viewer) {
        auto entry = std::make_shared<ReserveEntry>();
        entry->title = title;
        entry->start = {2026, 12, 4, 0, 20, 0, 0, 0};
        entry->durationMinutes = 30;
        entry->channelValue = 21;
        entry->serviceId = 0x400;
        entry->follow = static_cast<std::uint8_t>(follow);
        auto slot = std::make_shared<RecThreadSlot>();
        slot->owner = manager_.ShareWithThread();
        slot->currentReserve = entry;
        slot->deviceIndex = 0;
        slot->viewerProcessId = viewer;
        return slot;
    }
    // Every file named after one of the titles, anywhere in the tests' folders (a title's "../"
    // would lead there), the recordings and the files beside them.
    std::set<fs::path> Recordings() const {
        std::set<fs::path> found;
        std::error_code ec;
        for (const auto& file : fs::recursive_directory_iterator(root_.parent_path(), ec)) {
            const std::string name = file.path().filename().string();
            if (name.find("長長長") != std::string::npos || name.find("名前") != std::string::npos)
                found.insert(file.path());
        }
        return found;
    }
    // Waits for one recording (".ts") more than `before`; it and the files beside it must lie in
    // the recording folder.
    void ExpectOneMoreInTheFolder(const std::set<fs::path>& before) {
        ASSERT_TRUE(WaitUntil(
            [&] {
                for (const fs::path& file : Recordings()) {
                    if (!before.contains(file) && file.extension() == ".ts") return true;
                }
                return false;
            },
            kViewerStartMs));
        for (const fs::path& file : Recordings()) {
            if (before.contains(file)) continue;
            EXPECT_EQ(file.parent_path(), recordings_) << file;
        }
    }

    fs::path root_;
    test_support::ScopedEnvironment environment_;
    timer_core_test::PrivateHome home_;
    tools::CollectionWorld world_;
    TimerManager manager_;
    fs::path recordings_;
    std::vector<platform::DWORD> started_;
};

TEST_F(RecordingNameSafetyTest, FixedModeRecordingsLandInTheRecordingFolder) {
    for (const std::wstring& title : kTitles) {
        const auto before = Recordings();
        const auto slot = Slot(title, 0, 0);
        shared::SharedMemoryBlock block;
        int minutes = 0;
        ASSERT_EQ(StartSlotRecording(&minutes, manager_, slot.get(), block), 1);
        ASSERT_NE(slot->viewerProcessId, 0u);
        started_.push_back(slot->viewerProcessId);
        ExpectOneMoreInTheFolder(before);
    }
}

TEST_F(RecordingNameSafetyTest, FollowModeRecordingsLandInTheRecordingFolder) {
    for (const std::wstring& title : kTitles) {
        const auto before = Recordings();
        FriioViewLauncher launcher;
        launcher.SetPath(platform::FromNativePath(world_.ViewerPath().native()));
        platform::DWORD viewer = 0;
        ASSERT_EQ(launcher.StartOnChannel(21, 0, &viewer), 1);
        ASSERT_NE(viewer, 0u);
        started_.push_back(viewer);
        platform::HWND plugin = 0;
        ASSERT_TRUE(WaitUntil([&] { return shared::ReadPluginPostHwnd(viewer, &plugin) == 1; },
                              kViewerStartMs));
        const auto slot = Slot(title, 1, viewer);
        shared::SharedMemoryBlock block;
        int minutes = 0;
        ASSERT_EQ(StartSlotRecording(&minutes, manager_, slot.get(), block), 1);
        ExpectOneMoreInTheFolder(before);
    }
}

}  // namespace
}  // namespace timer_core

#endif  // FRIIOVIEW_PATH
