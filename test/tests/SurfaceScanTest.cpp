#include "tests/ScanLab.h"

#include <gtest/gtest.h>

#include <algorithm>
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
