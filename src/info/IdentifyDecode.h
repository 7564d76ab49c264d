#pragma once
#include "info/DrivePassport.h"
#include "platform/IdentifyBlock.h"

#include <cstdint>

namespace korvane::info {

// What a 512-byte IDENTIFY block says, decoded without any window in sight.
struct IdentifyFacts {
    DrivePassport passport;       // the identity and feature fields (the rest left default)
    uint32_t bytesPerSector = 512; // logical sector size
    uint64_t capacity = 0;         // addressable sectors
    // A 48-bit capacity beyond what 48-bit addressing reaches (the 28-bit one stands in).
    bool impossibleCapacity = false;
    uint64_t claimedCapacity = 0;
};

IdentifyFacts decodeIdentify(const platform::IdentifyBlock& id);

// An identification string: two characters a word, high byte first, control and high bytes as
// spaces, trimmed; an empty one is a single space.
std::string identifyString(const platform::IdentifyBlock& id, size_t firstWord, size_t words);

inline constexpr uint64_t kMaxAtaCapacity = uint64_t(1) << 48;

} // namespace korvane::info
