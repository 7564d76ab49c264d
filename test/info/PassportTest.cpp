#include "info/IdentifyDecode.h"
#include "info/PassportReader.h"
#include "info/PassportReport.h"
#include "support/TestApp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <fstream>
#include <sys/stat.h>
#include <sstream>

using namespace korvane;
using info::PassportReport;
using testsupport::TestApp;

namespace {

std::string dataPath(const std::string& name) { return std::string(KORVANE_TEST_DATA) + "/" + name; }

struct Passport : ::testing::Test {
    TestApp t;
    shell::App& app = *t.app;
    info::DrivePassport& p = app.passport;
    form::ListView& psp = app.form.standard.passport.Psp;

    Passport() {
        app.settings.loadSettings();
        app.session.ntFamily = true;
        app.clockControls.recomputeTimeouts();
    }
    std::string row(const std::string& label, size_t column = 2) {
        for (size_t r = 0; r < psp.rowCount(); ++r)
            if (psp.cell(r, 1) == label) return psp.cell(r, column);
        return "<no row " + label + ">";
    }
    bool hasRow(const std::string& label) { return row(label).rfind("<no row", 0) != 0; }
    int64_t openBin(const std::vector<uint8_t>& bytes) {
        t.dir.write("block.bin", std::string(bytes.begin(), bytes.end()));
        return app.passportReader.buildPassport(true, t.dir.file("block.bin"));
    }
    void useApi(uint8_t number, char letter = 'C') {
        app.session.accessMode = access::AccessMode::Api;
        app.session.apiDeviceNumber = number;
        app.session.apiDriveLetter = letter;
    }
    static std::vector<uint8_t> block(const std::function<void(platform::IdentifyBlock&)>& fill) {
        platform::IdentifyBlock b;
        b.setString(27, 20, "TEST MODEL");
        b.setString(10, 10, "SN1");
        b.setString(23, 4, "FW1");
        b.setWord(1, 1000);
        b.setWord(3, 16);
        b.setWord(6, 63);
        b.setWord(49, 0x0200);
        b.setDword(60, 1008000);
        fill(b);
        std::vector<uint8_t> bytes(512);
        b.toBytes(bytes.data());
        return bytes;
    }
};

} // namespace

TEST_F(Passport, EveryRealDriveBlockDecodesThroughOpenBin) {
    std::ifstream manifest(dataPath("real-drives/MANIFEST.tsv"));
    std::string line;
    std::getline(manifest, line); // header
    int drives = 0;
    while (std::getline(manifest, line)) {
        std::istringstream cols(line);
        std::string name, source, model, sectors;
        std::getline(cols, name, '\t');
        std::getline(cols, source, '\t');
        std::getline(cols, model, '\t');
        std::getline(cols, sectors, '\t');
        SCOPED_TRACE(name);
        std::string file = dataPath("real-drives/" + name + ".identify.bin");
        t.dialogs.fileNames.push_back(file);
        app.form.standard.passport.RzBitBtn4.click();
        uint64_t n = std::stoull(sectors);
        EXPECT_EQ(app.form.tests.EndLbaEdit.text(), std::to_string(n - 1));
        EXPECT_EQ(p.Model, model);
        EXPECT_EQ(app.session.maxLba.load(), n);
        EXPECT_EQ(row("Model:"), model);
        EXPECT_EQ(row("Disk size:"), sectors + " LBAs");
        EXPECT_EQ(row("Disk size:", 3), PassportReport::formatSize(512, n));
        EXPECT_EQ(app.form.HdPanel.pane(0), model);
        EXPECT_EQ(p.FamilyCode, PassportReport::familyCode(model, p.RotationRate));
        if (p.RotationRate == 1) {
            EXPECT_EQ(p.FamilyCode, 15);
        }
        ++drives;
    }
    EXPECT_EQ(drives, 35);
    EXPECT_EQ(t.dialogs.fileRequests.front().title, "Open BIN file of passport");
}

