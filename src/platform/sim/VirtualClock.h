#pragma once
#include "platform/Clock.h"
#include "sim/LabTime.h"

#include <atomic>
#include <mutex>
#include <vector>

namespace korvane::platform {

// A clock whose time moves only when told to: tests and the lab get deterministic, instant time.
// Every counter read moves time on by a small step, so busy waits on the counter always end.
// Periodic timers tick synchronously, in the thread that moves time, once per millisecond crossed.
class VirtualClock final : public Clock, public sim::LabTime {
public:
    explicit VirtualClock(double counterMHz = 3000.0);

    uint64_t readCounter() override;
    uint32_t tickCountMs() override;
    void sleepMs(uint32_t ms) override;
    SavedPriority raisePriority() override;
    void restorePriority(const SavedPriority& saved) override;
    std::unique_ptr<PeriodicTimer> startPeriodicTimer(std::function<void()> tick) override;

    // Time passes a millisecond at a time, its timers ticking, until the flag is set.
    void waitForFlag(std::atomic<bool>& flag) override {
        while (!flag.load()) advanceMs(1);
    }

    void advanceNs(uint64_t ns);
    // The lab's view of the same time: a busy drive moves it on when polled.
    uint64_t nowNs() override { return nowNs_.load(); }
    void passUntil(uint64_t ns) override {
        uint64_t now = nowNs_.load();
        if (ns > now) advanceNs(ns - now);
    }
    void advanceMs(uint64_t ms) { advanceNs(ms * 1000000u); }

    void setCounterMHz(double mhz) { counterMHz_ = mhz; }
    double counterMHz() const { return counterMHz_; }
    // Time that passes with every counter read (default 20 ns).
    void setReadStepNs(uint64_t ns) { readStepNs_ = ns; }

    int priorityRaises() const { return priorityRaises_; }
    int priorityRestores() const { return priorityRestores_; }
    bool priorityRaised() const { return priorityRaises_ > priorityRestores_; }

private:
    friend class VirtualPeriodicTimer;
    void removeTimer(class VirtualPeriodicTimer* timer);

    std::atomic<uint64_t> nowNs_{0};
    std::atomic<double> counterMHz_;
    std::atomic<uint64_t> readStepNs_{20};
    int priorityRaises_ = 0;
    int priorityRestores_ = 0;
    std::recursive_mutex timersMutex_;
    std::vector<class VirtualPeriodicTimer*> timers_;
};

} // namespace korvane::platform
