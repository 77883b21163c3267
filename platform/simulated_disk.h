// The disk simulation: with ORVANDEL_SIM_DISK=<file>, where the file holds a decimal byte count,
// every folder lies on a disk of its own of that size whose only contents are the folder's own
// files, so the free space the layer reports is that size less the sizes of the regular files
// directly in the folder (never below 0). Tests and demos set the size and fill or empty the
// folder (sparse files will do) to steer housekeeping that waits for free space; the file may be
// rewritten while processes run.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

struct SimulatedDiskSpace {
    std::uint64_t total = 0;
    std::uint64_t free = 0;
};

// True when ORVANDEL_SIM_DISK names a file.
bool IsDiskSimulated();

// The simulated figures for an existing folder (native path); nullopt when the simulation file
// cannot be read or holds no number.
std::optional<SimulatedDiskSpace> QuerySimulatedDisk(const std::string& nativeFolder);

}  // namespace platform