TEST_F(Passport, KeyRowsOfChosenRealDrives) {
    struct Case {
        const char* file;
        uint8_t family;
        const char* support;
        const char* supportComment;
        const char* security;
        const char* sector;
    };
    const Case cases[] = {
        {"Hitachi_HDS721010CLA632", 2, "LBA, DLM, DCO, DMA", "UDMA-6", "OFF, Frozen", "Logic 512 bytes"},
        {"WDC_WD20EARS-00MVWB0", 5, "LBA, HPA, AAM, DLM, DCO, DMA", "UDMA-6", "OFF", "Logic 512 bytes"},
        {"Samsung_SSD_860_EVO_500GB", 15, nullptr, "UDMA-6", nullptr, nullptr},
        {"IBM_IC25N020ATCS04-0", 2, nullptr, "UDMA-5", nullptr, nullptr},
        {"Maxtor_6Y120P0", 3, "LBA, HPA, AAM, APM, DLM, DCO, DMA", "UDMA-6", "OFF", nullptr},
        {"ST320410A--3.39", 4, nullptr, "UDMA-5", nullptr, nullptr},
        {"TOSHIBA_MK1651GSY--38IGT0G5T", 6, nullptr, nullptr, nullptr, nullptr},
        {"SAMSUNG_HD501LJ--CR100-12", 8, nullptr, nullptr, nullptr, nullptr},
        {"FUJITSU_MHY2250BH--0085000B", 1, nullptr, nullptr, nullptr, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        ASSERT_GE(app.passportReader.buildPassport(true, dataPath(std::string("real-drives/") + c.file + ".identify.bin")), 0);
        EXPECT_EQ(p.FamilyCode, c.family);
        if (c.support) {
            EXPECT_EQ(row("Support:"), c.support);
        }
        if (c.supportComment) {
            EXPECT_EQ(row("Support:", 3), c.supportComment);
        }
        if (c.security) {
            EXPECT_EQ(row("Security:"), c.security);
        }
        if (c.sector) {
            EXPECT_EQ(row("Sector:"), c.sector);
        }
    }
}

TEST_F(Passport, PioPassportOfTheSecondaryMaster) {
    t.usePio(0x170, 0x376);
    app.form.commands.PasspBtn.click();
    auto m = t.messages();
    ASSERT_GE(m.size(), 2u);
    EXPECT_EQ(m[m.size() - 2], "Get passport... OK");
    EXPECT_EQ(m.back(), "Model: FUJITSU MPG3204AT E; Capacity: 40031712 LBAs; SN: VH05T3A27BNK; FW: 82C5");
    EXPECT_EQ(psp.columns()[2].caption, "             Drive passport:");
    EXPECT_EQ(row("Support:"), "LBA, HPA, AAM, DMA");
    EXPECT_EQ(row("CACHE:"), "2048k; L/A=ON; Wr=ON; ");
    EXPECT_EQ(row("AAM val:", 3), "Maximum");
    EXPECT_EQ(app.form.standard.seek.AAMLed.caption(), "MAX");
    EXPECT_FALSE(app.form.log.biglbaChk.enabled()) << "a 28-bit drive";
    EXPECT_FALSE(hasRow("ATA-8:")) << "PATA without SCT";
    EXPECT_EQ(app.form.HdPanel.pane(1), "SN: VH05T3A27BNK");
    EXPECT_EQ(app.form.HdPanel.pane(3), "40031712 LBA (20 Gb)");
    EXPECT_EQ(app.form.tests.EndLbaEdit.text(), "40031711");
    EXPECT_EQ(app.form.standard.seek.SeekEndLbaEdit.text(), "40031711");
    EXPECT_TRUE(p.PassportTaken);
    EXPECT_EQ(p.FamilyCode, 14) << "the MPG series";
    EXPECT_EQ(app.hpa.HpaStep, 40031712 / 400);
    EXPECT_EQ(app.form.advanced.partitions.PartBtn.caption(), "View part data");
    EXPECT_EQ(app.form.advanced.sector.HexeditInMax, 40031711);
    // The BIN file holds the raw block.
    std::string bin = t.dir.read("LOGS/Passp_FUJITSU MPG3204AT E_VH05T3A27BNK.bin");
    ASSERT_EQ(bin.size(), 512u);
    uint8_t raw[512];
    t.drive(0x170).identify().toBytes(raw);
    EXPECT_EQ(bin, std::string(reinterpret_cast<char*>(raw), 512));
}

TEST_F(Passport, TheSameDriveAgainLogsNothingNewAndKeepsTheFields) {
    t.usePio(0x1F0, 0x3F6);
    ASSERT_TRUE(app.passportReader.readPassport(true, true));
    EXPECT_EQ(app.session.lba48, true) << "the 48 bit box was checked by the passport";
    app.form.tests.EndLbaEdit.setText("5");
    std::filesystem::remove_all(t.dir.file("LOGS"));
    std::filesystem::create_directories(t.dir.file("LOGS"));
    size_t rows = app.form.log.StringLog.rowCount();
    ASSERT_TRUE(app.passportReader.readPassport(true, true));
    EXPECT_EQ(app.form.tests.EndLbaEdit.text(), "5");
    EXPECT_FALSE(t.dir.exists("LOGS/Passp_Hitachi HDS721050CLA362_JP1570FR1ZWP7K.bin"));
    auto m = t.messages();
    EXPECT_EQ(m.size(), rows + 1) << "only the readiness line, no identity line";
    // A button press refreshes: the identity line comes back.
    app.form.commands.PasspBtn.click();
    EXPECT_EQ(t.lastMessage().rfind("Model: Hitachi", 0), 0u);
    EXPECT_EQ(app.form.tests.EndLbaEdit.text(), "975999999");
}

TEST_F(Passport, PioFailuresNameTheirCause) {
    TestApp empty("empty");
    empty.app->clockControls.recomputeTimeouts();
    empty.usePio(0x170, 0x376);
    EXPECT_FALSE(empty.app->passportReader.readPassport(true, true));
    EXPECT_EQ(empty.lastMessage(), "Get drive passport: Drive error!");
    EXPECT_EQ(empty.app->form.HdPanel.pane(0), "Passport error!");

    // A channel whose echo fails right after the readiness check: the passport's own probe.
    t.usePio(0x170, 0x376);
    t.drive(0x170).faults.echoWorksFor = 2; // the readiness check's two read-backs
    EXPECT_FALSE(app.passportReader.readPassport(true, true));
    EXPECT_EQ(t.lastMessage(), "Get drive passport: Port error!");
    EXPECT_EQ(app.passportReader.buildPassport(false, {}), -1) << "a failing echo in the readiness check";
}

TEST_F(Passport, ApiRoutesInOrder) {
    struct Case {
        uint8_t number;
        char letter;
        const char* caption;
        form::Colour background;
        bool scsi, usb;
        const char* features;
    };
    const Case cases[] = {
        {0, 'C', "       Drive ATA passport:", 0xF0FFF0, false, false, nullptr},
        {5, 'C', "      Passport from USB:", 0xE0E9FE, false, true, nullptr},
        {6, 'C', "    SCSI  Drive passport:", 0xFEFFE1, true, false, "Non ATA, HDD"},
        {255, 'E', "    SCSI  Drive passport:", 0xFEFFE1, true, false, "Non ATA, Removable"},
        {8, 'C', "    SCSI  Drive passport:", 0xFEFFE1, true, false, "Non ATA, HDD, Virtual"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.number));
        useApi(c.number, c.letter);
        ASSERT_TRUE(app.passportReader.readPassport(true, true));
        EXPECT_EQ(psp.columns()[2].caption, c.caption);
        EXPECT_EQ(psp.colour(), c.background);
        EXPECT_EQ(p.ScsiPassport, c.scsi);
        EXPECT_EQ(p.UsbMode, c.usb);
        if (c.features) {
            EXPECT_EQ(row("Features:"), c.features);
        }
    }
    EXPECT_EQ(p.Model, "Unknown non ATA drive") << "the virtual disk answers no INQUIRY";
    EXPECT_EQ(app.form.standard.passport.VirtualLabel.caption(), "Virtual");
    useApi(5);
    app.passportReader.readPassport(true, true);
    EXPECT_EQ(app.form.standard.passport.VirtualLabel.caption(), "USB drive");

    useApi(0);
    app.form.setup.presets.OnlyScsiPassChk.setChecked(true);
    ASSERT_TRUE(app.passportReader.readPassport(true, true));
    EXPECT_TRUE(p.ScsiPassport) << "a SATA drive still gets a SCSI passport";
    // INQUIRY through the SAT layer: forty characters from byte 8 (vendor "ATA", product, more).
    EXPECT_EQ(t.lastMessage(), "Model: ATA     Hitachi HDS72105A3MAJP1570FR1ZWP; Capacity: 976000000 LBAs")
        << "the SCSI identity line";
}

