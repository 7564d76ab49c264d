#include "access/Timing.h"

#include <cstdio>

namespace korvane::access {

Timing::Timing(platform::Clock& clock, ClockState& state, DriveSession& session, LogFn log)
    : clock_(clock), state_(state), session_(session), log_(std::move(log)) {}

uint64_t Timing::readTsc() {
    uint64_t t = clock_.readCounter();
    // A zero upper half would make early readings look like tiny deadlines; it reads as 1.
    if ((t >> 32) == 0) t |= uint64_t(1) << 32;
    return t;
}

void Timing::delay100us() {
    uint64_t start = readTsc();
    uint64_t end = start + state_.ticksPer100us;
    while (readTsc() < end) {
    }
}

void Timing::measureCpuClock() {
    platform::SavedPriority saved = clock_.raisePriority();
    clock_.sleepMs(10);
    uint64_t t0 = clock_.readCounter();
    clock_.sleepMs(500);
    uint64_t t1 = clock_.readCounter();
    clock_.restorePriority(saved);

    // Only the low 32 bits of the difference count: a counter faster than ~8.6 GHz wraps.
    uint32_t ticks = uint32_t(t1 - t0);
    state_.cpuMHz = double(ticks) / 499960.0;
    uint64_t per100us = uint64_t(state_.cpuMHz) * 100u;
    if (per100us == 0) {
        // Below 1 MHz: keep the constants usable, so nothing divides by zero later.
        state_.ticksPer100us = 1;
        state_.ticksPerMs = 10;
        return;
    }
    state_.ticksPer100us = uint32_t(per100us);
    state_.ticksPerMs = state_.ticksPer100us * 10u;
}

std::string Timing::mhzText(double mhz) {
    char text[64];
    std::snprintf(text, sizeof text, "%f MHz", mhz);
    return text;
}

void Timing::measureCpuClockLogged() {
    log_("CPU clock...", 0, 1);
    measureCpuClock();
    log_("CPU clock... " + mhzText(state_.cpuMHz), 1, 1);
}

int64_t Timing::timeoutToAtaUnits(int64_t units100us) const {
    if (session_.ataClockIsTsc) return units100us * int64_t(state_.ticksPer100us);
    return units100us / 10;
}

void Timing::setTimeouts(int busySeconds, int drdySeconds, int drqSteps) {
    session_.bsyTimeout = timeoutToAtaUnits(int64_t(busySeconds) * 10000);
    session_.drdyTimeout = timeoutToAtaUnits(int64_t(drdySeconds) * 10000);
    session_.drqTimeout = timeoutToAtaUnits(int64_t(drqSteps * 10 * 10.0));
}

void Timing::selectAtaTimer(int item, int busySeconds, int drdySeconds, int drqSteps) {
    session_.ataClockIsTsc = (item == 0);
    setTimeouts(busySeconds, drdySeconds, drqSteps);
}

} // namespace korvane::access
