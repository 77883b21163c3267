// ParseModuleDescriptorLoop and ListDescriptorTags on raw loops.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "broadcast/module_descriptor_record.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint8_t> loop(data, data + size);
    const int length = static_cast<int>(loop.size());
    broadcast::ModuleDescriptorArray records;
    std::uint8_t count = 0;
    broadcast::ParseModuleDescriptorLoop(loop.data(), length, &records, &count);
    if (count != records.size()) std::abort();
    broadcast::ModuleDescriptorArray tags;
    std::uint16_t tag_count = 0;
    broadcast::ListDescriptorTags(loop.data(), length, &tags, &tag_count);
    if (tag_count != tags.size()) std::abort();
    return 0;
}
