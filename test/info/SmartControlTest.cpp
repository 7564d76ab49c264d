#include "info/SmartLab.h"

#include <gtest/gtest.h>

using namespace korvane;
using testsupport::SmartLab;

namespace {
struct SmartTests : ::testing::Test, SmartLab {
    sim::AtaDevice& drive() { return t.drive(0x170); }
    // The SMART commands the drive received, as (features, LBA low).
    std::vector<std::pair<uint8_t, uint8_t>> smartCommands() {
        std::vector<std::pair<uint8_t, uint8_t>> out;
        for (const auto& tf : drive().commandsReceived())
            if (tf.command == 0xB0) out.emplace_back(tf.features, tf.lbaLow);
        return out;
    }
    bool received(uint8_t features, uint8_t lbaLow) {
        auto c = smartCommands();
        return std::find(c.begin(), c.end(), std::pair{features, lbaLow}) != c.end();
    }
    void choose(int index) { page.test.SmScanBox.setItemIndex(index, form::Origin::User); }
};
} // namespace

TEST_F(SmartTests, SwitchesReachTheDriveAndThePassport) {
    usePio();
    page.control.SmartOFFBtn.click();
    EXPECT_TRUE(logged("SMART OFF command"));
    EXPECT_FALSE(drive().smart().enabled());
    EXPECT_FALSE(app.passport.SmartEnabled) << "the passport is read again";
    page.control.SmartOnBtn.click();
    EXPECT_TRUE(drive().smart().enabled());
    EXPECT_TRUE(app.passport.SmartEnabled);

    page.control.SmartAtsOFFBtn.click();
    EXPECT_TRUE(logged("SMART Attribute Autosave OFF command"));
    EXPECT_FALSE(drive().smart().autosave());
    page.control.SmartAtsOnBtn.click();
    EXPECT_TRUE(drive().smart().autosave());
    const auto& tf = drive().commandsReceived().back();
    EXPECT_EQ(tf.features, 0xD2);
    EXPECT_EQ(tf.count, 0xF1);
}

TEST_F(SmartTests, TheChoiceSetsTheSubcommandField) {
    auto& field = page.test.SmVSTestEdit;
    const int expected[] = {0x00, 0x01, 0x02, 0x04, 0x81, 0x82, 0x84};
    for (int i = 0; i < 7; ++i) {
        choose(i);
        EXPECT_EQ(field.value(), expected[i]);
        EXPECT_FALSE(field.enabled());
    }
    choose(7);
    EXPECT_TRUE(field.enabled());
    EXPECT_TRUE(field.focused());
    EXPECT_EQ(field.value(), 0x84) << "the last subcommand until the user types one";
}

TEST_F(SmartTests, BeginSendsTheTestAndTheListFollowsIt) {
    usePio();
    drive().clearUnreadable(); // a sound surface: the tests pass
    page.SmartTestPanel.setHeight(0);
    choose(4);
    page.test.RzBitBtn13.click();
    EXPECT_TRUE(logged("Starting Short (captive) SMART Test (129)"));
    EXPECT_TRUE(received(0xD4, 0x81));
    EXPECT_EQ(page.SmartTestPanel.height(), 110);

    // An off-line short test of one minute, read at 40 % done.
    choose(1);
    page.test.RzBitBtn13.click();
    EXPECT_TRUE(logged("Starting Off-line short SMART Test (1)"));
    t.clock.advanceMs(24 * 1000);
    getSmart();
    EXPECT_EQ(page.SmartTestList.row(4), (std::vector<std::string>{"Self-test routine in progress !!!", "15"}));
    EXPECT_EQ(page.SmartTestList.colourOf(4, 0), form::Colour(0xFF8000));
    EXPECT_EQ(page.test.SmtMeter.position(), 4);
    t.clock.advanceMs(60 * 1000);
    getSmart();
    EXPECT_EQ(page.SmartTestList.cell(4, 1), "0");
    EXPECT_EQ(page.test.SmtMeter.position(), 0);

    // Vendor specific: the number typed.
    choose(7);
    page.test.SmVSTestEdit.setValue(3, form::Origin::User);
    page.test.RzBitBtn13.click();
    EXPECT_TRUE(logged("Starting Vendor specific SMART Test (3)"));
    EXPECT_TRUE(received(0xD4, 0x03));
}

