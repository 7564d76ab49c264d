#include "access/ErrorText.h"
#include "support/TestApp.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace korvane;
using testsupport::TestApp;

namespace {

struct Pio : ::testing::Test {
    TestApp t;
    shell::App& app = *t.app;
    access::PioProtocol& pio = app.pio;
    access::DriveSession& s = app.session;

    Pio() {
        t.usePio(0x1F0, 0x3F6);
        app.clockState.ticksPer100us = 300000;
        app.clockState.ticksPerMs = 3000000;
        app.clockControls.recomputeTimeouts();
    }
    sim::AtaDevice& drive() { return t.drive(s.pioBasePort, s.deviceSelectBit); }
    const platform::TaskFile& lastCommand() { return drive().commandsReceived().back(); }
    void useTsc(bool tsc) {
        app.form.setup.ata.ATATimerRG.setItemIndex(tsc ? 0 : 1, form::Origin::User);
    }
};

} // namespace

TEST_F(Pio, WaitsTimeOutInBothClockUnits) {
    drive().faults.stuckBusy = true;
    for (bool tsc : {false, true}) {
        useTsc(tsc);
        pio.writeTaskFile28(0, 1, 0, 0, 0, 0xE0, 0x40);
        uint64_t before = t.clock.nowNs();
        EXPECT_EQ(pio.waitNotBusy(), -1) << "tsc " << tsc;
        uint64_t waited = t.clock.nowNs() - before;
        EXPECT_GE(waited, 14'999'000'000ull) << "the BUSY time-out is 15 s (to the clock's millisecond)";
        EXPECT_LT(waited, 15'100'000'000ull);
    }
    s.closing = true;
    EXPECT_EQ(pio.waitNotBusy(), 1) << "closing ends every busy wait at once";
}

TEST_F(Pio, DataRequestWaitEndsAtItsDeadline) {
    drive().faults.noDrq = true;
    for (bool tsc : {false, true}) {
        useTsc(tsc);
        pio.writeTaskFile28(0, 1, 1, 0, 0, 0xA0, 0xEC);
        uint64_t before = t.clock.nowNs();
        EXPECT_FALSE(pio.waitDataRequest());
        EXPECT_GE(t.clock.nowNs() - before, 99'000'000ull) << "100 ms, tsc " << tsc;
    }
}

TEST_F(Pio, WaitNotBusyReportsTenthsOfAMillisecondWithTheCounterClock) {
    useTsc(true);
    pio.writeTaskFile28(0, 1, 0, 0, 0, 0xE0, 0x10); // recalibrate: a few milliseconds
    int64_t tenths = pio.waitNotBusy();
    EXPECT_GT(tenths, 10);
    EXPECT_LT(tenths, 500);
}

TEST_F(Pio, DriveReadyLogsItsOutcomeAndBeepsOnFailure) {
    EXPECT_TRUE(pio.waitDriveReady());
    EXPECT_EQ(t.lastMessage(), "Waiting of readiness... Drive is ready");

    s.ignoreDrdy = true;
    size_t rows = app.form.log.StringLog.rowCount();
    EXPECT_TRUE(pio.waitDriveReady());
    EXPECT_EQ(app.form.log.StringLog.rowCount(), rows) << "no line when DRDY is ignored";
    s.ignoreDrdy = false;

    // A drive holding DRQ (its IDENTIFY data never read) is not ready, and says why.
    app.form.setup.sound.AllSoundChk.setChecked(true);
    s.portDriverReady = true;
    pio.writeTaskFile28(0, 1, 1, 0, 0, 0xA0, 0xEC);
    pio.waitNotBusy();
    EXPECT_FALSE(pio.waitDriveReady());
    EXPECT_EQ(t.lastMessage(), "[ATA protocol] DRQ!!! Press RESET or restart HDD!");
    ASSERT_EQ(t.lab->speaker().tones().size(), 1u);
    EXPECT_EQ(t.lab->speaker().tones()[0].divisor, 500);
    EXPECT_NEAR(double(t.lab->speaker().tones()[0].lengthNs), 200e6, 1e4);

    // A channel where nothing is powered floats: all ones, BUSY included.
    t.usePio(0x170, 0x376);
    t.drive(0x170, true).setPowered(false);
    t.drive(0x170, false).setPowered(false);
    EXPECT_FALSE(pio.waitDriveReady());
    EXPECT_EQ(t.lastMessage(), "Waiting of readiness... Drive not ready!");
    EXPECT_EQ(t.lab->speaker().tones().size(), 2u);
}

TEST_F(Pio, NotReadyWithoutDrqAndAFailingEcho) {
    drive().faults.stuckBusy = true;
    pio.writeTaskFile28(0, 1, 0, 0, 0, 0xE0, 0x40);
    EXPECT_FALSE(pio.waitDriveReady());
    EXPECT_EQ(t.lastMessage(), "Waiting of readiness... Drive not ready!");
    EXPECT_EQ(app.form.log.StringLog.cell(app.form.log.StringLog.rowCount() - 1, 2), "4");

    t.usePio(0x170, 0x376);
    t.drive(0x170).faults.echoFails = true;
    EXPECT_FALSE(pio.registerEchoTest());
    EXPECT_FALSE(pio.waitDriveReady());
    EXPECT_EQ(t.lastMessage(), "Waiting of readiness... No device answers at port 170h")
        << "a failed echo says why the wait failed";
    EXPECT_EQ(app.form.log.StringLog.cell(app.form.log.StringLog.rowCount() - 1, 2), "4");
}

TEST_F(Pio, ReadyBreakableEndsOnReadyTimeoutOrBreak) {
    EXPECT_TRUE(pio.waitReadyBreakable(300));
    drive().faults.stuckBusy = true;
    pio.writeTaskFile28(0, 1, 0, 0, 0, 0xE0, 0x40);
    uint64_t before = t.clock.nowNs();
    EXPECT_FALSE(pio.waitReadyBreakable(300));
    EXPECT_GE(t.clock.nowNs() - before, 300'000'000ull);
    // Without a limit only Break ends it, and only with "Enable breaking internal loops".
    s.breakLoopsEnabled = true;
    s.breakRequested = false;
    t.ui.post([&] { s.breakRequested = true; });
    EXPECT_FALSE(pio.waitReadyBreakable(0));
    EXPECT_TRUE(s.breakRequested);
}

TEST_F(Pio, TaskFileWritesMergeTheDeviceBitAndOrderTheHighBytesFirst) {
    struct Case {
        uint8_t device, selectBit, expected;
    };
    for (const Case& c : {Case{0xE0, 0x10, 0xF0}, Case{0xF0, 0x00, 0xE0}, Case{0xA0, 0x10, 0xB0}}) {
        s.deviceSelectBit = c.selectBit;
        pio.writeTaskFile28(0, 0, 0, 0, 0, c.device, 0xE5);
        pio.waitNotBusy();
        EXPECT_EQ(t.ports->inb(0x1F6), c.expected);
    }
    s.deviceSelectBit = 0;
    uint16_t low, mid, high;
    access::PioProtocol::lba48Pairs(0x123456789ABCull, low, mid, high);
    EXPECT_EQ(low, 0x56BC);
    EXPECT_EQ(mid, 0x349A);
    EXPECT_EQ(high, 0x1278);
    pio.writeTaskFile48(0, 2, low, mid, high, 0xE0, 0x42);
    pio.waitNotBusy();
    const auto& tf = lastCommand();
    EXPECT_EQ(tf.lba48(), 0x123456789ABCull);
    EXPECT_EQ(tf.count48(), 2u);
}

TEST_F(Pio, ReadTaskFileLbaInBothWidths) {
    pio.sendNonDataCommand(0, 0, 0, 0, 0, 0xE0, 0xF8);
    EXPECT_EQ(pio.readTaskFileLba(), 0x0FFFFFFFu) << "28 bits at most";
    s.lba48 = true;
    pio.writeTaskFile48(0, 0, 0, 0, 0, 0xE0, 0x27);
    pio.waitNotBusy();
    EXPECT_EQ(pio.readTaskFileLba(), 976773168u - 1);
}

TEST_F(Pio, NonDataCommandsSucceedOnlyWithoutError) {
    EXPECT_TRUE(pio.sendNonDataCommand(0x02, 0, 0, 0, 0, 0xA0, 0xEF));
    EXPECT_FALSE(pio.sendNonDataCommand(0x99, 0, 0, 0, 0, 0xA0, 0xEF));
    EXPECT_EQ(pio.readErrorIfAny(), platform::error::ABRT);
}

TEST_F(Pio, DriveResetLogsOkOrTimeout) {
    EXPECT_TRUE(pio.driveReset());
    EXPECT_EQ(t.lastMessage(), "Reset OK");
    TestApp empty("empty");
    empty.usePio(0x170, 0x376);
    empty.app->clockControls.recomputeTimeouts();
    EXPECT_FALSE(empty.app->pio.driveReset());
    EXPECT_EQ(empty.lastMessage(), "Drive reset... timeout");
    s.accessMode = access::AccessMode::Api;
    size_t rows = app.form.log.StringLog.rowCount();
    EXPECT_FALSE(pio.driveReset());
    EXPECT_EQ(app.form.log.StringLog.rowCount(), rows) << "nothing in API mode";
}

TEST_F(Pio, StatusPanelRepaintsOnlyBusyDrqAndErrWhileBusy) {
    auto& reg = app.form.registers;
    pio.lightStatusPanel();
    pio.updateStatusPanel();
    EXPECT_EQ(reg.StatusRegLabel.caption(), "50");
    EXPECT_EQ(reg.status[1].shape.colour(), form::colours::Blue) << "DRDY";
    pio.updateStatusPanel();
    EXPECT_EQ(reg.ErrorRegLabel.caption(), "01") << "the power-on diagnostic code";
    drive().faults.stuckBusy = true;
    pio.writeTaskFile28(0, 1, 0, 0, 0, 0xE0, 0x40);
    pio.updateStatusPanel();
    EXPECT_TRUE(pio.busyLamp());
    EXPECT_EQ(reg.status[0].shape.colour(), form::colours::Lime);
    EXPECT_EQ(reg.status[1].shape.colour(), form::colours::Blue) << "DRDY keeps its colour while busy";
    EXPECT_EQ(reg.status[4].shape.colour(), form::colours::Black);

    pio.dimStatusPanel();
    for (auto& l : reg.status) EXPECT_EQ(l.label.fontColour(), form::colours::Grey);
    EXPECT_EQ(reg.status[0].shape.colour(), form::colours::Black);
}

TEST_F(Pio, ErrorCaptionsFollowTheErrorRegister) {
    auto& reg = app.form.registers;
    pio.sendNonDataCommand(0x99, 0, 0, 0, 0, 0xA0, 0xEF);
    pio.updateStatusPanel();
    pio.updateStatusPanel();
    EXPECT_EQ(reg.ErrorRegLabel.caption(), "04");
    EXPECT_EQ(reg.error[3].label.fontColour(), form::colours::Red) << "ABRT";
    EXPECT_EQ(reg.error[1].label.fontColour(), form::colours::Grey) << "UNC";
}

TEST_F(Pio, RegistryMonitorShowsTheRegistersWhileVisible) {
    app.form.registryMonitor.show();
    t.ports->outb(0x1F2, 0x2A);
    pio.updateRegisterMonitor();
    EXPECT_EQ(app.form.registryMonitor.R[1].caption(), "2A");
    EXPECT_EQ(app.form.registryMonitor.R[6].caption(), "50");
}

TEST_F(Pio, SpeakerBeepsOnlyWithSoundAndLeavesPort61AsFound) {
    s.portDriverReady = true;
    pio.speakerBeep(500, 200);
    EXPECT_TRUE(t.lab->speaker().tones().empty()) << "\"All sound\" is off";
    app.form.setup.sound.AllSoundChk.setChecked(true);
    uint8_t before = t.ports->inb(0x61);
    pio.speakerBeep(1193, 50);
    EXPECT_EQ(t.ports->inb(0x61), before) << "port 61h as it was found";
    ASSERT_EQ(t.lab->speaker().tones().size(), 1u);
    EXPECT_EQ(t.lab->speaker().tones()[0].divisor, 1193);
    s.ntFamily = true;
    s.portDriverReady = false;
    pio.speakerBeep(500, 200);
    EXPECT_EQ(t.lab->speaker().tones().size(), 1u) << "no port access, no sound";
    s.portDriverReady = true;
    app.form.setup.sound.BellChk.setChecked(true);
    pio.bell();
    ASSERT_EQ(t.lab->speaker().tones().size(), 6u);
    EXPECT_EQ(t.lab->speaker().tones()[5].divisor, 700);
}

TEST_F(Pio, PowerProbeAndPciConfigurationRead) {
    pio.powerProbe();
    EXPECT_EQ(app.form.commands.PowerBtn.fontColour(), form::colours::Yellow);
    t.ports->outb(0x1F0 + 0x16, 0x00);
    pio.powerProbe();
    EXPECT_EQ(app.form.commands.PowerBtn.fontColour(), form::colours::Red);
    EXPECT_EQ(pio.pciConfigRead(0, 31, 1, 0) & 0xFFFF, 0x8086u);
    EXPECT_EQ(pio.pciConfigRead(0, 31, 1, 0x0B) >> 8, 0x01018Au) << "the register is dword-aligned";
    EXPECT_EQ(pio.pciConfigRead(7, 7, 7, 0), 0xFFFFFFFFu);
}

TEST(ErrorText, KnownCodesAndTheRest) {
    const std::pair<uint16_t, const char*> table[] = {
        {0, " Timeout"},           {1, " Error: AMNF"},  {2, " Error: T0NF"},
        {4, " Error: ABRT"},       {16, " Error: IDNF"}, {50, " Error: Request not supported"},
        {64, " Error: UNCR"},      {72, " Error: Write protect"}, {73, " - 48 bit addresing error"},
        {128, " Error: BBK"},      {255, " - Unknown error"},     {3, " Error #03"},
        {0x51, " Error #51"},      {0x1234, " Error #1234"}};
    for (auto& [code, text] : table) EXPECT_EQ(access::errorText(code), text) << code;
}

TEST(PioTaskFile, ARegisterSetIsWrittenAsOneValueInEitherWidth) {
    TestApp t;
    t.usePio(0x1F0, 0x3F6);
    auto& app = *t.app;
    app.clockControls.recomputeTimeouts();
    platform::TaskFile tf;
    tf.command = 0x42; // READ VERIFY SECTORS EXT
    tf.device = 0xE0;
    tf.count = 1;
    tf.setLba48(0x123456789AULL);
    app.pio.writeTaskFile(tf, true);
    app.pio.waitNotBusy();
    const auto& got = t.drive(0x1F0).commandsReceived().back();
    EXPECT_EQ(got.command, 0x42);
    EXPECT_EQ(got.lba48(), 0x123456789AULL) << "previous bytes first, then the current ones";
    platform::TaskFile nop;
    nop.command = 0xE5; // CHECK POWER MODE
    nop.device = 0xA0;
    EXPECT_TRUE(app.pio.sendNonDataCommand(nop));
    EXPECT_EQ(t.drive(0x1F0).commandsReceived().back().command, 0xE5);
}
