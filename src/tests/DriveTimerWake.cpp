#include "tests/DriveTimerWake.h"

namespace korvane::tests {

void DriveTimerWake::start() {
    if (!timer_) timer_ = clock_.startPeriodicTimer([this] { tick(); });
    ticking_ = true;
}

void DriveTimerWake::stop() {
    watch_.armed = false;
    ticking_ = false;
    timer_.reset(); // waits for a tick in progress
    release();
}

void DriveTimerWake::release() {
    woken_ = true;
    woken_.notify_all();
}

void DriveTimerWake::tick() {
    if (!watch_.armed) return;
    if (session_.breakRequested || session_.closing) return release();
    if (session_.accessMode == access::AccessMode::Pio && pio_.isNotReady()) {
        const uint64_t t = ++watch_.time;
        const int64_t limit = watch_.limitMs;
        if (limit > 0 && t > uint64_t(limit)) {
            watch_.timedOut = true;
            release();
        }
        return;
    }
    release();
}

bool DriveTimerWake::waitForDrive() {
    watch_.time = 0;
    watch_.timedOut = false;
    woken_ = false;
    watch_.armed = true;
    // A stop that came before the arming must still end the wait.
    if (session_.breakRequested || session_.closing || !ticking_) release();
    clock_.waitForFlag(woken_);
    watch_.armed = false;
    return !watch_.timedOut;
}

} // namespace korvane::tests