TEST_F(Passport, SectorSizeChsFallbackAndNoLba) {
    EXPECT_EQ(openBin(block([](auto& b) { b.setWord(117, 4096); })), 1008000 - 1);
    EXPECT_EQ(app.session.bytesPerSector, 8192u);
    EXPECT_EQ(app.session.sectorsPerMiB, 128u);

    EXPECT_EQ(openBin(block([](auto& b) { b.setDword(60, 0); })), 1000 * 16 * 63 - 1) << "CHS product";

    EXPECT_EQ(openBin(block([](auto& b) { b.setWord(49, 0); })), 0);
    EXPECT_EQ(row("Disk size:"), "LBA not supported");
    EXPECT_EQ(app.session.maxLba.load(), 0u);
    EXPECT_EQ(row("Support:"), "CHS, PIO");

    openBin(block([](auto& b) { b.setWord(106, 0x6003); }));
    EXPECT_EQ(p.PhysicalSectorSize, 4096u);
    EXPECT_EQ(row("Sector:", 3), "Phys 4096");
    openBin(block([](auto& b) { b.setWord(106, 0x60FF); }));
    EXPECT_EQ(p.PhysicalSectorSize, 512u) << "an exponent beyond range gives the logical size";
}

TEST_F(Passport, BadFilesAndGarbageBlocks) {
    t.dir.write("short.bin", std::string(511, 'x'));
    EXPECT_EQ(app.passportReader.buildPassport(true, t.dir.file("short.bin")), -1);
    EXPECT_EQ(t.lastMessage(), "Error! Incorrect length of file");
    EXPECT_EQ(app.passportReader.buildPassport(true, t.dir.file("missing.bin")), -1);
    EXPECT_EQ(t.lastMessage().rfind("Error! Cannot open file", 0), 0u);

    std::vector<uint8_t> longer = block([](auto&) {});
    longer.resize(600, 0xEE);
    EXPECT_EQ(openBin(longer), 1008000 - 1) << "a longer file: its first 512 bytes";

    EXPECT_NO_FATAL_FAILURE(openBin(std::vector<uint8_t>(512, 0xFF)));
    EXPECT_EQ(p.Model, " ") << "every byte above 7Ah is a space; an empty string is one space";
    EXPECT_EQ(app.session.bytesPerSector, 131070u) << "word 117 = FFFFh";
    EXPECT_GT(app.session.sectorsPerMiB, 0u);
    std::vector<uint8_t> garbage(512);
    for (size_t i = 0; i < 512; ++i) garbage[i] = uint8_t(i * 131 + 7);
    EXPECT_NO_FATAL_FAILURE(openBin(garbage));
    EXPECT_GE(psp.rowCount(), 10u);
}

