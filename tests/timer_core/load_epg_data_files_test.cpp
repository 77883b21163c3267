// The timer's EPG load from the collected ch<channel>_epg.dat files: the files of a whole
// collection of the synthetic broadcast, the order and choice of files, and files that end
// early, are empty, short, unreadable or carry tables the timer passes over.
#include "timer_core/epg/load_epg_data_files.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "broadcast_sim/collected_epg_data.h"
#include "broadcast_sim/default_broadcast.h"
#include "broadcast_sim/eit_builder.h"
#include "broadcast_sim/sample_schedule.h"
#include "broadcast_sim/sdt_builder.h"
#include "broadcast_sim/si_packet_stream.h"
#include "broadcast_sim/sim_time.h"
#include "broadcast_sim/time_builder.h"
#include "platform/file_handle.h"
#include "platform/known_folders.h"
#include "platform/paths.h"
#include "tests/support/sandbox.h"
#include "tests/support/broadcast_expectations.h"

namespace timer_core {
namespace {

namespace sim = broadcast_sim;
using sim::JstTime;

constexpr std::uint16_t kTsid = 0x7F10, kOnid = 0x7F10;
constexpr std::uint64_t kThreeHours = 3 * 3600 * platform::kFileTimePerSecond;

std::string Bytes(const std::vector<sim::TsPacket>& packets) {
    std::string bytes;
    for (const sim::TsPacket& p : packets)
        bytes.append(reinterpret_cast<const char*>(p.data()), p.size());
    return bytes;
}

sim::SdtDescription Sdt(std::vector<std::pair<std::uint16_t, std::wstring>> services) {
    sim::SdtDescription sdt{0x42, kTsid, kOnid, 0, {}};
    for (auto& [id, name] : services) {
        sim::SdtService s;
        s.service_id = id;
        s.service_name = std::move(name);
        sdt.services.push_back(std::move(s));
    }
    return sdt;
}

// The packets of an SDT naming the services, on the SDT's PID or another.
std::string SdtFile(std::vector<std::pair<std::uint16_t, std::wstring>> services,
                    std::uint16_t pid = sim::kPidSdt) {
    sim::SiPacketStream stream;
    stream.Add(pid, sim::BuildSdt(Sdt(std::move(services))));
    return Bytes(stream.packets());
}

// The complete schedules of one service as broadcast at 21:30 of 2024-05-01.
std::vector<sim::Section> Schedule(std::uint16_t sid) {
    sim::ScheduleDescription s;
    s.service = {sid, kTsid, kOnid};
    s.first_day = JstTime(2024, 5, 1);
    s.first_segment = 7;
    s.events = sim::MakeSampleEvents(JstTime(2024, 5, 1, 21), 8 * 24 - 21, 1, sid);
    return sim::InterleaveSections(
        {sim::BuildEitScheduleBasic(s), sim::BuildEitScheduleExtended(s)});
}

class LoadEpgDataFilesTest : public ::testing::Test {
  protected:
    void SetUp() override { std::filesystem::create_directories(sandbox_.Native("EpgData")); }

