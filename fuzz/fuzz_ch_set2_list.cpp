// ChSet2.txt as the timer reads it: any bytes load without a fault, and every entry read is
// found again by both lookups.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "timer_core/epg/ch_set2_list.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    timer_core::ChSet2List list;
    list.Parse(std::string_view(reinterpret_cast<const char*>(data), size));
    for (const auto& [key, entry] : list.entries()) {
        int transportStreamId = 0;
        if (!list.FindByCodeAndService(entry.channel, entry.serviceId, &transportStreamId))
            __builtin_trap();
        bool inSomeClass = false;
        for (int networkClass = 1; networkClass <= 3; ++networkClass) {
            if (!timer_core::ChannelInNetworkClass(networkClass, entry.channel)) continue;
            inSomeClass = true;
            if (!list.FindByService(networkClass, entry.serviceId, &transportStreamId))
                __builtin_trap();
        }
        if (!inSomeClass) __builtin_trap();
    }
    return 0;
}
