#include "support/TestApp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>

using namespace korvane;
using testsupport::TestApp;

namespace {

// The custom channel: an SSD with the security feature set (master), a locked drive (slave).
struct Security : ::testing::Test {
    TestApp t;
    shell::App& app = *t.app;
    form::SecurityGroup& g = app.form.standard.security;
    Security() { t.startPio(0xD400, 0xD802); }
    void useLocked() { t.usePio(0xD400, 0xD802, true); }
    sim::AtaDevice& ssd() { return t.drive(0xD400); }
    sim::AtaDevice& locked() { return t.drive(0xD400, true); }
    bool logged(const std::string& text) {
        auto m = t.messages();
        return std::find(m.begin(), m.end(), text) != m.end();
    }
    void password(const std::string& text, int type = 1, int level = 0) {
        g.PwdEdit.setText(text);
        g.PwdTypeGrp.setItemIndex(type);
        g.PwdLevGrp.setItemIndex(level);
    }
    bool anyLogLineHas(const std::string& secret) {
        for (auto& m : t.messages())
            if (m.find(secret) != std::string::npos) return true;
        return t.dir.read("eventlog.txt").find(secret) != std::string::npos;
    }
};

} // namespace

TEST_F(Security, TheBlockCarriesTheControlWordAndThePassword) {
    const std::tuple<int, int, uint8_t, uint8_t> words[] = {{1, 1, 0x00, 0x01}, {0, 0, 0x01, 0x00}, {0, 1, 0x01, 0x01}};
    for (auto [type, level, low, high] : words) {
        password("abc", type, level);
        ASSERT_TRUE(app.securityManager.buildBlock());
        const uint8_t* b = app.session.buffers.sectorBytes();
        EXPECT_EQ(b[0], low);
        EXPECT_EQ(b[1], high);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(b + 2), 3), "abc");
        EXPECT_TRUE(std::all_of(b + 5, b + 512, [](uint8_t v) { return v == 0; }));
    }
    password("abc", 0, 1);
    app.securityManager.enhancedErase = true;
    ASSERT_TRUE(app.securityManager.buildBlock(true));
    EXPECT_EQ(app.session.buffers.sectorBytes()[0], 0x03) << "Master, enhanced erase";
    ASSERT_TRUE(app.securityManager.buildBlock());
    EXPECT_EQ(app.session.buffers.sectorBytes()[0], 0x01) << "only the erase block carries the mode";
    app.securityManager.enhancedErase = false;
    t.dir.write("short.pwd", std::string(31, 'x'));
    t.dir.write("long.pwd", std::string(32, 'k') + "TAILTAIL");
    t.dialogs.fileNames.push_back(t.dir.file("short.pwd")); // "F" checks the length at once
    g.FilePwdBtn.click();
    EXPECT_EQ(t.lastMessage(), "File has incorrect length!");
    t.dialogs.fileNames.push_back(t.dir.file("long.pwd"));
    g.FilePwdBtn.click();
    EXPECT_EQ(g.PwdEdit.text(), "file: long.pwd") << "the name without its folder";
    password("file: short.pwd"); // typed by hand: found in the folder "F" chose
    EXPECT_FALSE(app.securityManager.buildBlock());
    EXPECT_EQ(t.lastMessage(), "File has incorrect length!");
    password("file: long.pwd");
    ASSERT_TRUE(app.securityManager.buildBlock());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(app.session.buffers.sectorBytes() + 2), 32), std::string(32, 'k'));
    EXPECT_EQ(app.session.buffers.sectorBytes()[34], 0) << "only 32 bytes are taken";
    EXPECT_EQ(g.PwdEdit.text(), "file: long.pwd");
    password("file: missing.pwd");
    EXPECT_FALSE(app.securityManager.buildBlock());
    EXPECT_EQ(t.lastMessage(), "File error!");
}

TEST_F(Security, LockThenUnlockInPioAndThePasswordNeverReachesTheLog) {
    app.form.setup.log.SaveLogChk.setChecked(true);
    password("s3cretPW");
    app.securityManager.lock();
    EXPECT_TRUE(logged("Password sended to drive."));
    EXPECT_TRUE(ssd().security().enabled());
    EXPECT_TRUE(app.passport.SecurityEnabled) << "the passport was read again";
    ssd().setPowered(false);
    ssd().setPowered(true);
    EXPECT_TRUE(ssd().security().locked()) << "a set password locks the drive at power-on";

    app.securityManager.unlock();
    EXPECT_TRUE(logged("Unlock complete."));
    EXPECT_TRUE(logged("PWD removing complete."));
    EXPECT_FALSE(ssd().security().enabled());
    EXPECT_FALSE(ssd().security().locked());
    app.eventLog.flush();
    EXPECT_FALSE(anyLogLineHas("s3cretPW"));
}

