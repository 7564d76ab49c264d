#include "support/TestApp.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace korvane;

namespace {

// The sector view and the "View buffer" window on the secondary master (the FUJITSU, with an
// unreadable sector at 31000).
struct Sectors : ::testing::Test {
    testsupport::TestApp t;
    shell::App& app = *t.app;
    form::SectorGroup& g = app.form.advanced.sector;
    sim::AtaDevice& drive() { return t.drive(0x170); }

    Sectors() {
        t.startPio(0x170, 0x376);
        app.form.commands.PasspBtn.click();
    }
    bool logged(const std::string& line) const {
        auto m = t.messages();
        return std::find(m.begin(), m.end(), line) != m.end();
    }
    std::vector<uint8_t> onDisk(uint64_t lba) {
        std::vector<uint8_t> s(512);
        drive().store().read(lba, 1, s.data());
        return s;
    }
};

} // namespace

TEST_F(Sectors, ReadClampedUnreadableAndNotANumber) {
    ASSERT_TRUE(g.HexeditIn.enabled());
    EXPECT_EQ(g.Label6.caption(), "Press 'Open'");
    g.HexEOppenBtn.click();
    EXPECT_EQ(g.HexeditIn.text(), "00");
    EXPECT_EQ(g.Label6.caption(), "Sec 0");
    EXPECT_EQ(g.Label6.fontColour(), form::colours::Blue);
    EXPECT_TRUE(g.HexESaveBtn.enabled());
    EXPECT_EQ(g.HexE.data(), onDisk(0));

    g.HexeditIn.setText("99999999999", form::Origin::User);
    const std::string last = std::to_string(app.session.maxLba - 1);
    EXPECT_EQ(g.HexeditIn.text(), last) << "the last sector, written back";
    EXPECT_EQ(g.Label6.caption(), "Sec " + last);

    g.HexeditIn.setText("31000", form::Origin::User);
    EXPECT_EQ(g.Label6.caption(), "Sec 31000 Err");
    EXPECT_EQ(g.Label6.fontColour(), form::colours::Red);
    EXPECT_EQ(g.HexE.data(), std::vector<uint8_t>(512, 0));

    g.HexeditIn.setText("1 Mb", form::Origin::User);
    EXPECT_EQ(g.Label6.caption(), "Sec 2048") << "the field takes sizes too";
    const size_t lines = t.messages().size();
    g.HexeditIn.setText("zz", form::Origin::User);
    EXPECT_GT(t.messages().size(), lines) << "a clear line for a number that is not one";
    EXPECT_EQ(g.Label6.caption(), "Sec 2048");
}

TEST_F(Sectors, SaveWritesExactlyTheConfirmedSector) {
    g.HexeditIn.setText("5", form::Origin::User);
    const auto before = onDisk(5);
    g.HexE.edit(17, 0xAB);
    drive().store().clearWriteLog();
    // Refused: nothing reaches the drive.
    EXPECT_FALSE(app.sectorView.saveClick());
    EXPECT_TRUE(logged("Sector 5 not written"));
    EXPECT_TRUE(drive().store().writes().empty());
    EXPECT_EQ(t.dialogs.shown.back().text, "Write sector 5 to the drive?");

    t.dialogs.answers.push_back(form::Answer::Yes);
    g.HexESaveBtn.click();
    ASSERT_EQ(drive().store().writes().size(), 1u);
    EXPECT_EQ(drive().store().writes()[0].lba, 5u);
    EXPECT_EQ(drive().store().writes()[0].count, 1u);
    auto expected = before;
    expected[17] = 0xAB;
    EXPECT_EQ(onDisk(5), expected);
    EXPECT_EQ(g.HexE.data(), expected) << "the view shows the sector read back";
    EXPECT_FALSE(g.HexE.anyChanged());
    EXPECT_EQ(g.Label6.fontColour(), form::colours::Blue);

    // A drive that refuses the write: said so, and the view shows what it still holds.
    drive().store().clearWriteLog();
    t.drive(0x170).faults.abortCommand = 0x30;
    g.HexE.edit(17, 0xCD);
    t.dialogs.answers.push_back(form::Answer::Yes);
    EXPECT_FALSE(app.sectorView.saveClick());
    EXPECT_TRUE(logged("Sector 5: the drive refused the write"));
    EXPECT_EQ(g.HexE.data()[17], 0xAB);

    // Only non-destructive functions: no question, no write.
    app.form.setup.presets.NonDestrChk.setChecked(true, form::Origin::User);
    const size_t asked = t.dialogs.shown.size();
    EXPECT_FALSE(app.sectorView.saveClick());
    EXPECT_EQ(t.dialogs.shown.size(), asked);
    EXPECT_TRUE(logged("Only non-destructive functions are allowed (Setup): sector 5 is not written"));
}

