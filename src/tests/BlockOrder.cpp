#include "tests/BlockOrder.h"

#include <algorithm>

namespace korvane::tests {

void beginOrder(ScanState& s, uint16_t blockSize) {
    const uint64_t bs = std::max<uint64_t>(1, std::min<uint64_t>(blockSize, s.range));
    s.blockSize = uint16_t(std::min<uint64_t>(bs, 0xFFFF));
    s.btfLow = s.startLba;
    s.btfHigh = s.endLba - s.blockSize + 1;
    s.btfMid = (s.startLba + s.btfHigh) / 2;
    s.btfPhase = false;
    s.reverseDone = false;
    s.curLba = s.direction == ScanDirection::Reverse ? s.endLba - s.blockSize + 1 : s.startLba;
}

void placeBlock(ScanState& s, uint32_t drawn) {
    if (s.direction == ScanDirection::Random) s.curLba = s.startLba + drawn;
    if (s.direction == ScanDirection::Butterfly) s.curLba = s.btfPhase ? s.btfHigh.load() : s.btfLow.load();
}

bool advanceBlock(ScanState& s) {
    const uint64_t bs = s.blockSize;
    const uint64_t cur = s.curLba;
    switch (s.direction.load()) {
    case ScanDirection::Forward:
        if (cur + 2 * bs > s.endLba) {
            s.curLba = cur + bs;
            if (cur + bs > s.endLba) return false;
            // The tail: a block up to endLba, then a last one-sector block at endLba.
            s.blockSize = uint16_t(std::max<uint64_t>(s.endLba - (cur + bs), 1));
        } else {
            s.curLba = cur + bs;
        }
        return true;
    case ScanDirection::Reverse:
        if (s.reverseDone) return false;
        if (cur >= s.startLba + bs) {
            s.curLba = cur - bs;
        } else if (cur > s.startLba) {
            s.blockSize = uint16_t(cur - s.startLba);
            s.curLba = s.startLba;
            s.reverseDone = true;
        } else {
            return false;
        }
        return true;
    case ScanDirection::Random: return true;
    case ScanDirection::Butterfly:
        // Signed, as the sides may cross: the high cursor can go below the start of the range.
        if (s.btfPhase)
            s.btfHigh = s.btfHigh - bs;
        else
            s.btfLow = s.btfLow + bs;
        s.btfPhase = !s.btfPhase;
        return !(int64_t(s.btfLow.load()) >= int64_t(s.btfHigh.load()) + int64_t(bs));
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
