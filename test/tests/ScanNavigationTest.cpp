#include "access/SizeFormat.h"
#include "form/PictureFiles.h"
#include "tests/BlockCsv.h"
#include "tests/ScanLab.h"

#include <gtest/gtest.h>

using namespace korvane;
using Arrow = form::JumpControl::Arrow;
using tests::ScanDirection;

namespace {
struct Navigation : ::testing::Test, testsupport::ScanLab {
    // The record as a scan of [start, end] in `bs`-sector blocks would have it at `cur`.
    void at(ScanDirection d, uint64_t start, uint64_t end, uint16_t bs, uint64_t cur) {
        auto& s = app.scan;
        s.direction = d;
        s.startLba = start;
        s.endLba = end;
        s.range = end - start;
        s.blockSize = bs;
        s.jumpLarge = s.range / 50;
        s.jumpSmall = s.range / 1000;
        s.curLba = cur;
        s.btfLow = cur;
        s.btfHigh = end - bs + 1 - (cur - start);
        s.jumpedForward = s.jumpedBack = false;
    }
};
} // namespace

TEST_F(Navigation, EachArrowMovesThePositionWithinTheRangeAndSetsItsMark) {
    using D = ScanDirection;
    struct Case {
        D order;
        uint64_t cur;
        Arrow arrow;
        uint64_t after;   // curLba, or btfLow for butterfly
        int mark;         // 1 forward, -1 back, 0 none
    };
    // Range 0..100000 in 256-sector blocks: J = 2000, j = 100.
    const Case cases[] = {
        {D::Forward, 5000, Arrow::Right, 7000, 1},
        {D::Forward, 98000, Arrow::Right, 98000, 0}, // 98000 + 2000 + 256 is past the end
        {D::Forward, 5000, Arrow::Left, 3000, -1},
        {D::Forward, 1000, Arrow::Left, 0, -1}, // never before the start
        {D::Forward, 5000, Arrow::Up, 5100, 1},
        {D::Forward, 99700, Arrow::Up, 99700, 1}, // no room: the mark all the same
        {D::Forward, 5000, Arrow::Down, 4900, -1},
        {D::Forward, 200, Arrow::Down, 0, -1},
        {D::Reverse, 50000, Arrow::Right, 52000, 1},
        {D::Butterfly, 10000, Arrow::Right, 12000, 1},
        {D::Butterfly, 10000, Arrow::Left, 8000, -1},
        {D::Butterfly, 1000, Arrow::Left, 1000, -1}, // the low side stays inside
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(int(c.order)) + " at " + std::to_string(c.cur) + ", arrow " +
                     std::to_string(int(c.arrow)));
        at(c.order, 0, 100000, 256, c.cur);
        const uint64_t high = app.scan.btfHigh;
        app.scanNavigation.jump(c.arrow);
        if (c.order == D::Butterfly) {
            EXPECT_EQ(app.scan.btfLow.load(), c.after);
            EXPECT_EQ(app.scan.btfHigh.load(), high - (c.after - c.cur)) << "the high side moves the other way";
        } else {
            EXPECT_EQ(app.scan.curLba.load(), c.after);
        }
        EXPECT_EQ(app.scan.jumpedForward.load(), c.mark == 1);
        EXPECT_EQ(app.scan.jumpedBack.load(), c.mark == -1);
    }
    // "Swap navigation Up/Dn keys": Up moves as Down did.
    app.form.setup.scanOptions.SwapUpDnkeysChk.setChecked(true, form::Origin::User);
    at(ScanDirection::Forward, 0, 100000, 256, 5000);
    app.scanNavigation.jump(Arrow::Up);
    EXPECT_EQ(app.scan.curLba.load(), 4900u);
}

TEST_F(Navigation, AJumpDuringAScanMovesTheNextBlockAndMarksTheMap) {
    usePio();
    range("0", "2000000"); // J = 40000
    page.ScanStartBtn.click();
    waitFor([&] { return counted() > 20; });
    page.PauseBtn.click();
    t.ui.runUntil([&] { return app.gate.held(access::WorkerGate::Worker::Scan); });
    const uint64_t before = app.scan.curLba;
    // The worker stood at `before`; the counts shown may lag behind it by a batch.
    const uint64_t scanned = before / 256;
    page.Qn.click(Arrow::Right); // a jump on a paused scan continues it
    EXPECT_EQ(page.PauseBtn.caption(), "Pause");
    waitFor([&] { return counted() > scanned + 5; });
    app.form.commands.BreakBtn.click();
    waitEnd();
    EXPECT_NE(mapCells().find('>'), std::string::npos);
    EXPECT_TRUE(app.scan.mapNonLinear.load());
    bool jumped = false; // a verify of the block 40000 sectors on, with nothing scanned between
    const auto& r = fujitsu().commandsReceived();
    for (size_t i = 1; i < r.size(); ++i) {
        auto lba = [](const platform::TaskFile& tf) {
            return uint64_t(tf.lbaLow) | uint64_t(tf.lbaMid) << 8 | uint64_t(tf.lbaHigh) << 16 |
                   uint64_t(tf.device & 0x0F) << 24;
        };
        if (r[i].command == 0x40 && r[i - 1].command == 0x40 && lba(r[i]) >= lba(r[i - 1]) + 40000) jumped = true;
    }
    EXPECT_TRUE(jumped) << "from around " << before;
}

