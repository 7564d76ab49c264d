#include "tests/ScanLab.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <numeric>

using namespace korvane;
using tests::ScanDirection;

namespace {
using testsupport::ScanLab;
struct Scan : ::testing::Test, ScanLab {};

} // namespace

TEST_F(Scan, APioVerifyScanWalksItsRangeAndEndsWithItsResultsInBothTimingPaths) {
    usePio();
    for (int timer : {0, 1}) {
        SCOPED_TRACE(timer ? "1 ms timer" : "100 us polling");
        app.form.setup.timers.RTChk.setItemIndex(timer, form::Origin::User);
        range("0", "10000");
        const size_t before = count(0x40);
        scan();
        EXPECT_TRUE(logged("Starting surface scan, LBA=0..10000, sequential access, timeout 10000ms"));
        EXPECT_EQ(t.lastMessage(), "***** Scan results: no warnings, no errors *****");
        // 0, 256 ... 9728, then 9984 (16 sectors) and the last sector, 10000.
        EXPECT_EQ(counted(), 41u);
        EXPECT_EQ(mapCells().size(), 41u);
        EXPECT_EQ(count(0x40) - before, 41u);
        const auto& last = fujitsu().commandsReceived().back();
        EXPECT_EQ(last.command, 0x40);
        EXPECT_EQ(last.lbaLow | last.lbaMid << 8, 10000 & 0xFFFF);
        EXPECT_EQ(page.ScanStartBtn.caption(), "Start");
        EXPECT_TRUE(page.ScBlockSizeBox.enabled());
        EXPECT_EQ(page.ScanPercentLed.caption(), " 100");
        EXPECT_EQ(page.LbaOut.text(), "10000");
    }
}

TEST(ScanModes, AnUnreadableSectorIsABadBlockWithItsLineLetterAndCountInBothModes) {
    struct Case {
        bool api;
        int mode;
        const char* line;
    };
    for (auto c : {Case{false, 0, "Block 30768 Error: UNCR"}, Case{false, 1, "Block 30768 Error: UNCR"},
                   Case{true, 1, "Block 30768 Error: UNCR"}, Case{true, 0, "Block 30768 Error: UNCR"}}) {
        SCOPED_TRACE(std::string(c.api ? "API" : "PIO") + (c.mode ? " read" : " verify"));
        ScanLab lab;
        if (c.api)
            lab.useApi(2);
        else
            lab.usePio();
        lab.page.ScanRWGrp.setItemIndex(c.mode, form::Origin::User);
        lab.range("30000", "32000");
        lab.scan();
        EXPECT_TRUE(lab.logged(c.line)) << ::testing::PrintToString(lab.t.messages());
        EXPECT_EQ(lab.page.ErLab.caption(), "1");
        EXPECT_NE(lab.mapCells().find('x'), std::string::npos);
        EXPECT_EQ(lab.t.lastMessage(), "***** Scan results: Warnings - 0, errors - 1 *****");
    }
}

TEST_F(Scan, FieldsOutsideTheDriveAreClampedAndARangeOfOneSectorIsOneBlock) {
    usePio();
    const uint64_t last = app.session.maxLba - 1;
    struct Case {
        const char *start, *end, *block;
        std::string startShown, endShown;
        uint64_t blocks;
    };
    const Case cases[] = {
        {"99999999999", "99999999999", "256", std::to_string(last), std::to_string(last), 1},
        {"5000", "100", "256", "5000", "5000", 1}, // start above end: the end follows the start
        {"7", "7", "256", "7", "7", 1},
        {"0", "9", "0", "0", "9", 10}, // block 0 becomes 1
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.start) + ".." + c.end + " / " + c.block);
        range(c.start, c.end, c.block);
        scan();
        EXPECT_EQ(page.StartLbaEdit.text(), c.startShown);
        EXPECT_EQ(page.EndLbaEdit.text(), c.endShown);
        EXPECT_EQ(counted() + app.scan.errorCount, c.blocks);
        EXPECT_EQ(t.lastMessage().rfind("***** Scan results: ", 0), 0u);
    }
    // A size that does not convert stops the start with the error box, and nothing is sent.
    range("99999999999999999999", "10");
    const uint64_t sent = fujitsu().commandsTotal();
    page.ScanStartBtn.click();
    EXPECT_FALSE(app.scan.scanStarted);
    EXPECT_FALSE(t.dialogs.shown.empty());
    EXPECT_LE(fujitsu().commandsTotal() - sent, 1u) << "only the passport's IDENTIFY";
}

