#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace korvane::tests {

// How a block's time is taken, which decides the units of the class limits.
enum class TimingPath { Api, PioPolling, PioTimer };
enum class ScanDirection { Forward = 0, Reverse = 1, Random = 2, Butterfly = 3 };

// The five limits that sort good blocks into six time classes, in timing units, and how many
// units make a millisecond.
struct ClassLimits {
    std::array<uint16_t, 5> t{};
    uint32_t unitsPerMs = 1;
    // A product above 65535 is held at 65535 rather than wrapped: a wrapped limit would sort slow
    // blocks as fast ones. True when that happened.
    bool saturated = false;
};

// Blocks between two rate samples for a scan of `range` sectors in blocks of `blockSize`.
uint32_t speedSampleBlocks(uint64_t range, uint32_t blockSize);

// What the timing factor depends on.
struct TimingFactorInputs {
    int udmaMode = -1; // the highest supported, -1 for none
    bool scsiPassport = false;
    bool hpaSupported = false;
    int64_t nativeSize = 0;
    bool pioMode = true;
    int familyCode = 0;
    bool verifyScan = true;
    bool timingsDependOnDrive = true; // "Timings depending on HDD"
    bool apiRemovable = false;        // API mode and a removable drive
    uint64_t maxLba = 0;
    uint32_t blockSize = 256;
};
int timingFactor(const TimingFactorInputs& in);

// directionFactor M (1 forward and reverse, 2 otherwise) and timingFactor K.
ClassLimits computeClassLimits(int directionFactor, int timingFactor, TimingPath path, int udmaMode);

// The class (1-6) of a good block that took `blockTime` units.
int classifyBlock(uint32_t blockTime, const ClassLimits& limits);

// A limit label: T1 and T2 as plain milliseconds, T3-T5 as a compact time ("600", "1.2s").
std::string limitLabel(uint16_t limit, uint32_t unitsPerMs, bool compact);

// The transfer rate in KB/s from N blocks: over `ms` milliseconds of the counter (below 1 taken
// as 1), or over `dtMs` of the tick count.
uint64_t speedFromCounter(uint32_t blocks, uint64_t ms, uint32_t blockSize);
uint64_t speedFromTicks(uint32_t blocks, uint64_t dtMs, uint32_t blockSize);

// Seconds left at `speedKBs` for the order's remaining span.
uint64_t remainingSeconds(ScanDirection order, uint64_t curLba, uint64_t startLba, uint64_t endLba, uint64_t btfLow,
                          uint64_t btfMid, uint64_t speedKBs);

// A percentage as the displays show it: fixed point, one decimal.
std::string percentText(double percent);

} // namespace korvane::tests
