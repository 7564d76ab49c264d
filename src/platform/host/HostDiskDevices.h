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
    std::unique_ptr<DiskHandle> openLogical(char letter, uint32_t& error) override;
    std::vector<char> logicalDrives() override;
    LogicalDriveType driveType(char letter) override;

    // The device paths behind the numbers and letters, as found when this object was made.
    const std::vector<std::string>& physicalPaths() const { return physical_; }
    struct Logical {
        char letter;
        std::string path;
        LogicalDriveType type;
    };
    const std::vector<Logical>& logical() const { return logical_; }

    // Opens a path the way the numbered devices are opened.
    static std::unique_ptr<DiskHandle> openPath(const std::string& path, uint32_t& error);
    // errno and SCSI sense as the system error codes the logic expects.
    static uint32_t errorFromErrno(int err);
    static uint32_t errorFromSense(const uint8_t* sense, size_t length);
    // A request the device answered with a non-GOOD status and no sense data is a failure.
    static uint32_t statusWithoutSense(const ScsiRequest& r);
    // READ CAPACITY (10) or (16) answered from a size in bytes, for devices that carry no SCSI.
    static uint32_t readCapacityAnswer(ScsiRequest& r, uint64_t bytes, uint32_t sectorSize);

private:
    std::vector<std::string> physical_;
    std::vector<Logical> logical_;
};

} // namespace korvane::platform
