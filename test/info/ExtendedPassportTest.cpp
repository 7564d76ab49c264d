#include "info/ExtendedPassport.h"
#include "info/PassportReader.h"
#include "support/TestApp.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace korvane;

namespace {

// The extended passport of lab drives: the primary master (a Hitachi with a host protected area)
// and drives made for a test on a channel of their own at 1E8h/3EEh.
struct Ext : ::testing::Test {
    testsupport::TempDir logs;
    testsupport::TestApp t;
    shell::App& app = *t.app;
    form::ListView& psp = app.form.standard.passport.Psp;

    // A drive of `native` sectors showing `visible`, alone on its own channel, selected in PIO.
    sim::AtaDevice& customDrive(uint64_t native, uint64_t visible, bool hpa = true) {
        sim::DriveProfile p;
        p.model = "LAB EXT " + std::to_string(native);
        p.nativeSectors = native;
        p.visibleSectors = visible;
        p.hpa = hpa;
        p.lba48 = false;
        auto drive = t.lab->addDrive(p);
        t.lab->addChannel("ext-test", 0x1E8, 0x3EE).attach(0, drive);
        t.startPio(0x1E8, 0x3EE);
        return *drive;
    }
    void ext() { app.form.standard.passport.PASSBtnExt.click(); }
    // The row of `label`: its value and comment; nullopt when there is none.
    std::optional<std::pair<std::string, std::string>> row(const std::string& label) const {
        for (size_t r = 0; r < psp.rowCount(); ++r)
            if (psp.cell(r, 1).find(label) != std::string::npos) return std::pair{psp.cell(r, 2), psp.cell(r, 3)};
        return std::nullopt;
    }
    int rowIndex(const std::string& label) const {
        for (size_t r = 0; r < psp.rowCount(); ++r)
            if (psp.cell(r, 1).find(label) != std::string::npos) return int(r);
        return -1;
    }
    size_t sent(sim::AtaDevice& d, uint8_t command) {
        const auto& all = d.commandsReceived();
        return size_t(std::count_if(all.begin(), all.end(), [&](auto& tf) { return tf.command == command; }));
    }
};

} // namespace

TEST_F(Ext, TheFourDiagnosticsInTheirPlacesAndColours) {
    t.startPio(0x1F0, 0x3F6);
    ext();
    EXPECT_FALSE(app.passportReader.extendedPassport) << "only for the one read";
    auto real = row("**Real:");
    ASSERT_TRUE(real);
    EXPECT_EQ(real->first, "976773168 LBAs");
    EXPECT_EQ(real->second, info::PassportReport::formatSize(512, 976773168));
    EXPECT_EQ(rowIndex("**Real:"), rowIndex("Disk size:") + 1);
    EXPECT_EQ(row("Status:")->first, "Passed");
    EXPECT_EQ(row("Spindle:")->first, "Active");
    EXPECT_EQ(rowIndex("Status:"), rowIndex("Erase:") + 1);
    EXPECT_EQ(rowIndex("Spindle:"), rowIndex("Status:") + 1);
    EXPECT_EQ(rowIndex("Security:"), rowIndex("Spindle:") + 1);
    EXPECT_EQ(row("Int-face:")->first, "Passed");
    EXPECT_EQ(rowIndex("Int-face:"), int(psp.rowCount()) - 1);
    EXPECT_FALSE(row("Receive:"));
    using namespace form::colours;
    EXPECT_EQ(psp.colourOf(size_t(rowIndex("**Real:")), 2), Red);
    EXPECT_EQ(psp.colourOf(size_t(rowIndex("**Real:")), 3), Teal);
    EXPECT_EQ(psp.colourOf(size_t(rowIndex("Status:")), 2), Green);
    EXPECT_EQ(psp.colourOf(size_t(rowIndex("Spindle:")), 2), Green);
    EXPECT_EQ(psp.colourOf(size_t(rowIndex("Int-face:")), 2), Green);
    EXPECT_EQ(app.form.standard.seek.AAMTrack.position(), app.passport.AamValue);

    // A plain passport afterwards has none of the rows, and a saved block never runs them.
    app.form.commands.PasspBtn.click();
    EXPECT_FALSE(row("Status:"));
    EXPECT_FALSE(row("Int-face:"));
    t.dir.write("p.bin", std::string(512, '\0'));
    auto& drive = t.drive(0x1F0);
    const size_t before = drive.commandsReceived().size();
    app.passportReader.extendedPassport = true;
    app.passportReader.buildPassport(true, t.dir.file("p.bin"));
    app.passportReader.extendedPassport = false;
    EXPECT_EQ(drive.commandsReceived().size(), before);
    EXPECT_FALSE(row("Status:"));
}

TEST_F(Ext, TheNativeSizeSetsTheTrackBarAndTheTarget) {
    customDrive(1000000, 900000);
    ext();
    EXPECT_EQ(row("**Real:")->first, "1000000 LBAs");
    EXPECT_EQ(row("**Real:")->second, "512 Mb");
    EXPECT_EQ(app.hpa.HpaStep, 2500);
    EXPECT_EQ(app.hpa.HpaTargetSize, 900000);
    EXPECT_EQ(app.form.standard.hpa.HpaTrack.position(), 360);
    EXPECT_EQ(app.form.standard.hpa.L1.text(), "900000");
    app.form.standard.hpa.HpaMbBox.setChecked(true, form::Origin::User);
    ext();
    EXPECT_EQ(app.form.standard.hpa.L1.text(), "439 Mb");
}

