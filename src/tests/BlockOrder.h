#pragma once
#include "tests/TimeClasses.h"

#include <cstdint>
#include <functional>

namespace korvane::tests {

// Where the next block of a scan lies, in each of the four orders. The position fields may be
// moved between blocks by the jump controls; `advance` works from whatever they hold then.
struct BlockCursor {
    ScanDirection order = ScanDirection::Forward;
    uint64_t startLba = 0, endLba = 0; // endLba inclusive
    uint64_t curLba = 0;
    uint32_t blockSize = 1;
    uint64_t btfLow = 0, btfHigh = 0, btfMid = 0;
    bool highSideNext = false; // the butterfly side that comes next
    bool reverseDone = false;

    // The first position of a scan of [start, end] in blocks of `size` (at most the range).
    static BlockCursor begin(ScanDirection order, uint64_t start, uint64_t end, uint32_t size);
    uint64_t range() const { return endLba > startLba ? endLba - startLba : 1; }
    // Butterfly and random place the block before it is scanned; `draw` gives randomBelow.
    void place(const std::function<uint32_t(uint64_t)>& draw);
    // After a block: false when the order is finished (random ends by its deadline instead).
    bool advance();
};

// A pseudo-random block position below `bound` (taken modulo 2^32), the generator re-seeded from
// `counter` each time: seed = counter * 134775813 + 1, the high half of seed * bound.
uint32_t randomBelow(uint64_t bound, uint32_t counter);

// The scan's error code of an API block from the system's error code.
uint16_t apiBlockError(uint32_t systemError);

} // namespace korvane::tests
