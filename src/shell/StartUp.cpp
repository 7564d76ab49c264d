#include "shell/StartUp.h"

#include "shell/App.h"

#include <cstring>
#include <filesystem>

namespace korvane::shell {

using access::AccessMode;
using platform::PlatformId;

StartUp::StartUp(App& app) : app_(app) { wireHandlers(); }

void StartUp::wireHandlers() {
    auto& f = app_.form;
    f.ResetFlagTimer.onTimer = [this] { guards.fill(true); };
    auto& allSound = f.setup.sound.AllSoundChk;
    allSound.onClick = [this] {
        auto& f = app_.form;
        bool on = f.setup.sound.AllSoundChk.checked();
        app_.session.soundEnabled = on;
        f.setup.sound.BellChk.setEnabled(on);
        f.log.SoundChk.setChecked(on);
    };
    f.setup.sound.BellChk.onClick = [this] { app_.session.bellEnabled = app_.form.setup.sound.BellChk.checked(); };
    app_.session.soundEnabled = allSound.checked();
    app_.session.bellEnabled = f.setup.sound.BellChk.checked();
    f.log.SoundChk.onClick = [this] { app_.form.setup.sound.AllSoundChk.setChecked(app_.form.log.SoundChk.checked()); };
    f.setup.presets.ShowLogicalChk.onClick = [this] {
        app_.form.setup.presets.IgnoreFddChk.setEnabled(app_.form.setup.presets.ShowLogicalChk.checked());
    };
    f.setup.presets.RussianChk.onClick = [this] { app_.startup.russianHelp = app_.form.setup.presets.RussianChk.checked(); };
    f.setup.scanOptions.EnaBrkInCyclChk.onClick = [this] {
        app_.session.breakLoopsEnabled = app_.form.setup.scanOptions.EnaBrkInCyclChk.checked();
    };
    f.commands.ResetBtn.onClick = [this] {
        app_.commands.clearBreak();
        auto bracket = app_.commands.bracket();
        app_.pio.driveReset();
    };
    f.commands.BreakBtn.onClick = [this] { app_.commands.requestBreak(); };
    f.IndTimer.onTimer = [this] {
        app_.pio.updateStatusPanel();
        app_.pio.updateRegisterMonitor();
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
    auto& f = app_.form;
    auto& s = app_.session;
    // 1-3: the window, the session's start values, the scan direction pictures.
    f.setCaption(kCaption);
    f.Application.setCaption("Korvane ");
    s.apiDriveLetter = 'C';
    app_.selection.lastApiDevice = 0;
    s.pioBasePort = 0x170;
    s.pioAltPort = 0x376;
    s.pioStatusPort = 0x177;
    f.IndTimer.setEnabled(false);
    if (initScanDirections) initScanDirections();
    // 4-5: the clock, then the settings.
    app_.timing.measureCpuClock();
    app_.settings.loadSettings();

    platform::OsFacts os = app_.env.facts.osFacts();
    if (!checkPlatform(os)) return;
    obtainPortAccess(os);
    initialDriveState();

    // 15-20
    app_.clockControls.recomputeTimeouts();
    if (applyPanelTints) applyPanelTints();
    if (s.accessMode == AccessMode::Pio) {
        f.IndTimer.setEnabled(true);
        app_.pio.powerProbe();
    }
    app_.passportReader.refreshLba = f.setup.scanOptions.lbasyncChk.checked();
    if (s.accessMode == AccessMode::Pio) {
        f.header.APIRg.setItemIndex(1);
    } else {
        // A start in API mode sets the window up as the switch to API does.
        app_.selection.switchRequested = true;
        if (f.header.APIRg.itemIndex() == 0)
            app_.deviceSelection.switchAccessMode();
        else
            f.header.APIRg.setItemIndex(0);
        f.log.ApiNumberEdit.setValue(app_.selection.lastApiDevice);
    }
    bool write = app_.eventLog.logWriteEnabled();
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
    app_.settings.readScanGrid();
    app_.startup.russianHelp = f.setup.presets.RussianChk.checked();
    if (app_.startup.russianHelp) app_.logEvent("Press F1 to russian help", 0, 1);
    if (s.accessMode == AccessMode::Api) std::memset(s.buffers.transferBuffer(), 0, 1 << 20);
    s.stampWrites = f.tests.ScNumLbaChk.checked();
}

bool StartUp::checkPlatform(const platform::OsFacts& os) {
    auto& f = app_.form;
    auto& s = app_.session;
    bool windows = os.platform != PlatformId::Linux;
    s.ntFamily = false;
    s.portDriverReady = false;
    // Linux has disk devices and their pass-through requests, as the NT family does.
    if (os.platform == PlatformId::WindowsNT || os.platform == PlatformId::Linux) {
        s.ntFamily = true;
        if (windows && os.major <= 4) app_.logEvent("Windows NT found, possible several function will not work", 0, 4);
    }
    app_.startup.is64BitWindows = windows && os.is64BitWindows;
    app_.startup.isAdmin = os.isAdmin;
    app_.logEvent("Starting" + f.caption() + ". " + std::to_string(os.processors) + "xCPU, " +
                      access::Timing::mhzText(app_.clockState.cpuMHz) + ", " + describeOperatingSystem(os) + " found.",
                  0, 1);
    if (windows && os.major > 5) app_.logEvent("[Hint] We recommend 32-bit Windows XP for a best work!", 0, 3);
    if (!s.ntFamily) {
        app_.logEvent("Windows 2000/XP not detected. API mode disabled.", 0, 4);
        app_.logEvent("[ Hint ] Use Windows 2000/XP to full capacity utilization!", 0, 4);
        s.accessMode = AccessMode::Pio;
        f.header.APIRg.setEnabled(false);
    } else if (!app_.startup.adminRightsIgnore && !os.isAdmin) {
        app_.logEvent("Program disabled. Please, use administrator rights", 0, 4);
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
    auto& f = app_.form;
    auto& s = app_.session;
    auto& sel = app_.deviceSelection;
    auto& driver = app_.portDriver;
    if (app_.startup.is64BitWindows) {
        app_.logEvent("Warning! Windows 64 bit does not support PIO mode.", 0, 4);
        app_.logEvent("We recommend 32-bit Windows XP to work in PIO", 0, 4);
        s.accessMode = AccessMode::Api;
        f.header.APIRg.setItemIndex(0);
        f.header.APIRg.setEnabled(false);
    } else {
        sel.channelChanged();
        if (s.ntFamily && app_.startup.autoInstallDriver && app_.eventLog.logWriteEnabled()) {
            if (driver.installPortDriver()) {
                f.header.APIRg.setEnabled(true);
            } else {
                app_.logEvent("Error! Can`t install PortTalk driver! Available only API access.", 0, 4);
                app_.logEvent("So that this messages did not appear - replace a line in an ini-file:", 0, 4);
                app_.logEvent("[Setup] AutoInstallDriver=0 (1-install driver; 0-don't install)", 0, 4);
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
    if (s.ntFamily && !app_.startup.is64BitWindows) {
        if (driver.openPortDriver()) {
            s.portDriverReady = true;
            f.header.APIRg.setEnabled(true);
        } else {
            app_.logEvent("PortTalk driver not installed! Available only API access", 0, 4);
            s.accessMode = AccessMode::Api;
            f.header.APIRg.setEnabled(false);
        }
        app_.env.clock.sleepMs(100);
    }
}

void StartUp::initialDriveState() {
    auto& f = app_.form;
    auto& s = app_.session;
    if (s.accessMode == AccessMode::Pio) {
        app_.env.ports.outb(uint16_t(s.pioBasePort + 6), 0xA0);
        app_.pio.selectDevice();
    }
    app_.clockState.pioScanPolls = f.setup.timers.RTChk.itemIndex() == 0;
    if (recomputeScanThresholds) recomputeScanThresholds();
    if (clearSpeedGraph) clearSpeedGraph();
    s.apiDeviceNumber = uint8_t(f.log.ApiNumberEdit.value());
}

void StartUp::nightMuting() {
    double t = app_.env.facts.timeOfDay();
    if (t > 0.04167262731481 && t < 0.333371481481481) {
        auto& sound = app_.form.setup.sound.AllSoundChk;
        app_.startup.soundMutedAtNight = sound.checked();
        sound.setChecked(false);
    }
}

void StartUp::onClose() {
    app_.form.commands.BreakBtn.click();
    app_.session.closing = true;
}

void StartUp::onDestroy() { app_.settings.saveSettings(); }

void StartUp::onMinimize() { app_.startup.appMinimized = true; }

void StartUp::onRestore() { app_.startup.appMinimized = false; }

void StartUp::showHelp() {
    auto& help = app_.form.help;
    std::string dir = app_.env.facts.programDirectory();
    std::error_code ec;
    help.document.clear();
    for (const char* name : {"korhlp.htm", "dummi.htm"})
        if (std::filesystem::exists(dir + name, ec)) {
            help.document = dir + name;
            break;
        }
    help.setCaption(app_.form.caption() + " Help");
    help.show();
}

} // namespace korvane::shell
