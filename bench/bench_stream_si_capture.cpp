// StreamSiCapture on the SI of a BS transport stream with 12 services and their full 8-day
// schedules (basic and extended): packets per second, CPU time to reach the verdict 100, and the
// memory the store holds then. Also the store's memory for 10,000 realistic events.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <stdexcept>

#include "broadcast/stream_si_capture.h"
#include "broadcast_sim/eit_builder.h"
#include "broadcast_sim/nit_builder.h"
#include "broadcast_sim/pat_builder.h"
#include "broadcast_sim/sample_schedule.h"
#include "broadcast_sim/sdt_builder.h"
#include "broadcast_sim/si_packet_stream.h"
#include "broadcast_sim/time_builder.h"

namespace {

namespace sim = broadcast_sim;

constexpr std::uint16_t kTsid = 0x4010, kOnid = 4;

struct Broadcast {
    std::vector<sim::TsPacket> packets;
    std::size_t events = 0;
};

// PAT, NIT, SDT and TOT, then the interleaved schedules of `services` services from 00:30 of
// the first day (all 64 segments count). `maxEvents` caps the events of the whole stream.
Broadcast MakeBroadcast(int services, std::size_t maxEvents) {
    sim::SiPacketStream stream;
    sim::PatDescription pat{kTsid, 0, true, 0x10, {}};
    sim::SdtDescription sdt{0x42, kTsid, kOnid, 0, {}};
    std::vector<std::vector<sim::Section>> schedules;
    Broadcast out;
    for (int i = 0; i < services; ++i) {
        const auto sid = static_cast<std::uint16_t>(101 + i);
        pat.programs.push_back({sid, static_cast<std::uint16_t>(0x1F0 + i)});
        sim::SdtService service;
        service.service_id = sid;
        service.service_name = L"ＢＳテスト" + std::to_wstring(i + 1);
        sdt.services.push_back(service);
        sim::ScheduleDescription schedule;
        schedule.service = {sid, kTsid, kOnid};
        schedule.first_day = sim::JstTime(2024, 5, 1);
        schedule.events = sim::MakeSampleEvents(schedule.first_day, 8 * 24, 1, sid);
        if (out.events + schedule.events.size() > maxEvents) {
            schedule.events.resize(maxEvents - out.events);
        }
        out.events += schedule.events.size();
        schedules.push_back(sim::BuildEitScheduleBasic(schedule));
        schedules.push_back(sim::BuildEitScheduleExtended(schedule));
    }
    stream.Add(sim::kPidPat, sim::BuildPat(pat));
    stream.Add(sim::kPidNit,
               sim::BuildNit({0x40, kOnid, 0, L"", {{kTsid, kOnid, true, L"ＢＳ", 1, {}}}}));
    stream.Add(sim::kPidSdt, sim::BuildSdt(sdt));
    stream.Add(sim::kPidTot, sim::BuildTot(sim::JstTime(2024, 5, 1, 0, 30)));
    stream.Add(sim::kPidEit, sim::InterleaveSections(schedules));
    out.packets = stream.Take();
    return out;
}

// Feeds every packet; returns how many it took to reach the verdict 100 (0: never).
std::size_t Feed(broadcast::StreamSiCapture& capture, const std::vector<sim::TsPacket>& packets) {
    std::size_t reached = 0;
    for (std::size_t i = 0; i < packets.size(); ++i) {
        const int result = capture.AddPacket(packets[i].data());
        if (result == broadcast::kScheduleComplete && reached == 0) reached = i + 1;
    }
    return reached;
}

std::size_t HeapInUse() {
    return mallinfo2().uordblks;
}

// Bytes the store holds after capturing the broadcast (the capture itself is gone by then).
std::size_t StoreBytes(const Broadcast& broadcast, std::size_t* storedEvents) {
    const std::size_t before = HeapInUse();
    auto store = std::make_unique<broadcast::EpgStore>();
    {
        broadcast::StreamSiCapture capture;
        capture.store = store.get();
        Feed(capture, broadcast.packets);
    }
    *storedEvents = 0;
    for (const auto& [key, schedule] : store->schedules)
        *storedEvents += schedule->events.size();
    return HeapInUse() - before;
}

void BM_CaptureBsSchedule(benchmark::State& state) {
    static const Broadcast broadcast = MakeBroadcast(12, SIZE_MAX);
    std::size_t reached = 0;
    for (auto _ : state) {
        broadcast::EpgStore store;
        broadcast::StreamSiCapture capture;
        capture.store = &store;
        reached = Feed(capture, broadcast.packets);
        if (reached == 0) {
            state.SkipWithError("the schedule did not reach 100");
            break;
        }
    }
    state.counters["packets_to_100"] = static_cast<double>(reached);
    state.SetItemsProcessed(
        static_cast<std::int64_t>(state.iterations() * broadcast.packets.size()));
    std::size_t events = 0;
    state.counters["packets"] = static_cast<double>(broadcast.packets.size());
    state.counters["store_MiB"] = static_cast<double>(StoreBytes(broadcast, &events)) / (1 << 20);
    state.counters["events"] = static_cast<double>(events);
}
BENCHMARK(BM_CaptureBsSchedule)->Unit(benchmark::kMillisecond);

void BM_StoreMemoryFor10000Events(benchmark::State& state) {
    static const Broadcast broadcast = MakeBroadcast(60, 10000);
    std::size_t bytes = 0, events = 0;
    for (auto _ : state)
        bytes = StoreBytes(broadcast, &events);
    state.counters["events"] = static_cast<double>(events);
    state.counters["store_MiB"] = static_cast<double>(bytes) / (1 << 20);
    state.counters["bytes_per_event"] = static_cast<double>(bytes) / static_cast<double>(events);
}
BENCHMARK(BM_StoreMemoryFor10000Events)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
