#include "tests/ScanTimerWake.h"

namespace korvane::tests {

void ScanTimerWake::start() {
    if (!timer_) timer_ = clock_.startPeriodicTimer([this] { tick(); });
    ticking_ = true;
}

void ScanTimerWake::stop() {
    state_.timerWakeArmed = false;
    ticking_ = false;
    timer_.reset(); // waits for a tick in progress
    release();
}

void ScanTimerWake::release() {
    woken_ = true;
    woken_.notify_all();
}

void ScanTimerWake::tick() {
    if (!state_.timerWakeArmed) return;
    if (session_.breakRequested || session_.closing) return release();
    if (session_.accessMode == access::AccessMode::Pio && pio_.isNotReady()) {
        const uint64_t t = ++state_.blockTime;
        if (state_.timeoutMs > 0 && t > uint64_t(state_.timeoutMs)) {
            state_.timedOut = true;
            release();
        }
        return;
    }
    release();
}

bool ScanTimerWake::waitForDrive() {
    state_.blockTime = 0;
    state_.timedOut = false;
    woken_ = false;
    state_.timerWakeArmed = true;
    // A stop that came before the arming must still end the wait.
    if (session_.breakRequested || session_.closing || !ticking_) release();
    clock_.waitForFlag(woken_);
    state_.timerWakeArmed = false;
    return !state_.timedOut;
}

} // namespace korvane::tests
