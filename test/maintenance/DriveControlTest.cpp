#include "support/TestApp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

using namespace korvane;
using testsupport::TestApp;

namespace {

struct Control : ::testing::Test {
    TestApp t;
    shell::App& app = *t.app;
    Control() { t.startPio(0x170, 0x376); } // the secondary master
    void useSlave() { t.usePio(0x170, 0x376, true); }
    sim::AtaDevice& drive(bool slave = false) { return t.drive(0x170, slave); }
    void useApi(uint8_t number) {
        app.session.accessMode = access::AccessMode::Api;
        app.session.apiDeviceNumber = number;
    }
    sim::AtaDevice& apiDisk(size_t n) { return *t.lab->disks()[n].device; }
    bool logged(const std::string& text) {
        auto m = t.messages();
        return std::find(m.begin(), m.end(), text) != m.end();
    }
    const platform::TaskFile& last(sim::AtaDevice& d) { return d.commandsReceived().back(); }
};

} // namespace

TEST_F(Control, SpindleStopAndRecalibrationInPio) {
    app.form.commands.StopBtn.click();
    EXPECT_EQ(last(drive()).command, 0xE0);
    EXPECT_TRUE(drive().standby());
    EXPECT_EQ(t.lastMessage(), "Stopping ATA drive... HD Spindle is stopped") << "replacing \"Stopping drive...\"";
    EXPECT_FALSE(logged("Stopping drive..."));
    app.form.commands.RecBtn.click();
    EXPECT_EQ(last(drive()).command, 0x10);
    EXPECT_EQ(t.lastMessage(), "Recallibration... OK");
    drive().faults.abortCommand = 0x10; // the drive refuses it
    app.driveControl.recalibrate();
    EXPECT_EQ(t.lastMessage(), "Recallibration... Error!");
}

TEST_F(Control, SpindleStopAndRecalibrationInApiTakeTheirRoutes) {
    useApi(0); // an internal SATA disk: the IDE pass-through carries both
    app.driveControl.stopSpindle();
    EXPECT_EQ(t.lastMessage(), "Stopping ATA drive... HD Spindle is stopped");
    EXPECT_TRUE(apiDisk(0).standby());
    app.driveControl.recalibrate();
    EXPECT_EQ(t.lastMessage(), "Recallibration... OK");
    useApi(6); // a SCSI disk
    app.passport.ScsiPassport = true;
    app.driveControl.stopSpindle();
    EXPECT_EQ(t.lastMessage(), "Stopping SCSI drive... HD Spindle is stopped");
    app.driveControl.recalibrate();
    EXPECT_EQ(t.lastMessage(), "Recallibration... OK") << "a read of sector 0 does it";
    useApi(20);
    app.driveControl.stopSpindle();
    EXPECT_EQ(t.lastMessage(), "Unable to open physical drive #20");
}

TEST_F(Control, CacheCommandsSendTheirFeaturesAndSayHowTheyEnded) {
    struct Case {
        form::Button* button;
        uint8_t features;
        const char* prefix;
    };
    auto& c = app.form.advanced.cache;
    const Case cases[] = {{&c.RzBitBtn41, 0x02, "Write cache ON command..."},
                          {&c.RzBitBtn40, 0x82, "Write cache OFF command..."},
                          {&c.RdCacheBtn, 0xAA, "Look ahead ON command..."},
                          {&c.CacheOFFbtn, 0x55, "Look ahead OFF command..."}};
    for (const auto& k : cases) {
        SCOPED_TRACE(k.prefix);
        size_t before = drive().commandsReceived().size();
        k.button->click();
        auto& sent = drive().commandsReceived();
        auto it = std::find_if(sent.begin() + long(before), sent.end(), [](auto& tf) { return tf.command == 0xEF; });
        ASSERT_NE(it, sent.end());
        EXPECT_EQ(it->features, k.features);
        EXPECT_TRUE(logged(std::string(k.prefix) + " OK"));
        EXPECT_NE(sent.back().command, 0xEF) << "the passport was read again to show the new state";
    }
    drive().faults.abortCommand = 0xEF;
    c.RzBitBtn40.click();
    EXPECT_TRUE(logged("Write cache OFF command... Error"));
    useApi(0);
    c.RzBitBtn40.click();
    EXPECT_EQ(t.lastMessage(), "Write cache OFF command... OK") << "through the IDE pass-through";
}

