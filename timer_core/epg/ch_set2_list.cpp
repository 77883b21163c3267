#include "timer_core/epg/ch_set2_list.h"

#include <cstdint>

#include "shared/channel_table_text.h"
#include "shared/text_lines.h"

namespace timer_core {

bool ChannelInNetworkClass(int networkClass, int channel) {
    switch (networkClass) {
        case 1:
            return channel <= 0xFFFF;
        case 2:
            return channel >= 0xFFFF && channel < 0x30000000;
        default:
            return channel >= 0x30000000;
    }
}

std::int32_t ChSet2List::Key(int transportStreamId, int serviceId) {
    return static_cast<std::int32_t>((static_cast<std::uint32_t>(transportStreamId) << 16) |
                                     static_cast<std::uint32_t>(serviceId));
}

int ChSet2List::Load(std::wstring_view path) {
    return shared::LoadChannelTable(path, *this);
}

void ChSet2List::Parse(std::string_view bytes) {
    entries_.clear();
    for (std::string_view line : shared::SplitLines(bytes)) {
        shared::ChSet2Entry entry;
        if (!ParseLine(line, &entry)) continue;
        entries_.try_emplace(Key(entry.transportStreamId, entry.serviceId), std::move(entry));
    }
}

int ChSet2List::ParseLine(std::string_view line, shared::ChSet2Entry* entry) {
    return entry == nullptr ? 0 : shared::ChSet2File::ParseLine(line, entry);
}

template <class Match>
int ChSet2List::FindFirst(const Match& matches, int* transportStreamId) const {
    if (transportStreamId == nullptr) return 0;
    for (const auto& [key, entry] : entries_) {
        if (!matches(entry)) continue;
        *transportStreamId = entry.transportStreamId;
        return 1;
    }
    return 0;
}

int ChSet2List::FindByCodeAndService(int channel, int serviceId, int* transportStreamId) const {
    return FindFirst(
        [&](const shared::ChSet2Entry& entry) {
            return entry.channel == channel && entry.serviceId == serviceId;
        },
        transportStreamId);
}

int ChSet2List::FindByService(int networkClass, int serviceId, int* transportStreamId) const {
    return FindFirst(
        [&](const shared::ChSet2Entry& entry) {
            return entry.serviceId == serviceId &&
                   ChannelInNetworkClass(networkClass, entry.channel);
        },
        transportStreamId);
}

}  // namespace timer_core
