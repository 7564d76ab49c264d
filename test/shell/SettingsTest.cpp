#include "shell/IniFile.h"
#include "shell/SettingsKeys.h"
#include "support/TestApp.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>
#include <iterator>
#include <map>

using namespace korvane;
using testsupport::TestApp;

namespace {

struct SettingsFixture : ::testing::Test {
    TestApp t;
    shell::App& app = *t.app;
    std::vector<std::pair<int, int>> beeps;

    SettingsFixture() {
        app.settings.beep = [this](int d, int ms) { beeps.emplace_back(d, ms); };
    }
    shell::IniFile savedFile() {
        shell::IniFile ini;
        ini.load(app.env.paths.iniPath);
        return ini;
    }
};

// A valid value other than the default for every key that is both read and written.
std::map<std::string, std::string> alternates() {
    return {{"X", "30"},           {"Y", "40"},           {"Height", "600"},        {"Width", "760"},
            {"PageIndex", "3"},    {"Help Height", "500"}, {"Help Width", "600"},   {"Help X", "11"},
            {"Help Y", "12"},      {"HexV Height", "400"}, {"HexV Width", "410"},   {"HexV X", "21"},
            {"HexV Y", "22"},      {"BUSY Timeout", "30"}, {"DRQ Timeout", "20"},   {"DRDY Timeout", "5"},
            {"Setup/Timer ATA", "0"}, {"Scan/Timer", "1"}, {"TimerPio", "0"},       {"Jmp Interval", "100"},
            {"Time of RND", "0.25"}, {"Window heigh", "150"}, {"Channel", "2"},     {"CustomBase", "4096"},
            {"CustomAlt", "4098"}, {"Seek/Method", "2"},    {"Seek/Timeout", "500"}, {"Security/Method", "0"},
            {"Level", "1"},        {"LogFileName", "my.log"}, {"LogDirName", "MYLOGS"}, {"Password", "secret"}};
}

std::string alternateFor(const shell::SettingKey& k) {
    auto table = alternates();
    std::string qualified = std::string(k.section) + "/" + std::string(k.key);
    if (table.count(qualified)) return table[qualified];
    if (table.count(std::string(k.key))) return table[std::string(k.key)];
    if (k.type == shell::SettingType::Bool) return k.defaultText == "1" ? "0" : "1";
    return {};
}

} // namespace

TEST_F(SettingsFixture, AMissingFileWarnsBeepsAndIsCreatedWithEveryWrittenKeyAtExit) {
    ASSERT_FALSE(t.dir.exists("krv40.ini"));
    app.settings.loadSettings();
    EXPECT_EQ(t.lastMessage(), "Warning! Main INI-file 'krv40.ini' not found, and writen default sets!");
    EXPECT_EQ(app.form.log.StringLog.cell(0, shell::EventLog::MarkColumn), "4");
    EXPECT_EQ(beeps, (std::vector<std::pair<int, int>>{{500, 200}}));
    EXPECT_TRUE(t.dir.exists("LOGS")) << "the log directory is created";

    ASSERT_TRUE(app.settings.saveSettings());
    shell::IniFile ini = savedFile();
    for (const auto& k : shell::settingsKeys()) {
        auto v = ini.value(std::string(k.section), std::string(k.key));
        if (!k.write) {
            EXPECT_FALSE(v) << k.key << " is read-only";
            continue;
        }
        ASSERT_TRUE(v) << k.section << "/" << k.key;
        // With no file, every key took its default; writing it back must give the default again.
        if (!k.defaultText.empty()) {
            EXPECT_EQ(*v, std::string(k.defaultText)) << k.section << "/" << k.key;
        }
    }
    EXPECT_EQ(*ini.value("Info", "Author"), std::string(shell::kSettingsAuthor));
    EXPECT_EQ(*ini.value("Position", "Name"), "Korvane");
}

