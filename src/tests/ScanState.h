#pragma once
#include "tests/TimeClasses.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

namespace korvane::tests {

enum class ScanMode { Verify = 0, Read = 1, Write = 2 };

// The one record of the running or last surface scan. The positions the UI thread moves under a
// running worker (a jump, a repositioning) are atomics; the rest is written by the UI thread while
// no scan runs, and by the worker's UI steps while one does.
struct ScanState {
    uint64_t startLba = 0, endLba = 0, range = 1;
    std::atomic<uint64_t> curLba{0};
    std::atomic<uint64_t> btfLow{0}, btfHigh{0};
    uint64_t btfMid = 0;
    uint16_t blockSize = 256, nominalBlockSize = 256;
    ScanMode scanMode = ScanMode::Verify;
    ScanDirection direction = ScanDirection::Forward, lastDirection = ScanDirection::Forward;
    uint64_t blockTime = 0;
    bool timedOut = false;
    int32_t timeoutMs = -1;
    uint16_t blockError = 0;
    char cellCode = 0;
    std::array<uint32_t, 6> classCounts{};
    uint32_t warningCount = 0, errorCount = 0;
    std::string resultText;
    bool defectoscope = false;
    ClassLimits classLimits{{50, 200, 500, 2000, 6000}, 1, false};
    uint16_t timingFactor = 5;
    uint16_t directionFactor = 1;
    uint32_t speedKBs = 1;
    uint8_t speedSampleBlocks = 250;
    uint16_t uiInterval = 1;
};

} // namespace korvane::tests
