#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/atomic_file_writer.h"
#include "platform/file_handle.h"
#include "platform/file_operations.h"
#include "platform/file_search.h"
#include "platform/last_error.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/process_identity.h"
#include "platform/whole_file.h"
#include "tests/support/sandbox.h"
#include "tests/support/services_helper.h"
#include "tests/support/wait_until.h"

namespace platform {
namespace {

class FileServicesTest : public ::testing::Test {
  protected:
    std::string Read(const std::string& name) const {
        std::ifstream in(sandbox.Native(name), std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    void Make(const std::string& name, const std::string& bytes = "x") const {
        std::ofstream(sandbox.Native(name)) << bytes;
    }
    test_support::Sandbox sandbox;
};

TEST_F(FileServicesTest, OpenModesCreateTruncateAndRefuseAsWindowsDoes) {
    const std::wstring path = sandbox.Wide("a.txt");
    EXPECT_FALSE(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING).IsValid());
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(CreateFileW(sandbox.Wide("no/a.txt"), GENERIC_WRITE, 0, CREATE_ALWAYS).IsValid());
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    {
        FileHandle f = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS);
        ASSERT_TRUE(f.IsValid());
        EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
        EXPECT_TRUE(f.WriteAll("hello"));
    }
    {
        FileHandle f = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, OPEN_ALWAYS);
        EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
        EXPECT_EQ(f.Size(), 5u);
        EXPECT_EQ(f.SetPointer(0, FILE_END), 5u);
        EXPECT_TRUE(f.WriteAll("!"));
    }
    EXPECT_EQ(Read("a.txt"), "hello!");
    EXPECT_FALSE(CreateFileW(path, GENERIC_WRITE, 0, CREATE_NEW).IsValid());
    EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
    EXPECT_FALSE(
        CreateFileW(sandbox.Wide(""), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING).IsValid());
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    FileHandle again = CreateFileW(path, GENERIC_WRITE, 0, CREATE_ALWAYS);
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_EQ(again.Size(), 0u);
}

// Settings and tables are read whole; a pipe, a device or a huge file must neither hang the
// reader nor fill its memory.
TEST_F(FileServicesTest, WholeFileReadsTakeOnlyRegularFilesUpToTheirBound) {
    Make("small.ini", "[a]\r\nb=1\r\n");
    std::string bytes = "old";
    EXPECT_TRUE(ReadWholeFile(sandbox.Wide("small.ini"), &bytes));
    EXPECT_EQ(bytes, "[a]\r\nb=1\r\n");
    EXPECT_TRUE(ReadWholeFile(sandbox.Wide("small.ini"), &bytes, 10));
    EXPECT_FALSE(ReadWholeFile(sandbox.Wide("small.ini"), &bytes, 9));
    EXPECT_EQ(GetLastError(), ERROR_FILE_TOO_LARGE);
    EXPECT_EQ(bytes, "");

    ASSERT_EQ(::mkfifo(sandbox.Native("pipe.ini").c_str(), 0600), 0);
    for (const std::wstring& path :
         {sandbox.Wide("pipe.ini"), std::wstring(L"/dev/zero"), sandbox.Wide("")}) {
        EXPECT_FALSE(ReadWholeFile(path, &bytes)) << platform::ToNativePath(path);
        EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
        EXPECT_EQ(bytes, "");
    }
    EXPECT_FALSE(ReadWholeFile(sandbox.Wide("missing.ini"), &bytes));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(FileServicesTest, ShareModesHoldBetweenOpens) {
    const std::wstring path = sandbox.Wide("rec.ts");
    Make("rec.ts", "data");
    FileHandle writer = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING);
    ASSERT_TRUE(writer.IsValid());
    // Readers that let the writer write get in; an exclusive open and a second writer do not.
    EXPECT_TRUE(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING)
                    .IsValid());
    EXPECT_FALSE(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING).IsValid());
    EXPECT_FALSE(CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING).IsValid());
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    EXPECT_FALSE(CreateFileW(path, GENERIC_WRITE, 0, CREATE_ALWAYS).IsValid());
    EXPECT_FALSE(DeleteFileW(path));
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    EXPECT_EQ(Read("rec.ts"), "data");  // the refused CREATE_ALWAYS did not truncate
    writer.Close();
    FileHandle exclusive = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING);
    EXPECT_TRUE(exclusive.IsValid());
    exclusive.Close();
    EXPECT_TRUE(DeleteFileW(path));
    EXPECT_FALSE(DeleteFileW(path));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(FileServicesTest, AFileHeldByAnotherProcessIsNeitherOpenedExclusivelyNorDeleted) {
    const std::wstring path = sandbox.Wide("held.ts");
    // The helper holds the file for writing, as the viewer holds a recording.
    const DWORD pid =
        test_support::StartServicesHelper(L"hold-file " + path + L" " + sandbox.Wide("release"));
    ASSERT_NE(pid, 0u);
    // Once the helper's open (with its share record) is done, the exclusive open fails.
    EXPECT_TRUE(test_support::WaitUntil([&] {
        return !CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING).IsValid() &&
               GetLastError() == ERROR_SHARING_VIOLATION;
    }));
    EXPECT_FALSE(DeleteFileW(path));
    EXPECT_TRUE(std::filesystem::exists(sandbox.Native("held.ts")));
    Make("release");
    EXPECT_EQ(test_support::FinishServicesHelper(pid), 0);
    // Its end releases the file.
    EXPECT_TRUE(CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING).IsValid());
    EXPECT_TRUE(DeleteFileW(path));
}

