#include "access/JobRunner.h"
#include "support/TestApp.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace korvane;
using testsupport::TestApp;
using W = access::WorkerGate::Worker;

namespace {

// A job made of a function, so each test states its worker's steps where it asserts them.
struct FnJob final : access::DriveJob {
    W k;
    std::function<void(access::WorkerContext&)> body;
    FnJob(W kind, std::function<void(access::WorkerContext&)> fn) : k(kind), body(std::move(fn)) {}
    W kind() const override { return k; }
    void run(access::WorkerContext& c) override { body(c); }
};

struct Jobs : ::testing::Test {
    TestApp t;
    shell::App& app = *t.app;
    Jobs() {
        t.usePio(0x1F0, 0x3F6);
        app.clockControls.recomputeTimeouts();
        app.session.breakRequested = false;
    }
    sim::AtaDevice& drive() { return t.drive(0x1F0); }
    bool start(W kind, std::function<void(access::WorkerContext&)> fn, std::function<void()> onEnd = {}) {
        return app.jobs.start(std::make_unique<FnJob>(kind, std::move(fn)), std::move(onEnd));
    }
    void runUntil(const std::function<bool()>& cond) { t.ui.runUntil(cond); }
};

} // namespace

TEST_F(Jobs, AWorkerLogsInOrderStepsOnTheUiThreadAndEndsBackThere) {
    std::thread::id stepThread, endThread;
    bool ended = false;
    ASSERT_TRUE(start(W::Scan, [&](access::WorkerContext& c) {
        for (int i = 0; i < 50; ++i) {
            c.drive().readOneSector(uint64_t(i));
            c.log("block " + std::to_string(i), i > 0 ? 1 : 0, 0);
            c.holdPoint();
        }
        c.step([&] {
            stepThread = std::this_thread::get_id();
            app.form.tests.LbaOut.setText("49"); // a control, changed where it may be
        });
        c.log("done", 0, 2);
    }, [&] {
        endThread = std::this_thread::get_id();
        ended = true;
    }));
    EXPECT_FALSE(start(W::Scan, [](access::WorkerContext&) {})) << "one job of a kind at a time";
    runUntil([&] { return ended; });
    EXPECT_EQ(stepThread, std::this_thread::get_id());
    EXPECT_EQ(endThread, std::this_thread::get_id());
    auto m = t.messages();
    ASSERT_GE(m.size(), 2u);
    EXPECT_EQ(m[m.size() - 2], "block 49") << "replace-last lines from the worker land in order";
    EXPECT_EQ(m.back(), "done");
    EXPECT_EQ(app.form.tests.LbaOut.text(), "49");
    EXPECT_FALSE(app.jobs.running(W::Scan));
    EXPECT_TRUE(start(W::Scan, [](access::WorkerContext&) {})) << "a finished kind can start again";
    runUntil([&] { return !app.jobs.running(W::Scan); });
}

TEST_F(Jobs, TheBracketHoldsARunningWorkerBetweenTwoCommands) {
    std::atomic<int> done{0};
    ASSERT_TRUE(start(W::Scan, [&](access::WorkerContext& c) {
        for (int i = 0; !c.stopRequested(); ++i) {
            c.pio().sendNonDataCommand(0, 1, uint8_t(i), 0, 0, 0xE0, 0x40);
            ++done;
            if (i % 7 == 0) c.step([&] { app.form.tests.LbaOut.setText(std::to_string(i)); });
            c.holdPoint();
        }
    }));
    runUntil([&] { return done >= 20; });
    for (int round = 0; round < 20; ++round) {
        {
            auto bracket = app.commands.bracket();
            auto inner = app.commands.bracket(); // brackets nest: the inner end releases nothing
            int atPause = done;
            EXPECT_TRUE(app.pio.sendNonDataCommand(0x02, 0, 0, 0, 0, 0xA0, 0xEF));
            EXPECT_EQ(done, atPause);
            EXPECT_EQ(drive().commandsReceived().back().command, 0xEF);
        }
        int target = done + 3;
        runUntil([&] { return done >= target; });
    }
    app.jobs.requestStop(W::Scan);
    runUntil([&] { return !app.jobs.running(W::Scan); });
}

TEST_F(Jobs, TheBracketKeepsEventsFlowingWhileItWaitsForAWorker) {
    // The worker reaches its hold point only after something it queued on the UI thread has run:
    // a bracket that blocked the UI thread without serving it would wait for ever.
    std::atomic<bool> served{false}, reachedHold{false};
    ASSERT_TRUE(start(W::Seek, [&](access::WorkerContext& c) {
        while (!reachedHold) {
            t.ui.post([&] { served = true; });
            while (!served && !c.stopRequested()) std::this_thread::yield();
            reachedHold = true;
            c.holdPoint();
        }
    }));
    {
        auto bracket = app.commands.bracket();
        EXPECT_TRUE(served);
        EXPECT_TRUE(app.gate.held(W::Seek));
    }
    runUntil([&] { return !app.jobs.running(W::Seek); });
}

TEST_F(Jobs, CloseStopsAWorkerInsideAStuckWaitAndSkipsItsEnd) {
    drive().faults.stuckBusy = true;
    app.session.bsyTimeout = int64_t(1) << 60; // a wait that only closing ends
    std::atomic<bool> inWait{false};
    bool ended = false;
    ASSERT_TRUE(start(W::Erase, [&](access::WorkerContext& c) {
        c.pio().writeTaskFile28(0, 1, 0, 0, 0, 0xE0, 0x40);
        inWait = true;
        c.pio().waitNotBusy();
    }, [&] { ended = true; }));
    while (!inWait) std::this_thread::yield();
    EXPECT_TRUE(app.jobs.closeAll(std::chrono::milliseconds(5000)));
    EXPECT_FALSE(app.jobs.running(W::Erase));
    t.ui.processEvents();
    EXPECT_FALSE(ended) << "nothing of a job runs on the UI after close";
    EXPECT_FALSE(start(W::Scan, [](access::WorkerContext&) {})) << "no job starts while closing";
}

TEST_F(Jobs, CloseReleasesAWorkerWaitingOnAUserPause) {
    std::atomic<bool> paused{false};
    ASSERT_TRUE(start(W::Seek, [&](access::WorkerContext& c) {
        while (!c.stopRequested()) {
            paused = true;
            c.holdPoint();
        }
    }));
    app.gate.setUserPause(W::Seek, true);
    runUntil([&] { return paused && app.gate.held(W::Seek); });
    EXPECT_TRUE(app.jobs.closeAll(std::chrono::milliseconds(5000)));
}

TEST(ThreadAffinityDeathTest, AControlChangedOffTheUiThreadStopsTheProgram) {
#if KORVANE_THREAD_CHECKS
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            form::Label label("StatusRegLabel");
            std::thread([&] { label.setCaption("50"); }).join();
        },
        "StatusRegLabel changed off the UI thread");
#else
    GTEST_SKIP() << "thread checks are off in this build";
#endif
}
