// Throughput of the section assembler and the section splitter (CRC, table and descriptor
// parsers) over a long run of EIT schedule sections carried in 188-byte packets.
#include <benchmark/benchmark.h>

#include <string>

#include "broadcast/section_assembler.h"
#include "broadcast_sim/byte_writer.h"
#include "broadcast_sim/packetizer.h"
#include "broadcast_sim/section_builder.h"
#include "broadcast_sim/si_encoding.h"

namespace {

using broadcast_sim::ByteWriter;
using Bytes = std::vector<std::uint8_t>;

Bytes EventDescriptors(int event) {
    ByteWriter w;
    const std::string name = "Programme title " + std::to_string(event);
    const std::string text(80, static_cast<char>('a' + event % 26));
    ByteWriter short_event;
    short_event.Text("jpn").LengthPrefixed(name).LengthPrefixed(text);
    w.Descriptor(0x4D, short_event.bytes());
    for (int part = 0; part < 2; ++part) {
        ByteWriter items;
        items.LengthPrefixed("Cast").LengthPrefixed(std::string(60, 'c'));
        items.LengthPrefixed("Story").LengthPrefixed(std::string(90, 's'));
        ByteWriter extended;
        extended.U8(part << 4 | 1).Text("jpn").LengthPrefixed(items.bytes()).LengthPrefixed("");
        w.Descriptor(0x4E, extended.bytes());
    }
    w.Descriptor(0x50, Bytes{0xF1, 0xB3, 0x00, 'j', 'p', 'n'});
    w.Descriptor(0x54, Bytes{0x50, 0xFF, 0x30, 0xFF});
    return w.Take();
}

// One schedule section of as many events as fit in about 4 KB.
broadcast_sim::Section ScheduleSection(int service, int number) {
    ByteWriter body;
    body.U16(0x7FE1).U16(4).U8(0xF8).U8(0x58);
    for (int event = 0;; ++event) {
        const Bytes descriptors = EventDescriptors(number * 16 + event);
        if (body.size() + 12 + descriptors.size() > 4000) break;
        body.U16(number * 16 + event).U16(broadcast_sim::EncodeMjd(2024, 5, 6));
        body.U24(broadcast_sim::EncodeBcdTime(event, 0, 0)).U24(0x010000);
        body.U16(0x8000 | descriptors.size()).Bytes(descriptors);
    }
    return broadcast_sim::BuildLongSection({0x50, static_cast<std::uint16_t>(service), 1, true,
                                            static_cast<std::uint8_t>(number), 0xF8},
                                           body.bytes());
}

std::vector<broadcast_sim::TsPacket> ScheduleRun() {
    std::vector<broadcast_sim::Section> sections;
    for (int service = 0; service < 8; ++service) {
        for (int number = 0; number < 256; ++number)
            sections.push_back(ScheduleSection(service, number));
    }
    return broadcast_sim::Packetizer(0x12).Packetize(sections);
}

void BM_AssembleAndParseEitSchedule(benchmark::State& state) {
    const auto packets = ScheduleRun();
    std::size_t sections = 0;
    for (auto _ : state) {
        broadcast::SectionAssembler assembler;
        for (const auto& packet : packets) {
            if (assembler.AddPacket(packet.data()) == 1) sections += assembler.published_count();
        }
        benchmark::DoNotOptimize(sections);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * packets.size() *
                                                      sizeof(broadcast_sim::TsPacket)));
    state.counters["sections"] =
        static_cast<double>(sections) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_AssembleAndParseEitSchedule)->Unit(benchmark::kMillisecond);

}  // namespace
