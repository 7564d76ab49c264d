#include "tests/ScanLab.h"

#include <gtest/gtest.h>

#include <set>

using namespace korvane;
using form::Answer;
using form::Origin;
using tests::ScanDirection;

namespace {
using testsupport::kBase;
struct ScanControl : ::testing::Test, testsupport::ScanLab {
    std::vector<sim::WriteRecord> writes() { return fujitsu().store().writes(); }
    void order(ScanDirection d) {
        form::Image* images[] = {&page.ImgFWD, &page.ImgREV, &page.ImgRND, &page.ImgBTF};
        images[int(d)]->mouseDown();
    }
    size_t startLines() const {
        auto m = t.messages();
        return size_t(std::count_if(m.begin(), m.end(), [](auto& l) { return l.rfind("Starting", 0) == 0; }));
    }
};
} // namespace

TEST_F(ScanControl, AWriteScanWritesExactlyTheConfirmedRangeInEveryOrderAndMode) {
    for (bool api : {true, false}) {
        for (auto d : {ScanDirection::Forward, ScanDirection::Reverse, ScanDirection::Random, ScanDirection::Butterfly}) {
            SCOPED_TRACE(std::string(api ? "API " : "PIO ") + std::to_string(int(d)));
            testsupport::ScanLab lab;
            if (api)
                lab.useApi(2);
            else
                lab.usePio();
            form::Image* images[] = {&lab.page.ImgFWD, &lab.page.ImgREV, &lab.page.ImgRND, &lab.page.ImgBTF};
            images[int(d)]->mouseDown();
            lab.page.RndScTimeEdit.setValue(1.0 / 1440.0, Origin::User);
            lab.page.ScanRWGrp.setItemIndex(2, Origin::User);
            lab.range("1000", "5000");
            lab.t.dialogs.answers = {Answer::Yes};
            lab.fujitsu().store().clearWriteLog();
            lab.scan();
            const auto& w = lab.fujitsu().store().writes();
            ASSERT_FALSE(w.empty());
            std::set<uint64_t> written;
            for (auto r : w) {
                ASSERT_GE(r.lba, 1000u);
                ASSERT_LE(r.lba + r.count, 5001u) << r.lba << "+" << r.count;
                for (uint64_t s = r.lba; s < r.lba + r.count; ++s) written.insert(s);
            }
            if (d != ScanDirection::Random) EXPECT_EQ(written.size(), 4001u) << "every sector of 1000..5000";
            EXPECT_EQ(lab.t.lastMessage(), "***** Scan results: no warnings, no errors *****");
            EXPECT_TRUE(lab.logged(std::string("Starting ERASING, LBA=1000..5000") +
                                   (d == ScanDirection::Forward    ? ", sequential access"
                                    : d == ScanDirection::Reverse  ? ", reverse access"
                                    : d == ScanDirection::Random   ? ", random access"
                                                                   : ", butterfly") +
                                   ", timeout 10000ms"));
            EXPECT_EQ(lab.page.ScanRWGrp.itemIndex(), api ? 1 : 0) << "a write scan leaves the mode on reading";
        }
    }
}

TEST_F(ScanControl, NoOnEitherWarningWritesNothingAndPutsTheEndActionBack) {
    useApi(0); // the system disk: two warnings
    page.ScanRWGrp.setItemIndex(2, Origin::User);
    page.EndScanVarBox.setItemIndex(2, Origin::User);
    range("0", "1000");
    auto& drive0 = *t.lab->disks()[0].device;
    drive0.store().clearWriteLog();
    t.dialogs.answers = {Answer::Yes, Answer::No};
    page.ScanStartBtn.click();
    ASSERT_GE(t.dialogs.shown.size(), 2u);
    EXPECT_EQ(t.dialogs.shown[t.dialogs.shown.size() - 2].text,
              "User data will be lost!\r\nHitachi HDS721050CLA362\r\nLBA 0-1000");
    EXPECT_EQ(t.dialogs.shown.back().text, "!!! SYSTEM DISK ERASING !!!");
    EXPECT_FALSE(app.scan.scanStarted);
    EXPECT_EQ(page.EndScanVarBox.itemIndex(), 0);
    EXPECT_TRUE(drive0.store().writes().empty());
    EXPECT_EQ(page.ScanStartBtn.caption(), "Start");
    EXPECT_TRUE(page.ScanStartBtn.enabled());
    EXPECT_FALSE(app.form.standard.api.ApiList.enabled() == false) << "the device selection is unlocked again";
}

