#include "info/SmartLab.h"

#include "info/PassportReport.h"
#include "info/SmartNames.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace korvane;
using testsupport::SmartLab;

namespace {

std::string dataPath(const std::string& name) { return std::string(KORVANE_TEST_DATA) + "/" + name; }
const std::string deg = "\xC2\xB0";

std::vector<uint8_t> fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct RealDrive {
    std::string name, model, status;
};

// The drives of the manifest that come with SMART blocks.
std::vector<RealDrive> realDrivesWithSmart() {
    std::ifstream manifest(dataPath("real-drives/MANIFEST.tsv"));
    std::vector<RealDrive> drives;
    std::string line;
    std::getline(manifest, line);
    while (std::getline(manifest, line)) {
        std::istringstream cols(line);
        std::string name, source, model, sectors, status;
        std::getline(cols, name, '\t');
        std::getline(cols, source, '\t');
        std::getline(cols, model, '\t');
        std::getline(cols, sectors, '\t');
        std::getline(cols, status, '\t');
        if (std::filesystem::exists(dataPath("real-drives/" + name + ".smart.bin"))) drives.push_back({name, model, status});
    }
    return drives;
}

struct RealSmart : SmartLab {
    explicit RealSmart(const std::string& name) : SmartLab("real:" + dataPath("real-drives/" + name)) {
        useApi("0");
        getSmart();
    }
};

} // namespace

TEST(SmartRealDrives, EveryDriveDecodesWithItsFamilysNamesAndItsStatus) {
    const auto drives = realDrivesWithSmart();
    ASSERT_EQ(drives.size(), 32u);
    for (const auto& d : drives) {
        SCOPED_TRACE(d.name);
        RealSmart lab(d.name);
        ASSERT_EQ(lab.app.passport.Model, d.model);
        EXPECT_TRUE(lab.logged("Get S.M.A.R.T. command... OK"));
        if (!d.status.empty()) EXPECT_EQ(lab.status(), d.status == "1" ? "GOOD" : "BAD!");
        const auto data = fileBytes(dataPath("real-drives/" + d.name + ".smart.bin"));
        const auto thresholds = fileBytes(dataPath("real-drives/" + d.name + ".thresholds.bin"));
        const uint8_t family = lab.app.passport.FamilyCode;
        std::map<std::string, size_t> seen;
        size_t slots = 0;
        for (size_t k = 0; k < 30; ++k) {
            const uint8_t* e = &data[2 + 12 * k];
            if (e[0] == 0) continue;
            ++slots;
            const std::string id = std::to_string(e[0]);
            auto row = lab.rowOf(id, seen[id]++);
            ASSERT_EQ(row.size(), 10u) << id;
            EXPECT_EQ(row[2], info::attributeName(e[0], family));
            EXPECT_EQ(row[3], std::to_string(e[3]));
            EXPECT_EQ(row[4], std::to_string(e[4]));
            EXPECT_EQ(row[5], std::to_string(thresholds[3 + 12 * k]));
            EXPECT_EQ(row[8], (e[1] & 1) ? info::kPreFailureMark : " ");
            if (e[0] == 194) seen[id] += size_t(lab.page.SmartList.rowCount()); // extra rows: counted below
        }
        EXPECT_GE(lab.page.SmartList.rowCount(), slots);
        EXPECT_LE(lab.page.SmartList.rowCount(), slots + 2);
        EXPECT_EQ(lab.page.SmartTestList.rowCount(), 5u);
    }
}

