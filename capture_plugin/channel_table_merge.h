// Keeps the timer's channel tables current: the TV services (types 0x01 and 0xA5) of one
// transport stream found in the EPG store are merged into ChSet.txt and ChSet2.txt under the
// channel value that carried them; entries of other channels stay as they are.
#pragma once

#include <cstdint>
#include <string_view>

#include "broadcast/epg_store.h"

namespace capture_plugin {

void MergeChannelTables(const broadcast::EpgStore& store, int transportStreamId,
                        std::uint32_t channel, std::wstring_view chSetPath,
                        std::wstring_view chSet2Path);

}  // namespace capture_plugin