TEST_F(Control, TheSpindleSpeedOfA7200RpmDriveIsFoundAndEverythingPutBack) {
    useSlave(); // WDC WD800JB, 7200 rpm
    int rpm = app.driveControl.measureRpm();
    // One step is 16 rpm; the count also takes the read that starts just past the window's end
    // and a first read whose sector may be under the head already, so two steps either side.
    EXPECT_NEAR(rpm, 7200, 32);
    EXPECT_EQ(rpm % 16, 0);
    EXPECT_EQ(app.form.advanced.rpm.RpmLED.caption(), std::to_string(rpm));
    EXPECT_EQ(app.form.tests.RpmLab.caption(), std::to_string(rpm) + " RPM");
    EXPECT_TRUE(logged("Detecting RPM... " + std::to_string(rpm) + " RPM"));
    EXPECT_EQ(t.lastMessage(), "Enable cache... OK");
    const auto& sent = drive(true).commandsReceived();
    auto lastSetFeatures = std::find_if(sent.rbegin(), sent.rend(), [](auto& tf) { return tf.command == 0xEF; });
    ASSERT_NE(lastSetFeatures, sent.rend());
    EXPECT_EQ(lastSetFeatures->features, 0xAA) << "the look-ahead is on again";
    EXPECT_FALSE(t.clock.priorityRaised()) << "the priority is restored";
    EXPECT_EQ(app.form.advanced.rpm.RpmMeter.position(), 0);
}

TEST_F(Control, TheSpindleSpeedInApiModeTakesTheAtaRoute) {
    useApi(0); // the primary master, 7200 rpm, as a disk device
    int rpm = app.driveControl.measureRpm();
    EXPECT_NEAR(rpm, 7200, 32);
    EXPECT_TRUE(logged("Disable cache... OK")) << "SET FEATURES through the IDE pass-through";
    EXPECT_TRUE(apiDisk(0).lookAheadOn()) << "and the look-ahead on again at the end";
}

TEST_F(Control, TheSpeedMeasurementStopsCleanlyOnAReadErrorAndOnADriveThatRefusesTheLookAhead) {
    useSlave();
    for (uint64_t lba = 1; lba < 2000; ++lba) drive(true).makeUnreadable(lba);
    EXPECT_EQ(app.driveControl.measureRpm(), 0);
    EXPECT_TRUE(logged("Detecting RPM... read error! Process aborted"));
    EXPECT_EQ(app.form.advanced.rpm.RpmLED.caption(), "Error");
    EXPECT_EQ(t.lastMessage(), "Enable cache... OK") << "the look-ahead comes back after an error too";
    EXPECT_FALSE(t.clock.priorityRaised());

    drive(true).faults.abortCommand = 0xEF;
    EXPECT_EQ(app.driveControl.measureRpm(), 0);
    EXPECT_EQ(t.lastMessage(), "Disable cache... Error, process terminated");
    EXPECT_EQ(app.form.advanced.rpm.RpmLED.caption(), "0");
}

