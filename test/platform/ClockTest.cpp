#include "platform/host/HostClock.h"
#include "platform/sim/VirtualClock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace korvane::platform;

TEST(VirtualClock, CounterFollowsVirtualTimeAtItsRate) {
    VirtualClock clock(3000.0);
    clock.setReadStepNs(0);
    clock.advanceMs(500);
    EXPECT_EQ(clock.readCounter(), 1500000000u);
    EXPECT_EQ(clock.tickCountMs(), 500u);
    clock.sleepMs(250);
    EXPECT_EQ(clock.tickCountMs(), 750u);
}

TEST(VirtualClock, EveryCounterReadMovesTimeSoBusyWaitsEnd) {
    VirtualClock clock(1000.0);
    uint64_t a = clock.readCounter();
    uint64_t b = clock.readCounter();
    EXPECT_GT(b, a);
}

TEST(VirtualClock, PeriodicTimerTicksOncePerMillisecondCrossed) {
    VirtualClock clock;
    int ticks = 0;
    {
        auto timer = clock.startPeriodicTimer([&] { ++ticks; });
        clock.advanceNs(400000);
        EXPECT_EQ(ticks, 0);
        clock.advanceNs(700000);
        EXPECT_EQ(ticks, 1);
        clock.advanceMs(5);
        EXPECT_EQ(ticks, 6);
    }
    clock.advanceMs(5);
    EXPECT_EQ(ticks, 6) << "a destroyed timer stops";
}

TEST(HostClock, CounterAndTickCountNeverGoBack) {
    HostClock clock;
    uint64_t c0 = clock.readCounter();
    uint32_t t0 = clock.tickCountMs();
    clock.sleepMs(2);
    EXPECT_GE(clock.readCounter(), c0);
    EXPECT_GE(clock.tickCountMs(), t0);
}

TEST(HostClock, PriorityBoostIsRestored) {
    HostClock clock;
    SavedPriority saved = clock.raisePriority();
    clock.restorePriority(saved);
    sched_param param{};
    int policy = -1;
    pthread_getschedparam(pthread_self(), &policy, &param);
    EXPECT_EQ(policy, saved.policy);
}

TEST(HostClock, PeriodicTimerTicksOnItsOwnThread) {
    HostClock clock;
    std::atomic<int> ticks{0};
    std::atomic<bool> otherThread{false};
    auto self = std::this_thread::get_id();
    auto timer = clock.startPeriodicTimer([&] {
        otherThread = std::this_thread::get_id() != self;
        ++ticks;
    });
    for (int i = 0; i < 5000 && ticks < 3; ++i) clock.sleepMs(1);
    timer.reset();
    EXPECT_GE(ticks.load(), 3);
    EXPECT_TRUE(otherThread.load());
}
