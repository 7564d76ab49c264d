#include "access/DeviceSelection.h"

#include "access/SizeFormat.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace korvane::access {

namespace {
constexpr form::Colour kDeviceListBlue = 0x0000DF; // the list's own blue for ATA drives
}

DeviceSelection::DeviceSelection(form::MainForm& form, DriveSession& session, SelectionState& state,
                                 ApiAccess& api, PioProtocol& pio, LogFn log)
    : form_(form), session_(session), state_(state), api_(api), pio_(pio), log_(std::move(log)) {
    auto& f = form_;
    f.log.biglbaChk.onClick = [this] { lba48Changed(); };
    f.header.APIRg.onChanging = [this](int) { state_.switchRequested = true; };
    f.header.APIRg.onClick = [this] { switchAccessMode(); };
    auto& list = f.standard.api.ApiList;
    list.onSelectItem = [this](size_t row) { apiListSelect(row); };
    list.onColumnClick = [this](size_t) { apiListColumnClick(); };
    list.onDblClick = [this] { apiListDoubleClick(); };
    list.cellColour = [this](size_t r, size_t c) { return apiListRowColour(r, c); };
    f.log.ApiNumberEdit.onChange = [this] { apiNumberChanged(); };
    auto& port = f.standard.port;
    port.PortBox.onChange = [this] { channelChanged(); };
    port.BasePortEdit.onChange = [this] { basePortEdited(); };
    port.AltPortEdit.onChange = [this] { altPortEdited(); };
    port.SlaveChk.onClick = [this] { slaveChanged(); };
    port.AltStChk.onClick = [this] { altStatusChanged(); };
    f.log.DrdyChk.onClick = [this] { session_.ignoreDrdy = form_.log.DrdyChk.checked(); };
}

unsigned DeviceSelection::parseHex(const std::string& text) {
    unsigned v = 0;
    for (char ch : text) {
        unsigned d = 0;
        if (ch >= '0' && ch <= '9') d = unsigned(ch - '0');
        else if (ch >= 'A' && ch <= 'F') d = unsigned(ch - 'A' + 10);
        else if (ch >= 'a' && ch <= 'f') d = unsigned(ch - 'a' + 10);
        v = v * 16 + d;
        if (v > 0xFFFFF) return 0xFFFFF; // far past the port space: kept past it, never wrapped back in
    }
    return v;
}

std::string DeviceSelection::hex(unsigned value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, value);
    return text;
}

void DeviceSelection::pressPassport() { form_.commands.PasspBtn.click(); }

// ------------------------------------------------------------------------------------------
// API and PIO
// ------------------------------------------------------------------------------------------

