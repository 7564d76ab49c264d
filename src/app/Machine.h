#pragma once
#include "platform/PowerControl.h"
#include "platform/host/HostDiskDevices.h"
#include "platform/host/HostPciConfigFiles.h"
#include "platform/host/HostPortIo.h"
#include "platform/host/HostPowerControl.h"
#include "platform/sim/SimDiskDevices.h"
#include "platform/sim/SimPortIo.h"
#include "sim/Lab.h"

#include <memory>
#include <string>
#include <vector>

namespace korvane::app {

// The machine a front end works on: the lab's ports and disks, or this computer's.
struct Machine {
    Machine(sim::Lab* lab, const std::vector<std::string>& devices) {
        if (lab) {
            simPorts = std::make_unique<platform::SimPortIo>(*lab);
            simDisks = std::make_unique<platform::SimDiskDevices>(*lab);
        } else {
            hostDisks = std::make_unique<platform::HostDiskDevices>(devices);
        }
    }
    platform::PortIo& ports() { return simPorts ? static_cast<platform::PortIo&>(*simPorts) : hostPorts; }
    platform::DiskDevices& disks() {
        return simDisks ? static_cast<platform::DiskDevices&>(*simDisks) : *hostDisks;
    }

    platform::HostPortIo hostPorts;
    std::unique_ptr<platform::SimPortIo> simPorts;
    std::unique_ptr<platform::SimDiskDevices> simDisks;
    std::unique_ptr<platform::HostDiskDevices> hostDisks;
    // The lab's computer only records a shutdown; this computer's is asked for one.
    platform::PowerControl& power() {
        return simDisks ? static_cast<platform::PowerControl&>(labPower) : hostPower;
    }
    platform::RecordedPowerControl labPower;
    platform::HostPowerControl hostPower;
    // The lab's bus answers on its ports; this computer's is also readable through sysfs.
    platform::PciConfigFiles& pciFiles() {
        return simDisks ? static_cast<platform::PciConfigFiles&>(labPci) : hostPci;
    }
    platform::NoPciConfigFiles labPci;
    platform::HostPciConfigFiles hostPci;
};

} // namespace korvane::app