TEST_F(Navigation, AHeldArrowRepeatsOnTheTimerAndWithoutRepeatJumpsOnRelease) {
    usePio();
    at(ScanDirection::Forward, 0, 100000, 256, 5000);
    app.scan.scanStarted = true; // as while a scan runs, without one
    page.Qn.press(Arrow::Up);
    EXPECT_TRUE(app.form.BtnTimer.enabled());
    // Held for 120 ms of the virtual clock at the 50 ms interval: two jumps.
    for (int ms = 0; ms < 120; ++ms) {
        t.clock.sleepMs(1);
        t.ui.processEvents();
    }
    page.Qn.release(Arrow::Up);
    EXPECT_FALSE(app.form.BtnTimer.enabled());
    EXPECT_EQ(app.scan.curLba.load(), 5200u) << "two ticks, nothing on release";
    app.form.setup.scanOptions.AutoRepQnChk.setChecked(false, form::Origin::User);
    EXPECT_FALSE(app.form.setup.scanOptions.QnRepTimeBox.enabled());
    page.Qn.press(Arrow::Up);
    EXPECT_FALSE(app.form.BtnTimer.enabled());
    page.Qn.release(Arrow::Up);
    EXPECT_EQ(app.scan.curLba.load(), 5300u) << "one jump on release";
    app.scan.scanStarted = false;
}

TEST_F(Navigation, TheMapHintNamesABlocksRangeAndItsPopupTakesItAsTheRange) {
    usePio();
    range("1000", "11000", "256");
    scan(); // forward: the map is linear
    const uint16_t cols = app.surfaceScan.map().columns();
    page.Grid.mouseMove(2, 1); // block cols + 2
    const uint64_t low = 1000 + uint64_t(cols + 2) * 256;
    EXPECT_EQ(page.Grid.hint(), std::to_string(low) + "-" + std::to_string(low + 255));
    page.Grid.mouseMove(0, -1);
    EXPECT_EQ(page.Grid.hint(), "Out of range");
    page.Grid.mouseMove(2, 1);
    page.ScanMenu.popup();
    EXPECT_TRUE(page.ScanMenu.item(0).enabled());
    EXPECT_EQ(page.ScanMenu.item(0).caption(), "Set " + std::to_string(low) + " as Start LBA");
    page.ScanMenu.item(0).click();
    page.ScanMenu.item(1).click();
    EXPECT_EQ(page.StartLbaEdit.text(), std::to_string(low));
    EXPECT_EQ(page.EndLbaEdit.text(), std::to_string(low + 255));

    // A random scan's map is not linear: no range under the pointer, and no popup items.
    page.ImgRND.mouseDown();
    page.RndScTimeEdit.setValue(1.0 / 1440.0, form::Origin::User);
    range("0", "100000");
    scan();
    page.Grid.mouseMove(1, 0);
    EXPECT_EQ(page.Grid.hint(), "Unknown");
    page.ScanMenu.popup();
    EXPECT_FALSE(page.ScanMenu.item(0).enabled());
    // A double click widens the map and it gets more cells a row.
    const uint16_t narrow = app.surfaceScan.map().columns();
    page.Grid.setEnabled(true);
    page.Grid.doubleClick();
    EXPECT_EQ(page.GridPanel.width(), 594);
    EXPECT_GT(app.surfaceScan.map().columns(), narrow);
}

TEST_F(Navigation, TheSpeedGraphScalesItsLabelsAndKeepsABadBlocksRedLineThroughARescale) {
    auto& gl = page;
    app.surfaceScan.graph().setScale(10);
    const std::vector<std::string> ten = {gl.Gl0.caption(), gl.Gl1.caption(), gl.Gl6.caption()};
    EXPECT_EQ(ten, (std::vector<std::string>{"14", "28", "98 (Mb/s)"}));
    app.surfaceScan.graph().setScale(20);
    const std::vector<std::string> twenty = {gl.Gl0.caption(), gl.Gl1.caption(), gl.Gl6.caption()};
    EXPECT_EQ(twenty, (std::vector<std::string>{"7.0", "14", "49 (Mb/s)"}));
    app.surfaceScan.graph().setScale(10);
    app.surfaceScan.graph().pointerAt(0, 0, 2048);
    EXPECT_EQ(page.YCoord.caption(), "99.5 MB/s");

    usePio();
    range("25000", "40000", "32"); // UNC at 31000
    scan();
    auto& graph = app.surfaceScan.graph();
    int red = -1;
    for (int x = 0; x < graph.column() + 1; ++x)
        if (graph.historyAt(size_t(x)) == 0xFFFF) red = x;
    ASSERT_GE(red, 0) << "the bad block's column";
    EXPECT_GT(graph.column(), 100) << "the graph drew its columns";
    auto redPixels = [&] {
        int n = 0; // the red line runs from the last point down to the base line of its column
        for (int x = std::max(red - 1, 0); x <= red; ++x)
            for (int y = 0; y < tests::SpeedGraph::kBase; ++y) n += page.GF.pixel(x, y) == 0xFF0000u;
        return n;
    };
    EXPECT_GT(redPixels(), 3);
    page.GfMasEdit.setValue(37); // a rescale draws the history again
    EXPECT_GT(redPixels(), 3);
}

