#include "broadcast/section_list.h"

#include <algorithm>
#include <array>
#include <cwchar>

#include "broadcast/crc32.h"
#include "broadcast/si_tables.h"
#include "platform/debug_output.h"

namespace broadcast {
namespace {

constexpr std::uint8_t kStuffing = 0xFF;
constexpr std::uint8_t kTdtTableId = 0x70;

constexpr std::array<TableParser, 256> MakeDispatch() {
    std::array<TableParser, 256> table{};
    table[0x00] = ParsePatSection;
    table[0x02] = ParsePmtSection;
    for (int id = 0x3A; id <= 0x3F; ++id)
        table[id] = ParseDsmccSection;
    table[0x40] = table[0x41] = ParseNitSection;
    table[0x42] = table[0x46] = ParseSdtSection;
    for (int id = 0x4E; id <= 0x6F; ++id)
        table[id] = ParseEitSection;
    table[0x70] = ParseTdtSection;
    table[0x73] = ParseTotSection;
    table[0xC8] = ParseCdtSection;
    return table;
}

constexpr std::array<TableParser, 256> kDispatch = MakeDispatch();

int SectionTotalSize(const std::uint8_t* section) {
    return (((section[1] & 0x0F) << 8) | section[2]) + 3;
}

// A section whose section_length is below 4 has no room for a CRC and fails.
bool CrcMatches(const std::uint8_t* section, int total) {
    std::uint32_t stored = 0;
    if (total >= 4) {
        const std::uint8_t* crc = section + total - 4;
        stored = (std::uint32_t{crc[0]} << 24) | (std::uint32_t{crc[1]} << 16) |
                 (std::uint32_t{crc[2]} << 8) | crc[3];
    }
    const std::uint32_t computed = CalcCrc32(total - 4, section);
    if (total >= 7 && stored == computed) return true;
    wchar_t line[64];
    std::swprintf(line, 64, L"crc err %d, 0x%X, 0x%X\r\n", total, stored, computed);
    platform::OutputDebugStringW(line);
    return false;
}

std::unique_ptr<SectionRecord> TagOnlyRecord(std::uint8_t table_id) {
    auto record = std::make_unique<SectionRecord>();
    record->table_id = table_id;
    return record;
}

}  // namespace

int ParseSectionList(const std::uint8_t* buffer, int length, int* consumed, SectionList* records,
                     std::uint32_t* count) {
    if (buffer == nullptr || count == nullptr || length < 3) return 0;
    SectionList list;
    int pos = 0;
    while (pos < length) {
        const std::uint8_t* section = buffer + pos;
        const int left = length - pos;
        if (section[0] == kStuffing || left < 3 || SectionTotalSize(section) > left) {
            pos = length;
            break;
        }
        const int total = SectionTotalSize(section);
        if (section[0] != kTdtTableId && !CrcMatches(section, total)) {
            pos += total;
            continue;
        }
        std::unique_ptr<SectionRecord> record;
        int used = 0;
        const TableParser parser = kDispatch[section[0]];
        if (parser != nullptr && parser(section, left, &used, &record) == 1) {
            pos = used <= 0 ? length : std::min(pos + used, length);
        } else {
            record = TagOnlyRecord(section[0]);
            pos += total;
        }
        list.push_back(std::move(record));
    }
    *count = static_cast<std::uint32_t>(list.size());
    if (!list.empty() && records != nullptr) *records = std::move(list);
    if (consumed != nullptr) *consumed = pos;
    return 1;
}

}  // namespace broadcast
