#pragma once
#include "access/DriveSession.h"
#include "access/PioProtocol.h"
#include "platform/Clock.h"

#include <atomic>
#include <cstdint>
#include <memory>

namespace korvane::tests {

// The 1 ms timer of a PIO worker that does not poll (the scan's blocks, the seek test's
// accesses): while the worker waits for its drive, every tick counts a millisecond of the wait
// and wakes the worker when the drive is ready, the wait went past its limit, or it must stop.
class DriveTimerWake {
public:
    // The worker's record of one wait: armed while it waits, the milliseconds counted, the flag
    // of a wait beyond `limitMs` (none when it is 0 or less).
    struct Watch {
        std::atomic<bool>& armed;
        std::atomic<uint64_t>& time;
        std::atomic<bool>& timedOut;
        std::atomic<int64_t>& limitMs;
    };
    DriveTimerWake(Watch watch, access::DriveSession& session, access::PioProtocol& pio, platform::Clock& clock)
        : watch_(watch), session_(session), pio_(pio), clock_(clock) {}

    // UI thread: the timer runs from the worker's start until it is stopped.
    void start();
    void stop();
    bool running() const { return ticking_; }

    // Worker: waits for the drive through the timer; false when it timed out.
    bool waitForDrive();
    // A stop or a close: the worker must not stay asleep.
    void release();

    // The timer's tick.
    void tick();

private:
    Watch watch_;
    access::DriveSession& session_;
    access::PioProtocol& pio_;
    platform::Clock& clock_;
    std::unique_ptr<platform::PeriodicTimer> timer_;
    std::atomic<bool> woken_{false};
    std::atomic<bool> ticking_{false};
};

} // namespace korvane::tests