TEST_F(Sectors, ADoubleClickTogglesThePartitionPanel) {
    auto& box = app.form.advanced.partitions.PartBox;
    const int height = box.height();
    g.HexE.doubleClick();
    EXPECT_EQ(box.height(), height == 0 ? 113 : 0);
    g.HexE.doubleClick();
    EXPECT_EQ(box.height(), height == 0 ? 0 : 113);
}

TEST_F(Sectors, TheBufferWindowWatchesFreezesAndPages) {
    auto& w = app.form.viewBuffer;
    app.form.MainPage.setActiveIndex(0);
    w.show();
    EXPECT_EQ(w.HexBufSw.itemIndex(), 0) << "HDD in PIO mode off the Tests page";
    EXPECT_EQ(w.HVBl.caption(), " 4");
    EXPECT_TRUE(w.HeVTimer.enabled());
    uint8_t* sector = app.session.buffers.sectorBytes();
    std::memset(sector, 0x5A, 512);
    w.HeVTimer.fire();
    EXPECT_EQ(w.HexV.data(), std::vector<uint8_t>(512, 0x5A));
    // An unchanged buffer is not reloaded: what the view holds stays as it is.
    w.HexV.setReadOnly(false);
    w.HexV.edit(0, 0x11);
    w.HeVTimer.fire();
    EXPECT_TRUE(w.HexV.isChanged(0));
    sector[1] = 0x01;
    w.HeVTimer.fire();
    EXPECT_FALSE(w.HexV.isChanged(0));

    // Offline: a snapshot of the four sectors, paged by the offset.
    for (int s = 0; s < 4; ++s) std::memset(sector + 512 * s, 0x10 + s, 512);
    w.HVPauseBtn.click();
    EXPECT_EQ(w.HVPauseBtn.caption(), "Online");
    EXPECT_EQ(w.HVPLed.colour(), form::colours::Red);
    EXPECT_FALSE(w.HeVTimer.enabled());
    EXPECT_FALSE(w.HexBufSw.enabled());
    std::memset(sector, 0, 2048); // the buffer moves on; the snapshot does not
    w.HexeditIn.setValue(3, form::Origin::User);
    EXPECT_EQ(w.HexV.data(), std::vector<uint8_t>(512, 0x13));
    w.HexeditIn.setValue(9, form::Origin::User);
    EXPECT_EQ(w.HexeditIn.value(), 3) << "clamped to the buffer";
    w.deactivate();
    EXPECT_EQ(w.HVPauseBtn.caption(), "Offline");
    EXPECT_EQ(w.HVPLed.colour(), form::colours::Lime);
    EXPECT_TRUE(w.HeVTimer.enabled());
    EXPECT_FALSE(w.HexeditIn.enabled());

    // The other buffers and their sizes.
    w.close();
    EXPECT_FALSE(w.HeVTimer.enabled());
    app.form.MainPage.setActiveIndex(2);
    w.show();
    EXPECT_EQ(w.HexBufSw.itemIndex(), 2) << "the PIO transfer buffer on the Tests page";
    EXPECT_EQ(w.HVBl.caption(), " 1");
    w.HexBufSw.setItemIndex(1, form::Origin::User);
    EXPECT_EQ(w.HVBl.caption(), " 65535");
    EXPECT_EQ(w.HexeditIn.max(), 65534);
}
