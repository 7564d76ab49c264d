#pragma once
#include "tests/ScanState.h"

#include <cstdint>

namespace korvane::tests {

// Where the blocks of a scan lie, in each of the four orders. They work on the scan record's own
// positions, so a jump from the UI thread moves the one position there is and the next advance
// starts from it.

// The first position of a scan of [startLba, endLba] in blocks of `blockSize` (at most the
// range): the butterfly cursors, the reverse start, the tail flags.
void beginOrder(ScanState& s, uint16_t blockSize);
// Random and butterfly place the block before it is scanned; `drawn` is randomBelow's value for
// the range less one block (random order only).
void placeBlock(ScanState& s, uint32_t drawn);
// After a block: false when the order is finished (random order ends by its deadline instead).
bool advanceBlock(ScanState& s);

// A pseudo-random block position below `bound` (taken modulo 2^32), the generator re-seeded from
// `counter` each time: seed = counter * 134775813 + 1, the high half of seed * bound.
uint32_t randomBelow(uint64_t bound, uint32_t counter);

// A worker's run of positions: the counter is added to the generator's last state rather than
// replacing it, so a counter that advances by the same step between two draws (a steady drive, a
// simulated clock) does not lay the positions out in a regular stride.
class PositionDraw {
public:
    uint32_t next(uint64_t bound, uint32_t counter) {
        state_ += counter;
        const uint32_t drawn = randomBelow(bound, state_);
        state_ = state_ * 134775813u + 1u;
        return drawn;
    }

private:
    uint32_t state_ = 0;
};

// The scan's error code of an API block from the system's error code.
uint16_t apiBlockError(uint32_t systemError);

} // namespace korvane::tests
