#pragma once
#include "platform/DiskDevices.h"

#include <atomic>
#include <cstdint>
#include <string>

namespace korvane::tests {

enum class SeekMode { Seek = 0, Verify = 1, Read = 2 };

// The seek test's record. What the UI thread changes under a running worker, and what the
// timer thread reads, is atomic; the rest is the worker's own or set before it starts.
struct SeekState {
    // Range of positions; the end is excluded from the draw.
    std::atomic<int64_t> seekStart{0}, seekEnd{1}, seekPos{0};
    // The limit of one access and its duration, in the units of the timing path (0.1 ms when
    // polling and in API mode, milliseconds with the 1 ms timer).
    std::atomic<int64_t> seekLimit{2500};
    std::atomic<uint64_t> seekTime{0};
    std::atomic<uint32_t> seekCount{0};
    uint32_t windowCount = 0, windowSum = 0;
    // Every access's time since the start, in 0.1 ms steps: the whole run's average.
    std::atomic<uint64_t> totalTenths{0};
    std::string seekAverage = "0.0";
    int16_t startTemperature = 0; // 0 until a run reads it
    std::string temperatureText;
    uint32_t thermalCount = 0;
    // The thermal control's mirror of the "t°" box, so the worker never reads a control.
    std::atomic<bool> thermalBox{true};
    bool smartSupported = false;
    std::atomic<bool> seekRunning{false}, seekWakeArmed{false}, seekTimedOut{false};
    int seekFailure = 0; // 0 none, 1 time-out, 2 command error
    platform::DiskHandle* seekHandle = nullptr;
    uint8_t aamLevel = 162;
    // Ends the test after this many accesses (0: no such end); the command line's --count.
    std::atomic<uint32_t> maxAccesses{0};
};

} // namespace korvane::tests
