#pragma once
#include "platform/TaskFile.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace korvane::platform {

// Geometry as the disk device reports it.
struct DiskGeometry {
    uint64_t cylinders = 0;
    uint32_t mediaType = 0; // 12 fixed disk, 11 removable media, 0 unknown
    uint32_t tracksPerCylinder = 0;
    uint32_t sectorsPerTrack = 0;
    uint32_t bytesPerSector = 0;
};

enum class LogicalDriveType { Unknown, NoRoot, Removable, Fixed, Remote, CdRom, RamDisk };

// One SCSI request: CDB in, data in or out, status and sense back.
struct ScsiRequest {
    enum class Direction { None, In, Out };
    uint8_t cdb[16] = {};
    uint8_t cdbLength = 0;
    Direction direction = Direction::None;
    uint8_t* data = nullptr;
    uint32_t dataLength = 0;
    uint32_t timeoutSeconds = 5;
    // Filled by the request.
    uint8_t scsiStatus = 0;
    uint8_t sense[32] = {};
    uint8_t senseLength = 0;
    uint32_t dataTransferred = 0;
};

// An open disk device. Every call returns a system error code (0 for success).
class DiskHandle {
public:
    virtual ~DiskHandle() = default;
    // Positioned transfers; `done` gets the bytes moved.
    virtual uint32_t read(uint64_t offset, void* buffer, uint32_t length, uint32_t& done) = 0;
    virtual uint32_t write(uint64_t offset, const void* buffer, uint32_t length, uint32_t& done) = 0;
    // Size of the device in bytes.
    virtual uint32_t size(uint64_t& bytes) = 0;
    virtual uint32_t geometry(DiskGeometry& g) = 0;
    // The SMART request: the registers go in; for a data-in command `data` receives dataLength bytes.
    virtual uint32_t smartRequest(TaskFile& regs, uint8_t* data, uint32_t dataLength) = 0;
    // The IDE pass-through: registers in and out, data in or out of dataLength bytes.
    virtual uint32_t idePassThrough(TaskFile& regs, uint8_t* data, uint32_t dataLength, bool dataOut) = 0;
    virtual uint32_t scsiPassThrough(ScsiRequest& request) = 0;
    // False when transfers go through the system's cache (the device refused direct I/O).
    virtual bool directTransfers() const { return true; }
};

// The machine's disk devices: physical drives by number, logical drives by letter.
class DiskDevices {
public:
    virtual ~DiskDevices() = default;
    virtual std::unique_ptr<DiskHandle> openPhysical(unsigned number, uint32_t& error) = 0;
    // For writing the whole device: refused (sharing violation) while the system uses it.
    virtual std::unique_ptr<DiskHandle> openPhysicalExclusive(unsigned number, uint32_t& error) {
        if (inUseBySystem(number)) {
            error = 32;
            return nullptr;
        }
        return openPhysical(number, error);
    }
    // For reading only (the seek test): the system need not prepare the
    // device for writes.
    virtual std::unique_ptr<DiskHandle> openPhysicalForReading(unsigned number, uint32_t& error) {
        return openPhysical(number, error);
    }
    virtual std::unique_ptr<DiskHandle> openLogical(char letter, uint32_t& error) = 0;
    // Letters of the logical drives that exist, in order.
    virtual std::vector<char> logicalDrives() = 0;
    virtual LogicalDriveType driveType(char letter) = 0;
    // True when the system runs from the physical drive: it or one of its partitions is mounted,
    // used as swap, or held by another block device (a RAID or mapper device).
    virtual bool inUseBySystem(unsigned number) = 0;
};

} // namespace korvane::platform