TEST(SmartRealDrives, RowsDerivedByHand) {
    struct Row {
        const char* id;
        size_t nth;
        const char* name;
        const char* value;
        const char* worst;
        const char* threshold;
        std::string raw;
        const char* health;
    };
    struct Drive {
        const char* name;
        std::vector<Row> rows;
        const char* temperature;
        const char* status;
    };
    const Drive drives[] = {
        {"Hitachi_HDS721010CLA632",
         {{"5", 0, "Reallocated sector count", "100", "100", "5", "43", "g"}, // raw 2B 00 2B 00: the low word
          {"12", 0, "Power cycle count", "100", "100", "0", "44", "g"},
          {"188", 0, "Command timeout count", "100", "97", "0", "8590917686", "g"},
          {"190", 0, "Airflow temperature", "70", "63", "0", "30" + deg + "C/86" + deg + "F", "y"},
          {"194", 0, "HDA Temperature", "200", "166", "0", "30" + deg + "C/86" + deg + "F", "y"},
          {"194", 1, "Minimum temperature", "90", "166", "0", "19" + deg + "C/66" + deg + "F", "g"},
          {"194", 2, "Maximum temperature", "90", "166", "0", "37" + deg + "C/98" + deg + "F", "g"},
          {"197", 0, "Current pending sectors", "100", "100", "0", "1", "g"}},
         "30 \xC2\xB0" "C", "GOOD"},
        {"INTEL_SSDSA2CW120G3--4PC10302",
         {{"3", 0, "Power ready time", "100", "100", "0", "0", "g"},
          {"192", 0, "Unsafe shutdown count", "100", "100", "0", "2", "g"},
          {"225", 0, "Host total LBAs written", "100", "100", "0", "820", "g"},
          {"226", 0, "Timed workload media wear indicator", "100", "100", "0", "65535", "g"},
          {"232", 0, "Available Reserved Space", "100", "100", "10", "0", "g"},
          {"233", 0, "Writes to flash", "100", "100", "0", "0", "g"}},
         " n/a", "GOOD"},
        {"Maxtor_96147H8--BAC51KJ0--2",
         {{"1", 0, "OTF Errors", "253", "252", "0", "441745", "g"},
          {"8", 0, "Seek time perfomance", "253", "239", "187", "143327353719414", "g"},
          {"10", 0, "Spin-up retries", "212", "210", "223", "176093659235", "g"},
          {"100", 0, "Max Negative FHC", "253", "253", "0", "0", "g"},
          {"202", 0, "Data Address Mark Errors", "253", "252", "0", "441745", "g"}},
         " n/a", "BAD!"},
    };
    for (const auto& d : drives) {
        SCOPED_TRACE(d.name);
        RealSmart lab(d.name);
        for (const auto& r : d.rows) {
            auto row = lab.rowOf(r.id, r.nth);
            ASSERT_EQ(row.size(), 10u) << r.id;
            EXPECT_EQ(std::vector<std::string>(row.begin() + 2, row.begin() + 7),
                      (std::vector<std::string>{r.name, r.value, r.worst, r.threshold, r.raw}));
            EXPECT_EQ(row[9], r.health) << r.id;
        }
        EXPECT_EQ(lab.temperature(), d.temperature);
        EXPECT_EQ(lab.status(), d.status);
    }
    // Hitachi's self-test state: suspended collection, a failed read element with 60 % to do.
    RealSmart hitachi("Hitachi_HDS721010CLA632");
    const auto& tests = hitachi.page.SmartTestList;
    EXPECT_EQ(tests.cell(0, 1), "9988");
    EXPECT_EQ(tests.row(3), (std::vector<std::string>{"Off-line data collection was suspended by command from host", "84h"}));
    EXPECT_EQ(tests.row(4), (std::vector<std::string>{
                                "The previous self-test completed having the read element of the test failed", "7"}));
    EXPECT_EQ(hitachi.page.test.SmtMeter.position(), 4);
    EXPECT_EQ(tests.colourOf(3, 0), form::colours::Purple);
    EXPECT_EQ(tests.colourOf(4, 0), form::colours::Red);
    EXPECT_EQ(tests.colourOf(0, 0), form::colours::Navy);
    EXPECT_EQ(tests.colourOf(2, 1), form::colours::Blue);
}

struct GetSmart : ::testing::Test, SmartLab {};

