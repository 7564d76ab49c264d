#include "platform/host/HostClock.h"

#include <atomic>
#include <cerrno>
#include <ctime>
#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <thread>

namespace korvane::platform {

uint64_t HostClock::readCounter() {
#if defined(__x86_64__)
    // LFENCE keeps the counter from being read ahead of earlier instructions. CPUID would do the
    // same, but under a hypervisor it traps: microseconds a read, which swamp a 50 us access.
    uint32_t lo, hi;
    asm volatile("lfence\n\trdtsc" : "=a"(lo), "=d"(hi)::"memory");
    return (uint64_t(hi) << 32) | lo;
#else
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC_RAW, &ts);
    return uint64_t(ts.tv_sec) * 1000000000u + uint64_t(ts.tv_nsec);
#endif
}

uint32_t HostClock::tickCountMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return uint32_t(uint64_t(ts.tv_sec) * 1000u + uint64_t(ts.tv_nsec) / 1000000u);
}

void HostClock::sleepMs(uint32_t ms) {
    timespec ts{time_t(ms / 1000), long(ms % 1000) * 1000000L};
    while (nanosleep(&ts, &ts) == -1 && errno == EINTR) {
    }
}

SavedPriority HostClock::raisePriority() {
    SavedPriority saved;
    sched_param param{};
    if (pthread_getschedparam(pthread_self(), &saved.policy, &param) != 0) return saved;
    saved.threadPriority = param.sched_priority;
    errno = 0;
    saved.niceValue = getpriority(PRIO_PROCESS, 0);
    saved.valid = true;
    sched_param top{};
    top.sched_priority = sched_get_priority_max(SCHED_FIFO);
    if (pthread_setschedparam(pthread_self(), SCHED_FIFO, &top) != 0) {
        // Without real-time rights the best we can do is the lowest nice value allowed
        // (RLIMIT_NICE may permit some way below the current one, not all the way to -20).
        for (int nice = -20; nice < saved.niceValue; ++nice)
            if (setpriority(PRIO_PROCESS, 0, nice) == 0) break;
    }
    return saved;
}

void HostClock::restorePriority(const SavedPriority& saved) {
    if (!saved.valid) return;
    sched_param param{};
    param.sched_priority = saved.threadPriority;
    pthread_setschedparam(pthread_self(), saved.policy, &param);
    setpriority(PRIO_PROCESS, 0, saved.niceValue);
}

namespace {

class HostPeriodicTimer final : public PeriodicTimer {
public:
    explicit HostPeriodicTimer(std::function<void()> tick) : tick_(std::move(tick)) {
        thread_ = std::thread([this] { run(); });
    }
    ~HostPeriodicTimer() override {
        stop_.store(true);
        thread_.join();
    }

private:
    void run() {
        timespec next{};
        clock_gettime(CLOCK_MONOTONIC, &next);
        while (!stop_.load()) {
            // Absolute deadlines keep the period exact even when a tick runs late.
            next.tv_nsec += 1000000L;
            if (next.tv_nsec >= 1000000000L) {
                next.tv_nsec -= 1000000000L;
                ++next.tv_sec;
            }
            while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr) == EINTR) {
            }
            if (!stop_.load()) tick_();
        }
    }

    std::function<void()> tick_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

} // namespace

std::unique_ptr<PeriodicTimer> HostClock::startPeriodicTimer(std::function<void()> tick) {
    return std::make_unique<HostPeriodicTimer>(std::move(tick));
}

} // namespace korvane::platform
