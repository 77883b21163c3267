// The shared-memory protocol between the plug-in and the timer, with the other side in another
// process: publication, whole-object reads, publications while readers hold or poll an object.
#include "shared/shared_memory_block.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "platform/named_file_mapping.h"
#include "shared/shared_memory_names.h"
#include "shared/shared_memory_readers.h"
#include "tests/support/helper_process.h"
#include "tests/support/private_runtime.h"

namespace shared {
namespace {

using test_support::HelperProcess;

class SharedMemoryBlockTest : public ::testing::Test {
  protected:
    void SetUp() override { test_support::UsePrivateRuntime(); }
};

bool Exists(std::string_view name) {
    return platform::NamedFileMapping::OpenForReading(name).Valid();
}

std::string ReadNowData() {
    std::string bytes(kProgramTextSize, '\xEE');
    if (!platform::ReadNamedMapping(kNowDataName,
                                    {reinterpret_cast<std::uint8_t*>(bytes.data()), bytes.size()}))
        return "missing";
    return bytes;
}

TEST_F(SharedMemoryBlockTest, PluginObjectsOfAnotherProcessAreReadWholeUntilItClosesThem) {
    const platform::DWORD pid = 4;
    HelperProcess plugin(SHARED_TEST_HELPER, {"plugin", std::to_string(pid)});
    ASSERT_EQ(plugin.Expect("published "), "6");
    EXPECT_TRUE(Exists("Global\\QuorvantelStatus000004"));

    std::int32_t status = -1, tuner = -1, offset = 0;
    platform::HWND hwnd = 0;
    PluginEventInfo event;
    EXPECT_EQ(ReadPluginStatus(pid, &status), 1);
    EXPECT_EQ(ReadPluginFriioId(pid, &tuner), 1);
    EXPECT_EQ(ReadPluginTime(pid, &offset), 1);
    EXPECT_EQ(ReadPluginPostHwnd(pid, &hwnd), 1);
    EXPECT_EQ(ReadPluginEvent(pid, &event), 1);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(tuner, 2);
    EXPECT_EQ(offset, -3);
    EXPECT_EQ(hwnd, 0xABCDu);
    EXPECT_EQ(event.pluginWindow, 0x1234u);
    EXPECT_EQ(event.channel, 0x40F1u);
    EXPECT_EQ(event.eventId, 0xBEEF);
    EXPECT_EQ(event.start.wHour, 21);
    EXPECT_EQ(event.durationMinutes, 54);
    EXPECT_EQ(event.nextStart.wSecond, 30);
    EXPECT_EQ(event.nextDurationMinutes, 65);
    const std::string now = ReadNowData();
    EXPECT_EQ(now.substr(0, 9), std::string("NOW TEXT\0", 9));
    EXPECT_EQ(now.find_first_not_of('\0', 8), std::string::npos);  // zero-filled after the text

    // Another viewer's objects are not these.
    EXPECT_EQ(ReadPluginStatus(5, &status), 0);

    plugin.WriteLine("close");
    ASSERT_TRUE(plugin.Expect("closed").has_value());
    status = 77;
    EXPECT_EQ(ReadPluginStatus(pid, &status), 0);
    EXPECT_EQ(status, 77);
    EXPECT_EQ(ReadPluginEvent(pid, &event), 0);
    EXPECT_EQ(ReadNowData(), "missing");
}

TEST_F(SharedMemoryBlockTest, StatusWrittenWhileTheTimerHoldsItReachesTheTimer) {
    const auto pid = static_cast<platform::DWORD>(12345678);  // more than six digits
    HelperProcess plugin(SHARED_TEST_HELPER, {"plugin", std::to_string(pid)});
    ASSERT_EQ(plugin.Expect("published "), "6");
    EXPECT_TRUE(Exists("Global\\QuorvantelStatus12345678"));
    HelperProcess timer(SHARED_TEST_HELPER, {"hold-status", std::to_string(pid)});
    ASSERT_EQ(timer.Expect("held "), "1");
    plugin.WriteLine("status 3");
    EXPECT_EQ(plugin.Expect("wrote "), "1");
    std::int32_t status = -1;
    EXPECT_EQ(ReadPluginStatus(pid, &status), 1);
    EXPECT_EQ(status, 3);
    // The plug-in closes its handle while the timer still holds the object, then writes again:
    // the object it made is still its own.
    plugin.WriteLine("close");
    ASSERT_TRUE(plugin.Expect("closed").has_value());
    plugin.WriteLine("status 1");
    EXPECT_EQ(plugin.Expect("wrote "), "1");
    timer.CloseAndWait();
    EXPECT_EQ(ReadPluginStatus(pid, &status), 1);
    EXPECT_EQ(status, 1);
}

TEST_F(SharedMemoryBlockTest, AReaderPollingAsFastAsItCanCostsNoWriteAndSeesTheLastValue) {
    const auto pid = static_cast<platform::DWORD>(::getpid());
    SharedMemoryBlock block;
    ASSERT_EQ(block.WriteStatus(0, pid), 1);
    ASSERT_EQ(block.WriteNowData("text", 4), 1);
    HelperProcess reader(SHARED_TEST_HELPER, {"poll", std::to_string(pid)});
    ASSERT_TRUE(reader.Expect("polling").has_value());
    // Status and NowData are rewritten until the reader has seen Status change 1000 times.
    std::atomic<bool> enough{false};
    int writes = 0, skipped = 0;
    std::thread writer([&] {
        while (!enough) {
            ++writes;
            skipped += 1 - block.WriteStatus(writes, pid);
            const std::string text = "text " + std::to_string(writes);
            skipped += 1 - block.WriteNowData(text.data(), text.size());
        }
    });
    const bool changing = reader.Expect("changing").has_value();
    enough = true;
    writer.join();
    ASSERT_TRUE(changing);
    reader.WriteLine("stop");
    const auto report = reader.Expect("reads ");
    ASSERT_TRUE(report.has_value());
    long long reads = 0, statusFound = 0, nowFound = 0, final = 0;
    ASSERT_EQ(std::sscanf(report->c_str(), "%lld status %lld now %lld final %lld", &reads,
                          &statusFound, &nowFound, &final),
              4);
    EXPECT_EQ(skipped, 0) << "of " << 2 * writes;
    EXPECT_EQ(final, writes);
    EXPECT_EQ(statusFound, reads);
    EXPECT_EQ(nowFound, reads);
}

TEST_F(SharedMemoryBlockTest, ProgrammeTextsFillAtMost2048BytesAndLongerOnesRemoveTheOldText) {
    SharedMemoryBlock block;
    const std::string full(kProgramTextSize, 'x');
    EXPECT_EQ(block.WriteNowData(full.data(), full.size()), 1);
    EXPECT_EQ(ReadNowData(), full);  // no room for a terminator
    EXPECT_EQ(block.WriteNowData("short", 5), 1);
    EXPECT_EQ(ReadNowData().substr(0, 6), std::string("short\0", 6));
    const std::string tooLong(kProgramTextSize + 1, 'y');
    EXPECT_EQ(block.WriteNowData(tooLong.data(), tooLong.size()), 0);
    EXPECT_EQ(ReadNowData(), "missing");
    EXPECT_FALSE(block.HasHandle(SharedMemoryBlock::kNowDataSlot));
    EXPECT_EQ(block.WriteNextData("next", 4), 1);
    EXPECT_TRUE(Exists(kNextDataName));
}

TEST_F(SharedMemoryBlockTest, RecordRequestTravelsWholeAndAMissingOneLeavesTheBufferAlone) {
    const auto pid = static_cast<platform::DWORD>(::getpid());
    RecordRequest untouched;
    untouched.channel = 99;
    EXPECT_EQ(ReadRecSharedMemory(pid, &untouched), 0);
    EXPECT_EQ(untouched.channel, 99u);

    SharedMemoryBlock block;
    RecordRequest request;
    SetRecordFileName(request, L"20240501-2100-ニュース.ts");
    request.channel = 27;
    request.serviceId = 1024;
    request.eventId = 0x1234;
    request.start = platform::SYSTEMTIME{2024, 5, 0, 1, 21, 0, 0, 0};
    request.minutes = 31;
    request.noErrLog = 1;
    request.marginSeconds = 65;
    EXPECT_EQ(block.WriteRec(request, pid), 1);
    HelperProcess plugin(SHARED_TEST_HELPER, {"read-rec", std::to_string(pid)});
    EXPECT_EQ(plugin.Expect("rec "),
              "20240501-2100-ニュース.ts 27 1024 4660 2024-5-1 21:0:0 31 1 65");

    // A second request from the same block replaces the first.
    request.minutes = 45;
    EXPECT_EQ(block.WriteRec(request, pid), 1);
    RecordRequest read;
    EXPECT_EQ(ReadRecSharedMemory(pid, &read), 1);
    EXPECT_EQ(read.minutes, 45u);
    EXPECT_EQ(std::memcmp(&read, &request, sizeof read), 0);
    block.CloseAll();
    EXPECT_EQ(ReadRecSharedMemory(pid, &read), 0);
}

TEST_F(SharedMemoryBlockTest, WindowHandlesAreRefusedWhenNullAndASecondTimerCannotTakeTheName) {
    SharedMemoryBlock block;
    EXPECT_EQ(block.WritePostHwnd(0, 4), 0);
    EXPECT_EQ(block.WritePostTimerHwnd(0), 0);
    HelperProcess first(SHARED_TEST_HELPER, {"timer", "0x2468"});
    ASSERT_EQ(first.Expect("published "), "1");
    EXPECT_EQ(block.WritePostTimerHwnd(0x1357), 0);
    platform::HWND running = 0;
    EXPECT_EQ(ReadPostTimerHwnd(&running), 1);
    EXPECT_EQ(running, 0x2468u);
    first.Kill();
    EXPECT_EQ(ReadPostTimerHwnd(&running), 0);
    EXPECT_EQ(block.WritePostTimerHwnd(0x1357), 1);
    EXPECT_EQ(ReadPostTimerHwnd(&running), 1);
    EXPECT_EQ(running, 0x1357u);
}

}  // namespace
}  // namespace shared