TEST_F(GetSmart, EveryRouteOfThePassport) {
    struct Route {
        const char* device; // "" for PIO
        const char* lastLine;
        const char* status;
        const char* temperature;
        bool usb;
    };
    const Route routes[] = {
        {"", "SMART status = GOOD", "GOOD", "35 \xC2\xB0" "C", false},
        {"0", "SMART status = GOOD", "GOOD", "36 \xC2\xB0" "C", false},   // the system's SMART request
        {"5", "SMART status = GOOD", "GOOD", "", true},                      // a USB bridge: ATA pass-through
        {"6", "Get S.M.A.R.T. command... Error reading S.M.A.R.T!", "UNCN", " n/a", false}, // SCSI only
        {"E:", "Get S.M.A.R.T. command... Error, that's a logical drive!", "UNCN", " n/a", false}, // a flash stick
    };
    for (const auto& r : routes) {
        SCOPED_TRACE(*r.device ? r.device : "PIO");
        SmartLab lab;
        if (*r.device) lab.useApi(r.device);
        else lab.usePio();
        lab.getSmart();
        EXPECT_EQ(lab.t.lastMessage(), r.lastLine);
        EXPECT_EQ(lab.status(), r.status);
        if (*r.temperature) EXPECT_EQ(lab.temperature(), r.temperature);
        EXPECT_EQ(lab.app.passport.UsbMode, r.usb);
        const bool good = std::string(r.status) == "GOOD";
        EXPECT_EQ(lab.page.SmartList.rowCount() > 0, good);
        EXPECT_EQ(lab.page.monitor.SmartLed.colour(), good ? form::colours::Lime : form::colours::Yellow);
        EXPECT_EQ(lab.page.monitor.SmrtStLabel.fontColour(), good ? form::colours::Navy : form::colours::Black);
        if (good) EXPECT_EQ(lab.markOf("SMART status = GOOD"), "2");
        else EXPECT_EQ(lab.markOf(r.lastLine), "4");
    }
}

TEST_F(GetSmart, TheStatusRequestReadsTheRegisters) {
    usePio();
    auto& drive = t.drive(0x170);
    getSmart();
    EXPECT_EQ(status(), "GOOD");
    // A pre-failure attribute at its threshold: the drive answers F4h/2Ch.
    for (auto& a : drive.smart().attributes())
        if (a.id == 1) a.value = a.threshold;
    getSmart();
    EXPECT_EQ(status(), "BAD!");
    EXPECT_EQ(page.monitor.SmartLed.colour(), form::colours::Red);
    EXPECT_EQ(page.monitor.SmrtStLabel.fontColour(), form::colours::White);
    EXPECT_EQ(markOf("SMART status = BAD"), "4");
    // Any pair but 4Fh/C2h counts as a threshold exceeded.
    for (auto& a : drive.smart().attributes()) a.value = 100;
    drive.answerSmartStatus(0x00, 0x00);
    getSmart();
    EXPECT_EQ(status(), "BAD!");
    drive.rejectSmart(0xDA);
    getSmart();
    EXPECT_EQ(status(), "UNCN");
    EXPECT_EQ(t.lastMessage(), "SMART status = Unknown");
    EXPECT_EQ(app.smartReader.smartReturnStatus(), -1);
}

TEST(GetSmartRoutes, TheStatusComesBackByEveryRoute) {
    struct Route {
        const char* device;
        uint16_t base; // the lab drive behind it
    };
    for (const Route& r : {Route{"", 0x170}, Route{"0", 0x1F0}, Route{"5", 0}}) {
        SCOPED_TRACE(*r.device ? r.device : "PIO");
        SmartLab lab;
        if (*r.device) lab.useApi(r.device);
        else lab.usePio();
        sim::AtaDevice& drive = r.base ? lab.t.drive(r.base) : *lab.t.lab->disks()[5].device;
        drive.answerSmartStatus(0xF4, 0x2C);
        lab.getSmart();
        EXPECT_EQ(lab.status(), "BAD!");
        EXPECT_EQ(lab.app.smartReader.lastStatus(), 0);
    }
    // A bridge that drops SMART: no data.
    SmartLab lab;
    lab.t.lab->disks()[5].dropsSmart = true;
    lab.useApi("5");
    lab.getSmart();
    EXPECT_EQ(lab.t.lastMessage(), "Get S.M.A.R.T. command... Error reading S.M.A.R.T!");
    EXPECT_EQ(lab.status(), "UNCN");
}

