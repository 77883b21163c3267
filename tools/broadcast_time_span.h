// What span of broadcast time a recording holds: the first and the last time (TOT or TDT) in the
// transport stream file, as the broadcast stamped it (JST wall time).
#pragma once

#include <filesystem>
#include <optional>

#include "platform/system_time.h"

namespace tools {

struct BroadcastTimeSpan {
    platform::SYSTEMTIME first{};
    platform::SYSTEMTIME last{};
};

// nullopt when the file holds no time section (or cannot be read).
std::optional<BroadcastTimeSpan> ReadBroadcastTimeSpan(const std::filesystem::path& file);

}  // namespace tools