namespace {
// Pictures drawn in memory: which control went to which file.
struct RecordedPictures : form::PictureFiles {
    std::vector<std::string> saved;
    std::string failWith;
    std::string saveMap(const form::StringGrid& g, const std::string& path) override {
        saved.push_back("map " + std::to_string(g.cellCount()) + " " + path);
        return failWith;
    }
    std::string saveGraph(const form::Canvas& c, const std::string& path) override {
        saved.push_back("graph " + std::to_string(c.pixelWidth()) + " " + path);
        return failWith;
    }
};
} // namespace

TEST_F(Navigation, TheCountersPanelTheStartTimeTheViewSwitchAndThePositionLabels) {
    usePio();
    t.facts.time = "09:41:07";
    range("1000", "31000", "256");
    scan();
    EXPECT_EQ(page.gfs0.caption(), access::formatSizeShort(1000, 512, 2048));
    EXPECT_EQ(page.gfs7.caption(), access::formatSizeShort(1000 + 14 * 2000, 512, 2048)) << "range div 15 = 2000";
    EXPECT_NE(page.Tim1Lab.caption() + page.Tim2Lab.caption(), "00");
    page.ScanClrListBtn.click();
    for (auto* l : {&page.Tim1Lab, &page.Tim2Lab, &page.Tim3Lab, &page.ErLab}) EXPECT_EQ(l->caption(), "0");
    EXPECT_EQ(app.scan.classCounts[0] + app.scan.classCounts[1], 0u);

    page.ScTimeLed.click();
    EXPECT_EQ(page.ScTimeLed.caption(), "09:41:07") << "the start's time of day after \"Start:\"";

    // The graph instead of the map: its box and readouts show, the map narrows again.
    page.Grid.setEnabled(true);
    page.Grid.doubleClick();
    ASSERT_EQ(page.GridPanel.width(), 594);
    page.DisGridChk.setChecked(false, form::Origin::User);
    EXPECT_FALSE(page.Grid.visible());
    EXPECT_TRUE(page.GfMasEdit.visible());
    EXPECT_FALSE(page.ScanSplit.enabled());
    EXPECT_EQ(page.GridPanel.width(), 377);
    const std::string hint = page.Grid.hint();
    page.Grid.mouseMove(3, 0);
    EXPECT_EQ(page.Grid.hint(), hint) << "no map hint while the graph is shown";
    page.DisGridChk.setChecked(true, form::Origin::User);
    EXPECT_TRUE(page.Grid.visible());
    EXPECT_FALSE(page.GfMasEdit.visible());
    EXPECT_TRUE(page.ScanSplit.enabled());
}

TEST_F(Navigation, TheMapsPopupSavesThePicturesAndChoosesTheNextScansBlockFile) {
    usePio();
    range("0", "3000", "32");
    scan();
    RecordedPictures pictures;
    app.scanExports.pictures = &pictures;
    t.dialogs.fileNames = {t.dir.file("m.png"), t.dir.file("g.png"), t.dir.file("b.csv")};
    page.ScanMenu.find("Save map as PNG...")->click();
    page.TestsMenu.find("Save graph as PNG...")->click();
    page.ScanMenu.find("Save block times as CSV...")->click();
    EXPECT_EQ(pictures.saved, (std::vector<std::string>{"map " + std::to_string(page.Grid.cellCount()) + " " +
                                                            t.dir.file("m.png"),
                                                        "graph 377 " + t.dir.file("g.png")}));
    EXPECT_TRUE(logged("Block map saved to " + t.dir.file("m.png")));
    EXPECT_TRUE(logged("Block times of the next scan go to " + t.dir.file("b.csv")));
    EXPECT_FALSE(t.dir.exists("b.csv")) << "written by the next scan, not this one";
    scan();
    std::string error;
    auto file = tests::readBlockCsv(t.dir.file("b.csv"), error);
    ASSERT_TRUE(file) << error;
    EXPECT_EQ(file->rows.size(), 95u) << "93 blocks of 32 sectors, 2976 (24 sectors) and 3000";
    EXPECT_EQ(file->drive.model, app.passport.Model);

    pictures.failWith = "disk full";
    t.dialogs.fileNames = {t.dir.file("m2.png")};
    page.ScanMenu.find("Save map as PNG...")->click();
    EXPECT_TRUE(logged("Block map could not be saved to " + t.dir.file("m2.png") + ": disk full"));
    app.scanExports.pictures = nullptr;
}