TEST_F(ScanControl, AMountedDiskIsNotOpenedForAWriteScan) {
    useApi(0);
    page.ScanRWGrp.setItemIndex(2, Origin::User);
    range("0", "1000");
    t.dialogs.answers = {Answer::Yes, Answer::Yes};
    page.ScanStartBtn.click();
    EXPECT_FALSE(app.scan.scanStarted);
    EXPECT_TRUE(logged("[API] Unable to open physical drive #0"));
    EXPECT_TRUE(t.lab->disks()[0].device->store().writes().empty());
}

TEST_F(ScanControl, TheWriteWarningOfANewDriveTakesSizesAndKeepsTheEndAboveTheStart) {
    t.startPio(kBase, testsupport::kAlt); // no passport yet: the start takes a new drive
    page.ScanRWGrp.setItemIndex(2, Origin::User);
    auto& w = app.form.writeWarn;
    bool shown = false;
    app.scanControl.onWriteWarnShown = [&] {
        shown = true;
        EXPECT_TRUE(w.visible());
        w.StartEdit.setText("2G", Origin::User);
        EXPECT_EQ(page.StartLbaEdit.text(), "4194304") << "the dialog writes the sectors of 2 GB at once";
        w.EndEdit.setText("100", Origin::User);
        w.OkBtn.click();
    };
    t.dialogs.answers = {Answer::No}; // then No to "User data will be lost!"
    page.ScanStartBtn.click();
    EXPECT_TRUE(shown);
    EXPECT_EQ(w.EndEdit.text(), "4194305") << "start >= end on OK makes end = start + 1";
    EXPECT_EQ(page.EndLbaEdit.text(), "4194305");
    EXPECT_FALSE(app.scan.scanStarted);
    EXPECT_TRUE(fujitsu().store().writes().empty());

    // Cancel ends the start there: no confirmation box follows.
    app.scanControl.onWriteWarnShown = [&] { w.CancelBtn.click(); };
    const size_t boxes = t.dialogs.shown.size();
    t.clock.advanceMs(10001); // past the start guard
    t.ui.processEvents();
    app.passport.LastModel.clear(); // a new drive again
    page.ScanStartBtn.click();
    EXPECT_TRUE(app.scanControl.writeWarnCancelled());
    EXPECT_EQ(t.dialogs.shown.size(), boxes);
}

TEST_F(ScanControl, AStartAbandonedOnAMissingPassportIgnoresStartForTenSeconds) {
    t.startPio(0x1F0, 0x3F6); // the primary channel
    t.lab->channelAt(0x1F0)->device(0)->setPowered(false);
    page.ScanStartBtn.click();
    EXPECT_TRUE(logged("Get drive passport: Drive error!"));
    const size_t lines = t.messages().size();
    page.ScanStartBtn.click();
    EXPECT_EQ(t.messages().size(), lines) << "the guard holds";
    t.clock.advanceMs(10001);
    t.ui.processEvents(); // the 10-second timer re-arms the guard
    page.ScanStartBtn.click();
    EXPECT_GT(t.messages().size(), lines);
}