TEST_F(GetSmart, RefusedCommandsAndMissingAttributes) {
    usePio();
    auto& drive = t.drive(0x170);
    getSmart();
    const auto threshold = rowOf("1")[5];
    // A threshold block that cannot be read: the previous one stays.
    drive.rejectSmart(0xD1);
    for (auto& a : drive.smart().attributes()) a.threshold = 99;
    getSmart();
    EXPECT_EQ(rowOf("1")[5], threshold);
    EXPECT_EQ(status(), "GOOD");

    // No attribute 194: no temperature, but the status is still asked for.
    auto& attrs = drive.smart().attributes();
    attrs.erase(std::remove_if(attrs.begin(), attrs.end(), [](auto& a) { return a.id == 194; }), attrs.end());
    EXPECT_EQ(app.smartReader.readSmart(194, {}, false), info::SmartReader::kNoAttribute);
    getSmart();
    EXPECT_EQ(temperature(), " n/a");
    EXPECT_EQ(t.lastMessage(), "SMART status = GOOD");

    // The data block refused: the error line, then the reason in its place.
    drive.rejectSmart(0xD0);
    getSmart();
    EXPECT_TRUE(logged("Get tresholds... Error!") || t.lastMessage() == "Get S.M.A.R.T. command... Error reading S.M.A.R.T!");
    EXPECT_EQ(t.lastMessage(), "Get S.M.A.R.T. command... Error reading S.M.A.R.T!");
    EXPECT_EQ(page.SmartList.rowCount(), 0u);
    EXPECT_EQ(page.SmartTestList.rowCount(), 0u) << "no block, no self-test report";
    EXPECT_EQ(status(), "UNCN");

    // SMART ENABLE refused: no data, nothing saved.
    SmartLab other;
    other.usePio();
    other.t.drive(0x170).rejectSmart(0xD8);
    EXPECT_EQ(other.app.smartReader.readSmart(194, {}, false), info::SmartReader::kNoData);
    EXPECT_FALSE(std::filesystem::exists(other.app.smartReader.binFilePath()));
}

TEST_F(GetSmart, RemappedSectorsShowInTheCounters) {
    usePio();
    getSmart();
    EXPECT_EQ(rowOf("5")[6], "0");
    EXPECT_FALSE(app.commands.readOneSector(31000)); // the planted bad sector: now pending
    getSmart();
    EXPECT_EQ(rowOf("197")[6], "1");
    for (size_t r = 0; r < page.SmartList.rowCount(); ++r)
        if (page.SmartList.cell(r, 1) == "197") EXPECT_EQ(page.SmartList.colourOf(r, 6), form::colours::Red);
    ASSERT_TRUE(app.commands.writeOneSector(31000)); // rewritten: reallocated
    getSmart();
    EXPECT_EQ(rowOf("5")[6], "1");
    EXPECT_EQ(rowOf("197")[6], "0");
    EXPECT_EQ(rowOf("196")[6], "1");
}

TEST_F(GetSmart, BinFilesSavedAndOpened) {
    usePio();
    getSmart();
    const std::string saved = app.smartReader.binFilePath();
    EXPECT_EQ(saved, app.eventLog.logDirectory() + "SMART_" + app.passport.Model + "_" + app.passport.Serial + ".bin");
    const auto bytes = fileBytes(saved);
    ASSERT_EQ(bytes.size(), 512u);
    EXPECT_EQ(bytes[2], 1) << "the data block as read";

    // Open BIN: its rows, the temperature from it, no thresholds of another drive.
    t.dialogs.fileNames.push_back(saved);
    page.monitor.RzBitBtn2.click();
    EXPECT_EQ(t.dialogs.fileRequests.back().title, "Open BIN file of SMART");
    EXPECT_EQ(rowOf("194")[6], "35" + deg + "C/95" + deg + "F");
    EXPECT_EQ(rowOf("1")[5], "0");
    EXPECT_EQ(temperature(), "35 \xC2\xB0" "C");

    struct Bad {
        std::string content;
        bool directory;
        const char* line;
    };
    for (const Bad& b : {Bad{std::string(511, 'x'), false, "Error! Incorrect length of file"},
                         Bad{"", true, nullptr}}) {
        const std::string path = t.dir.file(b.directory ? "dir.bin" : "short.bin");
        if (b.directory) std::filesystem::create_directory(path);
        else t.dir.write("short.bin", b.content);
        t.dialogs.fileNames.push_back(path);
        page.monitor.RzBitBtn2.click();
        EXPECT_EQ(t.lastMessage(), b.line ? std::string(b.line) : "Error! Cannot open file " + path);
        EXPECT_EQ(page.SmartList.rowCount(), 0u);
    }
    // A longer file: its first 512 bytes. All zeros: no attribute.
    t.dir.write("long.bin", std::string(bytes.begin(), bytes.end()) + std::string(100, '\xFF'));
    EXPECT_EQ(app.smartReader.readSmart(194, t.dir.file("long.bin"), true) & 0xFF, 35);
    t.dir.write("zeros.bin", std::string(512, '\0'));
    EXPECT_EQ(app.smartReader.readSmart(194, t.dir.file("zeros.bin"), true), info::SmartReader::kNoAttribute);
    EXPECT_EQ(page.SmartList.rowCount(), 0u);
    t.dir.write("ff.bin", std::string(512, '\xFF'));
    app.smartReader.readSmart(194, t.dir.file("ff.bin"), true);
    EXPECT_EQ(page.SmartList.rowCount(), 30u);
}

