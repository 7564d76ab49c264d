#pragma once
#include "platform/Clock.h"

namespace korvane::platform {

// Linux x86-64 clock: LFENCE+RDTSC, CLOCK_MONOTONIC, SCHED_FIFO (or the lowest nice value when
// real-time scheduling is refused) and a timer thread sleeping to absolute 1 ms deadlines.
class HostClock final : public Clock {
public:
    uint64_t readCounter() override;
    uint32_t tickCountMs() override;
    void sleepMs(uint32_t ms) override;
    SavedPriority raisePriority() override;
    void restorePriority(const SavedPriority& saved) override;
    std::unique_ptr<PeriodicTimer> startPeriodicTimer(std::function<void()> tick) override;
};

} // namespace korvane::platform