TEST_F(ScanControl, PauseHoldsTheWorkerContinueResumesAndBreakOnAPausedScanEndsIt) {
    usePio();
    range("0", "2000000");
    page.ScanStartBtn.click();
    waitFor([&] { return app.scan.classCounts[0] + app.scan.classCounts[1] > 20; });
    page.PauseBtn.click();
    EXPECT_EQ(page.PauseBtn.caption(), "Continue");
    t.ui.runUntil([&] { return app.gate.held(access::WorkerGate::Worker::Scan); });
    EXPECT_EQ(t.lastMessage(), "Surface scan paused");
    const uint64_t held = commandsSent();
    t.ui.processEvents();
    EXPECT_EQ(commandsSent(), held) << "a held worker sends nothing";
    page.PauseBtn.click();
    EXPECT_EQ(page.PauseBtn.caption(), "Pause");
    waitFor([&] { return commandsSent() > held + 5; });
    EXPECT_TRUE(logged("Surface scan resumption"));
    page.PauseBtn.click();
    t.ui.runUntil([&] { return app.gate.held(access::WorkerGate::Worker::Scan); });
    app.form.commands.BreakBtn.click();
    waitEnd();
    EXPECT_EQ(page.PauseBtn.caption(), "Pause");
    EXPECT_EQ(page.ScanStartBtn.caption(), "Start");
    EXPECT_TRUE(logged("Command interrupted by user!"));
    EXPECT_EQ(t.lastMessage().rfind("***** Scan results: ", 0), 0u) << t.lastMessage();
}

TEST_F(ScanControl, ALoopTestRunsItsPassesWithoutResultsUntilBreak) {
    usePio();
    range("0", "3000");
    page.EndScanVarBox.setItemIndex(2, Origin::User);
    page.ScanStartBtn.click();
    waitFor([&] { return app.scan.loopCount >= 3; });
    EXPECT_TRUE(logged("Starting surface scan, LBA=0..3000, sequential access, timeout 10000ms. Try 2"));
    size_t passports = 0, results = 0;
    for (auto& l : t.messages()) {
        passports += l == "Get passport... OK";
        results += l.rfind("***** Scan results", 0) == 0;
    }
    EXPECT_EQ(results, 0u) << "a pass that loops writes no results";
    app.form.commands.BreakBtn.click();
    waitEnd();
    size_t after = 0;
    for (auto& l : t.messages()) after += l == "Get passport... OK";
    EXPECT_EQ(after, passports) << "the passes read no passport";
    EXPECT_FALSE(app.scan.scanStarted);
    EXPECT_EQ(page.ScanStartBtn.caption(), "Start");
    const size_t starts = startLines();
    t.ui.processEvents();
    EXPECT_EQ(startLines(), starts) << "no pass starts after Break";
}

TEST_F(ScanControl, EndActionsRunAfterTheRangeAndShutdownOnlyWhenNotBroken) {
    usePio();
    range("0", "1000");
    page.EndScanVarBox.setItemIndex(4, Origin::User);
    scan();
    EXPECT_TRUE(logged("Shutdown PC"));
    EXPECT_EQ(t.power.requests, 1);
    EXPECT_EQ(count(0xE0), 1u) << "the spindle stops first";

    page.EndScanVarBox.setItemIndex(1, Origin::User);
    scan();
    EXPECT_EQ(count(0xE0), 2u) << "Stop spindle";

    page.EndScanVarBox.setItemIndex(4, Origin::User);
    range("0", "2000000");
    page.ScanStartBtn.click();
    waitFor([&] { return app.scan.classCounts[0] + app.scan.classCounts[1] > 5; });
    app.form.commands.BreakBtn.click();
    waitEnd();
    EXPECT_EQ(t.power.requests, 1) << "a scan ended by Break does not shut down";
}

TEST_F(ScanControl, ABlockTimesOutInBothPioPathsWithTheDriveReset) {
    for (int timer : {0, 1}) {
        SCOPED_TRACE(timer ? "1 ms timer" : "100 us polling");
        testsupport::ScanLab lab;
        lab.usePio();
        lab.app.form.setup.timers.RTChk.setItemIndex(timer, Origin::User);
        lab.page.ScanTimeEdit.setText("20", Origin::User);
        lab.range("1234000", "1235000"); // 1234567 takes 300 ms more
        lab.scan();
        EXPECT_TRUE(lab.logged("Block 1234512 Timeout")) << ::testing::PrintToString(lab.t.messages());
        EXPECT_NE(lab.mapCells().find('T'), std::string::npos);
        EXPECT_EQ(lab.app.scan.errorCount, 1u);
    }
}

