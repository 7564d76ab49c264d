#pragma once
#include "tests/TimeClasses.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

namespace korvane::platform {
class DiskHandle;
}

namespace korvane::tests {

enum class ScanMode { Verify = 0, Read = 1, Write = 2 };

// The one record of the running or last surface scan. What the UI thread changes under a running
// worker (a jump, a pause, a stop, a repositioning) and what the timer thread writes are atomics;
// the rest is written by the UI thread while no scan runs, and by the worker or its UI steps
// while one does.
struct ScanState {
    uint64_t startLba = 0, endLba = 0, range = 1;
    std::atomic<uint64_t> curLba{0};
    std::atomic<uint64_t> btfLow{0}, btfHigh{0};
    uint64_t btfMid = 0;
    std::atomic<bool> btfPhase{false}; // false: the low side comes next
    bool reverseDone = false;
    std::atomic<uint16_t> blockSize{256};
    uint16_t nominalBlockSize = 256;
    ScanMode scanMode = ScanMode::Verify;
    std::atomic<ScanDirection> direction{ScanDirection::Forward};
    ScanDirection lastDirection = ScanDirection::Forward;
    // Days since the random scan's start, as the date-time fields count: the deadline moves with
    // the duration box, and the UI thread refreshes the clock while the worker reads it.
    std::atomic<double> randomDeadline{0}, randomNow{0};
    std::atomic<uint64_t> blockTime{0};
    std::atomic<bool> timedOut{false};
    std::atomic<int64_t> timeoutMs{-1}; // the timer thread of a PIO scan reads it
    uint16_t blockError = 0;
    char cellCode = 0;
    std::array<uint32_t, 6> classCounts{};
    uint32_t warningCount = 0, errorCount = 0;
    std::string resultText;
    // The bad-block line of a data distortion: "Writen 55AAh, read ...h".
    std::string distortionText;
    bool defectoscope = false;
    ClassLimits classLimits{{50, 200, 500, 2000, 6000}, 1, false};
    uint16_t timingFactor = 5;
    uint16_t directionFactor = 1;
    uint32_t speedKBs = 1;
    uint8_t speedSampleBlocks = 250;
    uint16_t uiInterval = 1;
    uint64_t jumpLarge = 0, jumpSmall = 0;
    std::atomic<bool> jumpedForward{false}, jumpedBack{false};
    std::atomic<bool> mapNonLinear{false};
    std::atomic<bool> scanStarted{false}, scanActive{false}, scanPaused{false}, loopMode{false};
    uint32_t loopCount = 1;
    std::atomic<bool> timerWakeArmed{false};
    platform::DiskHandle* handle = nullptr; // API mode: the drive, open for the whole scan
};

} // namespace korvane::tests
