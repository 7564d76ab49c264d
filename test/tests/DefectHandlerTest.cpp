#include "tests/BlockCsv.h"
#include "tests/ScanLab.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>

using namespace korvane;
using tests::ScanDirection;

namespace {
using testsupport::ScanLab;

// The FUJITSU's bad sector 31000 is sector 5 of the first 256-sector block from 30995.
constexpr uint64_t kBlock = 30995, kBad = 31000;

struct DefectLab : ScanLab {
    std::function<void()> prepared; // run once the drive is chosen, before the scan
    // A scan of 30995..31600 with the given treatment, its blocks kept as CSV.
    void treat(int action, bool api = false, ScanDirection order = ScanDirection::Forward,
               const std::string& end = "31600") {
        if (api)
            useApi(2);
        else
            usePio();
        if (prepared) prepared();
        fujitsu().store().clearWriteLog();
        form::Image* pictures[] = {&page.ImgFWD, &page.ImgREV, &page.ImgRND, &page.ImgBTF};
        pictures[int(order)]->mouseDown();
        page.ScRemapGroup.setItemIndex(action, form::Origin::User);
        range(std::to_string(kBlock), end);
        app.surfaceScan.blockFile().arm(t.dir.file("blocks.csv"));
        scan();
    }
    // Sectors the drive was asked to write.
    std::set<uint64_t> written() {
        std::set<uint64_t> s;
        for (const auto& w : fujitsu().store().writes())
            for (uint64_t i = 0; i < w.count; ++i) s.insert(w.lba + i);
        return s;
    }
    std::vector<uint64_t> blockStarts() {
        std::string error;
        auto file = tests::readBlockCsv(t.dir.file("blocks.csv"), error);
        EXPECT_TRUE(file) << error;
        std::vector<uint64_t> starts;
        if (file)
            for (const auto& r : file->rows) starts.push_back(r.lba);
        return starts;
    }
    std::vector<uint8_t> sector(uint64_t lba) {
        std::vector<uint8_t> bytes(512);
        fujitsu().store().read(lba, 1, bytes.data());
        return bytes;
    }
};
struct Defects : ::testing::Test, DefectLab {};
} // namespace

TEST_F(Defects, RemapWritesThePatternOnTheFirstUnreadableSectorAndTheScanGoesOnAfterIt) {
    for (bool api : {false, true}) {
        SCOPED_TRACE(api ? "API" : "PIO");
        DefectLab lab;
        lab.treat(1, api);
        EXPECT_EQ(lab.written(), std::set<uint64_t>{kBad});
        std::vector<uint8_t> expected(512);
        for (int i = 0; i < 64; ++i) std::memcpy(expected.data() + 8 * i, "REMAP!!!", 8);
        EXPECT_EQ(lab.sector(kBad), expected);
        EXPECT_TRUE(lab.logged("LBA 31000 try REMAP... complete")) << ::testing::PrintToString(lab.t.messages());
        EXPECT_FALSE(lab.logged("LBA 31000 try REMAR...")) << "the try line is replaced by its outcome";
        EXPECT_FALSE(lab.fujitsu().unreadable(kBad));
        const auto starts = lab.blockStarts();
        ASSERT_GE(starts.size(), 2u);
        EXPECT_EQ(starts[0], kBlock);
        EXPECT_EQ(starts[1], kBad + 1) << "the next block starts at sector 6 of the old one";
        EXPECT_EQ(lab.mapCells()[0], 'R');
        EXPECT_EQ(lab.page.ErLab.caption(), "1");
    }
}

TEST_F(Defects, EraseZeroesExactlyTheBlockAndVerifiesIt) {
    for (bool api : {false, true}) {
        SCOPED_TRACE(api ? "API" : "PIO");
        DefectLab lab;
        lab.treat(2, api);
        std::set<uint64_t> block;
        for (uint64_t s = kBlock; s < kBlock + 256; ++s) block.insert(s);
        EXPECT_EQ(lab.written(), block);
        EXPECT_EQ(lab.sector(kBad), std::vector<uint8_t>(512, 0));
        EXPECT_TRUE(lab.logged("Block 30995 try Erase 256 sectors(30995..31250)... complete"))
            << ::testing::PrintToString(lab.t.messages());
        EXPECT_FALSE(lab.logged("Block 30995 try Erase 256 sectors (30995..31250)...")) << "replaced";
        EXPECT_EQ(lab.blockStarts()[1], kBlock + 256) << "Erase leaves the position";
        EXPECT_EQ(lab.mapCells()[0], 'W');
    }
}

