#include "sim/LabDisk.h"

namespace korvane::sim {

const char* variantName(DiskVariant v) {
    switch (v) {
    case DiskVariant::InternalSata: return "internal disk: SMART, IDE pass-through, SAT, SCSI";
    case DiskVariant::UsbBridge: return "USB bridge: SAT and SCSI";
    case DiskVariant::NonAta: return "non-ATA disk: SCSI only";
    case DiskVariant::RemovableFlash: return "removable flash: SCSI only";
    case DiskVariant::VirtualDisk: return "virtual disk: transfers only";
    }
    return "";
}

platform::DiskGeometry LabDisk::geometry() const {
    platform::DiskGeometry g;
    g.bytesPerSector = sectorSize();
    switch (variant) {
    case DiskVariant::RemovableFlash:
        g.mediaType = 11;
        g.tracksPerCylinder = 255;
        g.sectorsPerTrack = 63;
        break;
    case DiskVariant::VirtualDisk:
        // An image-backed disk whose geometry no physical drive would have.
        g.mediaType = 12;
        g.tracksPerCylinder = 16;
        g.sectorsPerTrack = 47;
        break;
    default:
        g.mediaType = 12;
        g.tracksPerCylinder = 255;
        g.sectorsPerTrack = 63;
    }
    g.cylinders = sectors() / (uint64_t(g.tracksPerCylinder) * g.sectorsPerTrack);
    return g;
}

} // namespace korvane::sim
