#pragma once
#include "sim/DriveProfile.h"

#include <optional>
#include <string>

namespace korvane::sim {

// A lab drive made from a real drive's saved blocks: `prefix` + ".identify.bin" gives its
// identity, size and rotation, `prefix` + ".smart.bin" and ".thresholds.bin" its SMART. nullopt,
// with the reason in `error`, when a block is missing or not 512 bytes.
std::optional<DriveProfile> realDriveProfile(const std::string& prefix, std::string& error);

} // namespace korvane::sim