TEST_F(SettingsFixture, EveryReadAndWrittenKeyRoundTripsANonDefaultValue) {
    shell::IniFile source;
    std::vector<const shell::SettingKey*> checked;
    for (const auto& k : shell::settingsKeys()) {
        std::string alt = alternateFor(k);
        if (!k.read || !k.write || alt.empty()) continue;
        source.writeString(std::string(k.section), std::string(k.key), alt);
        checked.push_back(&k);
    }
    ASSERT_GT(checked.size(), 70u);
    ASSERT_TRUE(source.save(app.env.paths.iniPath));
    app.settings.loadSettings();
    EXPECT_TRUE(beeps.empty());
    EXPECT_TRUE(t.dir.exists("MYLOGS"));
    EXPECT_EQ(app.eventLog.logFilePath(), t.dir.path() + "MYLOGS/my.log");
    ASSERT_TRUE(app.settings.saveSettings());
    shell::IniFile back = savedFile();
    for (const auto* k : checked)
        EXPECT_EQ(back.readString(std::string(k->section), std::string(k->key), "?"), alternateFor(*k))
            << k->section << "/" << k->key;
    EXPECT_EQ(app.session.customBasePort, 0x1000);
    EXPECT_EQ(app.form.standard.port.PortBox.itemIndex(), 2);
    EXPECT_TRUE(app.session.ataClockIsTsc) << "the ATA timer choice took effect on load";
}

TEST_F(SettingsFixture, GarbageValuesGiveDefaultsAndNothingElseIsLost) {
    t.dir.write("krv40.ini",
                "[Setup]\nBUSY Timeout=fifteen\nBell=maybe\nTimer ATA=7\n[ATA Port]\nCustomBase=70000\nCustomAlt=-5\n"
                "[Scan]\nTime of RND=soon\n[Mine]\nkeep=this\n[Setup]\nBUSY Timeout=33\n");
    app.settings.loadSettings();
    EXPECT_EQ(app.form.setup.ata.BusyTrack.position(), 15);
    EXPECT_FALSE(app.form.setup.sound.BellChk.checked());
    EXPECT_EQ(app.form.setup.ata.ATATimerRG.itemIndex(), 1);
    EXPECT_EQ(app.session.customBasePort, 0xD400) << "not a 16-bit port: the default stays";
    EXPECT_EQ(app.session.customAltPort, 0xD802);
    EXPECT_EQ(app.form.tests.RndScTimeEdit.minutesOfDay(), 2 * 60 + 24) << "10.1 days: 02:24";
    ASSERT_TRUE(app.settings.saveSettings());
    EXPECT_EQ(savedFile().readString("Mine", "keep", ""), "this");
}

TEST_F(SettingsFixture, WriteOffSavesNothingAndCreatesNoLogDirectory) {
    t.dir.write("krv40.ini", "[Setup]\nWrite=0\n");
    app.settings.loadSettings();
    EXPECT_FALSE(app.eventLog.logWriteEnabled());
    EXPECT_FALSE(t.dir.exists("LOGS"));
    app.form.setup.sound.BellChk.setChecked(true);
    EXPECT_TRUE(app.settings.saveSettings());
    EXPECT_EQ(t.dir.read("krv40.ini"), "[Setup]\nWrite=0\n");
}

TEST_F(SettingsFixture, SpecialKeysOnReading) {
    t.dir.write("krv40.ini", "[Setup]\nAPI Enable=0\nAutoInstallDriver=0\nAdminRightsIgnore=1\n"
                             "[API]\nLast API device=-1\n[ATA Port]\nChannel=0\nEnable PM=1\n");
    app.settings.loadSettings();
    EXPECT_EQ(app.session.accessMode, access::AccessMode::Api);
    EXPECT_EQ(app.selection.lastApiDevice, 1);
    EXPECT_TRUE(app.selection.enablePrimaryMaster);
    EXPECT_FALSE(app.startup.autoInstallDriver);
    EXPECT_TRUE(app.startup.adminRightsIgnore);
    EXPECT_EQ(app.form.standard.port.PortBox.itemIndex(), 0);
}