TEST_F(Ext, NoRealSizeRowWithoutAnAreaOrWithoutTheFeature) {
    auto& whole = customDrive(1000000, 0);
    app.form.standard.hpa.L1.setText("1");
    ext();
    EXPECT_FALSE(row("**Real:"));
    EXPECT_EQ(app.hpa.HpaTargetSize, 1000000);
    EXPECT_EQ(app.form.standard.hpa.HpaTrack.position(), 400);
    EXPECT_EQ(sent(whole, 0xF8), 1u);

    testsupport::TestApp other;
    sim::DriveProfile p;
    p.hpa = false;
    p.lba48 = false;
    auto drive = other.lab->addDrive(p);
    other.lab->addChannel("ext-test", 0x1E8, 0x3EE).attach(0, drive);
    other.startPio(0x1E8, 0x3EE);
    other.app->form.standard.passport.PASSBtnExt.click();
    EXPECT_EQ(sent(*drive, 0xF8), 0u) << "no READ NATIVE MAX without the feature set";
}

TEST_F(Ext, RefusedDiagnosticsReportInTheirRows) {
    struct Case {
        int abort;
        const char* label;
        const char* value; // nullptr: no row
    };
    for (auto c : {Case{0xEF, "Status:", "*Failed"}, Case{0xE5, "Spindle:", nullptr},
                   Case{0xE8, "Int-face:", "INTERFACE FAILED!!!"}, Case{0xE4, "Int-face:", "INTERFACE FAILED!!!"}}) {
        SCOPED_TRACE(c.abort);
        testsupport::TestApp lab;
        lab.startPio(0x1F0, 0x3F6);
        lab.drive(0x1F0).faults.abortCommand = c.abort;
        lab.app->form.standard.passport.PASSBtnExt.click();
        auto& list = lab.app->form.standard.passport.Psp;
        std::optional<std::string> value;
        for (size_t r = 0; r < list.rowCount(); ++r)
            if (list.cell(r, 1).find(c.label) != std::string::npos) value = list.cell(r, 2);
        if (!c.value) {
            EXPECT_FALSE(value);
            continue;
        }
        ASSERT_TRUE(value);
        EXPECT_EQ(*value, c.value);
        if (c.abort == 0xE8 || c.abort == 0xE4) {
            EXPECT_EQ(list.cell(list.rowCount() - 1, 2), "0") << "the buffer kept its zeros";
            auto m = lab.messages();
            EXPECT_NE(std::find(m.begin(), m.end(), "WARNING! INTERFACE ERROR!!!"), m.end());
        }
    }
}

TEST_F(Ext, AFaultyBufferAndTheIdentifyBlockKeptForTheBinFile) {
    t.startPio(0x1F0, 0x3F6);
    t.drive(0x1F0).faults.bufferFlipWord = 255; // 55AAh comes back as 55ABh
    ext();
    EXPECT_EQ(row("Int-face:")->first, "INTERFACE FAILED!!!");
    EXPECT_EQ(row("Sended:")->first, "101010110101010");
    EXPECT_EQ(row("Receive:")->first, "101010110101011");
    EXPECT_EQ(rowIndex("Receive:"), int(psp.rowCount()) - 1);
    EXPECT_EQ(psp.colourOf(size_t(rowIndex("Int-face:")), 2), form::colours::Red);
    EXPECT_EQ(psp.colourOf(size_t(rowIndex("Receive:")), 2), form::kDefaultColour);
    auto m = t.messages();
    EXPECT_NE(std::find(m.begin(), m.end(), "WARNING! INTERFACE ERROR!!!"), m.end());
    // The passport BIN file written after the pass holds the drive's block, not the pattern.
    std::ifstream bin(app.passportReader.binFilePath(), std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(bin)), std::istreambuf_iterator<char>());
    ASSERT_EQ(bytes.size(), 512u);
    const auto id = platform::IdentifyBlock::fromBytes(bytes.data());
    EXPECT_EQ(info::PassportReader::identityString(id, 27, 20), app.passport.Model);
    EXPECT_TRUE(id.checksumValid());
}

TEST_F(Ext, ADriveInStandbyAndTheBinaryText) {
    t.startPio(0x1F0, 0x3F6);
    ASSERT_TRUE(app.pio.sendNonDataCommand(0, 0, 0, 0, 0, 0xA0, 0xE0)); // STANDBY IMMEDIATE
    ext();
    ASSERT_TRUE(row("Spindle:"));
    EXPECT_EQ(row("Spindle:")->first, "Standby");
    EXPECT_EQ(psp.colourOf(size_t(rowIndex("Spindle:")), 2), form::colours::Red);
    EXPECT_EQ(info::ExtendedPassport::binaryText(0), "0");
    EXPECT_EQ(info::ExtendedPassport::binaryText(1), "1");
    EXPECT_EQ(info::ExtendedPassport::binaryText(0x55AA), "101010110101010");
    EXPECT_EQ(info::ExtendedPassport::binaryText(0xFFFF), "1111111111111111");
}