void DeviceSelection::switchAccessMode() {
    if (!state_.switchRequested) return;
    state_.switchRequested = false;
    auto& f = form_;
    session_.maxLba = 0;
    f.advanced.sector.HexEOppenBtn.setEnabled(false);
    f.advanced.sector.HexESaveBtn.setEnabled(false);
    f.advanced.sector.HexeditIn.setEnabled(false);
    f.advanced.sector.Label6.setCaption("Press 'Passport'");
    f.HdPanel.setPane(0, "Press 'Passport' to init drive");
    if (onDriveForgotten) onDriveForgotten();

    bool toPio = f.header.APIRg.itemIndex() == 1;
    auto pioControls = {static_cast<form::Control*>(&f.log.DrdyChk), static_cast<form::Control*>(&f.log.biglbaChk),
                        static_cast<form::Control*>(&f.standard.passport.PspplusRstChk),
                        static_cast<form::Control*>(&f.standard.passport.PASSBtnExt),
                        static_cast<form::Control*>(&f.standard.port.PortGrp),
                        static_cast<form::Control*>(&f.standard.hpa.HpaGrp),
                        static_cast<form::Control*>(&f.standard.pci.PciPanel),
                        static_cast<form::Control*>(&f.commands.ResetBtn)};
    auto apiControls = {static_cast<form::Control*>(&f.standard.api.ApiList),
                        static_cast<form::Control*>(&f.log.ApiNumberEdit),
                        static_cast<form::Control*>(&f.log.ApiNumberLabel),
                        static_cast<form::Control*>(&f.standard.passport.RemovableLed),
                        static_cast<form::Control*>(&f.standard.passport.RemovableLabel),
                        static_cast<form::Control*>(&f.standard.passport.VirtualLed),
                        static_cast<form::Control*>(&f.standard.passport.VirtualLabel)};
    auto& tests = f.tests;
    auto& seekMode = f.standard.seek.SeekModeGrp;
    if (toPio) {
        state_.lastApiDevice = session_.apiDeviceNumber;
        log_("PIO access enabled. Base=" + hex(session_.pioBasePort) + "h, Alt=" + hex(session_.pioStatusPort) + "h", 0,
             1);
        for (auto* c : pioControls) c->setVisible(true);
        for (auto* c : apiControls) c->setVisible(false);
        pio_.lightStatusPanel();
        f.IndTimer.setEnabled(true);
        f.EstTimer.setEnabled(true);
        f.standard.security.SecurityBox.setCaption(" Security manager ");
        f.standard.security.SecurityBox.setEnabled(true);
        for (size_t i = 0; i < 3; ++i) seekMode.setItemEnabled(i, true);
        seekMode.setItemIndex(0);
        tests.ScanRWGrp.setItemIndex(0);
        for (form::CheckBox* c : {&tests.ScDftChk, &tests.EnLwChk, &tests.RstAftJmpChk}) {
            c->setVisible(true);
            c->setEnabled(true);
        }
        tests.DDDChk.setChecked(false);
        tests.DDDChk.setVisible(false);
        fillBlockSizeChoices(false);
        session_.accessMode = AccessMode::Pio;
    } else {
        session_.accessMode = AccessMode::Api;
        buildApiDeviceList();
        // The device the switch ends on is the remembered one (the spinner below is set to it).
        if (state_.lastApiDevice >= 0 && state_.lastApiDevice <= 24)
            session_.apiDeviceNumber = uint8_t(std::min<int32_t>(state_.lastApiDevice, state_.maxPhysicalDrive));
        log_("API access enabled, device #" + std::to_string(session_.apiDeviceNumber), 0, 1);
        for (auto* c : pioControls) c->setVisible(false);
        for (auto* c : apiControls) c->setVisible(true);
        f.IndTimer.setEnabled(false);
        f.EstTimer.setEnabled(false);
        pio_.dimStatusPanel();
        f.standard.security.SecurityBox.setCaption(" Security manager (disabled in API) ");
        f.standard.security.SecurityBox.setEnabled(false);
        f.standard.api.ApiList.select(session_.apiDeviceNumber == 255 ? 0 : session_.apiDeviceNumber);
        seekMode.setItemEnabled(0, false);
        seekMode.setItemIndex(2);
        tests.ScanRWGrp.setItemIndex(1);
        for (form::CheckBox* c : {&tests.ScDftChk, &tests.EnLwChk, &tests.RstAftJmpChk}) {
            c->setChecked(false);
            c->setEnabled(false);
        }
        tests.RstAftJmpChk.setVisible(false);
        tests.DDDChk.setVisible(true);
        fillBlockSizeChoices(true);
        if (f.setup.presets.ApiTab1Chk.checked()) f.MainPage.setActiveIndex(0);
        f.registryMonitor.setVisible(false);
        f.log.ApiNumberEdit.setValue(state_.lastApiDevice);
    }
    updatePortIndicator();
}