    std::filesystem::path Path(const std::string& name) const {
        return sandbox_.Native("EpgData") / name;
    }
    void Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(Path(name), std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    int Load() { return LoadEpgDataFiles(sandbox_.Wide("EpgData"), store_); }

    std::wstring ServiceName(std::uint16_t sid) const {
        const auto found = store_.services.find(broadcast::ServiceKey(kTsid, sid));
        return found == store_.services.end() ? L"(none)" : found->second->serviceName;
    }

    test_support::Sandbox sandbox_;
    broadcast::EpgStore store_;
};

// The files a collection of every sample channel leaves give every service and every programme
// of the broadcast from the segment on air to the end of the eighth day, with all their texts.
TEST_F(LoadEpgDataFilesTest, CollectedFilesOfTheBroadcastGiveEveryServiceAndEvent) {
    const std::uint64_t now = sim::ToTimeValue(JstTime(2026, 12, 9, 19, 30));
    const sim::BroadcastDescription broadcast = sim::MakeDefaultBroadcast(now);
    for (const sim::ChannelBroadcast& channel : broadcast.channels)
        Write("ch" + std::to_string(channel.channel) + "_epg.dat",
              sim::CollectEpgData(channel, now));

    ASSERT_EQ(Load(), 1);
    std::size_t services = 0;
    for (const sim::ChannelBroadcast& channel : broadcast.channels) {
        SCOPED_TRACE(channel.channel);
        for (const sim::ServiceSchedule& service : channel.services) {
            const auto key = broadcast::ServiceKey(channel.transport_stream_id, service.service_id);
            ASSERT_TRUE(store_.services.contains(key));
            EXPECT_EQ(store_.services.at(key)->serviceName, service.name);
            EXPECT_EQ(store_.services.at(key)->serviceType, service.service_type);
            EXPECT_EQ(store_.services.at(key)->originalNetworkId, channel.original_network_id);
            ++services;
        }
        test_support::ExpectSchedules(store_, channel, now - now % kThreeHours,
                                      sim::StartOfDay(now) + 8 * platform::kFileTimePerDay);
    }
    EXPECT_EQ(store_.services.size(), services);
    EXPECT_EQ(store_.schedules.size(), services);
}

// Names compare as text, so ch13 comes before ch27 and ch27 before ch5: the last SDT read names
// a service.
TEST_F(LoadEpgDataFilesTest, FilesAreReadInOrderOfTheirNames) {
    Write("ch13_epg.dat", SdtFile({{1, L"十三"}}));
    Write("ch27_epg.dat", SdtFile({{1, L"二十七"}, {2, L"二十七"}}));
    Write("ch5_epg.dat", SdtFile({{2, L"五"}}));
    ASSERT_EQ(Load(), 1);
    EXPECT_EQ(ServiceName(1), L"二十七");
    EXPECT_EQ(ServiceName(2), L"五");
}

// A file whose schedules become complete is not read further; the next file starts with a fresh
// context, which has not seen those schedules complete.
TEST_F(LoadEpgDataFilesTest, CompleteSchedulesEndTheFileAndTheNextStartsAfresh) {
    sim::SiPacketStream first;
    first.Add(sim::kPidSdt, sim::BuildSdt(Sdt({{1, L"みなと総合"}})));
    first.Add(sim::kPidTot, sim::BuildTot(JstTime(2024, 5, 1, 21, 30)));
    first.Add(sim::kPidEit, Schedule(1));
    first.Add(sim::kPidSdt, sim::BuildSdt(Sdt({{1, L"みなと総合"}, {2, L"読まれない"}})));
    Write("ch1_epg.dat", Bytes(first.packets()));

    const std::vector<sim::Section> again = Schedule(1);
    sim::SiPacketStream second;
    second.Add(sim::kPidTot, sim::BuildTot(JstTime(2024, 5, 1, 21, 30)));
    second.Add(sim::kPidEit, std::vector<sim::Section>(again.begin(), again.begin() + 4));
    second.Add(sim::kPidSdt, sim::BuildSdt(Sdt({{1, L"みなと総合"}, {3, L"読まれる"}})));
    Write("ch2_epg.dat", Bytes(second.packets()));

    ASSERT_EQ(Load(), 1);
    EXPECT_EQ(ServiceName(2), L"(none)");
    EXPECT_EQ(ServiceName(3), L"読まれる");
    EXPECT_FALSE(store_.schedules.at(broadcast::ServiceKey(kTsid, 1))->events.empty());
}

// Empty and short files, a folder named like a data file, letters in either case, other names and
// NIT packets in a file.
TEST_F(LoadEpgDataFilesTest, OddEntriesOfTheFolder) {
    Write("ch1_epg.dat", "");
    std::string shortFile = SdtFile({{2, L"短い"}});
    ASSERT_LE(shortFile.size(), 5u * 188u);
    shortFile.resize(5 * 188, '\xFF');
    shortFile += std::string(60, '\x47');  // a partial sixth packet
    Write("ch2_epg.dat", shortFile);
    std::filesystem::create_directory(Path("ch3_epg.dat"));
    Write("ch4_epg.dat", SdtFile({{4, L"ＮＩＴ上"}}, sim::kPidNit) + SdtFile({{5, L"本物"}}));
    Write("CH6_EPG.DAT", SdtFile({{6, L"大文字"}}));
    Write("ch7_epg.txt", SdtFile({{7, L"別の名前"}}));

    ASSERT_EQ(Load(), 1);
    EXPECT_EQ(ServiceName(2), L"短い");
    EXPECT_EQ(ServiceName(4), L"(none)");
    EXPECT_EQ(ServiceName(5), L"本物");
    EXPECT_EQ(ServiceName(6), L"大文字");
    EXPECT_EQ(ServiceName(7), L"(none)");
    EXPECT_EQ(store_.services.size(), 3u);
}

TEST_F(LoadEpgDataFilesTest, NothingToLoadAndFilesThatDoNotOpen) {
    EXPECT_EQ(LoadEpgDataFiles(L"", store_), 0);
    EXPECT_EQ(LoadEpgDataFiles(sandbox_.Wide("missing"), store_), 0);
    Write("notes.txt", "x");
    EXPECT_EQ(Load(), 0);  // the pattern matches nothing
    std::filesystem::create_directory(Path("old_epg.dat"));
    EXPECT_EQ(Load(), 1);  // it matches only what is passed over

    // A file that another writer holds without sharing is skipped; the others load.
    Write("ch1_epg.dat", SdtFile({{1, L"書き込み中"}}));
    Write("ch2_epg.dat", SdtFile({{2, L"読める"}}));
    platform::FileHandle writer =
        platform::CreateFileW(platform::FromNativePath(Path("ch1_epg.dat").native()),
                              platform::GENERIC_WRITE, 0, platform::OPEN_EXISTING);
    ASSERT_TRUE(writer.IsValid());
    EXPECT_EQ(Load(), 1);
    EXPECT_EQ(ServiceName(1), L"(none)");
    EXPECT_EQ(ServiceName(2), L"読める");
}

// A read that fails ends the whole load with 0; what the earlier files gave stays. A file of the
// kernel's whose reads fail stands in for a failing disk.
TEST_F(LoadEpgDataFilesTest, FailingReadEndsTheLoad) {
    const char* failing = "/sys/class/net/lo/speed";
    char probe[16];
    std::ifstream in(failing);
    if (!in || in.read(probe, sizeof probe) || in.gcount() != 0 ||
        std::filesystem::file_size(failing) == 0) {
        GTEST_SKIP() << failing << " does not fail to read here";
    }
    Write("ch1_epg.dat", SdtFile({{1, L"先"}}));
    std::filesystem::create_symlink(failing, Path("ch2_epg.dat"));
    Write("ch3_epg.dat", SdtFile({{3, L"後"}}));
    EXPECT_EQ(Load(), 0);
    EXPECT_EQ(ServiceName(1), L"先");
    EXPECT_EQ(ServiceName(3), L"(none)");
}

TEST_F(LoadEpgDataFilesTest, DataFolderLiesInTheDocumentsFolder) {
    EXPECT_EQ(EpgDataFolder(), platform::GetDocumentsFolder() + L"/Orvandel/EpgData");
}

}  // namespace
}  // namespace timer_core
