#include "analysis/PciNames.h"
#include "analysis/PciScan.h"
#include "platform/host/HostPciConfigFiles.h"
#include "support/TestApp.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace korvane;

namespace {

struct Pci : ::testing::Test {
    testsupport::TestApp t;
    shell::App& app = *t.app;
    form::ListView& psp = app.form.standard.passport.Psp;
    form::PciGroup& group = app.form.standard.pci;

    Pci() { t.startPio(0x170, 0x376); }
    std::vector<std::vector<std::string>> rows() const {
        std::vector<std::vector<std::string>> out;
        for (size_t r = 0; r < psp.rowCount(); ++r)
            out.push_back({psp.cell(r, 1), psp.cell(r, 2), psp.cell(r, 3), psp.cell(r, 4), psp.cell(r, 5)});
        return out;
    }
    int rowWithBase(const std::string& base) const {
        for (size_t r = 0; r < psp.rowCount(); ++r)
            if (psp.cell(r, 4) == base) return int(r);
        return -1;
    }
    bool probed(uint8_t bus, uint8_t device, uint8_t function) const {
        return t.lab->pci().probed().count({bus, device, function}) != 0;
    }
};

using Rows = std::vector<std::vector<std::string>>;

} // namespace

TEST_F(Pci, StorageControllersOneRowPerChannelWithTheirPorts) {
    group.PCIScanBtn.click();
    EXPECT_EQ(psp.columns()[1].caption, "Vendor");
    EXPECT_EQ(psp.columns()[4].caption, "Base");
    EXPECT_EQ(rows(), (Rows{
                          {"CMD/SiI", "SiI 3114 [SATALink/SATARaid] SATA", "Int ATA", "D400", "D802"}, // native BARs
                          {"CMD/SiI", "SiI 3114 [SATALink/SATARaid] SATA", "Int ATA", "D000", "D082"},
                          {"Intel", "82801G (ICH7 Family) IDE", "Int ATA", "01F0", "03F6"}, // legacy mode
                          {"Intel", "82801G (ICH7 Family) IDE", "Int ATA", "0170", "0376"},
                          {"Promise", "PDC20378 (FastTrak 378/SATA 378)", "RAID", "C800", "C402"},
                          {"Promise", "PDC20378 (FastTrak 378/SATA 378)", "RAID", "0000", "0002"},
                          {"JMicron", "JMB368 IDE/SATA", "Int ATA", "B000", "B402"}, // function 1 of a USB board
                          {"JMicron", "JMB368 IDE/SATA", "Int ATA", "0170", "0376"},
                      }));
    auto m = t.messages();
    EXPECT_NE(std::find(m.begin(), m.end(), "PCI Bus Scan..."), m.end());
    EXPECT_NE(std::find(m.begin(), m.end(), "CMD/SiI/SiI 3114 [SATALink/SATARaid] SATA, BUS: 0/DEV: 9/FUN: 0"), m.end());
    const std::string text = app.passportReport.copyAllText();
    EXPECT_EQ(text.substr(0, text.find('\n')), "CMD/SiI  SiI 3114 [SATALink/SATARaid] SATA Int ATA  D400   D802  ")
        << "a long name keeps a blank before the class";
}

TEST_F(Pci, AllDevicesAndTheFunctionsReadWithAndWithoutMf) {
    group.PCIAllDevChk.setChecked(true, form::Origin::User);
    group.PCIScanBtn.click();
    const auto all = rows();
    EXPECT_EQ(all.front(), (std::vector<std::string>{"Intel", "ID 29C0*", "Host", "0000", "0002"}));
    EXPECT_NE(std::find(all.begin(), all.end(), std::vector<std::string>{"Realtek", "ID 8168*", "Network", "0000", "0002"}),
              all.end())
        << "one row for a device that is not storage";
    EXPECT_EQ(all.size(), 11u);
    // Without M/F a listed single-function device's other functions are never read; an absent
    // device's are.
    EXPECT_FALSE(probed(0, 9, 1));
    EXPECT_TRUE(probed(0, 10, 7));
    EXPECT_TRUE(probed(2, 0, 1)) << "the multi-function bit sends the walk on";
    group.MFDevChk.setChecked(true, form::Origin::User);
    group.PCIScanBtn.click();
    EXPECT_TRUE(probed(0, 9, 1));
    EXPECT_TRUE(probed(10, 31, 7));
    EXPECT_FALSE(probed(11, 0, 0)) << "buses 0 to 10";
}