TEST_F(ScanControl, DataDistortionIsFoundByReadingThePatternBack) {
    useApi(2);
    fujitsu().faults.corruptWriteLba = 1500;
    page.ScanRWGrp.setItemIndex(2, Origin::User);
    page.DDDChk.setChecked(true, Origin::User);
    range("1000", "3000");
    t.dialogs.answers = {Answer::Yes};
    scan();
    EXPECT_TRUE(logged("Block 1256 - data distortion! Writen 55AAh, read 54AAh"));
    EXPECT_NE(mapCells().find('D'), std::string::npos);
    EXPECT_EQ(t.lastMessage(), "***** Scan results: Warnings - 0, errors - 1 *****");
}

TEST_F(ScanControl, LongWritingReadsEachSectorAndWritesItBackLong) {
    usePio();
    page.ScanRWGrp.setItemIndex(2, Origin::User);
    page.EnLwChk.setChecked(true, Origin::User);
    range("100", "102", "3");
    t.dialogs.answers = {Answer::Yes};
    scan();
    EXPECT_TRUE(logged("Starting Long-Writing, LBA=100..102, sequential access"));
    std::vector<uint8_t> sequence;
    for (auto& tf : fujitsu().commandsReceived())
        if (tf.command == 0x20 || tf.command == 0x32) sequence.push_back(tf.command);
    ASSERT_GE(sequence.size(), 6u);
    const std::vector<uint8_t> tail(sequence.end() - 6, sequence.end());
    EXPECT_EQ(tail, (std::vector<uint8_t>{0x20, 0x32, 0x20, 0x32, 0x20, 0x32}));
    for (auto r : fujitsu().store().writes()) {
        EXPECT_GE(r.lba, 100u);
        EXPECT_LE(r.lba, 102u);
    }
}

TEST_F(ScanControl, OptionInterlocksAndFourBreakPresses) {
    usePio();
    page.ScBlockSizeBox.setText("1024", Origin::User);
    EXPECT_EQ(page.ScBlockSizeBox.text(), "256") << "PIO without 48-bit commands";
    page.ScBlockSizeBox.setText("", Origin::User);
    EXPECT_EQ(page.ScBlockSizeBox.text(), "1");
    page.ScanRWGrp.setItemIndex(2, Origin::User);
    EXPECT_EQ(page.ScRemapGroup.itemIndex(), 0);
    EXPECT_FALSE(page.ScRemapGroup.enabled());
    EXPECT_TRUE(page.EnLwChk.enabled()) << "Long writing in PIO mode";
    page.ScanRWGrp.setItemIndex(0, Origin::User);
    page.ScRemapGroup.setItemIndex(2, Origin::User);
    EXPECT_EQ(page.ScanTimeEdit.text(), "200");
    page.ScDftChk.setChecked(true, Origin::User);
    EXPECT_EQ(page.ScanTimeEdit.text(), "250");
    EXPECT_EQ(page.ScRemapGroup.itemIndex(), 0);
    app.form.setup.presets.NonDestrChk.setChecked(true, Origin::User);
    EXPECT_FALSE(page.ScanRWGrp.itemEnabled(2));

    auto& enable = app.form.setup.scanOptions.EnaBrkInCyclChk;
    enable.setChecked(false, Origin::User);
    for (int i = 0; i < 3; ++i) app.form.commands.BreakBtn.click();
    EXPECT_FALSE(enable.checked());
    app.form.commands.BreakBtn.click();
    EXPECT_TRUE(enable.checked());
    EXPECT_TRUE(app.session.breakLoopsEnabled);
    EXPECT_NE(t.dialogs.shown.back().text.find("\"Enable breaking internal loops\""), std::string::npos);
}
