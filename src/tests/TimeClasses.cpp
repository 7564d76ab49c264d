#include "tests/TimeClasses.h"

#include <algorithm>
#include <charconv>

namespace korvane::tests {

namespace {
// Fixed point with one decimal, always with a point whatever the process locale says.
std::string oneDecimal(double v) {
    char text[64];
    auto [end, ec] = std::to_chars(text, text + sizeof text, v, std::chars_format::fixed, 1);
    return ec == std::errc() ? std::string(text, end) : std::string("0.0");
}
} // namespace

uint32_t speedSampleBlocks(uint64_t range, uint32_t blockSize) {
    uint32_t n = 250;
    if (range < 2048000) n = 25;
    else if (range < 4096000) n = 51;
    else if (range < 10240000) n = 101;
    else if (range < 20480000) n = 251;
    return n / (blockSize / 1024 + 1);
}

int timingFactor(const TimingFactorInputs& in) {
    static const int byUdma[7] = {18, 15, 12, 9, 7, 5, 4};
    int k = in.udmaMode >= 0 && in.udmaMode <= 6 ? byUdma[in.udmaMode] : 5;
    if (in.scsiPassport) k = 5;
    if (in.hpaSupported && in.nativeSize > 242000000 && in.pioMode && in.familyCode != 4) k = 3;
    if (!in.verifyScan || !in.timingsDependOnDrive) k = 5;
    if (in.apiRemovable) k = in.maxLba < 4096 ? 18 : 12;
    k = k * int(in.blockSize / 512 + 1);
    if (in.familyCode == 15) k = k / 3;
    return std::max(k, 1);
}

ClassLimits computeClassLimits(int directionFactor, int timingFactor, TimingPath path, int udmaMode) {
    const int64_t mk = int64_t(directionFactor) * timingFactor;
    const bool udma0 = udmaMode == 0;
    std::array<int64_t, 5> factors;
    ClassLimits limits;
    switch (path) {
    case TimingPath::Api: factors = {1, 4, 10, 40, 120}; break;
    case TimingPath::PioPolling:
        factors = {10, 40, 100, udma0 ? 200 : 400, 1200};
        limits.unitsPerMs = 10;
        break;
    case TimingPath::PioTimer: factors = {1, 4, 10, udma0 ? 20 : 40, 120}; break;
    }
    for (size_t i = 0; i < 5; ++i) {
        int64_t v = factors[i] * mk;
        if (v > 0xFFFF) {
            v = 0xFFFF;
            limits.saturated = true;
        }
        limits.t[i] = uint16_t(std::max<int64_t>(v, 0));
    }
    return limits;
}

int classifyBlock(uint32_t blockTime, const ClassLimits& limits) {
    for (int i = 0; i < 5; ++i)
        if (blockTime < limits.t[size_t(i)]) return i + 1;
    return 6;
}

std::string limitLabel(uint16_t limit, uint32_t unitsPerMs, bool compact) {
    const uint32_t ms = limit / (unitsPerMs ? unitsPerMs : 1);
    if (!compact || ms < 999) return std::to_string(ms);
    return oneDecimal(ms / 1000.0) + "s";
}

uint64_t speedFromCounter(uint32_t blocks, uint64_t ms, uint32_t blockSize) {
    return ((512ull * blocks) / std::max<uint64_t>(ms, 1) + 1) * blockSize;
}

uint64_t speedFromTicks(uint32_t blocks, uint64_t dtMs, uint32_t blockSize) {
    return uint64_t(blockSize) * (5120ull * blocks / (dtMs + 1)) / 10;
}

uint64_t remainingSeconds(ScanDirection order, uint64_t curLba, uint64_t startLba, uint64_t endLba, uint64_t btfLow,
                          uint64_t btfMid, uint64_t speedKBs) {
    switch (order) {
    case ScanDirection::Forward: return endLba > curLba ? (endLba - curLba) / (2 * speedKBs + 1) : 0;
    case ScanDirection::Reverse: return curLba > startLba ? (curLba - startLba) / (2 * speedKBs + 1) : 0;
    case ScanDirection::Random: return 0;
    case ScanDirection::Butterfly: return btfMid > btfLow ? (btfMid - btfLow) / (speedKBs + 1) : 0;
    }
    return 0;
}

std::string percentText(double percent) { return oneDecimal(percent); }

} // namespace korvane::tests
