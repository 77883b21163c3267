// The other process of the shared-memory tests. Usage: shared_test_helper <mode> <pid> ...
//   plugin <pid>      publishes every plug-in object for that viewer id, then takes commands
//                     from standard input: "status <n>" (rewrite Status), "close" (CloseAll)
//   hold-status <pid> opens the Status object for reading and holds it until input ends
//   timer <hwnd>      publishes PostTimerHwnd and holds it until input ends
//   read-rec <pid>    prints the REC request's fields
//   poll <pid>        reads Status and NowData as fast as it can (see Poll)
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <thread>

#include "platform/named_file_mapping.h"
#include "platform/utf8.h"
#include "shared/shared_memory_block.h"
#include "shared/shared_memory_names.h"
#include "shared/shared_memory_readers.h"

namespace {

using namespace shared;

void Report(const std::string& line) {
    std::cout << line << std::endl;
}

void WaitForInputEnd() {
    std::string line;
    while (std::getline(std::cin, line)) {
    }
}

PluginEventInfo SampleEvent() {
    PluginEventInfo info;
    info.status = 1;
    info.pluginWindow = 0x1234;
    info.viewerWindow = 0x5678;
    info.channel = 0x40F1;
    info.serviceId = 1024;
    info.eventId = 0xBEEF;
    info.start = platform::SYSTEMTIME{2024, 5, 0, 1, 21, 0, 0, 0};
    info.durationMinutes = 54;
    info.durationSeconds = 30;
    info.nextEventId = 0xBEF0;
    info.nextStart = platform::SYSTEMTIME{2024, 5, 0, 1, 21, 54, 30, 0};
    info.nextDurationMinutes = 65;
    info.nextDurationSeconds = 0;
    return info;
}

int RunPlugin(platform::DWORD pid) {
    SharedMemoryBlock block;
    const std::string now = "NOW TEXT";
    const int written = block.WritePostHwnd(0xABCD, pid) + block.WriteStatus(1, pid) +
                        block.WriteTunerId(2, pid) + block.WriteTime(-3, pid) +
                        block.WriteEvent(SampleEvent(), pid) +
                        block.WriteNowData(now.data(), now.size());
    Report("published " + std::to_string(written));
    std::string command;
    while (std::cin >> command) {
        if (command == "status") {
            int value = 0;
            std::cin >> value;
            Report("wrote " + std::to_string(block.WriteStatus(value, pid)));
        } else if (command == "close") {
            block.CloseAll();
            Report("closed");
        }
    }
    return 0;
}

int HoldStatus(platform::DWORD pid) {
    const auto mapping =
        platform::NamedFileMapping::OpenForReading(ObjectNameForProcess(kStatusPrefix, pid));
    Report("held " + std::to_string(mapping.Valid() ? 1 : 0));
    WaitForInputEnd();
    return 0;
}

int RunTimer(platform::HWND hwnd) {
    SharedMemoryBlock block;
    Report("published " + std::to_string(block.WritePostTimerHwnd(hwnd)));
    WaitForInputEnd();
    return 0;
}

int ReadRec(platform::DWORD pid) {
    RecordRequest request;
    if (!ReadRecSharedMemory(pid, &request)) {
        Report("rec none");
        return 0;
    }
    const std::string name = platform::WideToUtf8(RecordFileName(request));
    char line[256];
    std::snprintf(line, sizeof line, "rec %s %u %u %u %u-%u-%u %u:%u:%u %u %u %d", name.c_str(),
                  request.channel, request.serviceId, request.eventId, request.start.wYear,
                  request.start.wMonth, request.start.wDay, request.start.wHour,
                  request.start.wMinute, request.start.wSecond, request.minutes, request.noErrLog,
                  request.marginSeconds);
    Report(line);
    return 0;
}

// Polls until "stop" arrives; says "changing" once it has seen Status change 1000 times, then
// reports how many reads found each object and the Status value a read finds after the writer's
// last write.
int Poll(platform::DWORD pid) {
    std::atomic<bool> stop{false};
    std::thread input([&] {
        std::string line;
        while (std::getline(std::cin, line) && line != "stop") {
        }
        stop = true;
    });
    long long reads = 0, statusFound = 0, nowFound = 0, changes = 0;
    std::int32_t last = 0;
    std::uint8_t text[kProgramTextSize];
    Report("polling");
    while (!stop) {
        ++reads;
        std::int32_t status = 0;
        if (ReadPluginStatus(pid, &status)) {
            ++statusFound;
            if (status != last && ++changes == 1000) Report("changing");
            last = status;
        }
        if (platform::ReadNamedMapping(kNowDataName, text)) ++nowFound;
    }
    input.join();
    std::int32_t status = -1;
    const int found = ReadPluginStatus(pid, &status);
    Report("reads " + std::to_string(reads) + " status " + std::to_string(statusFound) + " now " +
           std::to_string(nowFound) + " final " + std::to_string(found ? status : -1));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    const std::string mode = argv[1];
    const auto value = static_cast<platform::DWORD>(std::strtoul(argv[2], nullptr, 0));
    if (mode == "plugin") return RunPlugin(value);
    if (mode == "hold-status") return HoldStatus(value);
    if (mode == "timer") return RunTimer(value);
    if (mode == "read-rec") return ReadRec(value);
    if (mode == "poll") return Poll(value);
    return 2;
}
