// One channel of the viewer's channel list, as the plug-in keeps it.
#pragma once

#include <cstdint>
#include <string>

namespace capture_plugin {

struct ChannelItem {
    std::uint32_t channel = 0;  // channel value: physical channel, or (MHz << 16) | TSID
    std::wstring name;
    int checked = 1;  // collected by an EPG collection
};

}  // namespace capture_plugin
