#pragma once
#include "platform/DiskDevices.h"
#include "platform/PowerControl.h"
#include "sim/Lab.h"

namespace korvane::platform {

// The lab's disks as the operating system's disk devices, each carrying only the requests its
// path allows; refusals come at once with the system error a real path gives.
class SimDiskDevices final : public DiskDevices {
public:
    explicit SimDiskDevices(sim::Lab& lab) : lab_(lab) {}
    std::unique_ptr<DiskHandle> openPhysical(unsigned number, uint32_t& error) override;
    std::unique_ptr<DiskHandle> openLogical(char letter, uint32_t& error) override;
    std::vector<char> logicalDrives() override;
    LogicalDriveType driveType(char letter) override;
    bool inUseBySystem(unsigned number) override {
        return number < lab_.disks().size() && lab_.disks()[number].systemDisk;
    }

private:
    sim::Lab& lab_;
};

// Shutdown requests are only counted.
class RecordedPowerControl final : public PowerControl {
public:
    bool shutDown() override {
        ++requests;
        return accept;
    }
    int requests = 0;
    bool accept = true;
};

} // namespace korvane::platform
