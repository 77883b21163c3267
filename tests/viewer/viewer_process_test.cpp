// The real FriioView process with the recording test plug-in: the plug-in interface in order,
// the main window and its messages, host calls, recordings, the command line and the registry.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "platform/file_handle.h"
#include "platform/file_operations.h"
#include "platform/last_error.h"
#include "platform/registry.h"
#include "platform/utf8.h"
#include "tests/support/other_user.h"
#include "tests/support/wait_until.h"
#include "tests/viewer/viewer_process.h"

namespace viewer_test {
namespace {

using namespace std::chrono_literals;

constexpr std::uint32_t kBsMinato = (11727u << 16) | 0x4010;

std::uintmax_t FileSize(const fs::path& path) {
    std::error_code ec;
    const auto size = fs::file_size(path, ec);
    return ec ? 0 : size;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void ExpectWholePackets(const fs::path& path) {
    const std::string bytes = ReadFile(path);
    ASSERT_GT(bytes.size(), 0u);
    ASSERT_EQ(bytes.size() % 188, 0u);
    for (std::size_t i = 0; i < bytes.size(); i += 188)
        ASSERT_EQ(bytes[i], 0x47) << i;
}

platform::RegistryKey FriioKey() {
    auto key = platform::RegistryKey::Create(L"Software\\Friio");
    EXPECT_TRUE(key.has_value());
    return *key;
}

TEST_F(ViewerProcessTest, CallsThePluginInOrderAndAnswersAsTheMainWindow) {
    Start({"-n", "-c", "22", "-o", "0"});
    Next("GetIface2");
    Next("Init 66560 card=0 errors=0 recording=0 seconds=0");
    AwaitPlugin();
    Next("TunerKind 1");
    Next("OnChannelChanged 22 1032");
    Next("StreamData 48128");

    platform::DWORD pid = 0;
    platform::GetWindowThreadProcessId(host, &pid);
    EXPECT_EQ(static_cast<pid_t>(pid), process->Pid());
    EXPECT_EQ(platform::GetWindow(host, platform::GW_OWNER), 0u);
    EXPECT_EQ(platform::GetWindow(own, platform::GW_OWNER), host);
    char title[256];
    platform::GetWindowTextA(host, title, sizeof title);
    EXPECT_STREQ(title, "Friio HDTV Player");
    EXPECT_EQ(platform::FindWindowW(nullptr, L"FRIIO hdtv player"), host);
    EXPECT_EQ(platform::SendMessageW(host, 0x101C, 0, 0), 1);

    Post(platform::WM_CLOSE, 0, 0, host);
    Expect("Unload");
    EXPECT_EQ(ExitStatus(), 0);
    // First start: the area is kept; the window geometry is written at the end.
    const platform::RegistryKey key = FriioKey();
    EXPECT_EQ(key.QueryString(L"Area"), L"東京");
    for (const wchar_t* name : {L"VideoWindowPos", L"ControlWindowPos"}) {
        const auto value = key.QueryValue(name);
        ASSERT_TRUE(value);
        EXPECT_EQ(value->type, platform::REG_BINARY);
        EXPECT_EQ(value->data.size(), 16u);
    }
}

TEST_F(ViewerProcessTest, BsCsDeviceTunesItsListAndHostCallsTuneSelectAndClose) {
    Start({"-n", "-o", "1"});
    AwaitPlugin();
    Next("TunerKind 2");
    Next("OnChannelChanged " + std::to_string(kBsMinato) + " 101");
    Next("StreamData 48128");
    EXPECT_EQ(platform::SendMessageW(host, 0x101C, 0, 0), 2);

    const std::uint32_t bsSakura = (11765u << 16) | 0x4031;
    Post(kPluginTune, bsSakura);
    Expect("SetChannel " + std::to_string(bsSakura) + " -> 1");
    Next("OnChannelChanged " + std::to_string(bsSakura) + " 141");
    Post(kPluginTune, 21);  // terrestrial: not on this device
    Expect("SetChannel 21 -> 0");
    Post(kPluginSelectService, 142);
    Next("SetService 142 -> 1");
    Next("OnChannelChanged " + std::to_string(bsSakura) + " 142");
    // The newly tuned channel plays on: more comes after the tune.
    const auto tuned = test_support::StreamBytes(*process, own);
    ASSERT_TRUE(tuned.has_value());
    std::string stream;
    EXPECT_TRUE(test_support::WaitUntil(
        [&] { return test_support::StreamBytes(*process, own, &stream).value_or(0) > *tuned; }));
    EXPECT_NE(stream.find(" bad=0"), std::string::npos);

    Post(kPluginCloseViewer);
    Expect("CloseViewer -> 1");
    Expect("Unload");
    EXPECT_EQ(ExitStatus(), 0);
}

TEST_F(ViewerProcessTest, RecordsOnRequestToThePluginsPathAndFollowsLengthChanges) {
    const fs::path saveFolder = sandbox.Native("recordings");
    fs::create_directories(saveFolder);
    FriioKey().SetString(L"SavePath", Wide(saveFolder));
    const fs::path file = saveFolder / "番組 ①.ts";
    Start({"-n", "-c", "21", "-o", "0"}, {"VIEWER_TEST_PLUGIN_RECNAME=" + file.string()});
    AwaitPlugin();
    Expect("StreamData");

    Post(0xFB8, 0x50000 | 3, 0, host);
    Expect("GetRecFileName 2048");
    EXPECT_EQ(Status(), "card=0 errors=0 recording=1 seconds=180");
    // Held open for writing: nobody may delete it or open it without sharing.
    EXPECT_FALSE(platform::DeleteFileW(Wide(file)));
    EXPECT_FALSE(
        platform::CreateFileW(Wide(file), platform::GENERIC_READ, 0, platform::OPEN_EXISTING)
            .IsValid());
    EXPECT_EQ(platform::GetLastError(), platform::ERROR_SHARING_VIOLATION);

    Post(0xFC2, 0, -150, host);  // 30 s of clock time left: half a real second
    EXPECT_EQ(Status(), "card=0 errors=0 recording=1 seconds=30");
    std::string status;
    EXPECT_TRUE(test_support::WaitUntil(
        [&] { return (status = Status()).find("recording=0") != std::string::npos; }));
    EXPECT_EQ(status, "card=0 errors=0 recording=0 seconds=0");
    ExpectWholePackets(file);
    EXPECT_TRUE(platform::DeleteFileW(Wide(file)));

    // Stopped by 0xFB9 long before its time.
    Post(0xFB8, 0x50000 | 600, 0, host);
    Expect("GetRecFileName");
    EXPECT_EQ(Status(), "card=0 errors=0 recording=1 seconds=36000");
    ASSERT_TRUE(test_support::WaitUntil([&] { return FileSize(file) > 0; }));
    Post(0xFB9, 0, 0, host);
    EXPECT_EQ(Status(), "card=0 errors=0 recording=0 seconds=0");
    const auto size = fs::file_size(file);
    // The tuner goes on delivering: once the plug-in has had two more chunks, a recording that
    // went on would have grown.
    const auto received = test_support::StreamBytes(*process, own);
    ASSERT_TRUE(received.has_value());
    ASSERT_TRUE(test_support::WaitUntil([&] {
        return test_support::StreamBytes(*process, own).value_or(0) >= *received + 2 * 48128;
    }));
    EXPECT_EQ(fs::file_size(file), size);
    ExpectWholePackets(file);
    Post(platform::WM_CLOSE, 0, 0, host);
    EXPECT_EQ(ExitStatus(), 0);
}

// "Stop Packets:<n>" of the error log.
std::uint64_t LoggedPackets(const fs::path& log) {
    const std::string text = ReadFile(log);
    const auto at = text.find("Stop Packets:");
    return at == std::string::npos ? 0 : std::stoull(text.substr(at + 13));
}

TEST_F(ViewerProcessTest, CommandLineRecordingsKeepEveryPacketWhenTheyEndOrOnSigterm) {
    const fs::path saveFolder = sandbox.Native("recordings");
    fs::create_directories(saveFolder);
    FriioKey().SetString(L"SavePath", Wide(saveFolder));
    const fs::path file = saveFolder / "テスト 番組.ts";
    const fs::path log = saveFolder / "テスト 番組.ts.err";
    Start({"-n", "-c", "21", "-r", "1", "-x", "-f", "テスト 番組.ts", "-d", "5", "-e", "-o", "0"});
    AwaitPlugin();
    EXPECT_EQ(Status(), "card=0 errors=0 recording=1 seconds=60");
    // One clock minute is one real second.
    EXPECT_TRUE(test_support::WaitUntil([&] { return LoggedPackets(log) != 0; }));
    EXPECT_EQ(Status(), "card=0 errors=0 recording=0 seconds=0");
    EXPECT_EQ(ReadFile(log).find(" Start Channel:21 Service:1024 Errors:0 Scramble:0 "
                                 "Card:DTV_CARD_OK\r\n"),
              19u);
    EXPECT_EQ(LoggedPackets(log) * 188, fs::file_size(file));
    ExpectWholePackets(file);
    Post(platform::WM_CLOSE, 0, 0, host);
    EXPECT_EQ(ExitStatus(), 0);

    // Without -r it records until the end; SIGTERM ends it the orderly way.
    const fs::path endless = saveFolder / "endless.ts";
    Start({"-n", "-x", "-f", endless.string(), "-e"});
    AwaitPlugin();
    Expect("StreamData");
    ASSERT_TRUE(test_support::WaitUntil([&] { return FileSize(endless) > 0; }));
    ::kill(process->Pid(), SIGTERM);
    Expect("Unload");
    EXPECT_EQ(ExitStatus(), 0);
    EXPECT_GT(LoggedPackets(fs::path(endless.string() + ".err")), 0u);
    EXPECT_EQ(LoggedPackets(fs::path(endless.string() + ".err")) * 188, fs::file_size(endless));
}

// The recordings folder is a small disk of its own. Once it is full the recording ends after
// its last whole packet, says so in the debug output and in its error log, and the viewer runs
// on.
TEST_F(ViewerProcessTest, AFullDiskEndsTheRecordingAfterItsLastWholePacket) {
    const fs::path saveFolder = sandbox.Native("small");
    fs::create_directories(saveFolder);
    FriioKey().SetString(L"SavePath", Wide(saveFolder));
    launcher = {SMALL_DISK_PATH, saveFolder.string(), "1048576"};
    Start({"-n", "-c", "21", "-x", "-f", "full.ts", "-e", "-o", "0"});
    AwaitPlugin();
    const std::string report = Expect("FriioView: cannot write the recording ");
    EXPECT_EQ(Status(), "card=0 errors=0 recording=0 seconds=0");
    // The disk as the viewer sees it; the log's last lines follow at its next tick.
    const fs::path seen =
        fs::path("/proc/" + std::to_string(process->Pid()) + "/root") / saveFolder.relative_path();
    const fs::path log = seen / "full.ts.err";
    EXPECT_TRUE(test_support::WaitUntil([&] { return LoggedPackets(log) != 0; }));
    const std::uint64_t packets = LoggedPackets(log);
    EXPECT_GT(packets, 1000u);
    EXPECT_EQ(packets * 188, fs::file_size(seen / "full.ts"));
    ExpectWholePackets(seen / "full.ts");
    EXPECT_NE(ReadFile(log).find(" Write Error:"), std::string::npos);
    EXPECT_NE(report.find("; it ends after " + std::to_string(packets) + " whole packets"),
              std::string::npos)
        << report;
    Post(platform::WM_CLOSE, 0, 0, host);
    EXPECT_EQ(ExitStatus(), 0);
}

// 86 kanji are 258 bytes of UTF-8: more than a file name may have here.
TEST_F(ViewerProcessTest, ANameTooLongForTheFileSystemIsShortenedAndRecorded) {
    const fs::path saveFolder = sandbox.Native("recordings");
    fs::create_directories(saveFolder);
    FriioKey().SetString(L"SavePath", Wide(saveFolder));
    std::string kanji;
    for (int i = 0; i < 86; ++i)
        kanji += i % 2 == 0 ? "番" : "組";
    Start({"-n", "-c", "21", "-o", "0"},
          {"VIEWER_TEST_PLUGIN_RECNAME=" + (saveFolder / (kanji + ".ts")).string()});
    AwaitPlugin();
    Expect("StreamData");
    Post(0xFB8, 0x50000 | 3, 0, host);
    const fs::path shortened = saveFolder / (kanji.substr(0, 84 * 3) + ".ts");
    EXPECT_EQ(Expect("FriioView: the name is too long for the file system; recording to "),
              shortened.string());
    EXPECT_EQ(Status(), "card=0 errors=0 recording=1 seconds=180");
    ASSERT_TRUE(test_support::WaitUntil([&] { return FileSize(shortened) > 0; }));  // a chunk
    Post(0xFB9, 0, 0, host);
    EXPECT_EQ(Status(), "card=0 errors=0 recording=0 seconds=0");
    ExpectWholePackets(shortened);
    Post(platform::WM_CLOSE, 0, 0, host);
    EXPECT_EQ(ExitStatus(), 0);

    // With an error log, the log's name beside it must fit as well.
    Start({"-n", "-c", "21", "-r", "1", "-x", "-f", std::string(300, 'a') + ".ts", "-e"});
    AwaitPlugin();
    const fs::path file = saveFolder / (std::string(248, 'a') + ".ts");
    EXPECT_EQ(Expect("FriioView: the name is too long for the file system; recording to "),
              file.string());
    const fs::path log = file.string() + ".err";
    // One clock minute is one real second.
    EXPECT_TRUE(test_support::WaitUntil([&] { return LoggedPackets(log) != 0; }));
    EXPECT_EQ(LoggedPackets(log) * 188, fs::file_size(file));
    Post(platform::WM_CLOSE, 0, 0, host);
    EXPECT_EQ(ExitStatus(), 0);
}

// Hand-edited settings: numbers no tuner could play and files that never end are refused with a
// message, and SIGTERM still ends the viewer at once.
TEST_F(ViewerProcessTest, BadNumbersAndSpecialFilesNeitherHangItNorStopSigterm) {
    std::ofstream(folder / "FriioView.ini")
        << "[Device0]\r\nErrorsPerMinute=1e12\r\nBitrate=nan\r\n";
    fs::remove(folder / "channels.ini");
    ASSERT_EQ(::mkfifo((folder / "channels.ini").c_str(), 0600), 0);
    Start({"-n", "-c", "21"});
    Expect(
        "FriioView: FriioView.ini: [Device0] ErrorsPerMinute=1e12 is not a number from 0 to "
        "60000; 0 is used");
    Next(
        "FriioView: FriioView.ini: [Device0] Bitrate=nan is not a number from 0 to 100000000; "
        "8000000 is used");
    AwaitPlugin();
    Expect("StreamData");
    const auto signalled = std::chrono::steady_clock::now();
    ::kill(process->Pid(), SIGTERM);
    EXPECT_EQ(ExitStatus(), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - signalled, 3s);

    // A broadcast description that is a pipe nobody writes is refused at once.
    ASSERT_EQ(::mkfifo((folder / "broadcast.txt").c_str(), 0600), 0);
    std::ofstream(folder / "FriioView.ini") << "[FriioView]\r\nBroadcast=broadcast.txt\r\n";
    Start({"-n"});
    EXPECT_EQ(process->ReadLine().value_or("").rfind(
                  "FriioView: cannot read the broadcast description ", 0),
              0u);
    EXPECT_EQ(ExitStatus(), 1);
}

TEST_F(ViewerProcessTest, MalformedCommandLinesEndWithStatusTwo) {
    const std::vector<std::vector<std::string>> lines = {
        {"-c"},          {"-c", "2x"},     {"-r", "30"}, {"-x", "-r", "0"}, {"-o", "1", "-o", "1"},
        {"-n", "extra"}, {"-x", "-f", ""}, {"-c", "-5"}};
    for (const auto& line : lines) {
        Start(line);
        const auto first = process->ReadLine();
        EXPECT_TRUE(first && first->rfind("FriioView: ", 0) == 0) << first.value_or("");
        EXPECT_EQ(process->ReadLine().value_or("").rfind("usage: FriioView", 0), 0u);
        EXPECT_EQ(ExitStatus(), 2) << line[0];
    }
    Start({"-o", "2"});
    EXPECT_EQ(process->ReadLine(), "FriioView: no tuner device 2");
    EXPECT_EQ(ExitStatus(), 1);
}

TEST_F(ViewerProcessTest, SkipsLibrariesWithoutTheExportAndPluginsThatRefuse) {
    fs::copy_file(NOT_A_PLUGIN_PATH, folder / fs::path(NOT_A_PLUGIN_PATH).filename());
    std::ofstream(folder / "broken.so") << "not a library";
    Start({"-n"}, {"VIEWER_TEST_PLUGIN_REFUSE=1"});
    EXPECT_NE(Expect("FriioView: broken.so: ").find("skipped"), std::string::npos);
    Expect("FriioView: libviewer_test_not_a_plugin.so: no GetIface2; skipped");
    Next("GetIface2");
    Next("Init ");
    // Refused: no window, no stream, no tuning for it. The viewer runs on.
    platform::HWND viewer = 0;
    ASSERT_TRUE(test_support::WaitUntil(
        [&] { return (viewer = platform::FindWindowW(nullptr, L"Friio HDTV Player")) != 0; }));
    EXPECT_EQ(platform::SendMessageW(viewer, 0x101C, 0, 0), 1);
    Post(platform::WM_CLOSE, 0, 0, viewer);
    Next("Unload");
    EXPECT_EQ(ExitStatus(), 0);
}

TEST_F(ViewerProcessTest, ReceptionAndBroadcastFromItsIniWindowPositionFromTheRegistry) {
    std::ofstream(folder / "broadcast.txt") << "channel\t27\t0x7FE0\t0x7FE0\tテスト\n"
                                               "service\t0x0430\t1\tテスト１\n"
                                               "event\t1\t2026-12-09 10:00:00\t7200\tニュース\n";
    std::ofstream(folder / "FriioView.ini")
        << "[FriioView]\r\nBroadcast=broadcast.txt\r\n"
           "[Device0]\r\nCardState=2\r\nErrorsPerMinute=600\r\nScrambledPercent=50\r\n";
    FriioKey().SetBinary(L"VideoWindowPos",
                         std::string("\x2C\x01\0\0\xC8\0\0\0\x80\x02\0\0\x2C\x01\0\0", 16));
    Start({"-n", "-c", "27"});
    AwaitPlugin();
    Next("TunerKind 1");
    Next("OnChannelChanged 27 1072");
    Next("StreamData");
    // Errors add up as the clock runs: about 600 in a clock minute (a real second).
    std::string status;
    EXPECT_TRUE(test_support::WaitUntil([&] {
        status = Status();
        return status.rfind("card=2 errors=", 0) == 0 && std::stoi(status.substr(14)) > 100;
    }));
    EXPECT_EQ(status.rfind("card=2 errors=", 0), 0u);
    Post(platform::WM_CLOSE, 0, 0, host);
    EXPECT_EQ(ExitStatus(), 0);
    const std::string video = FriioKey().QueryValue(L"VideoWindowPos")->data;
    EXPECT_EQ(video.substr(0, 8), std::string("\x2C\x01\0\0\xC8\0\0\0", 8));

    // ORVANDEL_VIEWER_INI names another settings file; its paths count from its own folder.
    std::ofstream(sandbox.Native("other.ini")) << "[FriioView]\r\nBroadcast=missing.txt\r\n";
    Start({"-n"}, {"ORVANDEL_VIEWER_INI=" + sandbox.Native("other.ini").string()});
    const std::string message = process->ReadLine().value_or("");
    EXPECT_EQ(message.rfind("FriioView: cannot read the broadcast description ", 0), 0u);
    EXPECT_NE(message.find(sandbox.Native("missing.txt").string()), std::string::npos);
    EXPECT_EQ(ExitStatus(), 1);
}

// The stand-in plays the BS tuner at the bitrate its ini sets, paced in real time (clock rate 1):
// over a stretch of real time the plug-in receives about that rate, in whole packets. How much
// processor time the full ISDB-S rate takes is measured in bench/bench_viewer_stream.cpp.
TEST_F(ViewerProcessTest, PacketsArriveAtTheSetBitrate) {
    constexpr double kBitrate = 4'000'000;
    clock = platform::FormatSimClockSetting({2026, 12, 3, 9, 10, 20, 0, 0}, 1.0);
    std::ofstream(folder / "FriioView.ini") << "[Device1]\r\nBitrate=4000000\r\n";
    Start({"-n", "-o", "1"});
    AwaitPlugin();
    Expect("StreamData");
    // Each count is taken somewhere between sending the question and reading the answer: the
    // widest span bounds the rate from below, the narrowest from above.
    const auto askedFirst = std::chrono::steady_clock::now();
    const auto before = test_support::StreamBytes(*process, own);
    const auto answeredFirst = std::chrono::steady_clock::now();
    ASSERT_TRUE(before.has_value());
    // A megabyte: two seconds of the set rate.
    std::string report;
    auto askedLast = askedFirst;
    ASSERT_TRUE(test_support::WaitUntil([&] {
        askedLast = std::chrono::steady_clock::now();
        return test_support::StreamBytes(*process, own, &report).value_or(0) >= *before + 1'000'000;
    }));
    const auto answeredLast = std::chrono::steady_clock::now();
    const auto bitrate = [&](auto from, auto to) {
        return static_cast<double>(std::stoull(report) - *before) * 8 /
               std::chrono::duration<double>(to - from).count();
    };
    EXPECT_NE(report.find(" bad=0"), std::string::npos);
    // Never faster than set (a chunk of catching up aside); slower only by what a busy machine
    // takes from the stand-in.
    EXPECT_LT(bitrate(askedFirst, answeredLast), 1.1 * kBitrate);
    EXPECT_GT(bitrate(answeredFirst, askedLast), 0.3 * kBitrate);
    Post(platform::WM_CLOSE, 0, 0, host);
    EXPECT_EQ(ExitStatus(), 0);
}

// Without XDG_RUNTIME_DIR the runtime folder is <temp>/orvandel-<uid>, which any user may make
// first.
class RuntimeFolderTakenTest : public ViewerProcessTest {
  protected:
    // Starts the viewer as a session without XDG_RUNTIME_DIR would, with `temp` as its temporary
    // folder and a cache folder of its own.
    void StartWithout(const fs::path& temp) {
        Start({"-n", "-c", "22", "-o", "0"},
              {"XDG_RUNTIME_DIR=", "TMPDIR=" + temp.string(),
               "XDG_CACHE_HOME=" + sandbox.Native("cache").string()});
    }
    static fs::path Shared(const fs::path& temp) {
        return temp / ("orvandel-" + std::to_string(::getuid()));
    }
};

TEST_F(RuntimeFolderTakenTest, AnotherUserWhoMadeItFirstDoesNotKeepTheViewerFromStarting) {
    if (!test_support::CanStartAsOtherUser())
        GTEST_SKIP() << "only root can start a program as another user";
    const test_support::SharedFolder temp(test_support::SharedFolder::kLikeTmp);
    test_support::HelperProcess made("/bin/mkdir", {"-m", "0700", Shared(temp.Path()).string()}, {},
                                     test_support::kOtherUser);
    ASSERT_EQ(made.Wait(), 0);
    StartWithout(temp.Path());
    Expect("TunerKind 1");
    Expect("StreamData");
    EXPECT_TRUE(fs::is_directory(sandbox.Native("cache") / "orvandel-runtime"));
}

TEST_F(RuntimeFolderTakenTest, WhenNoPlaceCanBeUsedItSaysWhyAndWaitsForTheBoxToBeClosed) {
    const fs::path temp = sandbox.Native("tmp");
    fs::create_directories(temp);
    fs::create_directories(sandbox.Native("cache"));
    fs::create_directory_symlink(temp, Shared(temp));
    fs::create_directory_symlink(temp, sandbox.Native("cache") / "orvandel-runtime");
    StartWithout(temp);
    Expect("FriioView: cannot start: no folder for its windows and messages can be used");
    Next(Shared(temp).string() + ": it is a symbolic link");
    EXPECT_EQ(process->WaitFor(0ms), std::nullopt);
}

}  // namespace
}  // namespace viewer_test