TEST_F(Defects, PioRestoreRewritesReadLongCountSectorsWithTheirOwnData) {
    usePio();
    app.form.setup.scanOptions.RzSpinEdit1.setValue(15, form::Origin::User);
    std::vector<std::vector<uint8_t>> before;
    for (uint64_t s = kBad; s < kBad + 15; ++s) before.push_back(sector(s));
    treat(3);
    std::set<uint64_t> fifteen;
    for (uint64_t s = kBad; s < kBad + 15; ++s) fifteen.insert(s);
    EXPECT_EQ(written(), fifteen);
    for (uint64_t s = kBad; s < kBad + 15; ++s) EXPECT_EQ(sector(s), before[s - kBad]) << s;
    EXPECT_EQ(count(0x23), 15u);
    EXPECT_TRUE(logged("LBA 31000 try Read-long 15 sectors... OK")) << ::testing::PrintToString(t.messages());
    EXPECT_FALSE(fujitsu().unreadable(kBad));
    EXPECT_EQ(blockStarts()[1], kBad + 1);
    EXPECT_EQ(mapCells()[0], 'L');
    EXPECT_FALSE(app.form.log.biglbaChk.checked()) << "Restore runs on 28-bit commands";
}

TEST_F(Defects, RestoreWritesNothingWhenTheBlockReadsOnSecondTryOrCannotBeRead) {
    // PIO: the sector failed once and reads now: no reset, no READ LONG, no write.
    {
        DefectLab lab;
        lab.usePio();
        lab.fujitsu().makeFlaky(30000);
        lab.page.ScRemapGroup.setItemIndex(3, form::Origin::User);
        lab.range("29900", "30400");
        lab.fujitsu().store().clearWriteLog();
        lab.scan();
        EXPECT_TRUE(lab.written().empty());
        EXPECT_EQ(lab.count(0x23), 0u);
        EXPECT_EQ(lab.mapCells()[0], 'T') << "the block's own code: its retries outlast Restore's 250 ms";
    }
    // API: the same block reads on the second try: it is written back with the data read.
    {
        DefectLab lab;
        lab.useApi(2);
        lab.fujitsu().makeFlaky(30000);
        const auto before = lab.sector(30000);
        lab.page.ScRemapGroup.setItemIndex(3, form::Origin::User);
        lab.range("29900", "30400");
        lab.fujitsu().store().clearWriteLog();
        lab.scan();
        std::set<uint64_t> block;
        for (uint64_t s = 29900; s < 29900 + 256; ++s) block.insert(s);
        EXPECT_EQ(lab.written(), block);
        EXPECT_EQ(lab.sector(30000), before);
        EXPECT_TRUE(lab.logged("Block 29900 try RESTORE... OK"));
        EXPECT_EQ(lab.mapCells()[0], '+');
    }
    // API: a block that stays unreadable is not written.
    {
        DefectLab lab;
        lab.treat(3, true);
        EXPECT_TRUE(lab.written().empty());
        EXPECT_TRUE(lab.logged("Block 30995 try RESTORE... Fail"));
        EXPECT_EQ(lab.mapCells()[0], 'x');
    }
}

TEST_F(Defects, PioRestoreBeyondTheTwentyEightBitLimitDoesNothing) {
    t.startPio(0x1F0, 0x3F6);
    app.form.commands.PasspBtn.click();
    auto& main = t.drive(0x1F0);
    main.makeUnreadable(0x10000005);
    main.store().clearWriteLog();
    page.ScRemapGroup.setItemIndex(3, form::Origin::User);
    range(std::to_string(0x10000000), std::to_string(0x10000000 + 300));
    scan();
    EXPECT_TRUE(main.store().writes().empty());
    const auto& r = main.commandsReceived();
    EXPECT_EQ(std::count_if(r.begin(), r.end(), [](auto& tf) { return tf.command == 0x23; }), 0);
    ASSERT_FALSE(mapCells().empty());
    EXPECT_NE(mapCells()[0], 'L');
}

TEST_F(Defects, DefectoscopFindsTheSlowAndTheUnreadableSectorsOneByOne) {
    usePio();
    // The wait of a sector is measured in 0.1 ms steps on the time-stamp counter.
    app.form.setup.ata.ATATimerRG.setItemIndex(0, form::Origin::User);
    ASSERT_TRUE(app.session.ataClockIsTsc);
    page.ScDftChk.setChecked(true, form::Origin::User);
    EXPECT_EQ(page.ScanTimeEdit.text(), "250");
    fujitsu().makeSlow(31100, 300); // the block times out, the sector alone takes 300 ms
    range("31050", "31400");
    scan();
    // 300 ms of extra time and the read itself, in milliseconds with their tenth.
    const auto lines = t.messages();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& m) {
        return m.rfind("Sector 31100: timeout 30", 0) == 0 && m.substr(m.size() - 3) == " ms";
    })) << ::testing::PrintToString(lines);
    EXPECT_EQ(mapCells()[0], 'N');
    EXPECT_EQ(page.ErLab.caption(), "1") << "the survey counts the sector, not the block";
    EXPECT_TRUE(fujitsu().store().writes().empty());

    range("30900", "31300");
    scan();
    EXPECT_TRUE(logged("Sector 31000:  Error: UNCR")) << ::testing::PrintToString(t.messages());
}

