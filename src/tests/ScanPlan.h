#pragma once
#include "tests/BlockOrder.h"

#include <cstdint>
#include <optional>
#include <string>

namespace korvane::tests {

// The range and block of a scan as the Tests page's fields give them, before anything is sent.
struct ScanPlan {
    uint64_t startLba = 0, endLba = 0, range = 1;
    uint32_t blockSize = 1;
    std::string startText, endText, blockText; // what the fields show afterwards
    uint64_t jumpLarge = 0, jumpSmall = 0;
};

// The digits of a box's text, in order, as a number: none gives 1, more than nine are held at
// 999999999 (the block size, the time-out and the loop fields read their boxes this way).
uint64_t boxDigits(const std::string& text);

// From the texts of the start, end and block-size fields and the drive's capacity: both LBAs
// clamped to the last sector, the end never below the start, the block size from the digits of
// its box (none gives 1, 0 becomes 1) and at most the range. nullopt (with the message in `error`)
// for a size that does not convert.
std::optional<ScanPlan> planScan(const std::string& startText, const std::string& endText,
                                 const std::string& blockText, uint64_t maxLba, uint32_t sectorsPerMiB,
                                 std::string& error);

} // namespace korvane::tests