void DeviceSelection::buildApiDeviceList() {
    if (clearBreak) clearBreak();
    auto& list = form_.standard.api.ApiList;
    list.clear();
    // The highest number that opens, searched from 24 down, stopping at 1.
    state_.maxPhysicalDrive = 0;
    for (unsigned n = 24; n >= 1; --n)
        if (api_.openDevice(uint8_t(n), 'C')) {
            state_.maxPhysicalDrive = uint8_t(n);
            break;
        }
    form_.log.ApiNumberEdit.setRange(0, state_.maxPhysicalDrive);
    if (session_.apiDeviceNumber != 255 && session_.apiDeviceNumber > state_.maxPhysicalDrive)
        session_.apiDeviceNumber = state_.maxPhysicalDrive;

    for (unsigned n = 0; n <= state_.maxPhysicalDrive; ++n) {
        session_.bytesPerSector = 512;
        auto h = api_.openDevice(uint8_t(n), 'C');
        if (!h) {
            list.addRow({"", std::to_string(n), "  -", "Disconnected drive", "x"});
            continue;
        }
        ApiDriveSize g = api_.apiGetGeometry(h.get());
        session_.bytesPerSector = g.bytesPerSector;
        session_.sectorsPerMiB = 1048576 / g.bytesPerSector;
        if (g.totalSectors == 0) {
            session_.bytesPerSector = 512;
            list.addRow({"", std::to_string(n), "0 kb", "Invalid geometry", "x"});
            continue;
        }
        std::string size = formatSize(g.bytesPerSector, g.totalSectors);
        std::string note = g.mediaType == 11 ? "Removable " : "";
        std::string type = "0";
        if (g.sectorsPerTrack == 63) {
            bool identified = false;
            if (!form_.setup.presets.OnlyScsiPassChk.checked() &&
                api_.apiSmartCommandAnyDrive(uint8_t(n), 512, 0, 1, 1, 0, 0, 0xA0, 0xEC)) {
                const uint8_t* d = api_.smartData();
                std::string model;
                for (int w = 27; w <= 46; ++w)
                    for (int b : {1, 0}) {
                        char ch = char(d[2 * w + b]);
                        model.push_back(ch < 32 || ch > 122 ? ' ' : ch);
                    }
                size_t first = model.find_first_not_of(' ');
                note += first == std::string::npos ? "" : model.substr(first, model.find_last_not_of(' ') - first + 1);
                type = "1";
                identified = true;
            }
            if (!identified) note += api_.apiScsiInquiry(h.get()) ? api_.scsiModel() : "Non ATA drive";
            if (g.bytesPerSector != 0 && g.bytesPerSector != 512)
                note += ", sector=" + std::to_string(g.bytesPerSector) + " B";
        } else {
            note += "Virtual drive";
        }
        if (note.empty()) note.assign(1, ' ');
        list.addRow({"", std::to_string(n), size, note, type});
    }
    if (!form_.setup.presets.ShowLogicalChk.checked()) return;
    auto& devices = api_.devices();
    for (char letter : devices.logicalDrives()) {
        auto type = devices.driveType(letter);
        if (type == platform::LogicalDriveType::Fixed) continue;
        if (letter == 'A' && form_.setup.presets.IgnoreFddChk.checked()) continue;
        const char* note = type == platform::LogicalDriveType::Removable ? "Removable drive"
                           : type == platform::LogicalDriveType::Remote  ? "Network drive"
                           : type == platform::LogicalDriveType::CdRom   ? "CD-ROM"
                           : type == platform::LogicalDriveType::RamDisk ? "RAM disk"
                                                                          : "Unknown logical";
        auto h = api_.openDevice(255, letter);
        std::string size = "-";
        if (h) {
            ApiDriveSize g = api_.apiGetGeometry(h.get());
            session_.bytesPerSector = g.bytesPerSector;
            size = formatSize(g.bytesPerSector, g.totalSectors);
        }
        list.addRow({"", std::string(1, letter) + ":", size, note, "2"});
    }
}

form::Colour DeviceSelection::apiListRowColour(size_t row, size_t column) const {
    const auto& list = form_.standard.api.ApiList;
    if (column == 1) {
        const std::string& n = list.cell(row, 1);
        return !n.empty() && std::isalpha((unsigned char)n[0]) ? form::colours::Green : form::kDefaultColour;
    }
    if (column == 2) return form::colours::Black;
    if (column == 3) {
        const std::string& type = list.cell(row, 4);
        if (type == "0") return form::colours::Navy;
        if (type == "1") return kDeviceListBlue;
        if (type == "x") return form::colours::Red;
        return form::colours::Green;
    }
    return form::kDefaultColour;
}

void DeviceSelection::apiListSelect(size_t row) {
    if (quiet_) return;
    auto& list = form_.standard.api.ApiList;
    auto& spinner = form_.log.ApiNumberEdit;
    const std::string& n = list.cell(row, 1);
    if (n.empty() || !std::isdigit((unsigned char)n[0])) {
        session_.apiDeviceNumber = 255;
        session_.apiDriveLetter = n.empty() ? 'C' : n[0];
        spinner.setEnabled(false);
        updatePortIndicator();
        pressPassport();
    } else {
        session_.apiDeviceNumber = uint8_t(row);
        spinner.setEnabled(true);
        if (spinner.value() == int64_t(row)) {
            updatePortIndicator();
            pressPassport();
        } else {
            spinner.setValue(int64_t(row));
        }
    }
    form_.smart.timer.SmTimerChk.setChecked(false);
}

void DeviceSelection::apiNumberChanged() {
    auto& spinner = form_.log.ApiNumberEdit;
    if (session_.accessMode != AccessMode::Api || !spinner.enabled()) return;
    int64_t v = std::clamp<int64_t>(spinner.value(), 0, state_.maxPhysicalDrive);
    session_.apiDeviceNumber = uint8_t(v);
    auto& list = form_.standard.api.ApiList;
    if (size_t(v) < list.rowCount()) {
        quiet_ = true;
        list.select(size_t(v));
        quiet_ = false;
    }
    updatePortIndicator();
    pressPassport();
}

