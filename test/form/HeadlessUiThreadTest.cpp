#include "form/HeadlessUiThread.h"
#include "form/Timer.h"
#include "platform/sim/VirtualClock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace korvane;

TEST(HeadlessUiThread, InvokeFromAWorkerRunsOnTheUiThreadAndWaitsForIt) {
    platform::VirtualClock clock;
    form::HeadlessUiThread ui(clock);
    std::thread::id ranOn;
    std::atomic<bool> workerDone{false};
    int value = 0;
    std::thread worker([&] {
        ui.invoke([&] {
            ranOn = std::this_thread::get_id();
            value = 42;
        });
        // invoke returned: the step has run
        EXPECT_EQ(value, 42);
        workerDone = true;
    });
    ui.runUntil([&] { return workerDone.load(); });
    worker.join();
    EXPECT_EQ(ranOn, std::this_thread::get_id());
}

TEST(HeadlessUiThread, InvokeOnTheUiThreadRunsAtOnce) {
    platform::VirtualClock clock;
    form::HeadlessUiThread ui(clock);
    bool ran = false;
    ui.invoke([&] { ran = true; });
    EXPECT_TRUE(ran);
    EXPECT_TRUE(ui.isUiThread());
}

TEST(HeadlessUiThread, ProcessEventsIsReentrantAndKeepsOrder) {
    platform::VirtualClock clock;
    form::HeadlessUiThread ui(clock);
    std::vector<int> order;
    ui.post([&] {
        order.push_back(1);
        ui.processEvents(); // a wait inside a handler lets the rest of the queue run
        order.push_back(3);
    });
    ui.post([&] { order.push_back(2); });
    ui.processEvents();
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

TEST(HeadlessUiThread, TimersFireOnTheirIntervalAndStopWhenDisabled) {
    platform::VirtualClock clock;
    form::HeadlessUiThread ui(clock);
    form::Timer timer("RdWrTimer", 50, true);
    int ticks = 0;
    timer.onTimer = [&] { ++ticks; };
    ui.addTimer(timer);
    clock.advanceMs(49);
    ui.processEvents();
    EXPECT_EQ(ticks, 0);
    clock.advanceMs(1);
    ui.processEvents();
    EXPECT_EQ(ticks, 1);
    clock.advanceMs(500); // a stalled loop does not make up the missed ticks
    ui.processEvents();
    EXPECT_EQ(ticks, 2);
    timer.setEnabled(false);
    clock.advanceMs(100);
    ui.processEvents();
    EXPECT_EQ(ticks, 2);
    timer.setEnabled(true); // re-enabling starts a fresh period
    clock.advanceMs(49);
    ui.processEvents();
    EXPECT_EQ(ticks, 2);
    ui.removeTimer(timer);
}

TEST(HeadlessUiThread, ShutdownReleasesAWaitingWorker) {
    platform::VirtualClock clock;
    form::HeadlessUiThread ui(clock);
    std::atomic<bool> started{false};
    bool ran = false;
    std::thread worker([&] {
        started = true;
        ui.invoke([&] { ran = true; });
    });
    while (!started) std::this_thread::yield();
    ui.shutdown();
    worker.join();
    EXPECT_FALSE(ran) << "a step still queued at shutdown is dropped, its worker released";
    std::thread late([&] { ui.invoke([&] { ran = true; }); });
    late.join();
    EXPECT_FALSE(ran) << "steps queued from workers after shutdown never run";
}

TEST(HeadlessUiThread, ShutdownDuringARunningStepKeepsItsWorkerUntilTheStepEnds) {
    platform::VirtualClock clock;
    form::HeadlessUiThread ui(clock);
    std::atomic<bool> workerDone{false};
    int seenByWorker = 0;
    std::thread worker([&] {
        int local = 0; // lives in the worker's frame: the step writes it after shutdown
        ui.invoke([&] {
            ui.shutdown();
            local = 7;
        });
        seenByWorker = local;
        workerDone = true;
    });
    ui.runUntil([&] { return workerDone.load(); });
    worker.join();
    EXPECT_EQ(seenByWorker, 7) << "the worker returned before its step ended";
}
