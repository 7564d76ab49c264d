#pragma once
#include <cstdint>
#include <string>

namespace korvane::info {

// What the last passport said about the drive. Rewritten by every retrieval.
struct DrivePassport {
    std::string Model, Firmware, Serial;
    bool ScsiPassport = false;
    bool UsbMode = false;
    bool Removable = false;
    bool LbaSupported = false;
    bool Lba48Supported = false;
    bool HpaSupported = false;
    bool SmartSupported = false;
    bool SmartEnabled = false;
    bool AamSupported = false;
    bool ApmSupported = false;
    bool DcoSupported = false;
    bool DmaSupported = false;
    int16_t UdmaMode = -1;
    int16_t MwdmaMode = -1;
    bool SataDevice = false;
    uint8_t AamValue = 0;
    uint8_t ApmValue = 0;
    bool SecuritySupported = false;
    bool SecurityEnabled = false;
    bool SecurityLocked = false;
    bool SecurityFrozen = false;
    bool SecurityCountExpired = false;
    bool SecurityLevelMax = false;
    int32_t EraseMinutes = 0;
    uint16_t RotationRate = 0;
    uint32_t PhysicalSectorSize = 512;
    uint8_t FamilyCode = 0;
    bool PassportTaken = false;

    // The previous successful retrieval, to notice a change of drive.
    std::string LastModel, LastSerial;
    int64_t LastLastLba = 0;

    // Geometry of a SCSI passport, for its report rows.
    bool badGeometry = false;
    uint64_t cylinders = 0;
    uint32_t tracksPerCylinder = 0, sectorsPerTrack = 0;
    uint32_t mediaType = 0;
    // A SCSI passport whose medium gave a size (its geometry then says what it is).
    bool ScsiMediumKnown = false;
    // The scan's time scale chosen from the interface speed.
    int timingFactor = 5;
};

// The host-protected-area figures every passport prepares.
struct HpaState {
    int64_t NativeSize = 0;
    int64_t HpaStep = 0;
    int64_t HpaTargetSize = 0;
};

} // namespace korvane::info