void DeviceSelection::apiListColumnClick() {
    buildApiDeviceList();
    int row = std::max<int>(int8_t(session_.apiDeviceNumber), 0);
    auto& list = form_.standard.api.ApiList;
    if (size_t(row) < list.rowCount()) list.select(size_t(row));
}

void DeviceSelection::apiListDoubleClick() {
    auto& btn = form_.standard.passport.PASSBtn;
    if (btn.enabled())
        btn.click();
    else
        form_.standard.passport.Psp.clear();
}

// ------------------------------------------------------------------------------------------
// The PIO channel
// ------------------------------------------------------------------------------------------

void DeviceSelection::setPorts(uint16_t base, uint16_t alt) {
    session_.pioBasePort = base;
    session_.pioAltPort = alt;
    auto& port = form_.standard.port;
    quiet_ = true; // the edits' change handlers stay quiet while code fills them
    // The standard channels' ports show as they are known; any other port as four digits.
    auto digits = [](uint16_t p) { return p == 0x170 || p == 0x1F0 || p == 0x376 || p == 0x3F6 ? 3 : 4; };
    port.BasePortEdit.setText(hex(base, digits(base)));
    port.AltPortEdit.setText(hex(alt, digits(alt)));
    quiet_ = false;
}

void DeviceSelection::blockedPrimary() {
    setPorts(0x170, 0x376);
    if (session_.accessMode == AccessMode::Pio) {
        log_("Primary port is blocked. Please, read manual", 0, 4);
        log_("Select SECONDARY port: base=170, alternative=376h", 0, 1);
    }
    form_.standard.port.PortBox.setItemIndex(1);
}

void DeviceSelection::channelChanged() {
    auto& port = form_.standard.port;
    port.BasePortEdit.setEnabled(false);
    port.AltPortEdit.setEnabled(false);
    bool pio = session_.accessMode == AccessMode::Pio;
    switch (port.PortBox.itemIndex()) {
    case 0:
        if (session_.primaryChannelAllowed && state_.enablePrimaryMaster) {
            setPorts(0x1F0, 0x3F6);
            if (pio) log_("Select PRIMARY port: base=1F0h, alternative=3F6h", 0, 4);
        } else {
            blockedPrimary();
        }
        break;
    case 2:
        port.BasePortEdit.setEnabled(true);
        port.AltPortEdit.setEnabled(true);
        setPorts(session_.customBasePort, session_.customAltPort);
        if (pio)
            log_("Select EXTERNAL port: base=" + hex(session_.pioBasePort, 4) + "h, alternative=" +
                     hex(session_.pioAltPort, 4) + "h",
                 0, 1);
        break;
    default:
        setPorts(0x170, 0x376);
        if (pio) log_("Select SECONDARY port: base=170h, alternative=376h", 0, 1);
    }
    session_.pioStatusPort = port.AltStChk.checked() ? session_.pioAltPort : uint16_t(session_.pioBasePort + 7);
    updatePortIndicator();
}

void DeviceSelection::basePortEdited() {
    if (quiet_) return;
    auto& port = form_.standard.port;
    unsigned typed = parseHex(port.BasePortEdit.text());
    if (!portBaseAcceptable(typed)) {
        log_("Port base " + port.BasePortEdit.text() + "h refused: the eight registers from base must lie below 10000h (base up to FFF8h)", 0, 4);
        setPorts(session_.pioBasePort, session_.pioAltPort); // the edit shows the ports in use again
        return;
    }
    uint16_t base = uint16_t(typed);
    session_.pioBasePort = base;
    if (port.PortBox.itemIndex() == 2) session_.customBasePort = base;
    if (base == 0x170) {
        port.AltPortEdit.setText("376");
        port.PortBox.setItemIndex(1);
    } else if (base == 0x1F0) {
        if (session_.primaryChannelAllowed && state_.enablePrimaryMaster) {
            port.AltPortEdit.setText("3F6");
            port.PortBox.setItemIndex(0);
        } else {
            blockedPrimary();
            session_.pioStatusPort = 0x376;
        }
    } else {
        port.PortBox.setItemIndex(2);
    }
    updatePortIndicator();
}