TEST_F(Passport, ImpossibleCapacitiesAreSaidAndNeverOverflow) {
    // 2^63 sectors in words 100-103: more than 48-bit addressing can reach.
    EXPECT_EQ(app.passportReader.buildPassport(true, dataPath("bad-input/passport_lba48_2p63.bin")), 240121728 - 1)
        << "the 28-bit capacity stands in";
    auto m = t.messages();
    EXPECT_NE(std::find(m.begin(), m.end(), "Warning! Impossible capacity in the passport: 9223372036854775808 LBAs"),
              m.end());
    EXPECT_EQ(app.session.maxLba, 240121728u);
    EXPECT_EQ(app.passportReader.buildPassport(true, dataPath("bad-input/passport_min_2p63.bin")), -1);
    EXPECT_EQ(t.lastMessage(), "Warning! The passport gives no capacity") << "a failure that says why";
    EXPECT_EQ(PassportReport::formatSizeShort(INT64_MIN, 512, 2048).front(), '-');
}

TEST_F(Passport, AFailedInquiryKeepsNothingOfThePreviousDevice) {
    useApi(7);
    ASSERT_TRUE(app.passportReader.readPassport(true, true));
    std::string firmware7 = p.Firmware;
    useApi(8); // answers no INQUIRY
    ASSERT_TRUE(app.passportReader.readPassport(true, true));
    EXPECT_EQ(p.Firmware, "unknown") << "not device 7's " << firmware7;
    EXPECT_EQ(p.Serial, "unknown");
}

TEST_F(Passport, AValueAsWideAsItsColumnKeepsABlankBeforeItsComment) {
    psp.clear();
    psp.addRow({"", "Support:", "LBA, 48bit, HPA, AAM, APM, DMA", "UDMA-6"});
    psp.addRow({"", "Model:", "exactly twenty-seven chars.", "note"});
    std::string text = app.passportReport.copyAllText();
    EXPECT_NE(text.find("DMA UDMA-6"), std::string::npos) << text;
    EXPECT_NE(text.find("chars. note"), std::string::npos) << text;
}

