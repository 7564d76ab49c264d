#include "support/TestApp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

using namespace korvane;
using tests::ScanDirection;

namespace {

constexpr uint16_t kBase = 0x170, kAlt = 0x376; // secondary master: FUJITSU, UNC at 31000

struct ScanLab {
    testsupport::TestApp t;
    shell::App& app = *t.app;
    form::TestsPage& page = app.form.tests;

    sim::AtaDevice& fujitsu() { return t.drive(kBase); }

    // PIO on the secondary master with its passport read, as a user starts.
    void usePio() {
        t.startPio(kBase, kAlt);
        app.form.commands.PasspBtn.click();
    }
    // API on physical drive `n`, its passport read.
    void useApi(int n) {
        app.startUp.startUp();
        app.form.header.APIRg.setItemIndex(0, form::Origin::User);
        auto& list = app.form.standard.api.ApiList;
        for (size_t r = 0; r < list.rowCount(); ++r)
            if (list.cell(r, 1) == std::to_string(n)) list.select(r, false, form::Origin::User);
        ASSERT_EQ(app.session.apiDeviceNumber, n);
    }
    void range(const std::string& start, const std::string& end, const std::string& block = "256") {
        page.StartLbaEdit.setText(start, form::Origin::User);
        page.EndLbaEdit.setText(end, form::Origin::User);
        page.ScBlockSizeBox.setText(block, form::Origin::User);
    }
    bool running() const { return app.scan.scanStarted || app.jobs.running(access::WorkerGate::Worker::Scan); }
    void waitEnd() {
        t.ui.runUntil([&] { return !running(); });
    }
    void waitFor(const std::function<bool()>& done) {
        t.ui.runUntil([&] { return done() || !running(); });
    }
    // Start, and wait for the scan to end by itself.
    void scan() {
        page.ScanStartBtn.click();
        waitEnd();
    }
    uint64_t counted() const { return std::accumulate(app.scan.classCounts.begin(), app.scan.classCounts.end(), 0ull); }
    bool logged(const std::string& line) const {
        auto m = t.messages();
        return std::find(m.begin(), m.end(), line) != m.end();
    }
    size_t count(uint8_t command) {
        const auto& r = t.drive(kBase).commandsReceived();
        return size_t(std::count_if(r.begin(), r.end(), [&](auto& tf) { return tf.command == command; }));
    }
    std::string mapCells() const {
        const auto& cells = page.Grid.cells();
        std::string s;
        for (uint8_t c : cells)
            if (c) s.push_back(char(c));
        return s;
    }
};

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
