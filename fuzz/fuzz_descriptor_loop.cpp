// ParseDescriptorLoop on raw descriptor loops.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "broadcast/descriptor_record.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint8_t> loop(data, data + size);
    broadcast::DescriptorArray records;
    std::uint8_t count = 0;
    broadcast::ParseDescriptorLoop(loop.data(), static_cast<int>(loop.size()), &records, &count);
    if (count != records.size()) std::abort();
    for (const auto& record : records) {
        if (record == nullptr) std::abort();
    }
    return 0;
}