TEST_F(Passport, ANewPassportIsPublishedOnceToEverySubscriber) {
    std::vector<std::string> seen;
    app.passportSubscribers.subscribe([&](const info::DrivePassport& d) { seen.push_back(d.Model); });
    t.usePio(0x170, 0x376);
    ASSERT_TRUE(app.passportReader.readPassport(true, true));
    EXPECT_EQ(seen, (std::vector<std::string>{"FUJITSU MPG3204AT E"}));
    EXPECT_EQ(app.form.advanced.partitions.PartBtn.caption(), "View part data") << "the groups' own reactions ran";
    EXPECT_TRUE(app.form.advanced.sector.HexeditIn.enabled());
    t.usePio(0x1F0, 0x3F6); // the primary master has no slave: a failed read publishes nothing
    app.session.deviceSelectBit = 0x10;
    app.passportReader.readPassport(true, true);
    EXPECT_EQ(seen.size(), 1u);
}

TEST(IdentifyDecode, ABlockDecodesToItsFactsWithNoFormInSight) {
    std::ifstream in(dataPath("Samsung_SSD_860_EVO_500GB.identify.bin"), std::ios::binary);
    uint8_t bytes[512] = {};
    in.read(reinterpret_cast<char*>(bytes), 512);
    ASSERT_EQ(in.gcount(), 512);
    info::IdentifyFacts f = info::decodeIdentify(platform::IdentifyBlock::fromBytes(bytes));
    EXPECT_EQ(f.passport.Model, "Samsung SSD 860 EVO 500GB");
    EXPECT_EQ(f.passport.RotationRate, 1) << "an SSD";
    EXPECT_TRUE(f.passport.Lba48Supported);
    EXPECT_EQ(f.capacity, 976773168u);
    EXPECT_FALSE(f.impossibleCapacity);
    EXPECT_EQ(f.bytesPerSector, 512u);

    std::ifstream bad(dataPath("bad-input/passport_min_2p63.bin"), std::ios::binary);
    bad.read(reinterpret_cast<char*>(bytes), 512);
    f = info::decodeIdentify(platform::IdentifyBlock::fromBytes(bytes));
    EXPECT_TRUE(f.impossibleCapacity);
    EXPECT_EQ(f.claimedCapacity, uint64_t(1) << 63);
    EXPECT_EQ(f.capacity, 0u);
}

TEST_F(Passport, ABinThatIsNotARegularFileIsRefusedWithoutBlocking) {
    ASSERT_EQ(::mkfifo(t.dir.file("fifo.bin").c_str(), 0600), 0);
    EXPECT_EQ(app.passportReader.buildPassport(true, t.dir.file("fifo.bin")), -1) << "a FIFO with no writer";
    EXPECT_EQ(t.lastMessage().rfind("Error! Cannot open file", 0), 0u);
    EXPECT_EQ(app.passportReader.buildPassport(true, "/dev/zero"), -1);
}

TEST_F(Passport, IdentityStringsAndFileNames) {
    platform::IdentifyBlock b;
    b.setString(27, 20, std::string("  AB|C\x01") + "D{z~\x7F" + "E  ");
    EXPECT_EQ(info::PassportReader::identityString(b, 27, 20), "AB C D z  E");
    EXPECT_EQ(info::PassportReader::cleanName(std::string("WDC WD5000/AAKS:x?\x02\x80_<1>") + "\\^`|*\""),
              std::string("WDC WD5000AAKSx\x80_1"));
}

TEST(PassportFormats, SizesShortSizesAndFamilies) {
    const std::pair<uint64_t, const char*> sizes[] = {{1953, "1000 kb"},       {1954, "1 Mb"},
                                                      {1000, "512 kb"},        {976773168, "500 Gb"},
                                                      {3907029168u, "2.0 Tb"}, {0, "0 kb"},
                                                      {4000000000000ull, "2.05 Pb"}, {4000000000000000ull, "2048.00 Pb"}};
    for (auto [sectors, text] : sizes) EXPECT_EQ(PassportReport::formatSize(512, sectors), text) << sectors;
    const std::pair<int64_t, const char*> shorts[] = {{20478, "10239k"}, {20479, "9M"},    {0, "0"},
                                                      {-100, "-50k"},    {20479999, "9G"}, {20479998, "9999M"}};
    for (auto [sectors, text] : shorts) EXPECT_EQ(PassportReport::formatSizeShort(sectors, 512, 2048), text) << sectors;
    const std::tuple<const char*, uint16_t, uint8_t> families[] = {
        {"ST3500418AS", 7200, 4},          {"IC35L060AVV207", 0, 2},     {"WDC WD5000AAKS", 7200, 5},
        {"Hitachi HDS721010CLA632", 0, 2}, {"HITACHI DK23EA-20", 0, 7},  {"Samsung SSD 860", 1, 15},
        {"FUJITSU MPG3204AT", 0, 14},      {"FUJITSU MHY2120BH", 0, 1},  {"IBM-DTLA-307030", 0, 13},
        {"Maxtor 6Y120P0", 0, 3},          {"TOSHIBA MK1651GSY", 0, 6},  {"SAMSUNG HD501LJ", 0, 8},
        {"Quantum Fireball", 0, 10},       {"unknown brand", 5400, 0},   {"HITACHI_DK14FA", 0, 15}};
    for (auto& [model, rate, code] : families) EXPECT_EQ(PassportReport::familyCode(model, rate), code) << model;
    EXPECT_EQ(PassportReport::levelComment(0x80), "Minimum");
    EXPECT_EQ(PassportReport::levelComment(0xFE), "Maximum");
    EXPECT_EQ(PassportReport::levelComment(0x90), "Enabled");
    EXPECT_EQ(PassportReport::levelComment(0x00), "Disabled");
}

