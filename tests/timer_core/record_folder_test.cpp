#include "timer_core/housekeeping/record_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/sandbox.h"
#include "tests/support/services_helper.h"
#include "tests/support/wait_until.h"

namespace timer_core {
namespace {

constexpr std::uint64_t kMiB = 1024 * 1024;

// The recording folder on a simulated disk of a chosen size, with the debug lines in a file.
class RecordFolderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(sandbox.Native("rec"));
        sandbox.SetEnv("ORVANDEL_SIM_DISK", sandbox.Native("disk"));
        sandbox.SetEnv("ORVANDEL_DEBUG_LOG", sandbox.Native("debug.log"));
    }

    void DiskSize(std::uint64_t bytes) const { std::ofstream(sandbox.Native("disk")) << bytes; }
    // A sparse file of the given size in the recording folder.
    void Recording(const std::string& name, std::uint64_t bytes = 0) const {
        std::ofstream(sandbox.Native("rec/" + name));
        std::filesystem::resize_file(sandbox.Native("rec/" + name), bytes);
    }
    bool Exists(const std::string& name) const {
        return std::filesystem::exists(sandbox.Native("rec/" + name));
    }
    std::vector<std::string> DebugLines() const { return sandbox.Lines("debug.log"); }
    RecordFolder Scanned() const {
        RecordFolder folder;
        folder.SetPath(sandbox.Wide("rec"));
        folder.Scan();
        return folder;
    }

    test_support::Sandbox sandbox;
};

TEST_F(RecordFolderTest, ScanListsHyphenatedTsFilesInOrdinalNameOrder) {
    for (const char* name :
         {"202612092100-みなと総合.ts", "202612090600-さくらテレビ.TS", "202612091200.ts",
          "abc-def.ts", "Zeta-1.Ts", "x-y.tsx", "notes-1.txt", "a-b.ts.part"})
        Recording(name);
    std::filesystem::create_directories(sandbox.Native("rec/folder-1.ts"));
    RecordFolder folder = Scanned();
    std::vector<std::wstring> names;
    for (const auto& [name, path] : folder.recordings()) {
        names.push_back(name);
        EXPECT_EQ(path, sandbox.Wide("rec/") + name);
    }
    EXPECT_EQ(names, (std::vector<std::wstring>{L"202612090600-さくらテレビ.TS",
                                                L"202612092100-みなと総合.ts", L"Zeta-1.Ts",
                                                L"abc-def.ts"}));

    RecordFolder unset;
    EXPECT_EQ(unset.Scan(), 0);
    folder.SetPath(L"");  // keeps the folder
    EXPECT_EQ(folder.Scan(), 1);
    EXPECT_EQ(folder.recordings().size(), 4u);
    std::filesystem::create_directories(sandbox.Native("empty"));
    folder.SetPath(sandbox.Wide("empty"));
    EXPECT_EQ(folder.Scan(), 0);
    EXPECT_TRUE(folder.recordings().empty());
}

TEST_F(RecordFolderTest, NeedIsMinutesTimes150MiBPlus500MiBUpTo1440Minutes) {
    Recording("202612090600-さくらテレビ.ts", 10 * kMiB);
    const std::uint64_t need1440 = 1440 * 150 * kMiB + 500 * kMiB;
    DiskSize(need1440 + 10 * kMiB);  // exactly the need is free
    RecordFolder folder = Scanned();
    EXPECT_EQ(folder.EnsureFreeSpace(30), 1);
    EXPECT_EQ(folder.EnsureFreeSpace(1440), 1);
    EXPECT_EQ(folder.EnsureFreeSpace(1441), 0);
    EXPECT_EQ(DebugLines(), (std::vector<std::string>{"Need 5242880000", "Need 227016704000"}));
    DiskSize(need1440 + 10 * kMiB - 1);
    EXPECT_EQ(folder.EnsureFreeSpace(1441), 0);
    EXPECT_TRUE(Exists("202612090600-さくらテレビ.ts"));

    RecordFolder unset;
    EXPECT_EQ(unset.EnsureFreeSpace(0), 0);
    std::filesystem::remove_all(sandbox.Native("rec"));
    EXPECT_EQ(folder.EnsureFreeSpace(0), 0);  // the free space cannot be queried
}

TEST_F(RecordFolderTest, OldestRecordingsGoFirstUntilEnoughIsFree) {
    Recording("202612090600-さくらテレビ.ts", 200 * kMiB);
    Recording("202612092100-みなと総合.ts", 200 * kMiB);
    Recording("202612100700-さくらテレビ.ts", 200 * kMiB);
    Recording("202612080000.ts", 300 * kMiB);  // not a recording: kept, but it takes space
    DiskSize(1300 * kMiB);                     // 400 MiB free
    RecordFolder folder = Scanned();
    EXPECT_EQ(folder.EnsureFreeSpace(1), 1);  // needs 650 MiB
    EXPECT_FALSE(Exists("202612090600-さくらテレビ.ts"));
    EXPECT_FALSE(Exists("202612092100-みなと総合.ts"));
    EXPECT_TRUE(Exists("202612100700-さくらテレビ.ts"));
    EXPECT_TRUE(Exists("202612080000.ts"));
    EXPECT_EQ(DebugLines(), (std::vector<std::string>{"Need 681574400", "free 419430400,419430400",
                                                      "free 629145600,629145600"}));
    EXPECT_EQ(folder.recordings().size(), 1u);
}

TEST_F(RecordFolderTest, ARecordingAnotherProcessHoldsOpenIsNeverDeleted) {
    const std::wstring held = sandbox.Wide("rec/202612090600-みなと総合.ts");
    const platform::DWORD pid = test_support::StartServicesHelper(
        L"hold-file \"" + held + L"\" " + sandbox.Wide("release") + L" " + sandbox.Wide("ready"));
    ASSERT_NE(pid, 0u);
    ASSERT_TRUE(
        test_support::WaitUntil([&] { return std::filesystem::exists(sandbox.Native("ready")); }));
    DiskSize(100 * kMiB);
    RecordFolder folder = Scanned();
    ASSERT_EQ(folder.recordings().size(), 1u);
    EXPECT_EQ(folder.EnsureFreeSpace(0), 0);
    EXPECT_TRUE(Exists("202612090600-みなと総合.ts"));
    // One attempt: a free line before it and one after, then the list is empty.
    EXPECT_EQ(DebugLines(), (std::vector<std::string>{"Need 524288000", "free 104857600,104857600",
                                                      "free 104857600,104857600"}));

    // With a newer recording beside it, that one goes and the held one stays.
    Recording("202612092100-さくらテレビ.ts", 500 * kMiB);
    DiskSize(900 * kMiB);
    folder = Scanned();
    EXPECT_EQ(folder.EnsureFreeSpace(0), 1);
    EXPECT_TRUE(Exists("202612090600-みなと総合.ts"));
    EXPECT_FALSE(Exists("202612092100-さくらテレビ.ts"));

    std::ofstream(sandbox.Native("release"));
    EXPECT_EQ(test_support::FinishServicesHelper(pid), 0);
}

}  // namespace
}  // namespace timer_core