TEST_F(Pci, ARowSelectsItsChannelAndADoubleClickReadsItsPassport) {
    group.PCIScanBtn.click();
    psp.select(size_t(rowWithBase("D400")), false, form::Origin::User);
    EXPECT_EQ(app.session.pioBasePort, 0xD400);
    EXPECT_EQ(app.session.pioAltPort, 0xD802);
    EXPECT_EQ(app.session.pioStatusPort, 0xD802);
    EXPECT_EQ(app.form.standard.port.BasePortEdit.text(), "D400");
    EXPECT_TRUE(app.form.standard.port.AltPortEdit.enabled());
    psp.doubleClick();
    EXPECT_EQ(app.form.HdPanel.pane(0), t.lab->channelAt(0xD400)->device(0)->profile().model);

    // The primary channel only when it is allowed.
    group.PCIScanBtn.click();
    psp.select(size_t(rowWithBase("01F0")), false, form::Origin::User);
    EXPECT_EQ(app.session.pioBasePort, 0xD400);
    app.session.primaryChannelAllowed = true;
    app.selection.enablePrimaryMaster = true;
    psp.select(size_t(rowWithBase("01F0")), false, form::Origin::User);
    EXPECT_EQ(app.session.pioBasePort, 0x1F0);
    EXPECT_EQ(app.form.standard.port.AltPortEdit.text(), "3F6");

    // Without the passport on double click, a double click does nothing.
    app.form.setup.presets.PspDblChk.setChecked(false, form::Origin::User);
    psp.doubleClick();
    EXPECT_TRUE(analysis::PciScan::showsPciResult(psp));
}

TEST_F(Pci, WithoutPortsTheSystemsFilesServeOrTheScanSaysWhy) {
    app.session.portDriverReady = false;
    group.PCIScanBtn.click();
    EXPECT_EQ(t.lastMessage(), "PCI Bus Scan is disability w/o porttalk!");
    EXPECT_FALSE(group.PCIScanBtn.enabled());

    // A sysfs tree of two functions and a pci.ids that knows one ID the tables do not.
    testsupport::TempDir sys;
    auto config = [&](const std::string& name, std::vector<uint8_t> bytes) {
        std::filesystem::create_directories(sys.file(name));
        bytes.resize(64, 0);
        sys.write(name + "/config", std::string(bytes.begin(), bytes.end()));
    };
    // 8086:2922 AHCI in native mode with BAR0 C001h and BAR1 BC01h; 1AF4:1042, other storage.
    config("0000:00:1f.2", {0x86, 0x80, 0x22, 0x29, 0, 0, 0, 0, 0x01, 0x00, 0x01, 0x01, 0, 0, 0, 0,
                            0x01, 0xC0, 0, 0, 0x01, 0xBC, 0, 0, 0x01, 0xB8, 0, 0, 0x01, 0xB4, 0, 0});
    config("0000:03:00.0", {0xF4, 0x1A, 0x42, 0x10, 0, 0, 0, 0, 0x00, 0x00, 0x80, 0x01});
    sys.write("pci.ids", "# comment\n1af4  Red Hat, Inc.\n\t1042  Virtio block device\n8086  Intel Corporation\n"
                         "\t2922  82801IR/IO/IH (ICH9R/DO/DH) 6 port SATA Controller [AHCI mode]\nC 01  Mass storage\n");
    platform::HostPciConfigFiles files(sys.path(), {sys.file("missing.ids"), sys.file("pci.ids")});
    t.pciFiles.target = &files;
    group.PCIScanBtn.setEnabled(true);
    group.PCIScanBtn.click();
    EXPECT_EQ(rows(), (Rows{
                          {"Intel", "82801IR/IO/IH (ICH9R/DO/DH) 6 port SATA AHCI", "Int ATA", "C000", "BC02"},
                          {"Intel", "82801IR/IO/IH (ICH9R/DO/DH) 6 port SATA AHCI", "Int ATA", "B800", "B402"},
                          {"1AF4* Red Hat, Inc.", "ID 1042* Virtio block device", "Ext ATA", "0000", "0002"},
                          {"1AF4* Red Hat, Inc.", "ID 1042* Virtio block device", "Ext ATA", "0000", "0002"},
                      }));
    EXPECT_EQ(files.read(0, 31, 2, 0x08), 0x01010001u);
    EXPECT_EQ(files.read(0, 31, 3, 0x00), 0xFFFFFFFFu) << "an absent function reads all ones";
}

TEST(PciNames, TablesAndTheFormsOfUnknownIds) {
    EXPECT_EQ(analysis::pciDeviceNameCount(), 433u);
    EXPECT_EQ(analysis::pciVendorName(0x9004), "Adaptec");
    EXPECT_EQ(analysis::pciVendorName(0x9005), "Adaptec");
    EXPECT_EQ(analysis::pciVendorName(0xACE1), "ACE Lab");
    EXPECT_EQ(analysis::pciVendorName(0x1AF4), "1AF4*");
    EXPECT_EQ(analysis::pciDeviceName(0x0001), "53C810");
    EXPECT_EQ(analysis::pciDeviceName(0x811A), "System  Hub (SCH Poulsbo) IDE");
    EXPECT_EQ(analysis::pciDeviceName(0xF024), "NinjaPATA-32 Delkin Cardbus UDMA");
    EXPECT_EQ(analysis::pciDeviceName(0x0BAD), "ID 0BAD*");
    EXPECT_EQ(analysis::pciClassName(0x0D80), "Wireless");
    EXPECT_EQ(analysis::pciClassName(0x0106), "0106");
}
