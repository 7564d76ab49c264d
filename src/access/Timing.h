#pragma once
#include "access/LogFn.h"
#include "access/ClockState.h"
#include "access/DriveSession.h"
#include "platform/Clock.h"

#include <cstdint>
#include <functional>
#include <string>

namespace korvane::access {

// The clock sources and their conversions: the counter and the tick count, the 100 us busy wait,
// the counter calibration and the PIO time-outs in ATA-clock units.
class Timing {
public:

    Timing(platform::Clock& clock, ClockState& state, DriveSession& session, LogFn log);

    // Ordered counter read; a reading whose upper half is zero reads as 1 in that half.
    uint64_t readTsc();
    uint64_t tickCount() { return clock_.tickCountMs(); }
    uint64_t ataNow() { return session_.ataClockIsTsc ? readTsc() : tickCount(); }
    uint64_t commonNow() { return state_.commonClockIsTsc ? readTsc() : tickCount(); }
    // Spins on the counter for ticksPer100us ticks, whatever the timer choices are.
    void delay100us();

    // Calibrates the counter against a 500 ms sleep at raised priority.
    void measureCpuClock();
    // The same, announced in the log as "CPU clock..." and replaced by the result.
    void measureCpuClockLogged();
    static std::string mhzText(double mhz);

    int64_t timeoutToAtaUnits(int64_t units100us) const;
    // The three PIO time-outs from their controls: seconds, seconds, and DRQ steps of 10 ms.
    void setTimeouts(int busySeconds, int drdySeconds, int drqSteps);

    // Timer choices, by item index of their controls.
    void selectAtaTimer(int item, int busySeconds, int drdySeconds, int drqSteps);
    void selectCommonClock(int item) { state_.commonClockIsTsc = (item == 0); }
    void selectPioScanTimer(int item) { state_.pioScanPolls = (item == 0); }

    const ClockState& state() const { return state_; }
    platform::Clock& clock() { return clock_; }

private:
    platform::Clock& clock_;
    ClockState& state_;
    DriveSession& session_;
    LogFn log_;
};

} // namespace korvane::access
