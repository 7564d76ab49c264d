#pragma once
#include "access/ApiSectorPath.h"
#include "access/DriveSession.h"
#include "access/LogFn.h"
#include "form/UiThread.h"
#include "form/UiThread.h"
#include "platform/DiskDevices.h"
#include "platform/SystemFacts.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace korvane::access {

// The record of the last SCSI pass-through request.
struct SatResult {
    uint32_t timeoutSeconds = 5;
    // 24 sense bytes, 8 bytes of gap, then the first 96 data bytes.
    std::array<uint8_t, 128> senseAndData{};
    uint8_t scsiStatus = 0;
    uint32_t systemError = 0;
    uint32_t dataBytes = 0;
};

struct ApiDriveSize {
    uint64_t totalSectors = 0;
    uint16_t bytesPerSector = 512;
    uint32_t mediaType = 0;
    uint64_t cylinders = 0;
    uint32_t tracksPerCylinder = 0;
    uint32_t sectorsPerTrack = 0;
};

// Drive access through the operating system's disk devices: positioned transfers, the SMART
// request, the IDE pass-through, the SAT ATA pass-through and the SCSI requests.
class ApiAccess final : public ApiSectorPath {
public:
    using Handle = std::unique_ptr<platform::DiskHandle>;
    enum class Direction { None = 0, In = 1, Out = 2, Registers = 3 };

    ApiAccess(platform::DiskDevices& devices, DriveSession& session, platform::SystemFacts& facts,
              form::UiThread& ui, LogFn log);

    // The device of `number` (255: the logical drive `letter`); empty when it cannot be opened
    // or when the system is not of the family that has disk devices.
    // `exclusive`: for writing a whole physical drive, refused while the system uses it.
    // `exclusive`: for writing the whole device; `forReading`: nothing will be written through it.
    Handle openDevice(uint8_t number, char letter, bool exclusive = false, bool forReading = false);
    Handle openSelected() { return openDevice(session_.apiDeviceNumber, session_.apiDriveLetter); }

    uint32_t apiReadSectors(platform::DiskHandle* h, uint32_t count, uint8_t* buffer, uint32_t bytesPerSector,
                            uint64_t lba);
    uint32_t apiWriteSectors(platform::DiskHandle* h, uint32_t count, const uint8_t* buffer,
                             uint32_t bytesPerSector, uint64_t lba);
    // SCSI VERIFY(10), or (16) above 2^32 sectors; by reads into the transfer buffer once
    // chooseVerifyRoute found the device without a VERIFY of its own.
    bool apiVerifySectors(platform::DiskHandle* h, uint16_t count, uint64_t lba);
    // Tries one VERIFY at `lba`: false when the device cannot verify by itself, and from then on
    // verifying reads the sectors instead (until the next call).
    bool chooseVerifyRoute(platform::DiskHandle* h, uint64_t lba);
    bool verifiesByReading() const { return verifyByReads_; }
    // The system error code of the last positioned transfer or verify (0 after success).
    uint32_t lastSystemError() const { return lastError_; }

    // SMART_RCV_DRIVE_DATA / SMART_SEND_DRIVE_COMMAND; refused at once outside API mode or for a
    // drive marked non-ATA. The data of a data-in command lands in smartData(); a command without
    // data leaves its registers there: error, count, LBA low, mid, high, device, status.
    bool apiSmartCommand(uint8_t number, uint32_t dataSize, uint8_t features, uint8_t count, uint8_t lbaLow,
                         uint8_t lbaMid, uint8_t lbaHigh, uint8_t device, uint8_t command);
    // The entry point of the SMART data reader: the non-ATA mark does not stop it.
    bool apiSmartCommandAnyDrive(uint8_t number, uint32_t dataSize, uint8_t features, uint8_t count,
                                 uint8_t lbaLow, uint8_t lbaMid, uint8_t lbaHigh, uint8_t device, uint8_t command);
    const uint8_t* smartData() const { return smartOut_.data() + 16; }