TEST_F(Scan, ADriveThatLeavesTheBusMidScanTimesOutItsBlocksAndTheScanEnds) {
    usePio();
    page.ScanTimeEdit.setText("20", form::Origin::User);
    page.ScanRWGrp.setItemIndex(1, form::Origin::User);
    range("0", "3000");
    fujitsu().faults.disappearAfterWords = 256 * 256 * 3; // three blocks in
    scan();
    EXPECT_GE(app.scan.errorCount, 1u);
    EXPECT_EQ(t.lastMessage().rfind("***** Scan results: Warnings - 0, errors - ", 0), 0u) << t.lastMessage();
    EXPECT_EQ(page.ScanStartBtn.caption(), "Start");

    // In API mode the vanished drive fails every request: bad blocks, and the scan still ends.
    ScanLab api;
    api.useApi(2);
    api.range("0", "400000"); // many batches: the drive goes while blocks are still to come
    api.page.ScanRWGrp.setItemIndex(1, form::Origin::User);
    api.page.ScanStartBtn.click();
    api.waitFor([&] { return api.counted() > 2; });
    {
        auto& drive = *api.t.lab->disks()[2].device;
        std::lock_guard bus(drive.busLock()); // the worker is on the same bus
        drive.setPowered(false);
    }
    api.waitEnd();
    EXPECT_GE(api.app.scan.errorCount, 1u);
    EXPECT_EQ(api.t.lastMessage().rfind("***** Scan results: ", 0), 0u);
}

TEST_F(Scan, TheTimeoutBoxReadsNeverDigitsAndZeroAsOne) {
    usePio();
    struct Case {
        const char* text;
        int32_t ms;
        const char* shown;
    };
    for (auto c : {Case{"never", -1, "never"}, Case{"0", 1, "1"}, Case{"250", 250, "250"}, Case{"x5y", 5, "x5y"}}) {
        page.ScanTimeEdit.setText(c.text, form::Origin::User);
        app.surfaceScan.readTimeout();
        EXPECT_EQ(app.scan.timeoutMs, c.ms) << c.text;
        EXPECT_EQ(page.ScanTimeEdit.text(), c.shown);
    }
}

TEST_F(Scan, TheBufferWindowFollowsAReadScan) {
    useApi(0);
    // Every block of the range starts with its number, so whichever one the window catches shows.
    auto& disk = *t.lab->disks()[0].device;
    uint8_t marker[512] = {'B', 'L', 'K'};
    for (uint32_t block = 1; block <= 4000; ++block) {
        std::memcpy(marker + 3, &block, 4);
        disk.store().preload(uint64_t(block) * 256, marker, 1);
    }
    app.form.MainPage.setActiveIndex(2);
    auto& w = app.form.viewBuffer;
    w.show();
    ASSERT_EQ(w.HexBufSw.itemIndex(), 1) << "API, Copier";
    page.ScanRWGrp.setItemIndex(1, form::Origin::User);
    range("256", "1024000");
    page.ScanStartBtn.click();
    auto shown = [&] { return w.HexV.data().size() == 512 && std::memcmp(w.HexV.data().data(), "BLK", 3) == 0; };
    waitFor(shown);
    EXPECT_TRUE(shown()) << "the window's timer loads what the scan reads";
    app.form.commands.BreakBtn.click();
    waitEnd();
    w.close();
}
