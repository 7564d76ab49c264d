#include "platform/sim/VirtualClock.h"

#include <algorithm>

namespace korvane::platform {

class VirtualPeriodicTimer final : public PeriodicTimer {
public:
    VirtualPeriodicTimer(VirtualClock& clock, std::function<void()> tick)
        : clock_(clock), tick_(std::move(tick)) {}
    ~VirtualPeriodicTimer() override { clock_.removeTimer(this); }
    void fire() { tick_(); }

private:
    VirtualClock& clock_;
    std::function<void()> tick_;
};

VirtualClock::VirtualClock(double counterMHz) : counterMHz_(counterMHz) {}

uint64_t VirtualClock::readCounter() {
    uint64_t ns = nowNs_.fetch_add(readStepNs_.load()) + readStepNs_.load();
    return uint64_t(double(ns) * counterMHz_.load() / 1000.0);
}

uint32_t VirtualClock::tickCountMs() { return uint32_t(nowNs_.load() / 1000000u); }

void VirtualClock::sleepMs(uint32_t ms) { advanceMs(ms); }

SavedPriority VirtualClock::raisePriority() {
    ++priorityRaises_;
    return SavedPriority{0, 0, 0, true};
}

void VirtualClock::restorePriority(const SavedPriority&) { ++priorityRestores_; }

std::unique_ptr<PeriodicTimer> VirtualClock::startPeriodicTimer(std::function<void()> tick) {
    auto timer = std::make_unique<VirtualPeriodicTimer>(*this, std::move(tick));
    std::lock_guard lock(timersMutex_);
    timers_.push_back(timer.get());
    return timer;
}

void VirtualClock::removeTimer(VirtualPeriodicTimer* timer) {
    std::lock_guard lock(timersMutex_);
    timers_.erase(std::remove(timers_.begin(), timers_.end(), timer), timers_.end());
}

void VirtualClock::advanceNs(uint64_t ns) {
    uint64_t before = nowNs_.fetch_add(ns);
    uint64_t crossed = (before + ns) / 1000000u - before / 1000000u;
    if (crossed == 0) return;
    // A thread that finds the timers already ticking in another lets its time pass untimed: a
    // tick may take a lock (a drive's bus) that this thread holds while it moves time.
    std::unique_lock lock(timersMutex_, std::try_to_lock);
    if (!lock.owns_lock()) return;
    for (uint64_t i = 0; i < crossed && !timers_.empty(); ++i) {
        auto snapshot = timers_;
        for (auto* t : snapshot) t->fire();
    }
}

} // namespace korvane::platform