TEST_F(Security, AWrongPasswordCountsDownUntilTheAttemptsExpire) {
    useLocked();
    password("wrong");
    int before = locked().security().attemptsLeft();
    app.securityManager.unlock();
    EXPECT_TRUE(logged("Error after DISPWD"));
    EXPECT_EQ(locked().security().attemptsLeft(), before - 1);
    EXPECT_TRUE(locked().security().locked());
    for (int i = 0; i < 10; ++i) app.securityManager.unlock();
    EXPECT_TRUE(locked().security().countExpired());
    EXPECT_TRUE(logged("Error after DISPWD: attempts EXPIRED"));
    password("user123"); // even the right one is refused now
    app.securityManager.unlock();
    EXPECT_TRUE(locked().security().locked());
}

TEST_F(Security, AFrozenDriveRefusesAndEraseStopsBeforeSendingAnything) {
    ssd().security().freezeLock();
    password("pw");
    app.securityManager.lock();
    EXPECT_TRUE(logged("Error after PWD")) << "the lab aborts SET PASSWORD at the end of its block";
    EXPECT_FALSE(ssd().security().enabled());
    t.dialogs.answers.push_back(form::Answer::Yes);
    size_t before = ssd().commandsReceived().size();
    app.securityManager.erase();
    EXPECT_TRUE(logged("Drive FROZEN! Restart HDD!"));
    auto& sent = ssd().commandsReceived();
    EXPECT_TRUE(std::none_of(sent.begin() + long(std::min(before, sent.size())), sent.end(),
                             [](auto& tf) { return tf.command >= 0xF1 && tf.command <= 0xF6; }));
}

TEST_F(Security, EraseSetsItsOwnPasswordsErasesAndPutsTheFieldsBack) {
    ssd().store().clearWriteLog();
    password("keepme", 1, 0);
    t.dialogs.answers.push_back(form::Answer::Yes);
    app.securityManager.erase();
    // The lab's drive finishes as soon as it is polled, so it has erased by the time it is asked.
    EXPECT_TRUE(logged("Starting security ERASE, ~2 min.")) << "the SSD announces two minutes";
    EXPECT_TRUE(logged("Security ERASE done"));
    EXPECT_EQ(g.PwdEdit.text(), "keepme");
    EXPECT_EQ(g.PwdTypeGrp.itemIndex(), 1);
    EXPECT_EQ(g.PwdLevGrp.itemIndex(), 0);
    EXPECT_FALSE(ssd().store().writes().empty()) << "the media was erased";
    EXPECT_FALSE(ssd().security().enabled()) << "a completed erase removes the user password";
}

TEST_F(Security, EraseIsRefusedInUsbModeAndUnderTheNonDestructiveSetting) {
    app.form.setup.presets.NonDestrChk.setChecked(true);
    EXPECT_FALSE(g.PwdEraseBtn.enabled());
    app.securityManager.erase();
    EXPECT_TRUE(t.dialogs.shown.empty()) << "refused before the question";
    EXPECT_FALSE(ssd().security().enabled());
    app.form.setup.presets.NonDestrChk.setChecked(false);
    EXPECT_TRUE(g.PwdEraseBtn.enabled());
    app.session.accessMode = access::AccessMode::Api;
    app.session.apiDeviceNumber = 5; // the USB bridge
    app.securityManager.erase();
    EXPECT_EQ(t.lastMessage(), "Sorry... Security Erase disabled on USB-mode!");
}

TEST_F(Security, InUsbModeTheLockGoesThroughSatAfterTheWarning) {
    app.session.accessMode = access::AccessMode::Api;
    app.session.apiDeviceNumber = 5; // the USB bridge
    ASSERT_TRUE(app.passportReader.readPassport(true, true));
    ASSERT_TRUE(app.passport.UsbMode);
    EXPECT_EQ(g.SecurityBox.caption(), " Security manager: USB-mode ");
    auto& disk = *t.lab->disks()[5].device;
    password("usbpw");
    app.securityManager.lock(); // no answer queued: the warning is refused
    ASSERT_FALSE(t.dialogs.shown.empty());
    EXPECT_EQ(t.dialogs.shown.back().text.find("You want to set a hardware password to drive!") != std::string::npos, true);
    EXPECT_FALSE(disk.security().enabled()) << "No sets nothing";
    t.dialogs.answers.push_back(form::Answer::Yes);
    app.securityManager.lock();
    EXPECT_TRUE(logged("Password sended to drive."));
    EXPECT_TRUE(disk.security().enabled());
}

TEST_F(Security, ADriveThatStopsAnsweringMidEraseIsReportedAndNotCountedErased) {
    ssd().store().clearWriteLog();
    t.dialogs.answers.push_back(form::Answer::Yes);
    // The drive takes both passwords, then leaves the bus halfway through the erase block.
    int blocks = 0;
    app.passportSubscribers.subscribe([&](const info::DrivePassport& p) {
        // Armed after the second password: the next passport's 256 words, then 100 of the block.
        if (p.SecurityLevelMax && ++blocks == 1) ssd().faults.disappearAfterWords = 256 + 100;
    });
    app.securityManager.erase();
    auto m = t.messages();
    EXPECT_TRUE(std::any_of(m.begin(), m.end(), [](auto& line) { return line.rfind("Error after DISPWD,", 0) == 0; }));
    EXPECT_FALSE(logged("Starting security ERASE, ~2 min."));
    EXPECT_TRUE(ssd().store().writes().empty()) << "nothing was erased";
}
