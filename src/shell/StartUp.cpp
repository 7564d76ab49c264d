#include "shell/StartUp.h"


#include <cstring>
#include <filesystem>

namespace korvane::shell {

using access::AccessMode;
using platform::PlatformId;

StartUp::StartUp(StartUpContext context) : c_(context) { wireHandlers(); }

void StartUp::wireHandlers() {
    auto& f = c_.form;
    f.ResetFlagTimer.onTimer = [this] { guards.fill(true); };
    auto& allSound = f.setup.sound.AllSoundChk;
    allSound.onClick = [this] {
        auto& f = c_.form;
        bool on = f.setup.sound.AllSoundChk.checked();
        c_.session.soundEnabled = on;
        f.setup.sound.BellChk.setEnabled(on);
        f.log.SoundChk.setChecked(on);
    };
    f.setup.sound.BellChk.onClick = [this] { c_.session.bellEnabled = c_.form.setup.sound.BellChk.checked(); };
    c_.session.soundEnabled = allSound.checked();
    c_.session.bellEnabled = f.setup.sound.BellChk.checked();
    f.log.SoundChk.onClick = [this] { c_.form.setup.sound.AllSoundChk.setChecked(c_.form.log.SoundChk.checked()); };
    f.setup.presets.ShowLogicalChk.onClick = [this] {
        c_.form.setup.presets.IgnoreFddChk.setEnabled(c_.form.setup.presets.ShowLogicalChk.checked());
    };
    f.setup.presets.RussianChk.onClick = [this] { c_.startup.russianHelp = c_.form.setup.presets.RussianChk.checked(); };
    f.setup.scanOptions.EnaBrkInCyclChk.onClick = [this] {
        c_.session.breakLoopsEnabled = c_.form.setup.scanOptions.EnaBrkInCyclChk.checked();
    };
    f.commands.ResetBtn.onClick = [this] {
        c_.commands.clearBreak();
        auto bracket = c_.commands.bracket();
        c_.pio.driveReset();
    };
    f.commands.BreakBtn.onClick = [this] { c_.commands.requestBreak(); };
    f.IndTimer.onTimer = [this] {
        c_.pio.updateStatusPanel();
        c_.pio.updateRegisterMonitor();
    };
}

std::string StartUp::describeOperatingSystem(const platform::OsFacts& os) {
    if (os.platform == PlatformId::Linux) return "Linux " + os.release + " x64";
    std::string name = "Windows";
    unsigned ma = os.major, mi = os.minor;
    switch (os.platform) {
    case PlatformId::Win32s: name = "Win32s"; break;
    case PlatformId::Windows9x:
        if (ma == 4 && mi == 0 && os.build == 950) name = "Windows 95";
        else if (ma == 4 && mi == 10 && os.build == 1998) name = "Windows 98";
        else if (mi == 90) name = "Windows Me";
        break;
    case PlatformId::WindowsNT:
        if (ma == 3) name = "Windows NT 3.51";
        else if (ma == 4) name = "Windows NT 4.0";
        else if (ma == 5 && mi == 0) name = "Windows 2000";
        else if (ma == 5 && mi == 1) name = "Windows XP";
        else if (ma == 5 && mi == 2) name = "Windows Server 2003";
        else if (ma == 6 && mi == 0) name = os.server ? "Windows Server 2008" : "Windows Vista";
        else if (ma == 6 && mi == 1) name = os.server ? "Windows Server 2008 R2" : "Windows 7";
        else if (ma == 6 && mi == 2) name = os.server ? "Windows Server 2012" : "Windows 8";
        else if (ma == 6 && mi == 3) name = os.server ? "Windows Server 2012 R2" : "Windows 8.1";
        else if (ma == 10 && mi == 0) name = os.server ? "Windows Server 2016" : "Windows 10";
        break;
    default: break;
    }
    return name + " " + (os.is64BitWindows ? "x64" : "x32");
}

void StartUp::startUp() {
    auto& f = c_.form;
    auto& s = c_.session;
    // 1-3: the window, the session's start values, the scan direction pictures.
    f.setCaption(kCaption);
    f.Application.setCaption("Korvane ");
    s.apiDriveLetter = 'C';
    c_.selection.lastApiDevice = 0;
    s.pioBasePort = 0x170;
    s.pioAltPort = 0x376;
    s.pioStatusPort = 0x177;
    f.IndTimer.setEnabled(false);
    if (initScanDirections) initScanDirections();
    // 4-5: the clock, then the settings.
    c_.timing.measureCpuClock();
    c_.settings.loadSettings();

    platform::OsFacts os = c_.facts.osFacts();
    if (!checkPlatform(os)) return;
    obtainPortAccess(os);
    initialDriveState();

    // 15-20
    c_.clockControls.recomputeTimeouts();
    if (applyPanelTints) applyPanelTints();
    if (s.accessMode == AccessMode::Pio) {
        f.IndTimer.setEnabled(true);
        c_.pio.powerProbe();
    }
    c_.passportReader.refreshLba = f.setup.scanOptions.lbasyncChk.checked();
    if (s.accessMode == AccessMode::Pio) {
        f.header.APIRg.setItemIndex(1);
    } else {
        // A start in API mode sets the window up as the switch to API does.
        c_.selection.switchRequested = true;
        if (f.header.APIRg.itemIndex() == 0)
            c_.deviceSelection.switchAccessMode();
        else
            f.header.APIRg.setItemIndex(0);
        f.log.ApiNumberEdit.setValue(c_.selection.lastApiDevice);
    }
    bool write = c_.eventLog.logWriteEnabled();
    for (form::Control* c : {static_cast<form::Control*>(&f.standard.passport.PassChk),
                             static_cast<form::Control*>(&f.log.LogMenu.item(3)),
                             static_cast<form::Control*>(&f.smart.monitor.SmrtChkFileSave),
                             static_cast<form::Control*>(&f.setup.log.LogGrp),
                             static_cast<form::Control*>(&f.setup.log.LogDirLabel),
                             static_cast<form::Control*>(&f.setup.log.LogDirEdit)})
        c->setEnabled(write);
    // 21-26
    if (smartPlaceholderRows) smartPlaceholderRows();
    static const uint8_t zeros[512] = {};
    f.advanced.sector.HexE.load(zeros, sizeof zeros);
    nightMuting();
    c_.settings.readScanGrid();
    c_.startup.russianHelp = f.setup.presets.RussianChk.checked();
    if (c_.startup.russianHelp) c_.eventLog.logEvent("Press F1 to russian help", 0, 1);
    if (s.accessMode == AccessMode::Api) std::memset(s.buffers.transferBuffer(), 0, 1 << 20);
    s.stampWrites = f.tests.ScNumLbaChk.checked();
}

bool StartUp::checkPlatform(const platform::OsFacts& os) {
    auto& f = c_.form;
    auto& s = c_.session;
    bool windows = os.platform != PlatformId::Linux;
    s.ntFamily = false;
    s.portDriverReady = false;
    // Linux has disk devices and their pass-through requests, as the NT family does.
    if (os.platform == PlatformId::WindowsNT || os.platform == PlatformId::Linux) {
        s.ntFamily = true;
        if (windows && os.major <= 4) c_.eventLog.logEvent("Windows NT found, possible several function will not work", 0, 4);
    }
    c_.startup.is64BitWindows = windows && os.is64BitWindows;
    c_.startup.isAdmin = os.isAdmin;
    c_.eventLog.logEvent("Starting" + f.caption() + ". " + std::to_string(os.processors) + "xCPU, " +
                      access::Timing::mhzText(c_.clockState.cpuMHz) + ", " + describeOperatingSystem(os) + " found.",
                  0, 1);
    if (windows && os.major > 5) c_.eventLog.logEvent("[Hint] We recommend 32-bit Windows XP for a best work!", 0, 3);
    if (!s.ntFamily) {
        c_.eventLog.logEvent("Windows 2000/XP not detected. API mode disabled.", 0, 4);
        c_.eventLog.logEvent("[ Hint ] Use Windows 2000/XP to full capacity utilization!", 0, 4);
        s.accessMode = AccessMode::Pio;
        f.header.APIRg.setEnabled(false);
    } else if (!c_.startup.adminRightsIgnore && !os.isAdmin) {
        c_.eventLog.logEvent("Program disabled. Please, use administrator rights", 0, 4);
        for (const std::string& line : os.missingRights) c_.eventLog.logEvent(line, 0, 4);
        if (applyPanelTints) applyPanelTints();
        f.header.APIRg.setEnabled(false);
        f.MainPage.setEnabled(false);
        f.commands.GrayPanel.setEnabled(false);
        keyboardEnabled = false;
        return false;
    }
    return true;
}

void StartUp::obtainPortAccess(const platform::OsFacts&) {
    auto& f = c_.form;
    auto& s = c_.session;
    auto& sel = c_.deviceSelection;
    auto& driver = c_.portDriver;
    if (c_.startup.is64BitWindows) {
        c_.eventLog.logEvent("Warning! Windows 64 bit does not support PIO mode.", 0, 4);
        c_.eventLog.logEvent("We recommend 32-bit Windows XP to work in PIO", 0, 4);
        s.accessMode = AccessMode::Api;
        f.header.APIRg.setItemIndex(0);
        f.header.APIRg.setEnabled(false);
    } else {
        sel.channelChanged();
        if (s.ntFamily && c_.startup.autoInstallDriver && c_.eventLog.logWriteEnabled()) {
            if (driver.installPortDriver()) {
                f.header.APIRg.setEnabled(true);
            } else {
                c_.eventLog.logEvent("Error! Can`t install PortTalk driver! Available only API access.", 0, 4);
                c_.eventLog.logEvent("So that this messages did not appear - replace a line in an ini-file:", 0, 4);
                c_.eventLog.logEvent("[Setup] AutoInstallDriver=0 (1-install driver; 0-don't install)", 0, 4);
                s.accessMode = AccessMode::Api;
                f.header.APIRg.setEnabled(false);
            }
        }
    }
    if (f.standard.port.PortBox.itemIndex() == 2) {
        auto& port = f.standard.port;
        port.BasePortEdit.setText(access::DeviceSelection::hex(s.customBasePort, 4), form::Origin::User);
        port.AltPortEdit.setText(access::DeviceSelection::hex(s.customAltPort, 4), form::Origin::User);
        sel.basePortEdited();
        sel.altPortEdited();
    }
    if (s.ntFamily && !c_.startup.is64BitWindows) {
        if (driver.openPortDriver()) {
            s.portDriverReady = true;
            f.header.APIRg.setEnabled(true);
        } else {
            c_.eventLog.logEvent("PortTalk driver not installed! Available only API access", 0, 4);
            s.accessMode = AccessMode::Api;
            f.header.APIRg.setEnabled(false);
        }
        // No pause after it: the pause let a driver service settle, and port access here is a
        // grant the kernel gives or refuses at once.
    }
}

void StartUp::initialDriveState() {
    auto& f = c_.form;
    auto& s = c_.session;
    if (s.accessMode == AccessMode::Pio) {
        c_.ports.outb(uint16_t(s.pioBasePort + 6), 0xA0);
        c_.pio.selectDevice();
    }
    c_.clockState.pioScanPolls = f.setup.timers.RTChk.itemIndex() == 0;
    if (recomputeScanThresholds) recomputeScanThresholds();
    if (clearSpeedGraph) clearSpeedGraph();
    s.apiDeviceNumber = uint8_t(f.log.ApiNumberEdit.value());
}

void StartUp::nightMuting() {
    double t = c_.facts.timeOfDay();
    if (t > 0.04167262731481 && t < 0.333371481481481) {
        auto& sound = c_.form.setup.sound.AllSoundChk;
        c_.startup.soundMutedAtNight = sound.checked();
        sound.setChecked(false);
    }
}

void StartUp::onClose() {
    c_.form.commands.BreakBtn.click();
    c_.session.closing = true;
}

void StartUp::onDestroy() { c_.settings.saveSettings(); }

void StartUp::onMinimize() { c_.startup.appMinimized = true; }

void StartUp::onRestore() { c_.startup.appMinimized = false; }

void StartUp::showHelp() {
    auto& help = c_.form.help;
    // Beside the program in a build tree; an installed copy keeps its data under share/.
    const std::string bin = c_.facts.programDirectory();
    std::error_code ec;
    help.document.clear();
    for (const std::string& dir : {bin, bin + "../share/korvane/"})
        for (const char* name : {"korhlp.htm", "dummi.htm"})
            if (help.document.empty() && std::filesystem::exists(dir + name, ec)) help.document = dir + name;
    help.setCaption(c_.form.caption() + " Help");
    help.show();
}

} // namespace korvane::shell
