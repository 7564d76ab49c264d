#include "tests/AcousticControl.h"
#include "tests/ScanLab.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace korvane;

namespace {
using testsupport::ScanLab;

struct SeekLab : ScanLab {
    form::SeekGroup& g = app.form.standard.seek;
    bool seeking() const { return app.jobs.running(access::WorkerGate::Worker::Seek); }
    // A test of `accesses` accesses in `mode` (0 seek, 1 verify, 2 read) over [start, end].
    void seek(int mode, uint32_t accesses, const std::string& start = "0", const std::string& end = "40031711") {
        g.SeekModeGrp.setItemIndex(mode, form::Origin::User);
        g.SeekStartLbaEdit.setText(start, form::Origin::User);
        g.SeekEndLbaEdit.setText(end, form::Origin::User);
        app.seek.maxAccesses = accesses;
        g.SeekBtn.click();
        t.ui.runUntil([&] { return !seeking() && g.SeekBtn.caption() == "Start"; });
    }
    double average() const { return std::stod(g.SeekTimeLed.caption()); }
    std::vector<platform::TaskFile> received(uint8_t command) {
        std::vector<platform::TaskFile> out;
        for (const auto& tf : fujitsu().commandsReceived())
            if (tf.command == command) out.push_back(tf);
        return out;
    }
};
struct Seek : ::testing::Test, SeekLab {};

// The lab's seek model: overhead, then track-to-track plus the stroke's part by the square root of
// the distance; for two random positions the mean of sqrt(|x - y|) over the range is 8/15.
double modelSeekMs(const sim::DriveProfile& p) {
    return p.commandOverheadUs / 1000.0 + p.trackToTrackMs + (p.fullStrokeMs - p.trackToTrackMs) * 8.0 / 15.0;
}
} // namespace

TEST_F(Seek, TheAverageAccessTimeIsTheDrivesSeekTimeInBothPioTimingPaths) {
    usePio();
    for (int timer : {0, 1}) {
        SCOPED_TRACE(timer ? "1 ms timer" : "100 us polling");
        app.form.setup.timers.RTChk.setItemIndex(timer, form::Origin::User);
        seek(0, 2000);
        EXPECT_TRUE(logged("Starting mechanical test: 0...40031711 LBA, Timeout = 200ms"))
            << ::testing::PrintToString(t.messages());
        EXPECT_EQ(g.SeekCntOut.caption(), " 2000");
        // The 1 ms timer times each access in whole ticks: its average may be off by up to a tick more.
        const double model = modelSeekMs(fujitsu().profile());
        EXPECT_NEAR(average(), model, model * 0.1 + (timer ? 1.0 : 0.0)) << g.SeekTimeLed.caption();
        EXPECT_EQ(app.form.commands.GIF.hint(), "Seek complete");
        EXPECT_TRUE(page.ScanStartBtn.enabled());
    }
}

TEST_F(Seek, InApiModeItTimesOneSectorVerifiesThroughTheSystem) {
    useApi(2);
    app.form.commands.PasspBtn.click();
    const size_t before = count(0x40) + count(0x70);
    seek(0, 500); // "Seek" has no system request: it verifies
    EXPECT_EQ(g.SeekCntOut.caption(), " 500");
    // A verify also waits for the sector to come round: longer than the seek alone.
    EXPECT_GT(average(), modelSeekMs(fujitsu().profile()));
    EXPECT_EQ(count(0x40) + count(0x70), before) << "the accesses are the system's, not register commands";

    // With the tick count as the common clock the accesses are still timed in 0.1 ms steps, not
    // in whole milliseconds (whose tenths would all be 0).
    app.form.setup.timers.ApiRGR.setItemIndex(1, form::Origin::User);
    ASSERT_FALSE(app.timing.state().commonClockIsTsc);
    // Whole milliseconds would make every run's sum of tenths a multiple of 10; one run's sum
    // can be one by chance, two runs' hardly.
    seek(2, 128);
    EXPECT_EQ(app.seek.seekCount, 128u);
    const uint64_t first = app.seek.totalTenths;
    seek(2, 100);
    EXPECT_TRUE(first % 10 != 0 || app.seek.totalTenths % 10 != 0) << first << " " << app.seek.totalTenths;
}