    // IOCTL_IDE_PASS_THROUGH: the eight registers back, and whether the request succeeded.
    bool apiIdePassThrough(uint32_t dataSize, uint8_t features, uint8_t count, uint8_t lbaLow, uint8_t lbaMid,
                           uint8_t lbaHigh, uint8_t device, uint8_t command, std::array<uint8_t, 8>& registers);
    uint8_t* idePassData() { return idePass_.data() + 12; }

    // ATA PASS-THROUGH(16), and (12) only when (16) did not give result 0.
    bool apiAtaCommand(uint8_t number, uint16_t count, Direction direction, uint8_t features, uint8_t sectorCount,
                       uint8_t lbaLow, uint8_t lbaMid, uint8_t lbaHigh, uint8_t device, uint8_t command);
    bool apiAtaCommand(uint8_t number, uint16_t count, Direction direction, const platform::TaskFile& tf) {
        return apiAtaCommand(number, count, direction, tf.features, tf.count, tf.lbaLow, tf.lbaMid, tf.lbaHigh,
                             tf.device, tf.command);
    }
    bool apiSmartCommand(uint8_t number, uint32_t dataSize, const platform::TaskFile& tf) {
        return apiSmartCommand(number, dataSize, tf.features, tf.count, tf.lbaLow, tf.lbaMid, tf.lbaHigh, tf.device,
                               tf.command);
    }
    std::vector<uint8_t>& apiDataBuffer() { return apiData_; }
    const std::array<uint8_t, 8>& returnedTaskFile() const { return returnedTaskFile_; }

    // One SCSI pass-through request; 0 on success, else a non-zero result code.
    uint32_t scsiRequest(platform::DiskHandle* h, const uint8_t* cdb, uint8_t cdbLength,
                         platform::ScsiRequest::Direction dir, uint8_t* data, uint32_t length, uint32_t timeout);
    const SatResult& satResult() const { return sat_; }
    SatResult& satResult() { return sat_; }

    bool apiScsiInquiry(platform::DiskHandle* h);
    bool apiStartStopUnit(platform::DiskHandle* h);
    bool apiReadCapacity(platform::DiskHandle* h, uint32_t& lastLba, uint32_t& blockLength);
    ApiDriveSize apiGetGeometry(platform::DiskHandle* h);
    const std::string& scsiModel() const { return scsiModel_; }
    const std::string& scsiRevision() const { return scsiRevision_; }
    const std::string& scsiSerial() const { return scsiSerial_; }

    platform::DiskDevices& devices() { return devices_; }

    // Marks the selected drive as one that answers no ATA commands (a SCSI passport).
    void setNonAtaDrive(bool v) { nonAtaDrive_ = v; }
    bool nonAtaDrive() const { return nonAtaDrive_; }

    // The API branch of the sector commands.
    bool issueSectorCommand(platform::DiskHandle* handle, uint16_t count, uint8_t command, uint64_t lba) override;
    bool readOneSector(uint8_t* buffer, uint64_t lba) override;
    bool writeOneSector(const uint8_t* buffer, uint64_t lba) override;
    // Puts the LBA, time and date stamp into each sector of a block in `buffer`.
    void stampBlock(uint8_t* buffer, uint16_t count, uint64_t lba);

private:
    bool smartCommand(uint8_t number, uint32_t dataSize, const platform::TaskFile& regs);
    void processEvents();

    platform::DiskDevices& devices_;
    DriveSession& session_;
    platform::SystemFacts& facts_;
    form::UiThread& ui_;
    LogFn log_;

    SatResult sat_;
    std::array<uint8_t, 8> returnedTaskFile_{};
    std::vector<uint8_t> smartOut_ = std::vector<uint8_t>(65553);
    std::vector<uint8_t> idePass_ = std::vector<uint8_t>(0xFFFF + 12);
    std::vector<uint8_t> apiData_;
    std::string scsiModel_, scsiRevision_, scsiSerial_;
    bool nonAtaDrive_ = false;
    bool verifyByReads_ = false;
    uint32_t lastError_ = 0;
};

} // namespace korvane::access