TEST_F(FileServicesTest, WildcardsMatchAsOnWindows) {
    EXPECT_TRUE(MatchesWildcard(L"202612092100-MINATO.ts", L"*-*.ts"));
    EXPECT_TRUE(MatchesWildcard(L"2026-A.TS", L"*-*.ts"));
    EXPECT_FALSE(MatchesWildcard(L"202612092100.ts", L"*-*.ts"));
    EXPECT_FALSE(MatchesWildcard(L"a-b.tsx", L"*-*.ts"));
    EXPECT_TRUE(MatchesWildcard(L"ch27_epg.dat", L"*_epg.dat"));
    EXPECT_TRUE(MatchesWildcard(L"ＡＢＣ.txt", L"ａｂｃ.TXT"));
    EXPECT_TRUE(MatchesWildcard(L"abc", L"a?c"));
    EXPECT_FALSE(MatchesWildcard(L"ac", L"a?c"));
    EXPECT_TRUE(MatchesWildcard(L"noext", L"*.*"));
    EXPECT_TRUE(MatchesWildcard(L"a.b.c", L"*.c"));
    EXPECT_TRUE(MatchesWildcard(L"", L"*"));
}

TEST_F(FileServicesTest, SearchListsMatchingEntriesWithTheirKind) {
    Make("1-a.ts");
    Make("2-b.TS", "12345");
    Make("plain.ts");
    std::filesystem::create_directories(sandbox.Native("dir-x.ts"));
    auto hits = FindFiles(sandbox.Wide("*-*.ts"));
    std::sort(hits.begin(), hits.end(),
              [](const FindData& a, const FindData& b) { return a.fileName < b.fileName; });
    ASSERT_EQ(hits.size(), 3u);
    EXPECT_EQ(hits[0].fileName, L"1-a.ts");
    EXPECT_EQ(hits[1].fileName, L"2-b.TS");
    EXPECT_EQ(hits[1].size, 5u);
    EXPECT_FALSE(hits[1].IsDirectory());
    EXPECT_TRUE(hits[2].IsDirectory());
    EXPECT_EQ(FindFiles(sandbox.Wide("*")).size(), 6u);  // "." and ".." match "*"
    EXPECT_TRUE(FindFiles(sandbox.Wide("*.dat")).empty());
    EXPECT_TRUE(FindFiles(sandbox.Wide("missing/*")).empty());
}