TEST_F(Seek, EachMethodSendsItsCommandAndTheRangeIsClamped) {
    usePio();
    for (auto [mode, command] : {std::pair{0, uint8_t(0x70)}, {1, uint8_t(0x40)}, {2, uint8_t(0x20)}}) {
        SCOPED_TRACE(mode);
        const size_t before = received(command).size();
        seek(mode, 100, "1000", "2000");
        EXPECT_GE(received(command).size() - before, 100u);
    }
    // An end below the start becomes the start: every access goes there.
    seek(1, 50, "5000", "10");
    EXPECT_EQ(g.SeekEndLbaEdit.text(), "5000");
    auto v = received(0x40);
    for (size_t i = v.size() - 50; i < v.size(); ++i) EXPECT_EQ(v[i].lbaLow | v[i].lbaMid << 8 | v[i].lbaHigh << 16, 5000);
    // A start beyond the drive is its last sector.
    seek(1, 5, "99999999999", "99999999999");
    EXPECT_EQ(g.SeekStartLbaEdit.text(), "40031711");
}

TEST_F(Seek, SeekPositionsAboveTwentyEightBitsAreSentAsTheHighest) {
    t.startPio(0x1F0, 0x3F6);
    app.form.commands.PasspBtn.click();
    seek(0, 20, std::to_string(0x10000000), std::to_string(0x10100000));
    // The passport turns 48-bit commands on again, so the seek goes as its 48-bit form (42h).
    size_t seeks = 0;
    for (const auto& tf : t.drive(0x1F0).commandsReceived()) {
        if (tf.command != 0x70 && tf.command != 0x42) continue;
        ++seeks;
        EXPECT_EQ(tf.command == 0x70 ? uint64_t(tf.lba28()) : tf.lba48(), 0x0FFFFFFFu);
    }
    EXPECT_GE(seeks, 20u) << ::testing::PrintToString(t.messages());
}

TEST_F(Seek, ATimeOutOrAnErrorEndsTheTestWithItsLineAndStopsTheSpindle) {
    usePio();
    for (int timer : {0, 1}) {
        SCOPED_TRACE(timer ? "1 ms timer" : "100 us polling");
        app.form.setup.timers.RTChk.setItemIndex(timer, form::Origin::User);
        g.SeekTioEdit.setValue(1, form::Origin::User); // every seek of this drive takes longer
        seek(0, 0);
        const auto m = t.messages();
        EXPECT_TRUE(std::any_of(m.begin(), m.end(), [](auto& l) { return l.rfind("Seek timeout error: ", 0) == 0; }))
            << ::testing::PrintToString(m);
        EXPECT_TRUE(fujitsu().standby()) << "the spindle stop";
        EXPECT_EQ(g.SeekBtn.caption(), "Start");
    }
    g.SeekTioEdit.setValue(250, form::Origin::User);
    fujitsu().faults.abortCommand = 0x40;
    seek(1, 0);
    const std::string pos = std::to_string(app.seek.seekPos);
    EXPECT_TRUE(logged("Seek unknown error! (LBA " + pos + ")")) << ::testing::PrintToString(t.messages());
}

TEST_F(Seek, TheTemperatureIsReadAtTheStartAndEvery4001Accesses) {
    usePio();
    ASSERT_TRUE(app.passport.SmartSupported);
    int reads = 0;
    // 41 at both starts and the first thermal step; the sensor is gone at the second.
    app.seekTest.setTemperatureSource([&] { return ++reads < 4 ? int16_t(41) : int16_t(-127); });
    seek(0, 4001);
    EXPECT_TRUE(logged("HDA temperature = 41 \xC2\xB0" "C"));
    EXPECT_EQ(reads, 2) << "at the start and after 4001 accesses";
    EXPECT_TRUE(logged("Average seek time = " + app.seek.seekAverage + " ms"));
    seek(0, 4001);
    EXPECT_TRUE(logged("Temperature sensor not found, termocontrol disabled"));
    EXPECT_FALSE(g.TermoCtrlBox.checked());
    EXPECT_EQ(g.SeekTmprtLed.caption(), "n/a");

    // A drive whose temperature cannot be read at the start: the control is off for the run.
    g.TermoCtrlBox.setChecked(true, form::Origin::User);
    app.seekTest.setTemperatureSource([] { return int16_t(-126); });
    seek(0, 10);
    EXPECT_TRUE(logged("SMART: HDA temperature sensor not detected!"));
    EXPECT_FALSE(g.TermoCtrlBox.enabled());
}

