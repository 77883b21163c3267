// The EPG collection as the timer has it run, on the synthetic broadcast: starts one FriioView per
// tuner kind with the capture plug-in in a private folder, asks each plug-in to collect (message
// 0x432, as the timer does), waits for the finished Status, lists the collected files and prints
// what the timer's EPG load finds in its data folder: per transport stream the services and the
// number of their events.
//
// Usage: epg_collection_demo <empty private folder> [clock rate]
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "platform/known_folders.h"
#include "platform/paths.h"
#include "platform/utf8.h"
#include "shared/ch_set2_file.h"
#include "shared/plugin_posts.h"
#include "timer_core/epg/load_epg_data_files.h"
#include "tools/collection_world.h"
#include "tools/viewer_session.h"

namespace {

constexpr int kDevices = 2;
constexpr int kCollectionTimeoutSeconds = 110;

std::string Utf8(std::wstring_view text) {
    return platform::WideToUtf8(text);
}

// Named objects, sockets and windows of this run stay among its own processes.
void UsePrivateRuntime(const std::filesystem::path& root) {
    const std::filesystem::path runtime = root / "runtime";
    std::filesystem::create_directories(runtime);
    ::chmod(runtime.c_str(), 0700);
    ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    ::setenv("ORVANDEL_NAMESPACE", ("epgdemo" + std::to_string(::getpid())).c_str(), 1);
    if (std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr)
        ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
}

// Waits until every viewer reports a finished (3) or failed (2) collection.
bool WaitForCollections(std::vector<tools::ViewerSession>& sessions) {
    std::vector<std::int32_t> last(sessions.size(), -1);
    const auto end =
        std::chrono::steady_clock::now() + std::chrono::seconds(kCollectionTimeoutSeconds);
    while (std::chrono::steady_clock::now() < end) {
        bool done = true;
        for (std::size_t i = 0; i < sessions.size(); ++i) {
            const auto status = sessions[i].Status();
            if (status && *status != last[i]) {
                last[i] = *status;
                std::printf("viewer %zu: Status %d\n", i, *status);
                std::fflush(stdout);
            }
            done = done && (last[i] == 2 || last[i] == 3);
        }
        if (done) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

void PrintFiles(const tools::CollectionWorld& world) {
    std::map<std::uint32_t, std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(world.CaptureFolder())) {
        const std::string name = entry.path().filename().string();
        unsigned long channel = 0;
        if (std::sscanf(name.c_str(), "ch%lu_epg.dat", &channel) == 1)
            files[static_cast<std::uint32_t>(channel)] = entry.path();
    }
    std::printf("\nCollected %zu channels into %s (copies in %s)\n", files.size(),
                world.CaptureFolder().c_str(), (world.DataFolder() / "EpgData").c_str());
    for (const auto& [channel, file] : files) {
        std::printf("  channel %u (0x%08X)  %s, %llu bytes\n", channel, channel,
                    file.filename().c_str(),
                    static_cast<unsigned long long>(std::filesystem::file_size(file)));
    }
}

// What the timer's EPG reload finds in its data folder.
void PrintTimerLoad(const tools::CollectionWorld& world) {
    const std::filesystem::path folder = world.DataFolder() / "EpgData";
    broadcast::EpgStore store;
    const int loaded =
        timer_core::LoadEpgDataFiles(platform::FromNativePath(folder.native()), store);
    std::printf("\nThe timer loads %s: %s\n", folder.c_str(), loaded ? "read" : "failed");
    int transportStreamId = -1;
    for (const auto& [key, service] : store.services) {
        if (service->transportStreamId != transportStreamId) {
            transportStreamId = service->transportStreamId;
            std::printf("  transport_stream_id 0x%04X\n", static_cast<unsigned>(transportStreamId));
        }
        const auto schedule = store.schedules.find(key);
        const std::size_t events =
            schedule == store.schedules.end() ? 0 : schedule->second->events.size();
        std::printf("    service 0x%04X type 0x%02X  %-24s %4zu events\n", service->serviceId,
                    service->serviceType, Utf8(service->serviceName).c_str(), events);
    }
}

void PrintCollected(const tools::CollectionWorld& world) {
    PrintFiles(world);
    PrintTimerLoad(world);
    shared::ChSet2File chSet2;
    chSet2.Load(platform::FromNativePath((world.DataFolder() / "ChSet2.txt").native()));
    std::printf("\nChSet2.txt: %zu TV services\n", chSet2.entries().size());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <empty private folder> [clock rate]\n", argv[0]);
        return 2;
    }
    const std::filesystem::path root = std::filesystem::absolute(argv[1]);
    const double rate = argc > 2 ? std::atof(argv[2]) : 20.0;
    UsePrivateRuntime(root);
    const std::filesystem::path bin =
        std::filesystem::path(platform::ToNativePath(platform::HostExecutablePath())).parent_path();
    tools::CollectionWorld world(root, bin);
    if (!world.PrepareViewerFolder({})) {
        std::fprintf(stderr, "FriioView or the plug-in is missing in %s\n", bin.c_str());
        return 1;
    }
    platform::SYSTEMTIME start{};
    start.wYear = 2026;
    start.wMonth = 12;
    start.wDay = 9;
    start.wHour = 19;
    start.wMinute = 30;
    world.ExportEnvironment(start, rate);

    std::vector<tools::ViewerSession> sessions(kDevices);
    for (int device = 0; device < kDevices; ++device) {
        auto& session = sessions[static_cast<std::size_t>(device)];
        if (!session.Start(platform::FromNativePath(world.ViewerPath().native()), device) ||
            session.WaitForPluginWindow(20000) == 0) {
            std::fprintf(stderr, "viewer %d did not start its plug-in\n", device);
            return 1;
        }
        shared::PostPluginStartCapture(session.Pid());
    }
    std::printf("Collecting EPG data on the simulated clock (%.0fx) ...\n", rate);
    const bool finished = WaitForCollections(sessions);
    for (auto& session : sessions)
        session.Close();
    if (!finished) std::fprintf(stderr, "the collections did not finish in time\n");
    PrintCollected(world);
    return finished ? 0 : 1;
}