TEST_F(SmartTests, ATestTheDriveRefusesAndOneThatFails) {
    // PIO reads the error register without waiting, so a refusal shows where the system answers.
    useApi("0");
    t.drive(0x1F0).rejectSmart(0xD4);
    choose(1);
    page.test.RzBitBtn13.click();
    EXPECT_EQ(markOf("Off-line short SMART Test (1) error!"), "4");

    SmartLab lab; // the primary master has unreadable sectors from 123456 on
    lab.t.startPio(0x1F0, 0x3F6);
    lab.page.test.SmScanBox.setItemIndex(2, form::Origin::User);
    lab.page.test.RzBitBtn13.click();
    lab.t.clock.advanceMs(10 * 1000);
    lab.getSmart();
    EXPECT_EQ(lab.page.SmartTestList.row(4),
              (std::vector<std::string>{"The previous self-test completed having the read element of the test failed", "7"}));
}

TEST_F(SmartTests, AbortResetsAndSendsTheAbortSubcommand) {
    usePio();
    choose(2);
    page.test.RzBitBtn13.click();
    page.test.RzBitBtn29.click();
    EXPECT_EQ(page.test.SmVSTestEdit.value(), 127);
    EXPECT_TRUE(logged("Aborting offline SMART Test"));
    EXPECT_EQ(t.lastMessage(), "Send abort SMART test command");
    EXPECT_TRUE(received(0xD4, 0x7F));
    getSmart();
    EXPECT_EQ(page.SmartTestList.cell(4, 1), "2") << "the reset came first: interrupted";

    drive().rejectSmart(0xD4);
    page.test.RzBitBtn29.click();
    EXPECT_EQ(markOf("Error after command!"), "4");
}

TEST_F(SmartTests, ApiRoutesAndTheScsiDrive) {
    useApi("0");
    choose(1);
    page.test.RzBitBtn13.click();
    EXPECT_TRUE(t.drive(0x1F0).smart().attributes().size() > 0);
    auto& sent = t.drive(0x1F0).commandsReceived();
    EXPECT_TRUE(std::any_of(sent.begin(), sent.end(), [](auto& tf) { return tf.command == 0xB0 && tf.features == 0xD4 && tf.lbaLow == 1; }));
    page.test.RzBitBtn29.click();
    EXPECT_TRUE(std::any_of(sent.begin(), sent.end(), [](auto& tf) { return tf.features == 0xD4 && tf.lbaLow == 0x7F; }));
    EXPECT_EQ(t.lastMessage(), "Send abort SMART test command");

    SmartLab scsi;
    scsi.useApi("6");
    scsi.page.test.RzBitBtn13.click();
    EXPECT_EQ(scsi.markOf("Non-ATA device unsupport SMART test's"), "4");
}

TEST_F(SmartTests, TheIbmSwitchBracketsTheReadsOfItsFamilies) {
    // The primary master is a Hitachi (family 2), which has the vendor switch.
    t.startPio(0x1F0, 0x3F6);
    app.form.commands.PasspBtn.click();
    ASSERT_TRUE(page.monitor.IBMSmartChk.enabled());
    getSmart();
    std::vector<std::pair<uint8_t, uint8_t>> switches;
    for (const auto& tf : t.drive(0x1F0).commandsReceived())
        if (tf.command == 0xB0 && (tf.features == 0xF8 || tf.features == 0xD0)) switches.emplace_back(tf.features, tf.count);
    ASSERT_GE(switches.size(), 3u);
    EXPECT_EQ(switches[switches.size() - 3], (std::pair<uint8_t, uint8_t>{0xF8, 0xF6})) << "on before the data";
    EXPECT_EQ(switches[switches.size() - 2].first, 0xD0);
    EXPECT_EQ(switches.back(), (std::pair<uint8_t, uint8_t>{0xF8, 0x00})) << "off after it";

    // Unchecked, or on a drive of another family, the switch is left alone.
    page.monitor.IBMSmartChk.setChecked(false, form::Origin::User);
    const size_t before = t.drive(0x1F0).commandsReceived().size();
    getSmart();
    const auto& all = t.drive(0x1F0).commandsReceived();
    EXPECT_TRUE(std::none_of(all.begin() + long(before), all.end(), [](auto& tf) { return tf.features == 0xF8; }));
    usePio();
    app.form.commands.PasspBtn.click();
    EXPECT_FALSE(page.monitor.IBMSmartChk.enabled());
}