TEST_F(Passport, ColoursCopiesAndMenu) {
    t.usePio(0x1F0, 0x3F6);
    app.form.commands.PasspBtn.click();
    auto colourOf = [&](const std::string& label, size_t column) {
        for (size_t r = 0; r < psp.rowCount(); ++r)
            if (psp.cell(r, 1) == label) return psp.colourOf(r, column);
        return form::kDefaultColour;
    };
    EXPECT_EQ(colourOf("Firmware:", 2), form::colours::Green);
    EXPECT_EQ(colourOf("Serial:", 3), form::colours::Navy) << "row 2 is navy throughout";
    EXPECT_EQ(colourOf("Disk size:", 2), form::colours::Blue) << "row 3 is blue throughout";
    EXPECT_EQ(colourOf("Support:", 2), form::colours::Blue);
    EXPECT_EQ(colourOf("AAM val:", 2), form::colours::Purple);
    EXPECT_EQ(colourOf("Security:", 2), form::colours::Green) << "OFF";
    EXPECT_EQ(colourOf("Erase:", 2), form::colours::Purple);
    EXPECT_EQ(colourOf("CACHE:", 3), form::colours::Green) << "ok";
    EXPECT_EQ(colourOf("SMART:", 3), form::colours::Teal);
    app.form.setup.presets.DisClinPassChk.setChecked(true);
    EXPECT_EQ(colourOf("Firmware:", 2), form::colours::Navy);

    app.form.PasspMenu.item(0).click();
    std::string all = t.clipboard.text();
    EXPECT_EQ(all.substr(0, 48), "    Model: Hitachi HDS721050CLA362             \n") << "10, 1, 27 and 9 characters";
    psp.select(1);
    app.form.PasspMenu.item(1).click();
    EXPECT_EQ(t.clipboard.text(), "JP2OA3MA");
    app.form.PasspMenu.popup();
    EXPECT_EQ(app.form.PasspMenu.item(4).caption(), "Maximize");
    app.form.PasspMenu.item(4).click();
    app.form.PasspMenu.popup();
    EXPECT_EQ(app.form.PasspMenu.item(4).caption(), "Show ALL");
}

TEST_F(Passport, AutomaticBlockSizeAndTimeScale) {
    t.usePio(0xD400, 0xD802); // the SSD: family 15, 48-bit, UDMA 6, a large native size
    app.passportReader.readPassport(true, true);
    EXPECT_EQ(app.form.tests.ScBlockSizeBox.items().size(), 10u) << "48 bit: the wide list";
    EXPECT_EQ(app.form.tests.ScBlockSizeBox.text(), "16384") << "item 8 for an SSD";
    EXPECT_EQ(p.timingFactor, 3) << "HPA and more than 242,000,000 sectors";

    t.usePio(0x170, 0x376); // 28-bit PATA, UDMA 5
    app.form.log.biglbaChk.setChecked(false);
    app.passportReader.readPassport(true, true);
    EXPECT_EQ(app.form.tests.ScBlockSizeBox.text(), "256");
    EXPECT_EQ(p.timingFactor, 5);

    // A 4096-byte physical sector on a drive with the narrow list: item 7 does not exist there,
    // the nearest item the list has is taken.
    openBin(block([](auto& b) { b.setWord(106, 0x6003); }));
    EXPECT_EQ(app.form.tests.ScBlockSizeBox.items().size(), 5u);
    EXPECT_EQ(app.form.tests.ScBlockSizeBox.text(), "256");
}