TEST_F(SettingsFixture, SpecialKeysOnWriting) {
    app.settings.loadSettings();
    app.form.standard.port.PortBox.setItemIndex(0);
    app.session.apiDeviceNumber = 255;
    app.startup.soundMutedAtNight = true; // start-up unchecked "All sound" for the night
    ASSERT_TRUE(app.settings.saveSettings());
    shell::IniFile ini = savedFile();
    EXPECT_EQ(ini.readInteger("ATA Port", "Channel", -9), 1) << "the primary channel is not remembered";
    EXPECT_EQ(ini.readInteger("API", "Last API device", -9), -1);
    EXPECT_EQ(ini.readInteger("Setup", "All Sound", -9), 1);
    EXPECT_TRUE(app.form.setup.sound.AllSoundChk.checked());

    app.form.setup.presets.NoRememberPrimaryChk.setChecked(false);
    ASSERT_TRUE(app.settings.saveSettings());
    EXPECT_EQ(savedFile().readInteger("ATA Port", "Channel", -9), 0);
}

TEST_F(SettingsFixture, TheScanGridIsReadAgainOnItsOwn) {
    app.settings.loadSettings();
    t.dir.write("krv40.ini", "[Scan]\nGrid=0\n");
    app.settings.readScanGrid();
    EXPECT_FALSE(app.form.tests.DisGridChk.checked());
    EXPECT_FALSE(app.startup.scanGrid);
}

TEST(SettingsPaths, AnUnwritableProgramDirectoryMovesSettingsAndLogsToTheUserDirectory) {
    testsupport::TempDir dir;
    dir.write("blocker", "a file, so nothing can be created below it");
    platform::ScriptedSystemFacts facts;
    facts.programDir = dir.file("blocker") + "/bin/";
    facts.userConfigDir = dir.path() + "config/korvane/";
    shell::AppPaths paths = shell::AppPaths::resolve(facts);
    EXPECT_EQ(paths.iniPath, dir.path() + "config/korvane/krv40.ini");
    EXPECT_EQ(paths.logDirectory("LOGS"), dir.path() + "config/korvane/LOGS/");
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() + "config/korvane"));

    facts.programDir = dir.path();
    EXPECT_EQ(shell::AppPaths::resolve(facts).iniPath, dir.path() + "krv40.ini");
}

TEST(SettingsPaths, SavingIntoAFolderThatCannotBeWrittenFailsWithoutHarm) {
    TestApp t;
    t.dir.write("blocker", "x");
    t.app->env.paths.iniPath = t.dir.file("blocker") + "/krv40.ini";
    t.app->settings.loadSettings();
    EXPECT_FALSE(t.app->settings.saveSettings());
    EXPECT_EQ(t.dir.read("blocker"), "x");
}

TEST_F(SettingsFixture, FloatSettingsOutsideTheirRangeAreClampedWhenRead) {
    for (const char* text : {"1e308", "-5", "nan", "-inf"}) {
        t.dir.write("krv40.ini", std::string("[Scan]\nTime of RND=") + text + "\n");
        app.settings.loadSettings();
        double v = app.form.tests.RndScTimeEdit.value();
        EXPECT_TRUE(v >= 0 && v < 3e6) << text << " -> " << v;
        EXPECT_GE(app.form.tests.RndScTimeEdit.minutesOfDay(), 0);
    }
    t.dir.write("krv40.ini", "[Scan]\nTime of RND=0,25\n");
    app.settings.loadSettings();
    EXPECT_EQ(app.form.tests.RndScTimeEdit.value(), 0.25) << "a comma value is the user's value, not the default";
    ASSERT_TRUE(app.settings.saveSettings());
    EXPECT_EQ(savedFile().readString("Scan", "Time of RND", ""), "0.25");
}