TEST_F(FileServicesTest, CopyCreateFolderAndFreeSpace) {
    Make("src.dat", "epg");
    ::chmod(sandbox.Native("src.dat").c_str(), 0640);
    EXPECT_TRUE(CopyFileW(sandbox.Wide("src.dat"), sandbox.Wide("dst.dat"), FALSE));
    EXPECT_EQ(Read("dst.dat"), "epg");
    struct stat st {};
    ::stat(sandbox.Native("dst.dat").c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    Make("src.dat", "epg2");
    EXPECT_FALSE(CopyFileW(sandbox.Wide("src.dat"), sandbox.Wide("dst.dat"), TRUE));
    EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
    EXPECT_TRUE(CopyFileW(sandbox.Wide("src.dat"), sandbox.Wide("dst.dat"), FALSE));
    EXPECT_EQ(Read("dst.dat"), "epg2");
    EXPECT_FALSE(CopyFileW(sandbox.Wide("none"), sandbox.Wide("x"), FALSE));

    EXPECT_TRUE(CreateDirectoryW(sandbox.Wide("Orvandel")));
    EXPECT_FALSE(CreateDirectoryW(sandbox.Wide("Orvandel")));
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_FALSE(CreateDirectoryW(sandbox.Wide("a/b")));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);

    std::uint64_t avail = 0, total = 0, free = 0;
    ASSERT_TRUE(GetDiskFreeSpaceExW(sandbox.Wide("Orvandel"), &avail, &total, &free));
    EXPECT_GT(total, 0u);
    EXPECT_LE(avail, free);
    EXPECT_LE(free, total);
    EXPECT_FALSE(GetDiskFreeSpaceExW(sandbox.Wide("missing"), &avail, nullptr, nullptr));
}

