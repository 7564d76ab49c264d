#include "tests/BlockOrder.h"

#include <algorithm>

namespace korvane::tests {

BlockCursor BlockCursor::begin(ScanDirection order, uint64_t start, uint64_t end, uint32_t size) {
    BlockCursor c;
    c.order = order;
    c.startLba = start;
    c.endLba = end;
    c.blockSize = uint32_t(std::max<uint64_t>(1, std::min<uint64_t>(size, c.range())));
    c.btfLow = start;
    c.btfHigh = end - c.blockSize + 1;
    c.btfMid = (start + c.btfHigh) / 2;
    c.curLba = order == ScanDirection::Reverse ? end - c.blockSize + 1 : start;
    return c;
}

void BlockCursor::place(const std::function<uint32_t(uint64_t)>& draw) {
    if (order == ScanDirection::Random) curLba = startLba + draw(range() - blockSize);
    if (order == ScanDirection::Butterfly) curLba = highSideNext ? btfHigh : btfLow;
}

bool BlockCursor::advance() {
    const uint64_t bs = blockSize;
    switch (order) {
    case ScanDirection::Forward:
        if (curLba + 2 * bs > endLba) {
            curLba += bs;
            if (curLba > endLba) return false;
            // The tail: a block up to endLba, then a last one-sector block at endLba.
            blockSize = uint32_t(std::max<uint64_t>(endLba - curLba, 1));
        } else {
            curLba += bs;
        }
        return true;
    case ScanDirection::Reverse:
        if (reverseDone) return false;
        if (curLba >= startLba + bs) {
            curLba -= bs;
        } else if (curLba > startLba) {
            blockSize = uint32_t(curLba - startLba);
            curLba = startLba;
            reverseDone = true;
        } else {
            return false;
        }
        return true;
    case ScanDirection::Random: return true;
    case ScanDirection::Butterfly:
        if (highSideNext)
            btfHigh -= std::min<uint64_t>(bs, btfHigh);
        else
            btfLow += bs;
        highSideNext = !highSideNext;
        return !(int64_t(btfLow) >= int64_t(btfHigh) + int64_t(bs));
    }
    return false;
}

uint32_t randomBelow(uint64_t bound, uint32_t counter) {
    const uint32_t seed = counter * 134775813u + 1u;
    return uint32_t((uint64_t(seed) * uint32_t(bound)) >> 32);
}

uint16_t apiBlockError(uint32_t systemError) {
    switch (systemError) {
    case 5: return 4;
    case 19: return 72;
    case 23: return 64;
    case 25: return 2;
    case 27: return 16;
    case 55: return 4;
    case 1117: return 4;
    case 1122: return 1;
    case 1785: return 2;
    default: return uint16_t(std::min<uint32_t>(systemError, 65535));
    }
}

} // namespace korvane::tests