TEST_F(Defects, NothingButTheTreatedSectorsIsWrittenWhenAJumpMovesThePositionMeanwhile) {
    for (int action : {1, 2}) {
        for (ScanDirection order : {ScanDirection::Forward, ScanDirection::Reverse, ScanDirection::Butterfly}) {
            SCOPED_TRACE(std::to_string(action) + " order " + std::to_string(int(order)));
            DefectLab lab;
            // Mid-treatment (the meter at sector 3) the operator jumps forward.
            lab.page.DftMeter.setObserver([&lab](form::Prop) {
                if (lab.page.DftMeter.position() == 3) lab.page.Qn.click(form::JumpControl::Arrow::Right);
            });
            lab.treat(action, false, order);
            // A reverse scan's bad block is its last: no block after it carries the mark.
            if (order != ScanDirection::Reverse)
                EXPECT_NE(lab.mapCells().find('>'), std::string::npos) << "the jump was made";
            const auto w = lab.written();
            if (action == 1) {
                EXPECT_EQ(w, std::set<uint64_t>{kBad});
            } else {
                // The failing block whole: 256 sectors, or the reverse scan's last 94 (30995..31088).
                ASSERT_FALSE(w.empty());
                const uint64_t first = *w.begin(), last = *w.rbegin();
                EXPECT_EQ(w.size(), last - first + 1) << "one run of sectors";
                EXPECT_EQ(w.size(), order == ScanDirection::Reverse ? 94u : 256u);
                EXPECT_TRUE(first <= kBad && kBad <= last) << "the failing block";
            }
        }
    }
}

TEST_F(Defects, LabFaultsDuringATreatmentGiveTheirLinesAndTheScanGoesOn) {
    struct Case {
        const char* name;
        int action;
        std::function<void(sim::AtaDevice&)> fault; // switched on when the treatment begins
        const char* line;
        char cell;
        const char* end = "31600";
    };
    const Case cases[] = {
        {"remap on a drive that refuses writes", 1, [](sim::AtaDevice& d) { d.faults.abortCommand = 0x30; },
         "LBA 31000 try REMAP... Error", 'R'},
        {"erase on a drive that refuses writes", 2, [](sim::AtaDevice& d) { d.faults.abortCommand = 0x30; },
         "Block 30995 try Erase 256 sectors(30995..31250)... Fail", 'x'},
        {"restore on a drive that stays busy", 3, [](sim::AtaDevice& d) { d.faults.stuckBusy = true; },
         "[ Hint ] Try increase timeout of BUSY on 'Setup' page", 'T', "31010"},
        // Every block after it fails too, and each is remapped in vain, sector after sector.
        {"remap on a drive that leaves the bus", 1, [](sim::AtaDevice& d) { d.faults.disappearAfterWords = 0; },
         "LBA 31010 try REMAP... Error", 'R', "31010"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DefectLab lab;
        bool armed = false;
        lab.page.ErLab.setObserver([&](form::Prop) { // the block's report, just before its treatment
            if (!armed && lab.page.ErLab.caption() == "1") c.fault(lab.fujitsu());
            armed = armed || lab.page.ErLab.caption() == "1";
        });
        lab.prepared = [&lab] { lab.app.form.setup.ata.BusyTrack.setPosition(1, form::Origin::User); }; // a gone drive's waits end sooner
        lab.treat(c.action, false, ScanDirection::Forward, c.end);
        EXPECT_TRUE(lab.logged(c.line)) << ::testing::PrintToString(lab.t.messages());
        ASSERT_FALSE(lab.mapCells().empty());
        EXPECT_EQ(lab.mapCells()[0], c.cell);
        EXPECT_TRUE(lab.written().empty());
        EXPECT_EQ(lab.page.ScanStartBtn.caption(), "Start") << "the scan came to its end";
    }
}

TEST_F(Defects, TheErrBoxDecidesTheBlocksLineButNotItsCount) {
    usePio();
    page.ErLogBxErr.setChecked(false, form::Origin::User);
    range("30900", "31300");
    scan();
    EXPECT_FALSE(logged("Block 30900 Error: UNCR"));
    EXPECT_EQ(page.ErLab.caption(), "1");
    page.ErLogBxErr.setChecked(true, form::Origin::User);
    scan();
    EXPECT_TRUE(logged("Block 30900 Error: UNCR"));
}