TEST_F(FileServicesTest, FreeSpaceOfTheSimulatedDiskFollowsTheFolderContents) {
    ASSERT_TRUE(CreateDirectoryW(sandbox.Wide("rec")));
    Make("rec/a-1.ts", std::string(1000, 'x'));
    Make("disk", "5000\n");
    sandbox.SetEnv("ORVANDEL_SIM_DISK", sandbox.Native("disk"));
    std::uint64_t avail = 0, total = 0, free = 0;
    EXPECT_TRUE(GetDiskFreeSpaceExW(sandbox.Wide("rec"), &avail, &total, &free));
    EXPECT_EQ(avail, 4000u);
    EXPECT_EQ(free, 4000u);
    EXPECT_EQ(total, 5000u);
    // Files come and go, the figure is rewritten while the simulation runs.
    std::filesystem::resize_file(sandbox.Native("rec/a-1.ts"), 7000);
    EXPECT_TRUE(GetDiskFreeSpaceExW(sandbox.Wide("rec"), &avail, nullptr, nullptr));
    EXPECT_EQ(avail, 0u);
    Make("disk", "9000");
    EXPECT_TRUE(GetDiskFreeSpaceExW(sandbox.Wide("rec"), &avail, nullptr, nullptr));
    EXPECT_EQ(avail, 2000u);
    EXPECT_FALSE(GetDiskFreeSpaceExW(sandbox.Wide("missing"), &avail, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    Make("disk", "lots");
    EXPECT_FALSE(GetDiskFreeSpaceExW(sandbox.Wide("rec"), &avail, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_NOT_READY);
}

TEST_F(FileServicesTest, OpeningAFifoNeverWaitsForItsOtherEnd) {
    ASSERT_EQ(::mkfifo(sandbox.Native("pipe").c_str(), 0600), 0);
    FileHandle reader = CreateFileW(sandbox.Wide("pipe"), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    ASSERT_TRUE(reader.IsValid());
    EXPECT_FALSE(reader.IsRegularFile());
    FileHandle file = CreateFileW(sandbox.Wide("a.txt"), GENERIC_WRITE, 0, CREATE_ALWAYS);
    EXPECT_TRUE(file.IsRegularFile());
    // Without a writer the FIFO reads as the end of data.
    char byte = 0;
    DWORD got = 1;
    EXPECT_TRUE(reader.Read(&byte, 1, &got));
    EXPECT_EQ(got, 0u);
}

TEST_F(FileServicesTest, AtomicReplacementKeepsModeAndLeavesNothingBehind) {
    Make("Program.txt", "old");
    ::chmod(sandbox.Native("Program.txt").c_str(), 0600);
    // A reader that opened the old file keeps reading the old content.
    std::ifstream reader(sandbox.Native("Program.txt"));
    ASSERT_TRUE(WriteFileAtomically(sandbox.Wide("Program.txt"), "new content"));
    EXPECT_EQ(Read("Program.txt"), "new content");
    std::string old;
    reader >> old;
    EXPECT_EQ(old, "old");
    struct stat st {};
    ::stat(sandbox.Native("Program.txt").c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(sandbox.Native("")),
                            std::filesystem::directory_iterator()),
              1);
    EXPECT_FALSE(WriteFileAtomically(sandbox.Wide("missing/Program.txt"), "x"));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

// The names in the folder, sorted.
std::vector<std::string> FolderNames(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(FileServicesTest, AtomicReplacementRemovesWhatKilledWritersLeftAndNothingOfLiveOnes) {
    Make("ChSet.txt", "old");
    // A writer of another process stops in the middle of its write and stays there.
    const DWORD pid = test_support::StartServicesHelper(
        L"write-stalled " + sandbox.Wide("ChSet.txt") + L" " + sandbox.Wide("stalled"));
    ASSERT_NE(pid, 0u);
    ASSERT_TRUE(test_support::WaitUntil(
        [&] { return std::filesystem::exists(sandbox.Native("stalled")); }, 20000));
    const std::string stalled = ".ChSet.txt.tmp-" + std::to_string(pid) + "-" +
                                std::to_string(ProcessStartTime(pid)) + "-0";
    ASSERT_EQ(std::filesystem::file_size(sandbox.Native(stalled)), 4096u);

    // Names this process's own writer would use (alive), a writer whose id now belongs to this
    // process (ended), other targets' and other files.
    const std::string self = std::to_string(::getpid());
    const std::string live = ".ChSet.txt.tmp-" + self + "-" +
                             std::to_string(ProcessStartTime(static_cast<DWORD>(::getpid()))) +
                             "-77";
    const std::string reused = ".ChSet.txt.tmp-" + self + "-1-0";
    const std::string other = ".ChSet2.txt.tmp-" + self + "-1-0";
    const std::string unknownStart = ".ChSet.txt.tmp-" + self + "-0-0";
    const std::string notOurs = ".ChSet.txt.tmp-x";
    for (const std::string& name : {live, reused, other, unknownStart, notOurs})
        Make(name);

    ASSERT_TRUE(WriteFileAtomically(sandbox.Wide("ChSet.txt"), "second"));
    EXPECT_EQ(Read("ChSet.txt"), "second");
    std::vector<std::string> expected = {stalled, live,        other,    unknownStart,
                                         notOurs, "ChSet.txt", "stalled"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(FolderNames(sandbox.Native("")), expected);

    // Killed: its temporary file goes with the next write.
    ASSERT_TRUE(TerminateProcess(pid, 9));
    ASSERT_EQ(WaitForProcess(pid, 10000), WAIT_OBJECT_0);
    ASSERT_TRUE(WriteFileAtomically(sandbox.Wide("ChSet.txt"), "third"));
    EXPECT_EQ(Read("ChSet.txt"), "third");
    EXPECT_FALSE(std::filesystem::exists(sandbox.Native(stalled)));
    EXPECT_TRUE(std::filesystem::exists(sandbox.Native(live)));
}

}  // namespace
}  // namespace platform