TEST_F(GetSmart, TheTimerReadsQuietlyEveryPeriod) {
    usePio();
    auto& timer = page.timer;
    timer.NumberEdit8.setValue(5, form::Origin::User);
    timer.SmTimerChk.setChecked(true, form::Origin::User);
    EXPECT_EQ(timer.SmTimerLED.colour(), form::Colour(0xFFC437));
    EXPECT_TRUE(app.form.SmartTimer.enabled());
    EXPECT_EQ(app.form.SmartTimer.interval(), 5000u);
    const uint32_t reads = app.smartReader.readsDone();
    const size_t lines = t.messages().size();
    t.clock.advanceMs(4900);
    t.ui.processEvents();
    EXPECT_EQ(app.smartReader.readsDone(), reads) << "not before the period";
    t.clock.advanceMs(200);
    t.ui.processEvents();
    EXPECT_EQ(app.smartReader.readsDone(), reads + 1);
    t.clock.advanceMs(5000);
    t.ui.processEvents();
    EXPECT_EQ(app.smartReader.readsDone(), reads + 2);
    EXPECT_EQ(status(), "GOOD");
    for (size_t i = lines; i < t.messages().size(); ++i) {
        EXPECT_NE(t.messages()[i], "SMART status = GOOD");
        EXPECT_NE(t.messages()[i], "Get S.M.A.R.T. command...");
    }
    timer.SmTimerChk.setChecked(false, form::Origin::User);
    EXPECT_FALSE(app.form.SmartTimer.enabled());
    EXPECT_EQ(timer.SmTimerLED.colour(), form::colours::Grey);
}

TEST_F(GetSmart, PageHandlers) {
    useApi("0");
    // Start-up: sixteen grey rows.
    ASSERT_EQ(page.SmartList.rowCount(), 16u);
    EXPECT_EQ(page.SmartList.row(0), (std::vector<std::string>{"", "1", "Raw read error count", "0", "0", "0", "0", "*", "0"}));
    EXPECT_EQ(page.SmartList.fontColour(), form::colours::Grey);
    EXPECT_EQ(page.SmartList.colourOf(0, 1), form::kDefaultColour);

    getSmart();
    EXPECT_EQ(page.SmartList.fontColour(), form::colours::Navy);
    EXPECT_EQ(page.SmartList.colourOf(0, 1), form::colours::Navy);
    app.form.SmartMenu.item(1).click();
    EXPECT_EQ(t.clipboard.text().rfind(app.passport.Model + "   " + app.passport.Serial + "\n---", 0), 0u);
    EXPECT_NE(t.clipboard.text().find("\n  1 Raw read error count"), std::string::npos);

    app.form.SmartMenu.popup();
    EXPECT_EQ(app.form.SmartMenu.item(4).caption(), "Maximize panel");
    page.SmartList.doubleClick();
    EXPECT_EQ(page.SmartTestPanel.height(), 0);
    app.form.SmartMenu.popup();
    EXPECT_EQ(app.form.SmartMenu.item(4).caption(), "Show smart-test panel");
    app.form.SmartMenu.item(4).click();
    EXPECT_EQ(page.SmartTestPanel.height(), 110);

    const bool boxes = page.SmartList.checkBoxes();
    app.form.SmartMenu.item(5).click();
    EXPECT_NE(page.SmartList.checkBoxes(), boxes);

    app.form.SmartMenu.item(2).click();
    EXPECT_EQ(page.SmartList.rowCount(), 0u);
    EXPECT_EQ(page.SmartTestList.rowCount(), 0u);
    EXPECT_EQ(status(), "- - - -");
    EXPECT_EQ(page.monitor.SmartLed.colour(), form::colours::Black);
}
