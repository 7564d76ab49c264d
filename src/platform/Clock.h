#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

namespace korvane::platform {

// A running 1 ms periodic timer; destroying it stops the timer and waits for a tick in progress.
class PeriodicTimer {
public:
    virtual ~PeriodicTimer() = default;
};

// What a measurement's priority boost replaced, so it can be put back exactly.
struct SavedPriority {
    int policy = 0;
    int threadPriority = 0;
    int niceValue = 0;
    bool valid = false;
};

// Time sources of the machine: the processor's time-stamp counter, a millisecond tick count,
// sleeping, a priority boost for calibration and a 1 ms periodic timer.
class Clock {
public:
    virtual ~Clock() = default;

    // Time-stamp counter read, ordered after the instructions before it (a fence, then the counter).
    virtual uint64_t readCounter() = 0;
    // Milliseconds since an arbitrary start; wraps at 2^32 like the platform tick count.
    virtual uint32_t tickCountMs() = 0;
    virtual void sleepMs(uint32_t ms) = 0;

    // Raise the process and the calling thread to the highest priority available; returns what
    // was there before. restorePriority puts the thread back first, then the process.
    virtual SavedPriority raisePriority() = 0;
    virtual void restorePriority(const SavedPriority& saved) = 0;

    // Starts a 1 ms periodic timer on an absolute schedule; `tick` runs on the timer's own thread.
    virtual std::unique_ptr<PeriodicTimer> startPeriodicTimer(std::function<void()> tick) = 0;

    // Blocks until `flag` is true, as set by a periodic timer's tick (which also notifies it).
    // A clock whose time moves only when told lets the time pass meanwhile.
    virtual void waitForFlag(std::atomic<bool>& flag) {
        while (!flag.load()) flag.wait(false);
    }
};

} // namespace korvane::platform