void DeviceSelection::altPortEdited() {
    if (quiet_) return;
    auto& port = form_.standard.port;
    unsigned typed = parseHex(port.AltPortEdit.text());
    if (typed > 0xFFFF) {
        log_("Port " + port.AltPortEdit.text() + "h refused: ports end at FFFFh", 0, 4);
        setPorts(session_.pioBasePort, session_.pioAltPort);
        return;
    }
    uint16_t alt = uint16_t(typed);
    session_.pioAltPort = session_.pioStatusPort = alt;
    if (port.PortBox.itemIndex() == 2) session_.customAltPort = alt;
    altStatusChanged();
    updatePortIndicator();
}

void DeviceSelection::altStatusChanged() {
    session_.useAltStatus = form_.standard.port.AltStChk.checked();
    session_.pioStatusPort = session_.useAltStatus ? session_.pioAltPort : uint16_t(session_.pioBasePort + 7);
}

void DeviceSelection::slaveChanged() {
    bool slave = form_.standard.port.SlaveChk.checked();
    std::string ports = "(base=" + hex(session_.pioBasePort) + ", alternative=" + hex(session_.pioStatusPort) + ")";
    session_.deviceSelectBit = slave ? 0x10 : 0x00;
    log_(std::string(slave ? "Set SLAVE port " : "Set MASTER port ") + ports, 0, 1);
    if (session_.accessMode == AccessMode::Pio && session_.portDriverReady) pio_.selectDevice();
}

void DeviceSelection::lba48Changed() {
    bool checked = form_.log.biglbaChk.checked();
    if (!checked && session_.accessMode == AccessMode::Pio) {
        session_.lba48 = false;
        if (session_.maxLba < 0x10000000u) {
            log_("48bit access disabled", 0, 1);
        } else {
            log_("[Warning!] Max LBA adres=" + std::to_string(session_.maxLba.load()) + ", but 48bit access disabled!?",
                 0, 4);
            if (beep) beep(500, 200);
        }
        fillBlockSizeChoices(false);
    } else {
        session_.lba48 = true;
        log_("48bit access enabled", 0, 1);
        fillBlockSizeChoices(true);
    }
    auto& box = form_.tests.ScBlockSizeBox;
    if (box.itemIndex() > 4 || box.itemIndex() < 0) {
        box.setItemIndex(4);
        if (onBlockSizeChanged) onBlockSizeChanged();
    }
}

void DeviceSelection::fillBlockSizeChoices(bool wide) {
    auto& box = form_.tests.ScBlockSizeBox;
    std::string current = box.text();
    std::vector<std::string> items = {"1", "32", "64", "128", "256"};
    if (wide) {
        items.push_back("512");
        if (session_.bytesPerSector <= 512)
            for (const char* s : {"1024", "2048", "16384", "65535"}) items.push_back(s);
    }
    box.setItems(items);
    if (!wide) {
        box.setItemIndex(4);
        return;
    }
    // Keep the size shown when the new list has it.
    box.setText(current);
    if (box.itemIndex() < 0) box.setItemIndex(4);
}

void DeviceSelection::updatePortIndicator() {
    auto& ind = form_.header.PortInd;
    if (session_.accessMode == AccessMode::Pio) {
        ind.setCaption("Port " + hex(session_.pioBasePort) + "h");
        ind.setFontColour(session_.pioBasePort == 0x170   ? form::colours::Blue
                          : session_.pioBasePort == 0x1F0 ? form::colours::Red
                                                          : form::colours::Maroon);
    } else {
        ind.setCaption(session_.apiDeviceNumber == 255 ? std::string("Device ") + session_.apiDriveLetter + ":"
                                                       : "Device " + std::to_string(session_.apiDeviceNumber));
        ind.setFontColour(session_.apiDeviceNumber == 0 ? form::colours::Red : form::colours::Blue);
    }
}

void DeviceSelection::setSelectionControlsEnabled(bool enabled) {
    auto& f = form_;
    for (form::Control* c :
         {static_cast<form::Control*>(&f.setup.timers.TimersGrp), static_cast<form::Control*>(&f.setup.ata.ATATimerRG),
          static_cast<form::Control*>(&f.standard.pci.PCIScanBtn), static_cast<form::Control*>(&f.standard.api.ApiList),
          static_cast<form::Control*>(&f.log.ApiNumberEdit), static_cast<form::Control*>(&f.standard.port.PortGrp),
          static_cast<form::Control*>(&f.standard.port.PortBox)})
        c->setEnabled(enabled);
    f.header.APIRg.setEnabled(enabled && session_.ntFamily && session_.portDriverReady);
}

} // namespace korvane::access
