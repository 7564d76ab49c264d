#pragma once
#include "platform/DiskDevices.h"

#include <string>
#include <vector>

namespace korvane::platform {

// This computer's disk devices. Physical drives are the whole disks of sysfs in name order
// (sd*, hd*, vd*, nvme*n*, mmcblk*), then the image files and block devices given on the command
// line. Logical drives are letters, from D:, for removable media, optical drives, RAM disks and
// network block devices.
class HostDiskDevices final : public DiskDevices {
public:
    explicit HostDiskDevices(std::vector<std::string> extraDevices = {}, std::string sysBlock = "/sys/block");

    std::unique_ptr<DiskHandle> openPhysical(unsigned number, uint32_t& error) override;
    std::unique_ptr<DiskHandle> openPhysicalExclusive(unsigned number, uint32_t& error) override;
    std::unique_ptr<DiskHandle> openPhysicalForReading(unsigned number, uint32_t& error) override;
    std::unique_ptr<DiskHandle> openLogical(char letter, uint32_t& error) override;
    std::vector<char> logicalDrives() override;
    LogicalDriveType driveType(char letter) override;
    bool inUseBySystem(unsigned number) override;
    // The same question for a disk of sysfs, answered from the given mount table and swap list
    // (the text of /proc/self/mountinfo and /proc/swaps).
    static bool diskInUse(const std::string& sysBlockDisk, const std::string& mountinfo, const std::string& swaps);

    // The device paths behind the numbers and letters, as found when this object was made.
    const std::vector<std::string>& physicalPaths() const { return physical_; }
    struct Logical {
        char letter;
        std::string path;
        LogicalDriveType type;
    };
    const std::vector<Logical>& logical() const { return logical_; }

    // Opens a path the way the numbered devices are opened.
    static std::unique_ptr<DiskHandle> openPath(const std::string& path, uint32_t& error, bool exclusive = false,
                                                bool readOnly = false);
    // errno and SCSI sense as the system error codes the logic expects.
    static uint32_t errorFromErrno(int err);
    static uint32_t errorFromSense(const uint8_t* sense, size_t length);
    // A request the device answered with a non-GOOD status and no sense data is a failure.
    static uint32_t statusWithoutSense(const ScsiRequest& r);
    // The HDIO_DRIVE_CMD argument block for a data-in command of dataLength bytes.
    static std::vector<uint8_t> driveCmdArgs(const TaskFile& regs, uint32_t dataLength);
    // ATA PASS-THROUGH asking for the registers (protocol 15), which Linux refuses; such a request
    // is sent non-data with CK_COND, and the registers come from the sense data's ATA return
    // descriptor, laid out as that descriptor (error at 3, count at 5, LBA at 7/9/11, device 12, status 13).
    static bool asksForAtaRegisters(const ScsiRequest& r);
    static void toNonDataWithCheckCondition(ScsiRequest& r);
    static bool ataReturnFromSense(const uint8_t* sense, size_t length, uint8_t registers[14]);
    // READ(16) / WRITE(16) of a range, used to learn why a plain transfer failed.
    static void readWrite16(ScsiRequest& r, uint64_t lba, uint32_t blocks, bool write);
    // READ CAPACITY (10) or (16) answered from a size in bytes, for devices that carry no SCSI.
    static uint32_t readCapacityAnswer(ScsiRequest& r, uint64_t bytes, uint32_t sectorSize);

private:
    std::string sysBlock_;
    std::vector<std::string> physical_;
    std::vector<Logical> logical_;
};

} // namespace korvane::platform