TEST_F(Control, TheBootSignatureChangesTwoBytesOfSectorZeroAndOnlyWhenNeeded) {
    auto& store = drive().store();
    std::vector<uint8_t> before(512), after(512);
    store.read(0, 1, before.data());
    store.clearWriteLog();
    ASSERT_TRUE(app.driveControl.setBootSignature(false));
    ASSERT_EQ(store.writes().size(), 1u);
    EXPECT_EQ(store.writes()[0].lba, 0u);
    EXPECT_EQ(store.writes()[0].count, 1u);
    store.read(0, 1, after.data());
    EXPECT_EQ(after[510], 0xCC);
    EXPECT_EQ(after[511], 0x88);
    EXPECT_TRUE(std::equal(before.begin(), before.begin() + 510, after.begin())) << "no other byte changes";
    EXPECT_EQ(app.form.advanced.partitions.MbrLed.colour(), form::colours::Red);
    char expected[64];
    std::snprintf(expected, sizeof expected, "Signature %02X%02Xh found... Complete", before[511], before[510]);
    EXPECT_TRUE(logged(expected)) << expected;

    store.clearWriteLog();
    ASSERT_TRUE(app.driveControl.setBootSignature(false));
    EXPECT_TRUE(store.writes().empty()) << "the signature was already off";
    EXPECT_EQ(t.lastMessage(), "Signature 88CCh found... Complete");
    ASSERT_TRUE(app.driveControl.setBootSignature(true));
    store.read(0, 1, after.data());
    EXPECT_EQ(after[510], 0x55);
    EXPECT_EQ(after[511], 0xAA);
    EXPECT_EQ(app.form.advanced.partitions.MbrLed.colour(), form::colours::Lime);
}

TEST_F(Control, TheSystemDiskWarningAndTheNonDestructiveSettingGuardTheMbr) {
    useApi(0);
    auto& store = apiDisk(0).store();
    store.clearWriteLog();
    t.dialogs.answers.push_back(form::Answer::No);
    EXPECT_FALSE(app.driveControl.setBootSignature(false));
    ASSERT_FALSE(t.dialogs.shown.empty());
    EXPECT_EQ(t.dialogs.shown.back().text, "!!! WARNING! DEACTIVATED SYSTEM DISK ???");
    EXPECT_TRUE(store.writes().empty());

    // Another disk that the system runs from (mounted or swap) gets the same question.
    useApi(2);
    t.lab->disks()[2].systemDisk = true;
    size_t asked = t.dialogs.shown.size();
    EXPECT_FALSE(app.driveControl.setBootSignature(false));
    EXPECT_EQ(t.dialogs.shown.size(), asked + 1);

    // PIO never asks.
    t.usePio(0x170, 0x376);
    asked = t.dialogs.shown.size();
    ASSERT_TRUE(app.driveControl.setBootSignature(false));
    EXPECT_EQ(t.dialogs.shown.size(), asked);

    app.form.setup.presets.NonDestrChk.setChecked(true);
    drive().store().clearWriteLog();
    EXPECT_FALSE(app.driveControl.setBootSignature(true));
    EXPECT_TRUE(drive().store().writes().empty()) << "refused below the window";
}

TEST_F(Control, ThePowerAdaptorSwitchesAndReadsBack) {
    auto& power = app.form.commands.PowerBtn;
    ASSERT_EQ(power.fontColour(), form::colours::Yellow);
    power.click();
    EXPECT_EQ(t.lastMessage(), "Adaptor Power OFF");
    EXPECT_EQ(power.fontColour(), form::colours::Red);
    EXPECT_EQ(t.lab->channelAt(0x170)->powerRegister(), 0x00);
    power.click();
    EXPECT_EQ(t.lastMessage(), "Adaptor Power ON");
    EXPECT_EQ(power.fontColour(), form::colours::Yellow);
    EXPECT_EQ(t.lab->channelAt(0x170)->powerRegister(), 0x01);

    t.usePio(0x1E8, 0x3EE); // no channel, no adaptor: the read-back differs
    power.click();
    EXPECT_EQ(t.lastMessage(), "Power Adaptor PC3000 not found");
    EXPECT_EQ(power.fontColour(), form::colours::Red) << "the colour shows what was asked for";

    useApi(0);
    power.click();
    EXPECT_EQ(t.lastMessage(), "Power Adaptor not operational on API mode");
}
