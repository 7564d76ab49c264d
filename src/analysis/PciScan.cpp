#include "analysis/PciScan.h"

#include "analysis/PciNames.h"

#include <cstdio>

namespace korvane::analysis {

namespace {

constexpr uint16_t kIde = 0x0101, kRaid = 0x0104, kOtherStorage = 0x0180;
constexpr uint8_t kLastBus = 10;

std::string hex(uint32_t v, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, v);
    return text;
}

bool storage(uint16_t classWord) { return classWord == kIde || classWord == kOtherStorage || classWord == kRaid; }

} // namespace

PciScan::PciScan(PciScanContext context) : c_(std::move(context)) {
    auto& pci = c_.form.standard.pci;
    pci.PCIScanBtn.setHint("PCI bus scan, search additional ATA/SATA controllers");
    pci.PCIScanBtn.onClick = [this] { scan(); };
    c_.form.PasspMenu.item(3).onClick = [this] {
        if (c_.session.accessMode == access::AccessMode::Pio) c_.form.standard.pci.PCIScanBtn.click();
    };
    auto& psp = c_.form.standard.passport.Psp;
    psp.onSelectItem = [this](size_t) {
        if (showsPciResult(c_.form.standard.passport.Psp)) rowsSelected();
    };
    c_.report.onPciDoubleClick = [this] { doubleClick(); };
}

bool PciScan::showsPciResult(const form::ListView& list) {
    return list.columns().size() > 1 && list.columns()[1].caption == "Vendor";
}

uint32_t PciScan::configRead(uint8_t bus, uint8_t device, uint8_t function, uint8_t reg) {
    return viaFiles_ ? c_.files.read(bus, device, function, reg) : c_.pio.pciConfigRead(bus, device, function, reg);
}

// The built-in name, and the system's after it for an ID the tables do not know.
std::string PciScan::vendorText(uint16_t vendor) {
    std::string name = pciVendorName(vendor);
    if (!pciVendorKnown(vendor))
        if (std::string system = c_.files.vendorName(vendor); !system.empty()) name += " " + system;
    return name;
}

std::string PciScan::deviceText(uint16_t vendor, uint16_t device) {
    std::string name = pciDeviceName(device);
    if (!pciDeviceKnown(device))
        if (std::string system = c_.files.deviceName(vendor, device); !system.empty()) name += " " + system;
    return name;
}

void PciScan::scan() {
    c_.commands.clearBreak();
    // Without the configuration ports the system's own view of the bus serves every user.
    viaFiles_ = !c_.session.portDriverReady;
    if (viaFiles_ && !c_.files.available()) {
        c_.log("PCI Bus Scan is disability w/o porttalk!", 0, 4);
        c_.form.standard.pci.PCIScanBtn.setEnabled(false);
        return;
    }
    auto& psp = c_.form.standard.passport.Psp;
    psp.clear();
    using form::Align;
    psp.setColumns({{"", 0}, {"Vendor", 67, Align::Centre}, {" Name/ID", 117}, {"  Class", 66}, {"Base", 47}, {"Alt", 47}});
    psp.setMultiSelect(true);
    c_.log("PCI Bus Scan...", 0, 3);
    const bool allDevices = c_.form.standard.pci.PCIAllDevChk.checked();
    const bool everyFunction = c_.form.standard.pci.MFDevChk.checked();
    for (unsigned bus = 0; bus <= kLastBus; ++bus)
        for (uint8_t device = 0; device < 32; ++device)
            for (uint8_t function = 0; function < 8; ++function) {
                if (c_.session.breakRequested) return;
                if (c_.ui.isUiThread()) c_.ui.processEvents();
                const uint32_t id = configRead(uint8_t(bus), device, function, 0x00);
                const uint16_t deviceId = uint16_t(id >> 16);
                if (deviceId == 0xFFFF || deviceId == 0x0000) continue;
                const uint16_t classWord = uint16_t(configRead(uint8_t(bus), device, function, 0x08) >> 16);
                if (!allDevices && !storage(classWord)) continue;
                listFunction(uint8_t(bus), device, function, uint16_t(id), deviceId, classWord);
                const bool multiFunction = (configRead(uint8_t(bus), device, function, 0x0C) >> 16) & 0x80;
                c_.log(vendorText(uint16_t(id)) + "/" + deviceText(uint16_t(id), deviceId) + ", BUS: " +
                           std::to_string(bus) + "/DEV: " + std::to_string(device) + "/FUN: " +
                           std::to_string(function) + (multiFunction ? " M" : ""),
                       0, 1);
                if (!everyFunction && !multiFunction) break;
            }
}

void PciScan::listFunction(uint8_t bus, uint8_t device, uint8_t function, uint16_t vendor, uint16_t deviceId,
                           uint16_t classWord) {
    // The PC-3000 boards have fixed port layouts.
    const int board = vendor == 0xACE1 && deviceId == 0x0005 ? 1 : vendor == 0xACE1 && deviceId == 0x0006 ? 2 : 0;
    const int channels = storage(classWord) ? 2 : 1;
    uint32_t previousBase = 0;
    for (int channel = 1; channel <= channels; ++channel) {
        uint32_t base;
        if (channel == 1) base = configRead(bus, device, function, 0x10) & 0xFFFF;
        else base = board == 0 ? configRead(bus, device, function, 0x18) & 0xFFFF : board == 1 ? 0 : previousBase + 0x20;
        base &= 0xFFFC;
        uint32_t alt;
        if (board != 0) {
            alt = base + 0x0E;
        } else {
            alt = ((configRead(bus, device, function, channel == 1 ? 0x14 : 0x1C) & 0xFFFF) & 0xFFFC) + 2;
            if (base == 0 && classWord == kIde) {
                // A controller in legacy mode answers on the legacy ports.
                base = channel == 1 ? 0x1F0 : 0x170;
                alt = channel == 1 ? 0x3F6 : 0x376;
            }
        }
        previousBase = base;
        c_.form.standard.passport.Psp.addRow({"", vendorText(vendor), deviceText(vendor, deviceId),
                                              pciClassName(classWord), hex(base, 4), hex(alt & 0xFFFF, 4)});
    }
}

void PciScan::rowsSelected() {
    auto& psp = c_.form.standard.passport.Psp;
    auto& port = c_.form.standard.port;
    for (size_t row : psp.selection()) {
        const unsigned long base = std::strtoul(psp.cell(row, 4).c_str(), nullptr, 16);
        const unsigned long alt = std::strtoul(psp.cell(row, 5).c_str(), nullptr, 16);
        if (base == 0x1F0 && !(c_.primaryAllowed && c_.primaryAllowed())) break;
        c_.session.pioBasePort = uint16_t(base);
        c_.session.pioAltPort = uint16_t(alt);
        c_.session.pioStatusPort = uint16_t(alt);
        port.BasePortEdit.setEnabled(true);
        port.AltPortEdit.setEnabled(true);
        port.BasePortEdit.setText(hex(uint32_t(base), 3));
        port.AltPortEdit.setText(hex(uint32_t(alt), 3));
    }
}

void PciScan::doubleClick() {
    if (c_.form.setup.presets.PspDblChk.checked()) c_.form.commands.PasspBtn.click();
}

} // namespace korvane::analysis
