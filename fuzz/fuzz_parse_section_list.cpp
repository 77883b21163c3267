// ParseSectionList and every table parser on raw buffers. The first byte picks whether the
// CRCs are made valid first (to reach the parsers) or left as they come (the CRC test).
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "broadcast/section_list.h"
#include "broadcast/si_tables.h"
#include "fuzz_sections.h"

namespace {

constexpr broadcast::TableParser kParsers[] = {
    broadcast::ParsePatSection, broadcast::ParsePmtSection, broadcast::ParseDsmccSection,
    broadcast::ParseNitSection, broadcast::ParseSdtSection, broadcast::ParseEitSection,
    broadcast::ParseTdtSection, broadcast::ParseTotSection, broadcast::ParseCdtSection};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    std::vector<std::uint8_t> buffer(data + 1, data + size);
    if (data[0] & 1) FixSectionCrcs(buffer);
    const int length = static_cast<int>(buffer.size());

    broadcast::SectionList records;
    std::uint32_t count = 0;
    int consumed = 0;
    if (broadcast::ParseSectionList(buffer.data(), length, &consumed, &records, &count) == 1) {
        if (consumed < 0 || consumed > length) std::abort();
        if (count != 0 && records.size() != count) std::abort();
    }
    // Each parser on the buffer as given, however short it is.
    for (const broadcast::TableParser parser : kParsers) {
        std::unique_ptr<broadcast::SectionRecord> record;
        int used = 0;
        parser(buffer.data(), length, &used, &record);
    }
    return 0;
}
