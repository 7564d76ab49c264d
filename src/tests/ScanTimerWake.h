#pragma once
#include "access/DriveSession.h"
#include "access/PioProtocol.h"
#include "platform/Clock.h"
#include "tests/ScanState.h"

#include <atomic>
#include <memory>

namespace korvane::tests {

// The 1 ms timer of a PIO scan that does not poll: while the worker waits for its drive, every
// tick counts a millisecond of the block and wakes the worker when the drive is ready, the block
// timed out, or the scan must stop.
class ScanTimerWake {
public:
    ScanTimerWake(ScanState& state, access::DriveSession& session, access::PioProtocol& pio, platform::Clock& clock)
        : state_(state), session_(session), pio_(pio), clock_(clock) {}

    // UI thread: the timer runs from the scan's start until it is completed.
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
    ScanState& state_;
    access::DriveSession& session_;
    access::PioProtocol& pio_;
    platform::Clock& clock_;
    std::unique_ptr<platform::PeriodicTimer> timer_;
    std::atomic<bool> woken_{false};
    std::atomic<bool> ticking_{false};
};

} // namespace korvane::tests
