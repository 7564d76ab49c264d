#pragma once
#include "access/DriveCommands.h"
#include "access/LogFn.h"
#include "access/PioProtocol.h"
#include "form/MainForm.h"
#include "info/PassportReport.h"
#include "platform/PciConfigFiles.h"

#include <functional>

namespace korvane::analysis {

struct PciScanContext {
    form::MainForm& form;
    access::DriveSession& session;
    access::PioProtocol& pio;
    access::DriveCommands& commands;
    info::PassportReport& report;
    platform::PciConfigFiles& files;
    form::UiThread& ui;
    access::LogFn log;
    // Whether the primary channel may be selected ("Enable PM" and the session's allowance).
    std::function<bool()> primaryAllowed;
};

// Walks the PCI configuration space for ATA, RAID and other storage controllers (or every
// device), lists one row per channel with its ports in the passport list, and selects a listed
// channel for PIO access.
class PciScan {
public:
    explicit PciScan(PciScanContext context);

    void scan();
    // The rows selected in the list become the PIO channel.
    void rowsSelected();
    void doubleClick();

    static bool showsPciResult(const form::ListView& list);

private:
    uint32_t configRead(uint8_t bus, uint8_t device, uint8_t function, uint8_t reg);
    void listFunction(uint8_t bus, uint8_t device, uint8_t function, uint16_t vendor, uint16_t deviceId,
                      uint16_t classWord);
    std::string vendorText(uint16_t vendor);
    std::string deviceText(uint16_t vendor, uint16_t device);

    PciScanContext c_;
    bool viaFiles_ = false;
};

} // namespace korvane::analysis