TEST_F(SettingsFixture, SavingTwiceChangesNothingForTheBadInputFiles) {
    for (const char* name : {"ini_quotes.ini", "ini_logfilename_space.ini", "ini_time_of_rnd.ini"}) {
        std::ifstream in(std::string(KORVANE_TEST_DATA) + "/bad-input/" + name, std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        ASSERT_FALSE(text.empty()) << name;
        t.dir.write("krv40.ini", text);
        app.settings.loadSettings();
        ASSERT_TRUE(app.settings.saveSettings());
        std::string once = t.dir.read("krv40.ini");
        app.settings.loadSettings();
        ASSERT_TRUE(app.settings.saveSettings());
        EXPECT_EQ(t.dir.read("krv40.ini"), once) << name;
    }
    t.dir.write("krv40.ini", "[Setup]\nLogFileName=\" spaced.txt \"\n");
    app.settings.loadSettings();
    EXPECT_EQ(app.form.setup.log.LogFileEdit.text(), " spaced.txt ");
}

// Files that are no settings file are read as defaults, said so, and never written over.
TEST_F(SettingsFixture, ABinaryOrHugeFileIsNotReadAsSettingsNorWrittenOver) {
    std::string binary = "[Setup]\nBUSY Timeout=30\n";
    binary += std::string("\0\x01\xFF\xFE", 4) + "garbage";
    const std::string huge = "[Setup]\nBUSY Timeout=30\n" + std::string(shell::IniFile::kMaxFileBytes, ';');
    for (const auto& [name, content] : std::vector<std::pair<std::string, std::string>>{{"binary", binary}, {"huge", huge}}) {
        SCOPED_TRACE(name);
        t.dir.write("krv40.ini", content);
        app.settings.loadSettings();
        EXPECT_NE(t.lastMessage().find("is not a settings file"), std::string::npos) << t.lastMessage();
        EXPECT_EQ(app.form.setup.ata.BusyTrack.position(), 15) << "the default, not the file's 30";
        EXPECT_FALSE(app.settings.saveSettings());
        EXPECT_EQ(t.dir.read("krv40.ini"), content) << "the file is left as it was";
    }
}

TEST_F(SettingsFixture, DuplicatedSectionsTheFirstWinsAndNothingIsLostOnSave) {
    t.dir.write("krv40.ini", "[Setup]\nBUSY Timeout=30\n[Other]\nmine=1\n[Setup]\nBUSY Timeout=5\nExtra=kept\n");
    app.settings.loadSettings();
    EXPECT_EQ(app.form.setup.ata.BusyTrack.position(), 30);
    ASSERT_TRUE(app.settings.saveSettings());
    const std::string saved = t.dir.read("krv40.ini");
    for (const char* kept : {"mine=1", "BUSY Timeout=5", "Extra=kept"}) EXPECT_NE(saved.find(kept), std::string::npos) << kept;
    EXPECT_EQ(savedFile().readInteger("Setup", "BUSY Timeout", 0), 30);
}

// Two programs on one settings file: each writes the whole file at once, so the file is always
// one program's whole save, and the last to close wins.
TEST(SettingsTwoPrograms, TheLastToCloseWinsWholeAndNoFileIsTorn) {
    TestApp first, second;
    second.facts.programDir = first.dir.path();
    second.app->env.paths.iniPath = first.app->env.paths.iniPath;
    first.app->settings.loadSettings();
    second.app->settings.loadSettings();
    first.app->form.setup.ata.BusyTrack.setPosition(20);
    second.app->form.setup.ata.BusyTrack.setPosition(25);

    std::atomic<bool> stop{false};
    std::atomic<int> torn{0}, reads{0};
    std::thread reader([&] {
        while (!stop) {
            shell::IniFile ini;
            if (!ini.load(first.app->env.paths.iniPath)) continue;
            ++reads;
            const int busy = ini.readInteger("Setup", "BUSY Timeout", -1);
            if (busy != 20 && busy != 25) ++torn;
        }
    });
    // Saves go on until the reader has looked at the file often enough to have caught a torn one.
    for (int i = 0; i < 5000 && (i < 50 || reads < 50); ++i) {
        ASSERT_TRUE(first.app->settings.saveSettings());
        ASSERT_TRUE(second.app->settings.saveSettings());
    }
    ASSERT_TRUE(first.app->settings.saveSettings());
    ASSERT_TRUE(second.app->settings.saveSettings()); // the last to close
    stop = true;
    reader.join();
    EXPECT_GE(reads, 50);
    EXPECT_EQ(torn, 0) << "of " << reads << " reads";
    shell::IniFile ini;
    ASSERT_TRUE(ini.load(first.app->env.paths.iniPath));
    EXPECT_EQ(ini.readInteger("Setup", "BUSY Timeout", -1), 25);
    size_t files = 0;
    for (const auto& e : std::filesystem::directory_iterator(first.dir.path()))
        files += e.path().filename().string().rfind("krv40.ini", 0) == 0;
    EXPECT_EQ(files, 1u) << "no temporary file is left behind";
}