TEST_F(Seek, WithTheThermalControlOffNoThermalStepPausesTheTest) {
    usePio();
    int reads = 0;
    app.seekTest.setTemperatureSource([&] { return ++reads, int16_t(40); });
    g.TermoCtrlBox.setChecked(false, form::Origin::User);
    seek(0, 8100);
    EXPECT_EQ(reads, 0);
    EXPECT_FALSE(logged("Average seek time = " + app.seek.seekAverage + " ms"));
}

TEST_F(Seek, TheThermalControlReadsTheDrivesSmart) {
    usePio();
    fujitsu().smart().setTemperature(44);
    seek(0, 4001);
    EXPECT_TRUE(logged("HDA temperature = 44 \xC2\xB0" "C"));
    EXPECT_EQ(g.SeekTmprtLed.caption(), "44 \xC2\xB0" "C");
    // The drive stops answering SMART reads: the next start runs without the control.
    fujitsu().rejectSmart(0xD0);
    seek(0, 10);
    EXPECT_TRUE(logged("SMART: HDA temperature sensor not detected!"));
    EXPECT_FALSE(g.TermoCtrlBox.enabled());
    EXPECT_EQ(g.SeekTmprtLed.caption(), "n/a");
}

TEST_F(Seek, AScanStartEndsTheSeekTestAndASeekStartEndsTheScan) {
    usePio();
    app.seek.maxAccesses = 0;
    g.SeekBtn.click();
    t.ui.runUntil([&] { return app.seek.seekCount > 10; });
    range("0", "100000");
    page.ScanStartBtn.click();
    EXPECT_TRUE(logged("Seek was terminated by Scan!"));
    t.ui.runUntil([&] { return !seeking(); });
    ASSERT_TRUE(app.scan.scanStarted);
    g.SeekBtn.click();
    EXPECT_TRUE(logged("Scan was terminated by Seek!"));
    t.ui.runUntil([&] { return app.seek.seekCount > 10 || !seeking(); });
    EXPECT_FALSE(app.scan.scanActive);
    app.form.commands.BreakBtn.click(); // Break ends it too
    t.ui.runUntil([&] { return !seeking() && !running(); });
    EXPECT_EQ(g.SeekBtn.caption(), "Start");
}

TEST_F(Seek, TheAamLevelReachesTheDriveInBothModes) {
    using tests::AcousticControl;
    for (auto [pos, current, text] : {std::tuple{128, 0x80, "MIN"}, {128, 0x00, "OFF"}, {200, 0x80, "200"},
                                      {254, 0xFE, "MAX"}, {0, 0x80, "OFF"}})
        EXPECT_EQ(AcousticControl::ledText(pos, uint8_t(current)), text) << pos << " " << current;

    usePio();
    ASSERT_TRUE(g.AAMTrack.enabled());
    g.AAMTrack.setPosition(200, form::Origin::User);
    EXPECT_EQ(g.AAMLed.caption(), "200");
    g.AAMTrack.release();
    EXPECT_TRUE(logged("Adjusting AAM, set value=200"));
    EXPECT_EQ(fujitsu().aamLevel(), 200);
    EXPECT_EQ(app.passport.AamValue, 200) << "the passport read again";
    g.AAMMinBtn.click();
    EXPECT_EQ(fujitsu().aamLevel(), 0x80);
    EXPECT_TRUE(logged("AAM minimum set (val=128)"));
    g.AAMOffBtn.click();
    EXPECT_TRUE(logged("AAM OFF command"));
    auto sf = received(0xEF);
    ASSERT_FALSE(sf.empty());
    EXPECT_EQ(sf.back().features, 0xC2);

    SeekLab api;
    api.useApi(2);
    api.app.form.commands.PasspBtn.click();
    api.g.AAMTrack.setPosition(150, form::Origin::User);
    api.g.AAMTrack.release();
    EXPECT_EQ(api.fujitsu().aamLevel(), 150);
}
