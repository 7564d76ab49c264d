#pragma once
#include "sim/Lab.h"

#include <memory>
#include <string>
#include <vector>

namespace korvane::sim {

// Drive profiles with realistic identities, and the lab set-ups built from them.
namespace profiles {
DriveProfile desktopSataHdd();   // the main drive: LBA48, UDMA 6, HPA, AAM/APM, security, defects
DriveProfile legacyPataHdd();    // 28-bit, UDMA 5, AAM
DriveProfile pataSlaveHdd();     // a second PATA drive, for the slave position
DriveProfile sataSsd();          // rotation rate 1, TRIM, 4096-byte physical sectors
DriveProfile lockedHdd();        // security enabled and locked
DriveProfile usbDisk();
DriveProfile sasDisk();
DriveProfile flashStick();
DriveProfile virtualDisk();
} // namespace profiles

struct LabProfileInfo {
    std::string name;
    std::string description;
};

// The lab set-ups `--sim=NAME` can pick; the first is the default.
std::vector<LabProfileInfo> labProfiles();
// Builds a lab; nullptr for an unknown name.
std::unique_ptr<Lab> buildLab(const std::string& name, LabTime& time);

// A master boot record with primary, extended and logical partitions and labelled boot sectors.
void writeDemoPartitions(AtaDevice& drive);
// A GUID partition table (protective MBR, both headers and entry arrays): an EFI system
// partition and a Linux data partition.
void writeDemoGpt(AtaDevice& drive);

// The lab described the way `korvane-cli lab` prints it.
std::string describeLab(Lab& lab);

} // namespace korvane::sim
