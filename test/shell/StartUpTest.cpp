#include "shell/IniFile.h"
#include "support/TestApp.h"

#include <gtest/gtest.h>

#include "platform/host/HostSystemFacts.h"

#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iterator>

using namespace korvane;
using access::AccessMode;
using platform::OsFacts;
using platform::PlatformId;
using testsupport::TestApp;

namespace {

OsFacts windows(PlatformId platform, unsigned major, unsigned minor, unsigned build = 0, bool server = false,
                bool x64 = false) {
    OsFacts os;
    os.platform = platform;
    os.major = major;
    os.minor = minor;
    os.build = build;
    os.server = server;
    os.is64BitWindows = x64;
    os.isAdmin = true;
    os.processors = 4;
    return os;
}

struct StartUpFixture : ::testing::Test {
    TestApp t;
    shell::App& app = *t.app;

    void settings(const std::string& ini) { t.dir.write(shell::AppPaths::kIniName, ini); }
    void start() { app.startUp.startUp(); }
    bool logged(const std::string& text) const {
        auto m = t.messages();
        return std::find(m.begin(), m.end(), text) != m.end();
    }
    size_t commandsOnAllDrives() const {
        size_t n = 0;
        for (uint16_t base : {uint16_t(0x1F0), uint16_t(0x170), uint16_t(0xD400)})
            for (int slave : {0, 1})
                if (auto* d = t.lab->channelAt(base)->device(slave)) n += d->commandsReceived().size();
        return n;
    }
};

TEST_F(StartUpFixture, FullStartOnLinuxOpensPortsAndSelectsTheSavedChannel) {
    settings("[ATA Port]\nChannel=1\n");
    start();
    auto m = t.messages();
    ASSERT_FALSE(m.empty());
    EXPECT_EQ(m.front().rfind("Starting Korvane 4.61b-SSD, https://korvane.example/. 2xCPU, ", 0), 0u) << m.front();
    EXPECT_NE(m.front().find(" MHz, Linux 6.1.0-lab x64 found."), std::string::npos) << m.front();
    EXPECT_TRUE(app.session.ntFamily);
    EXPECT_TRUE(app.session.portDriverReady);
    EXPECT_EQ(app.session.accessMode, AccessMode::Pio);
    EXPECT_EQ(app.form.header.APIRg.itemIndex(), 1);
    EXPECT_TRUE(app.form.header.APIRg.enabled());
    EXPECT_TRUE(app.form.IndTimer.enabled());
    EXPECT_EQ(app.session.pioBasePort, 0x170);
    EXPECT_EQ(app.session.pioStatusPort, app.form.standard.port.AltStChk.checked() ? 0x376 : 0x177);
    EXPECT_EQ(app.form.Application.caption(), "Korvane ");
    for (const auto& line : m) EXPECT_EQ(line.find("Error"), std::string::npos) << line;
    // The device register of the secondary master was written (A0h) during start-up.
    EXPECT_EQ(t.lab->channelAt(0x170)->device(0)->readRegister(6, false) & 0xF0, 0xA0);
}

struct Outcome {
    const char* name;
    OsFacts os;
    std::string ini;
    bool grantsPorts, hasPortInstructions;
    AccessMode mode;
    bool selectorEnabled, pageEnabled, portsReady;
    std::vector<std::string> lines, absent;
};

struct StartUpOutcomes : StartUpFixture, ::testing::WithParamInterface<Outcome> {};

TEST_P(StartUpOutcomes, LogAndAccessPaths) {
    const Outcome& o = GetParam();
    t.facts.os = o.os;
    t.lab->grantsPorts = o.grantsPorts;
    t.lab->hasPortInstructions = o.hasPortInstructions;
    settings(o.ini);
    start();
    // The lines appear in the order given.
    auto m = t.messages();
    auto at = m.begin();
    for (const auto& line : o.lines) {
        auto found = std::find(at, m.end(), line);
        EXPECT_NE(found, m.end()) << "missing or out of order: " << line;
        if (found != m.end()) at = found;
    }
    for (const auto& line : o.absent) EXPECT_FALSE(logged(line)) << "unexpected: " << line;
    EXPECT_EQ(app.session.accessMode, o.mode);
    EXPECT_EQ(app.form.header.APIRg.enabled(), o.selectorEnabled);
    EXPECT_EQ(app.form.MainPage.enabled(), o.pageEnabled);
    EXPECT_EQ(app.startUp.keyboardEnabled, o.pageEnabled);
    EXPECT_EQ(app.session.portDriverReady, o.portsReady);
    EXPECT_EQ(app.form.header.APIRg.itemIndex(), o.mode == AccessMode::Pio ? 1 : 0);
}

const std::string kOpenFailed = "PortTalk driver not installed! Available only API access";
const std::string kInstallFailed = "Error! Can`t install PortTalk driver! Available only API access.";
const std::string kDisabled = "Program disabled. Please, use administrator rights";

OsFacts linuxUser(bool admin) {
    OsFacts os;
    os.platform = PlatformId::Linux;
    os.release = "6.1.0-lab";
    os.isAdmin = admin;
    os.processors = 2;
    return os;
}

INSTANTIATE_TEST_SUITE_P(
    StartUp, StartUpOutcomes,
    ::testing::Values(
        Outcome{"Windows64",
                windows(PlatformId::WindowsNT, 6, 1, 7601, false, true),
                "",
                false,
                true,
                AccessMode::Api,
                false,
                true,
                false,
                {"[Hint] We recommend 32-bit Windows XP for a best work!",
                 "Warning! Windows 64 bit does not support PIO mode.", "We recommend 32-bit Windows XP to work in PIO"},
                {kOpenFailed, kInstallFailed, "PORTTALK Error. Invalid driver handle"}},
        Outcome{"Windows98",
                windows(PlatformId::Windows9x, 4, 10, 1998),
                "",
                true,
                true,
                AccessMode::Pio,
                false,
                true,
                false,
                {"Windows 2000/XP not detected. API mode disabled.",
                 "[ Hint ] Use Windows 2000/XP to full capacity utilization!"},
                {kOpenFailed}},
        Outcome{"WindowsNT4",
                windows(PlatformId::WindowsNT, 4, 0, 1381),
                "",
                true,
                true,
                AccessMode::Pio,
                true,
                true,
                true,
                {"Windows NT found, possible several function will not work"},
                {}},
        Outcome{"NoRights", linuxUser(false), "", true, true, AccessMode::Pio, false, false, false, {kDisabled}, {}},
        Outcome{"RightsIgnored",
                linuxUser(false),
                "[Setup]\nAdminRightsIgnore=1\n",
                true,
                true,
                AccessMode::Pio,
                true,
                true,
                true,
                {},
                {kDisabled}},
        Outcome{"PortsRefused",
                linuxUser(true),
                "",
                false,
                true,
                AccessMode::Api,
                false,
                true,
                false,
                {"[AllowIO]You must have administrator rights", "PORTTALK Error. Invalid driver handle", kOpenFailed},
                {kInstallFailed}},
        Outcome{"NoPortInstructions",
                linuxUser(true),
                "",
                false,
                false,
                AccessMode::Api,
                false,
                true,
                false,
                {kInstallFailed, "So that this messages did not appear - replace a line in an ini-file:",
                 "[Setup] AutoInstallDriver=0 (1-install driver; 0-don't install)", kOpenFailed},
                {}},
        // Without the install step, ports that are there are simply opened.
        Outcome{"NoInstallStep",
                linuxUser(true),
                "[Setup]\nAutoInstallDriver=0\n",
                true,
                false,
                AccessMode::Pio,
                true,
                true,
                true,
                {},
                {kInstallFailed, kOpenFailed}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(StartUpFixture, WithoutRightsTheLogEndsWithTheRefusalAndNoDriveIsTouched) {
    t.facts.os = linuxUser(false);
    start();
    EXPECT_EQ(t.lastMessage(), kDisabled);
    EXPECT_EQ(commandsOnAllDrives(), 0u);
    EXPECT_FALSE(app.form.commands.GrayPanel.enabled());
    EXPECT_FALSE(app.form.IndTimer.enabled());
}

TEST_F(StartUpFixture, WithoutRightsTheLogAlsoSaysWhatIsMissingAndHowToGetIt) {
    t.facts.os = linuxUser(false);
    t.facts.os.missingRights = {"Linux: PIO mode needs port access", "Linux: start it as root"};
    start();
    auto m = t.messages();
    auto at = std::find(m.begin(), m.end(), kDisabled);
    ASSERT_NE(at, m.end());
    ASSERT_GE(m.end() - at, 3);
    EXPECT_EQ(*(at + 1), "Linux: PIO mode needs port access");
    EXPECT_EQ(*(at + 2), "Linux: start it as root");
    EXPECT_EQ(commandsOnAllDrives(), 0u);
}

TEST(HostRights, ANormalUserIsToldWhatIsMissing) {
    if (geteuid() != 0) {
        // Run as a normal user: the lines are this process's own.
        auto os = korvane::platform::HostSystemFacts().osFacts();
        EXPECT_FALSE(os.missingRights.empty());
        return;
    }
    // A copy any user can run: the build tree itself may not be open to other users.
    korvane::testsupport::TempDir dir;
    const std::string copy = dir.file("korvane-cli");
    const std::string out = korvane::testsupport::runShell(
        "(command -v setpriv >/dev/null && cp '" KORVANE_PROGRAM_DIR "korvane-cli' '" + copy + "' && chmod 755 '" +
        dir.path() + "' '" + copy + "' && setpriv --reuid=65534 --regid=65534 --clear-groups '" + copy +
        "' --quiet --ini /nonexistent/krv40.ini --logs /nonexistent/ --host devices 2>&1; true)");
    if (out.empty()) GTEST_SKIP() << "setpriv cannot run the program as another user here";
    EXPECT_NE(out.find("Program disabled. Please, use administrator rights"), std::string::npos) << out;
    EXPECT_NE(out.find("CAP_SYS_RAWIO"), std::string::npos) << out;
    EXPECT_NE(out.find("disk group"), std::string::npos) << out;
}

TEST_F(StartUpFixture, SavedApiModeStartsLikeASwitchToApi) {
    settings("[Setup]\nAPI Enable=0\n[API]\nLast API device=2\n");
    start();
    EXPECT_EQ(app.session.accessMode, AccessMode::Api);
    EXPECT_EQ(app.form.header.APIRg.itemIndex(), 0);
    EXPECT_TRUE(app.form.standard.api.ApiList.visible());
    EXPECT_FALSE(app.form.standard.port.PortGrp.visible());
    EXPECT_GT(app.form.standard.api.ApiList.rowCount(), 2u);
    EXPECT_EQ(app.form.log.ApiNumberEdit.value(), 2);
    EXPECT_EQ(app.session.apiDeviceNumber, 2);
    EXPECT_FALSE(app.form.IndTimer.enabled());
}

TEST_F(StartUpFixture, SavedDeviceThatNoLongerExistsFallsBackToTheHighest) {
    TestApp single("single");
    single.dir.write(shell::AppPaths::kIniName, "[Setup]\nAPI Enable=0\n[API]\nLast API device=7\n");
    single.app->startUp.startUp();
    auto& a = *single.app;
    EXPECT_EQ(a.selection.maxPhysicalDrive, 0);
    EXPECT_EQ(a.form.log.ApiNumberEdit.value(), 0);
    EXPECT_EQ(a.session.apiDeviceNumber, 0);
    ASSERT_GE(a.form.standard.api.ApiList.rowCount(), 1u);
    EXPECT_EQ(a.form.standard.api.ApiList.cell(0, 4), "1");
}

TEST_F(StartUpFixture, LabWithoutDisksListsOneDisconnectedRow) {
    TestApp empty("empty");
    empty.dir.write(shell::AppPaths::kIniName, "[Setup]\nAPI Enable=0\n[API]\nShow logical=0\n");
    empty.app->startUp.startUp();
    auto& list = empty.app->form.standard.api.ApiList;
    ASSERT_EQ(list.rowCount(), 1u);
    EXPECT_EQ(list.cell(0, 2), "  -");
    EXPECT_EQ(list.cell(0, 3), "Disconnected drive");
    EXPECT_EQ(list.cell(0, 4), "x");
    EXPECT_EQ(empty.app->form.log.ApiNumberEdit.max(), 0);
}

TEST(DescribeOperatingSystem, NamesEveryRowOfTheTable) {
    struct Case {
        OsFacts os;
        const char* name;
    } cases[] = {
        {windows(PlatformId::Win32s, 3, 1), "Win32s x32"},
        {windows(PlatformId::Windows9x, 4, 0, 950), "Windows 95 x32"},
        {windows(PlatformId::Windows9x, 4, 10, 1998), "Windows 98 x32"},
        {windows(PlatformId::Windows9x, 4, 90, 3000), "Windows Me x32"},
        {windows(PlatformId::Windows9x, 4, 10, 2222), "Windows x32"},
        {windows(PlatformId::WindowsNT, 3, 51), "Windows NT 3.51 x32"},
        {windows(PlatformId::WindowsNT, 4, 0, 1381, true), "Windows NT 4.0 x32"},
        {windows(PlatformId::WindowsNT, 5, 0), "Windows 2000 x32"},
        {windows(PlatformId::WindowsNT, 5, 1), "Windows XP x32"},
        {windows(PlatformId::WindowsNT, 5, 2, 0, true, true), "Windows Server 2003 x64"},
        {windows(PlatformId::WindowsNT, 6, 0), "Windows Vista x32"},
        {windows(PlatformId::WindowsNT, 6, 0, 0, true), "Windows Server 2008 x32"},
        {windows(PlatformId::WindowsNT, 6, 1), "Windows 7 x32"},
        {windows(PlatformId::WindowsNT, 6, 1, 0, true), "Windows Server 2008 R2 x32"},
        {windows(PlatformId::WindowsNT, 6, 1, 0, true, true), "Windows Server 2008 R2 x64"},
        {windows(PlatformId::WindowsNT, 6, 2, 0, true), "Windows Server 2012 x32"},
        {windows(PlatformId::WindowsNT, 6, 3), "Windows 8.1 x32"},
        {windows(PlatformId::WindowsNT, 6, 3, 0, true), "Windows Server 2012 R2 x32"},
        {windows(PlatformId::WindowsNT, 10, 0, 19045, false, true), "Windows 10 x64"},
        {windows(PlatformId::WindowsNT, 10, 0, 0, true), "Windows Server 2016 x32"},
        {windows(PlatformId::WindowsNT, 11, 0), "Windows x32"},
        {linuxUser(true), "Linux 6.1.0-lab x64"},
    };
    for (const auto& c : cases) EXPECT_EQ(shell::StartUp::describeOperatingSystem(c.os), c.name);
}

TEST_F(StartUpFixture, NightStartIsMutedAndClosingStoresSoundOn) {
    settings("[Setup]\nAll Sound=1\n");
    t.facts.dayFraction = 3.0 / 24; // 03:00
    start();
    EXPECT_FALSE(app.form.setup.sound.AllSoundChk.checked());
    EXPECT_TRUE(app.startup.soundMutedAtNight);
    app.startUp.onClose();
    app.startUp.onDestroy();
    shell::IniFile ini;
    ini.load(app.env.paths.iniPath);
    EXPECT_EQ(ini.readString("Setup", "All Sound", ""), "1");
}

TEST_F(StartUpFixture, NightWindowBoundsAreExclusive) {
    for (double at : {0.04167262731481, 0.333371481481481, 0.5, 0.01}) {
        TestApp fresh;
        fresh.dir.write(shell::AppPaths::kIniName, "[Setup]\nAll Sound=1\n");
        fresh.facts.dayFraction = at;
        fresh.app->startUp.startUp();
        EXPECT_TRUE(fresh.app->form.setup.sound.AllSoundChk.checked()) << at;
    }
}

TEST_F(StartUpFixture, CloseBreaksAndMakesWaitsReturn) {
    start();
    app.commands.clearBreak();
    ASSERT_FALSE(app.session.breakRequested);
    app.startUp.onClose();
    EXPECT_TRUE(app.session.breakRequested);
    EXPECT_TRUE(app.session.closing);
    // A wait that would run into its time-out returns at once now.
    t.lab->channelAt(0x170)->device(0)->faults.stuckBusy = true;
    uint64_t before = t.clock.nowNs();
    app.pio.waitNotBusy();
    EXPECT_LT(t.clock.nowNs() - before, 1'000'000'000ull);
}

TEST_F(StartUpFixture, GuardsIgnoreRepeatsUntilTheTimerResetsThem) {
    auto& s = app.startUp;
    EXPECT_TRUE(s.enter(shell::StartUp::ScanGuard));
    EXPECT_FALSE(s.enter(shell::StartUp::ScanGuard));
    EXPECT_TRUE(s.enter(shell::StartUp::LockGuard));
    app.form.ResetFlagTimer.fire();
    EXPECT_TRUE(s.enter(shell::StartUp::ScanGuard));
    EXPECT_TRUE(s.enter(shell::StartUp::LockGuard));
}

TEST_F(StartUpFixture, SettingsHandlersMirrorAndEnable) {
    start();
    auto& f = app.form;
    f.setup.sound.AllSoundChk.setChecked(false, form::Origin::User);
    EXPECT_FALSE(f.setup.sound.BellChk.enabled());
    EXPECT_FALSE(f.log.SoundChk.checked());
    f.log.SoundChk.setChecked(true, form::Origin::User);
    EXPECT_TRUE(f.setup.sound.AllSoundChk.checked());
    EXPECT_TRUE(f.setup.sound.BellChk.enabled());
    f.setup.presets.ShowLogicalChk.setChecked(false, form::Origin::User);
    EXPECT_FALSE(f.setup.presets.IgnoreFddChk.enabled());
    f.setup.presets.RussianChk.setChecked(true, form::Origin::User);
    EXPECT_TRUE(app.startup.russianHelp);
    f.setup.scanOptions.EnaBrkInCyclChk.setChecked(true, form::Origin::User);
    EXPECT_TRUE(app.session.breakLoopsEnabled);
}

TEST_F(StartUpFixture, RussianFlagAnnouncesTheHelp) {
    settings("[Setup]\nRussian=1\n");
    start();
    EXPECT_TRUE(logged("Press F1 to russian help"));
}

TEST_F(StartUpFixture, HelpOpensTheFirstPageThatExists) {
    start();
    auto& help = app.form.help;
    app.startUp.showHelp();
    EXPECT_EQ(help.document, "");
    EXPECT_TRUE(help.visible());
    EXPECT_EQ(help.caption(), std::string(shell::StartUp::kCaption) + " Help");
    t.dir.write("dummi.htm", "<html></html>");
    app.startUp.showHelp();
    EXPECT_EQ(help.document, t.dir.file("dummi.htm"));
    t.dir.write("korhlp.htm", "<html></html>");
    app.startUp.showHelp();
    EXPECT_EQ(help.document, t.dir.file("korhlp.htm"));
}

TEST_F(StartUpFixture, AnInstalledCopyFindsItsHelpUnderShare) {
    std::filesystem::create_directories(t.dir.file("bin"));
    std::filesystem::create_directories(t.dir.file("share/korvane"));
    t.dir.write("share/korvane/korhlp.htm", "<html></html>");
    t.facts.programDir = t.dir.file("bin/");
    start();
    app.startUp.showHelp();
    EXPECT_EQ(app.form.help.document, t.dir.file("bin/../share/korvane/korhlp.htm"));
}

} // namespace

namespace {

TEST(HelpPage, InstalledBesideTheProgramAndNamesEveryPage) {
    TestApp t;
    t.facts.programDir = KORVANE_PROGRAM_DIR;
    t.app->startUp.showHelp();
    ASSERT_EQ(t.app->form.help.document, std::string(KORVANE_PROGRAM_DIR) + "korhlp.htm");
    std::ifstream in(t.app->form.help.document);
    std::string page((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (const char* word : {"<th>Standard</th>", "<th>Tests</th>", "<th>SMART</th>", "<th>Advanced</th>",
                             "<th>Setup</th>", "<th>API</th>", "<th>PIO</th>", "Safety rules", "korvane-cli"})
        EXPECT_NE(page.find(word), std::string::npos) << word;
}

} // namespace
