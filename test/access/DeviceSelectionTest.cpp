#include "support/TestApp.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace korvane;
using access::AccessMode;
using access::DeviceSelection;
using form::Origin;
using testsupport::TestApp;

namespace {

// A started App in PIO mode on the secondary channel, driven through its controls.
struct Selection : ::testing::Test {
    TestApp t;
    shell::App& app = *t.app;
    form::MainForm& f = app.form;
    std::vector<std::pair<uint16_t, uint32_t>> beeps;

    Selection() {
        t.dir.write(shell::AppPaths::kIniName, "[ATA Port]\nChannel=1\n[ATA Checkboxes]\nAltStat=0\n[API]\nShow logical=1\n");
        app.startUp.startUp();
        app.deviceSelection.beep = [this](uint16_t hz, uint32_t ms) { beeps.emplace_back(hz, ms); };
    }
    void toApi() { f.header.APIRg.setItemIndex(0, Origin::User); }
    void toPio() { f.header.APIRg.setItemIndex(1, Origin::User); }
    bool logged(const std::string& text) const {
        auto m = t.messages();
        return std::find(m.begin(), m.end(), text) != m.end();
    }
    std::string rows() const {
        std::string out;
        auto& list = f.standard.api.ApiList;
        for (size_t r = 0; r < list.rowCount(); ++r)
            out += list.cell(r, 1) + " | " + list.cell(r, 2) + " | " + list.cell(r, 3) + " | " + list.cell(r, 4) + "\n";
        return out;
    }
    std::vector<std::string> blockSizes() const { return f.tests.ScBlockSizeBox.items(); }
};

TEST(ParseHex, JunkCountsAsZeroDigits) {
    struct {
        const char* text;
        unsigned value;
    } cases[] = {{"1F0", 0x1F0}, {"1f0", 0x1F0}, {"D400", 0xD400}, {"", 0}, {"1G0", 0x100}, {" 17", 0x17},
                 {"x1", 0x01},   {"376h", 0x3760}};
    for (const auto& c : cases) EXPECT_EQ(DeviceSelection::parseHex(c.text), c.value) << c.text;
}

TEST_F(Selection, SwitchToApiBuildsTheListAndBackToPioRestoresThePanels) {
    toApi();
    EXPECT_EQ(app.session.accessMode, AccessMode::Api);
    EXPECT_TRUE(logged("API access enabled, device #0"));
    EXPECT_TRUE(f.standard.api.ApiList.visible());
    EXPECT_FALSE(f.standard.port.PortGrp.visible());
    EXPECT_FALSE(f.commands.ResetBtn.visible());
    EXPECT_EQ(f.standard.security.SecurityBox.caption(), " Security manager (disabled in API) ");
    EXPECT_FALSE(f.standard.security.SecurityBox.enabled());
    EXPECT_EQ(f.tests.ScanRWGrp.itemIndex(), 1);
    EXPECT_FALSE(f.standard.seek.SeekModeGrp.itemEnabled(0));
    EXPECT_TRUE(f.tests.DDDChk.visible());
    EXPECT_EQ(blockSizes().size(), 10u);
    EXPECT_EQ(f.header.PortInd.caption(), "Device 0");
    EXPECT_EQ(f.header.PortInd.fontColour(), form::colours::Red);
    EXPECT_EQ(app.session.maxLba, 0u);

    toPio();
    EXPECT_EQ(app.session.accessMode, AccessMode::Pio);
    EXPECT_TRUE(logged("PIO access enabled. Base=170h, Alt=177h"));
    EXPECT_TRUE(f.standard.port.PortGrp.visible());
    EXPECT_FALSE(f.standard.api.ApiList.visible());
    EXPECT_EQ(f.standard.security.SecurityBox.caption(), " Security manager ");
    EXPECT_EQ(f.tests.ScanRWGrp.itemIndex(), 0);
    EXPECT_EQ(f.standard.seek.SeekModeGrp.itemIndex(), 0);
    EXPECT_FALSE(f.tests.DDDChk.visible());
    EXPECT_EQ(blockSizes(), (std::vector<std::string>{"1", "32", "64", "128", "256"}));
    EXPECT_EQ(f.header.PortInd.caption(), "Port 170h");
    EXPECT_EQ(f.header.PortInd.fontColour(), form::colours::Blue);
}

TEST_F(Selection, ProgrammaticChangeOfTheSelectorDoesNotSwitch) {
    f.header.APIRg.setItemIndex(0);
    EXPECT_EQ(app.session.accessMode, AccessMode::Pio);
    EXPECT_FALSE(logged("API access enabled, device #0"));
}

TEST_F(Selection, DeviceListRowsTypesAndColours) {
    toApi();
    auto& list = f.standard.api.ApiList;
    // The lab's disks in order: five internal ATA disks, a USB bridge, a SAS disk, a flash stick, a
    // virtual disk; then the flash stick again by its letter.
    ASSERT_EQ(list.rowCount(), 10u) << rows();
    for (size_t r = 0; r < 5; ++r) EXPECT_EQ(list.cell(r, 4), "1") << rows();
    EXPECT_EQ(list.cell(0, 3), "Hitachi HDS721050CLA362") << rows();
    EXPECT_EQ(list.cell(0, 2), "500 Gb") << rows();
    EXPECT_EQ(list.cell(7, 3).rfind("Removable ", 0), 0u) << rows();
    EXPECT_EQ(list.cell(5, 4), "0") << rows();
    EXPECT_EQ(list.cell(6, 4), "0") << rows();
    EXPECT_EQ(list.cell(8, 3), "Virtual drive") << rows();
    EXPECT_EQ(list.cell(9, 1), "E:") << rows();
    EXPECT_EQ(list.cell(9, 3), "Removable drive") << rows();
    EXPECT_EQ(list.cell(9, 4), "2") << rows();
    EXPECT_EQ(app.selection.maxPhysicalDrive, 8);
    EXPECT_EQ(f.log.ApiNumberEdit.max(), 8);

    auto colour = [&](size_t r, size_t c) { return app.deviceSelection.apiListRowColour(r, c); };
    EXPECT_EQ(colour(0, 3), 0x0000DFu);
    EXPECT_EQ(colour(5, 3), form::colours::Navy);
    EXPECT_EQ(colour(9, 3), form::colours::Green);
    EXPECT_EQ(colour(9, 1), form::colours::Green);
    EXPECT_EQ(colour(0, 2), form::colours::Black);
    list.setCell(3, 4, "x");
    EXPECT_EQ(colour(3, 3), form::colours::Red);
}

TEST_F(Selection, IgnoreFddAndHiddenLogicalDrives) {
    f.setup.presets.ShowLogicalChk.setChecked(false, Origin::User);
    toApi();
    EXPECT_EQ(f.standard.api.ApiList.rowCount(), 9u) << rows();
}

TEST_F(Selection, PickingRowsSetsTheDeviceAndReadsItsPassport) {
    toApi();
    auto& list = f.standard.api.ApiList;
    list.select(2, false, Origin::User);
    EXPECT_EQ(app.session.apiDeviceNumber, 2);
    EXPECT_EQ(f.log.ApiNumberEdit.value(), 2);
    EXPECT_EQ(f.header.PortInd.caption(), "Device 2");
    EXPECT_EQ(f.header.PortInd.fontColour(), form::colours::Blue);
    EXPECT_GT(app.session.maxLba, 0u);

    list.select(9, false, Origin::User);
    EXPECT_EQ(app.session.apiDeviceNumber, 255);
    EXPECT_EQ(app.session.apiDriveLetter, 'E');
    EXPECT_FALSE(f.log.ApiNumberEdit.enabled());
    EXPECT_EQ(f.header.PortInd.caption(), "Device E:");
    EXPECT_FALSE(f.smart.timer.SmTimerChk.checked());

    list.select(1, false, Origin::User);
    EXPECT_TRUE(f.log.ApiNumberEdit.enabled());
    f.log.ApiNumberEdit.setValue(4, Origin::User);
    EXPECT_EQ(app.session.apiDeviceNumber, 4);
    EXPECT_EQ(list.itemIndex(), 4);
}

TEST_F(Selection, ColumnClickRebuildsAndKeepsTheDevice) {
    toApi();
    auto& list = f.standard.api.ApiList;
    list.select(3, false, Origin::User);
    list.setCell(3, 3, "stale");
    list.columnClick(2);
    EXPECT_NE(list.cell(3, 3), "stale");
    EXPECT_EQ(list.itemIndex(), 3);
}

TEST_F(Selection, ChannelsAndTypedPorts) {
    auto& port = f.standard.port;
    port.PortBox.setItemIndex(0, Origin::User);
    EXPECT_TRUE(logged("Primary port is blocked. Please, read manual"));
    EXPECT_TRUE(logged("Select SECONDARY port: base=170, alternative=376h"));
    EXPECT_EQ(port.PortBox.itemIndex(), 1);
    EXPECT_EQ(app.session.pioBasePort, 0x170);

    port.PortBox.setItemIndex(2, Origin::User);
    EXPECT_TRUE(port.BasePortEdit.enabled());
    EXPECT_EQ(port.BasePortEdit.text(), "D400");
    EXPECT_TRUE(logged("Select EXTERNAL port: base=D400h, alternative=D802h"));
    port.BasePortEdit.setText("E800", Origin::User);
    EXPECT_EQ(app.session.pioBasePort, 0xE800);
    EXPECT_EQ(app.session.customBasePort, 0xE800);
    EXPECT_EQ(port.PortBox.itemIndex(), 2);
    EXPECT_EQ(f.header.PortInd.caption(), "Port E800h");
    EXPECT_EQ(f.header.PortInd.fontColour(), form::colours::Maroon);
    port.AltPortEdit.setText("ec02", Origin::User);
    EXPECT_EQ(app.session.pioAltPort, 0xEC02);
    EXPECT_EQ(app.session.customAltPort, 0xEC02);
    EXPECT_EQ(app.session.pioStatusPort, 0xE807);

    // Typing the primary base with the primary channel not allowed.
    port.BasePortEdit.setText("1f0", Origin::User);
    EXPECT_EQ(app.session.pioBasePort, 0x170);
    EXPECT_EQ(app.session.pioStatusPort, 0x376);
    EXPECT_EQ(port.BasePortEdit.text(), "170");
    EXPECT_EQ(port.AltPortEdit.text(), "376");
    EXPECT_EQ(port.PortBox.itemIndex(), 1);
}

TEST_F(Selection, CustomPortsShowFourDigitsAndPortsThatWrapAreRefused) {
    auto& port = f.standard.port;
    app.session.customBasePort = 0x1E8;
    app.session.customAltPort = 0x3EE;
    port.PortBox.setItemIndex(2, Origin::User);
    EXPECT_TRUE(logged("Select EXTERNAL port: base=01E8h, alternative=03EEh"));
    EXPECT_EQ(port.BasePortEdit.text(), "01E8");
    EXPECT_EQ(port.AltPortEdit.text(), "03EE");
    for (const char* bad : {"FFFA", "FFFF"}) { // the edits take four digits at most
        port.BasePortEdit.setText(bad, Origin::User);
        EXPECT_EQ(app.session.pioBasePort, 0x1E8) << bad;
        EXPECT_EQ(app.session.customBasePort, 0x1E8) << bad;
        EXPECT_EQ(port.BasePortEdit.text(), "01E8") << "the edit shows the port in use again";
        EXPECT_NE(t.lastMessage().find("refused"), std::string::npos) << t.lastMessage();
    }
    port.BasePortEdit.setText("FFF8", Origin::User);
    EXPECT_EQ(app.session.pioBasePort, 0xFFF8) << "the highest base whose registers fit";
}

TEST_F(Selection, PrimaryChannelWhenAllowed) {
    TestApp pm;
    pm.dir.write(shell::AppPaths::kIniName, "[ATA Port]\nChannel=0\nEnable PM=1\n[ATA Checkboxes]\nAltStat=0\n");
    pm.app->session.primaryChannelAllowed = true;
    pm.app->startUp.startUp();
    auto m = pm.messages();
    EXPECT_NE(std::find(m.begin(), m.end(), "Select PRIMARY port: base=1F0h, alternative=3F6h"), m.end());
    EXPECT_EQ(pm.app->session.pioBasePort, 0x1F0);
    EXPECT_EQ(pm.app->form.header.PortInd.fontColour(), form::colours::Red);
}

TEST_F(Selection, SlaveAndAltStatus) {
    auto& port = f.standard.port;
    port.SlaveChk.setChecked(true, Origin::User);
    EXPECT_EQ(app.session.deviceSelectBit, 0x10);
    EXPECT_TRUE(logged("Set SLAVE port (base=170, alternative=177)"));
    EXPECT_EQ(t.lab->channelAt(0x170)->device(1)->readRegister(6, false) & 0x10, 0x10);
    port.AltStChk.setChecked(true, Origin::User);
    EXPECT_EQ(app.session.pioStatusPort, 0x376);
    port.SlaveChk.setChecked(false, Origin::User);
    EXPECT_TRUE(logged("Set MASTER port (base=170, alternative=376)"));
    EXPECT_EQ(app.session.deviceSelectBit, 0);
}

TEST_F(Selection, Lba48OffWarnsForLargeDrivesAndNarrowsBlockSizes) {
    struct {
        uint64_t maxLba;
        std::string line;
        size_t beeps;
    } cases[] = {{0x10000000, "[Warning!] Max LBA adres=268435456, but 48bit access disabled!?", 1},
                 {0x0FFFFFFF, "48bit access disabled", 0}};
    for (const auto& c : cases) {
        beeps.clear();
        f.log.biglbaChk.setChecked(true, Origin::User);
        EXPECT_TRUE(app.session.lba48);
        EXPECT_EQ(t.lastMessage(), "48bit access enabled");
        f.tests.ScBlockSizeBox.setItemIndex(8);
        app.session.maxLba = c.maxLba;
        f.log.biglbaChk.setChecked(false, Origin::User);
        EXPECT_FALSE(app.session.lba48);
        EXPECT_EQ(t.lastMessage(), c.line);
        ASSERT_EQ(beeps.size(), c.beeps);
        if (c.beeps) {
            EXPECT_EQ(beeps[0], std::make_pair(uint16_t(500), uint32_t(200)));
        }
        EXPECT_EQ(blockSizes().size(), 5u);
        EXPECT_EQ(f.tests.ScBlockSizeBox.text(), "256");
    }
}

TEST_F(Selection, WideBlockSizesDependOnTheSectorSize) {
    app.session.bytesPerSector = 4096;
    app.deviceSelection.fillBlockSizeChoices(true);
    EXPECT_EQ(blockSizes(), (std::vector<std::string>{"1", "32", "64", "128", "256", "512"}));
    app.session.bytesPerSector = 512;
    app.deviceSelection.fillBlockSizeChoices(true);
    EXPECT_EQ(blockSizes().back(), "65535");
}

TEST_F(Selection, LockingTheControlsKeepsTheSelectorOffWithoutPorts) {
    auto& sel = app.deviceSelection;
    sel.setSelectionControlsEnabled(false);
    EXPECT_FALSE(f.header.APIRg.enabled());
    EXPECT_FALSE(f.standard.port.PortGrp.enabled());
    EXPECT_FALSE(f.standard.api.ApiList.enabled());
    sel.setSelectionControlsEnabled(true);
    EXPECT_TRUE(f.header.APIRg.enabled());
    EXPECT_TRUE(f.standard.port.PortGrp.enabled());
    app.session.portDriverReady = false;
    sel.setSelectionControlsEnabled(false);
    sel.setSelectionControlsEnabled(true);
    EXPECT_FALSE(f.header.APIRg.enabled());
}

} // namespace
