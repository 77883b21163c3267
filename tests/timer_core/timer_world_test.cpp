// What the end-to-end world reads back for the scenarios: the broadcast times a recording spans,
// and the reservations as the timer saved them, result texts and lengths included.
#ifdef FRIIOVIEW_PATH

#include <gtest/gtest.h>

#include <fstream>

#include "broadcast_sim/packetizer.h"
#include "broadcast_sim/time_builder.h"
#include "platform/atomic_file_writer.h"
#include "platform/paths.h"
#include "tests/timer_core/timer_core_test_environment.h"
#include "tests/timer_core/timer_world.h"
#include "timer_core/reservations/program_line.h"

namespace timer_core_test {
namespace {

namespace fs = std::filesystem;

void Append(std::ofstream& out, const std::vector<broadcast_sim::TsPacket>& packets) {
    for (const auto& packet : packets)
        out.write(reinterpret_cast<const char*>(packet.data()), packet.size());
}

TEST(TimerWorldTest, TheTimesARecordingSpansComeFromItsTdtAndTot) {
    const fs::path file = FreshFolder("tot-span") / "rec.ts";
    {
        std::ofstream out(file, std::ios::binary);
        broadcast_sim::Packetizer times(0x14);
        Append(out, times.Packetize({broadcast_sim::BuildTdt(
                        broadcast_sim::JstTime(2026, 12, 4, 20, 59, 55))}));
        for (int i = 0; i < 20; ++i)
            Append(out, {broadcast_sim::MakePacket(0x111, false, 0, static_cast<std::uint8_t>(i))});
        Append(out, times.Packetize(
                        {broadcast_sim::BuildTot(broadcast_sim::JstTime(2026, 12, 4, 21, 0, 5))}));
        Append(out, times.Packetize(
                        {broadcast_sim::BuildTot(broadcast_sim::JstTime(2026, 12, 4, 21, 30, 0))}));
    }
    const auto span = TimerWorld::TotSpan(file);
    ASSERT_TRUE(span.has_value());
    EXPECT_EQ(span->first.wHour * 3600 + span->first.wMinute * 60 + span->first.wSecond,
              20 * 3600 + 59 * 60 + 55);
    EXPECT_EQ(span->second.wHour * 3600 + span->second.wMinute * 60 + span->second.wSecond,
              21 * 3600 + 30 * 60);
    EXPECT_EQ(span->second.wDay, 4);

    const fs::path empty = file.parent_path() / "empty.ts";
    std::ofstream(empty, std::ios::binary).write("\x47", 1);
    EXPECT_FALSE(TimerWorld::TotSpan(empty).has_value());
}

TEST(TimerWorldTest, ReservationsComeBackWithTheirResultTextsAndStoredLengths) {
    TimerWorld world({});
    fs::create_directories(world.DataFolder());
    timer_core::ReserveEntry entry;
    entry.title = L"夜のニュース";
    entry.start = broadcast_sim::JstTime(2026, 12, 4, 21, 0);
    entry.durationMinutes = 65;
    entry.channelName = L"みなと総合";
    entry.channelValue = 21;
    entry.serviceId = 0x400;
    entry.eventId = 7;
    entry.id = 3;
    entry.resultText = L"録画終了 ";
    platform::WriteFileAtomically(platform::FromNativePath(world.ProgramFile().native()),
                                  timer_core::FormatProgramLine(entry));
    const auto stored = world.Reservations();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].id, 3);
    EXPECT_EQ(stored[0].durationMinutes, 65u);
    EXPECT_EQ(stored[0].resultText, L"録画終了 ");
}

}  // namespace
}  // namespace timer_core_test

#endif  // FRIIOVIEW_PATH
