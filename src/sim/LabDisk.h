#pragma once
#include "platform/DiskDevices.h"
#include "sim/AtaDevice.h"

#include <memory>
#include <string>

namespace korvane::sim {

// How a lab drive is reached as a disk device, and which requests its path carries.
enum class DiskVariant {
    InternalSata,   // an internal disk: every route: SMART request, IDE pass-through, SAT, SCSI
    UsbBridge,      // SAT and SCSI only
    NonAta,         // SCSI only
    RemovableFlash, // SCSI only, removable media, also a logical drive
    VirtualDisk     // transfers and geometry only
};

const char* variantName(DiskVariant v);

// One physical drive of the lab as the operating system shows it.
struct LabDisk {
    std::string name;
    DiskVariant variant = DiskVariant::InternalSata;
    std::shared_ptr<AtaDevice> device;
    char letter = 0; // logical drive letter, 0 for none
    // SCSI identity for INQUIRY (ATA drives behind SAT report "ATA" and their model).
    std::string vendor = "ATA", product, revision, serial;
    // Faults.
    bool dropsSmart = false;  // the bridge refuses SMART commands
    bool unplugged = false;   // the device no longer opens
    bool systemDisk = false;  // the machine runs from it (mounted, swap)
    // Registers of the last ATA command passed through, for "return response information".
    platform::TaskFile lastRegisters;

    bool carriesSmartRequest() const { return variant == DiskVariant::InternalSata; }
    bool carriesIdePassThrough() const { return variant == DiskVariant::InternalSata; }
    bool carriesSat() const { return variant == DiskVariant::InternalSata || variant == DiskVariant::UsbBridge; }
    bool carriesScsi() const { return variant != DiskVariant::VirtualDisk; }
    platform::DiskGeometry geometry() const;
    uint64_t sectors() const { return device->currentMax(); }
    uint32_t sectorSize() const { return device->store().sectorSize(); }
};

} // namespace korvane::sim
