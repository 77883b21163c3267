#include "capture_plugin/channel_class.h"

namespace capture_plugin {
namespace {

std::int32_t Signed(std::uint32_t channel) {
    return static_cast<std::int32_t>(channel);
}

}  // namespace

bool IsTerrestrialChannel(std::uint32_t channel) {
    return Signed(channel) < 0xFFFF;
}

bool IsBsChannel(std::uint32_t channel) {
    return Signed(channel) >= 0xFFFF && Signed(channel) <= 0x30000000;
}

bool IsCsChannel(std::uint32_t channel) {
    return Signed(channel) > 0x30000000;
}

bool IsCs1Channel(std::uint32_t channel) {
    return channel == 0x30030000 || channel == 0x307B0000 || channel == 0x30A30000;
}

}  // namespace capture_plugin
