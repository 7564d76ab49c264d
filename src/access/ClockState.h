#pragma once
#include <cstdint>

namespace korvane::access {

// Results of the processor clock calibration and the two timing choices of scans.
// Written only on the UI thread while no worker runs; workers just read them.
struct ClockState {
    double cpuMHz = 0.0;
    uint32_t ticksPer100us = 0;
    uint32_t ticksPerMs = 1;
    // "Common RTC": scans and seek tests time commands with the counter instead of the tick count.
    bool commonClockIsTsc = false;
    // "Scan: PIO only" item 0: a PIO scan polls in 100 us steps instead of waiting on 1 ms ticks.
    bool pioScanPolls = true;
};

} // namespace korvane::access
