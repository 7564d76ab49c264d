#include "access/ClockControls.h"
#include "access/Timing.h"
#include "platform/sim/VirtualClock.h"

#include <gtest/gtest.h>

using namespace korvane;

namespace {

struct TimingFixture : ::testing::Test {
    platform::VirtualClock clock{3000.0};
    access::ClockState state;
    access::DriveSession session;
    std::vector<std::tuple<std::string, int, int>> log;
    access::Timing timing{clock, state, session,
                          [this](const std::string& t, int r, int l) { log.emplace_back(t, r, l); }};
};

} // namespace

TEST_F(TimingFixture, CalibrationOfA3GHzCounter) {
    clock.setReadStepNs(0);
    timing.measureCpuClock();
    EXPECT_NEAR(state.cpuMHz, 3000.24, 0.005);
    EXPECT_EQ(state.ticksPer100us, 300000u);
    EXPECT_EQ(state.ticksPerMs, 3000000u);
    EXPECT_FALSE(clock.priorityRaised()) << "the boost brackets only the measurement";
    EXPECT_EQ(clock.priorityRaises(), 1);
}

TEST_F(TimingFixture, CalibrationKeepsOnlyTheLow32BitsAndFallsBackBelow1MHz) {
    clock.setReadStepNs(0);
    clock.setCounterMHz(10000.0); // 5e9 ticks in 500 ms: wraps past 2^32
    timing.measureCpuClock();
    EXPECT_NEAR(state.cpuMHz, double(uint32_t(5000000000ull)) / 499960.0, 1e-6);

    clock.setCounterMHz(0.5);
    timing.measureCpuClock();
    EXPECT_LT(state.cpuMHz, 1.0);
    EXPECT_EQ(state.ticksPer100us, 1u);
    EXPECT_EQ(state.ticksPerMs, 10u);
}

TEST_F(TimingFixture, LoggedCalibrationReplacesItsAnnouncement) {
    timing.measureCpuClockLogged();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0], std::make_tuple(std::string("CPU clock..."), 0, 1));
    EXPECT_EQ(std::get<1>(log[1]), 1);
    EXPECT_EQ(std::get<0>(log[1]).rfind("CPU clock... 3000.", 0), 0u);
    EXPECT_EQ(std::get<0>(log[1]).substr(std::get<0>(log[1]).size() - 4), " MHz");
}

TEST_F(TimingFixture, ReadTscNeverReturnsAZeroUpperHalf) {
    clock.setReadStepNs(0);
    EXPECT_EQ(timing.readTsc() >> 32, 1u);
    clock.advanceMs(10000); // 3e10 ticks: upper half already set, returned unchanged
    EXPECT_EQ(timing.readTsc(), clock.readCounter());
}

TEST_F(TimingFixture, TimeoutConversions) {
    state.ticksPer100us = 300000;
    struct Case {
        bool tsc;
        int busy, drdy, drq;
        int64_t bsyTimeout, drdyTimeout, drqTimeout;
    };
    const Case cases[] = {
        {false, 15, 1, 10, 15000, 1000, 100},
        {true, 15, 1, 10, 45000000000, 3000000000, 300000000},
        {false, 60, 10, 60, 60000, 10000, 600},
        {false, 1, 3, 1, 1000, 3000, 10},
        {true, 1, 1, 1, 3000000000, 3000000000, 30000000},
    };
    for (const auto& c : cases) {
        session.ataClockIsTsc = c.tsc;
        timing.setTimeouts(c.busy, c.drdy, c.drq);
        EXPECT_EQ(session.bsyTimeout, c.bsyTimeout) << c.busy << " s, tsc " << c.tsc;
        EXPECT_EQ(session.drdyTimeout, c.drdyTimeout) << c.drdy << " s, tsc " << c.tsc;
        EXPECT_EQ(session.drqTimeout, c.drqTimeout) << c.drq << " steps, tsc " << c.tsc;
    }
    session.ataClockIsTsc = false;
    EXPECT_EQ(timing.timeoutToAtaUnits(15), 1) << "tick-count units divide by 10, truncating";
}

TEST_F(TimingFixture, AtaAndCommonClocksFollowTheirChoices) {
    clock.setReadStepNs(0);
    clock.advanceMs(1234);
    EXPECT_EQ(timing.ataNow(), 1234u);
    EXPECT_EQ(timing.commonNow(), 1234u);
    session.ataClockIsTsc = true;
    EXPECT_EQ(timing.ataNow(), timing.readTsc());
    EXPECT_EQ(timing.commonNow(), 1234u);
    state.commonClockIsTsc = true;
    EXPECT_GT(timing.commonNow(), 1u << 31);
}

TEST_F(TimingFixture, Delay100usSpinsOnTheCounterWhateverTheChoices) {
    clock.setReadStepNs(100);
    state.ticksPer100us = 300000; // 100 us at 3000 MHz
    uint64_t before = clock.nowNs();
    timing.delay100us();
    EXPECT_GE(clock.nowNs() - before, 100000u);
    EXPECT_LT(clock.nowNs() - before, 100400u);
}

TEST_F(TimingFixture, SetupControlsDriveTheChoicesAndTimeouts) {
    form::MainForm form;
    access::ClockControls controls(form, timing);
    int rethresholds = 0;
    controls.onScanTimingChanged = [&] { ++rethresholds; };
    state.ticksPer100us = 300000;
    auto& ata = form.setup.ata;

    ata.ATATimerRG.setItemIndex(0, form::Origin::User);
    EXPECT_TRUE(session.ataClockIsTsc);
    EXPECT_EQ(session.bsyTimeout, 45000000000);
    ata.ATATimerRG.setItemIndex(1, form::Origin::User);
    EXPECT_FALSE(session.ataClockIsTsc);
    EXPECT_EQ(session.bsyTimeout, 15000);

    ata.DrqTrack.setPosition(25, form::Origin::User);
    EXPECT_EQ(session.drqTimeout, 250);
    EXPECT_EQ(ata.DrqValueLabel.caption(), "250ms");
    ata.BusyTrack.setPosition(30, form::Origin::User);
    EXPECT_EQ(ata.BusyValueLabel.caption(), "30 s");
    EXPECT_EQ(session.bsyTimeout, 30000);

    auto& timers = form.setup.timers;
    timers.ApiRGR.setItemIndex(0, form::Origin::User);
    EXPECT_TRUE(state.commonClockIsTsc);
    EXPECT_EQ(timers.RTChk.items()[0], "RDTSC  (Univ.)");
    timers.ApiRGR.setItemIndex(1, form::Origin::User);
    EXPECT_EQ(timers.RTChk.items()[0], "G.T.C. (Univ.)");
    timers.RTChk.setItemIndex(1, form::Origin::User);
    EXPECT_FALSE(state.pioScanPolls);
    EXPECT_EQ(rethresholds, 3);
}
