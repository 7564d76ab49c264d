#pragma once
#include "platform/DiskDevices.h"
#include "sim/LabDisk.h"

namespace korvane::sim {

// The SCSI face of a lab disk: INQUIRY, READ CAPACITY(10), READ(10), WRITE(10), VERIFY(10),
// START STOP UNIT, TEST UNIT READY, and ATA PASS-THROUGH (16) and (12) with the ATA status
// return descriptor, where the disk's path translates ATA.
class SatBridge {
public:
    // Returns the system error of the request itself; SCSI status and sense go into `request`.
    static uint32_t execute(LabDisk& disk, platform::ScsiRequest& request);

    // Sense data: fixed format with key, ASC and ASCQ.
    static void fixedSense(platform::ScsiRequest& r, uint8_t key, uint8_t asc, uint8_t ascq);

private:
    static uint32_t ataPassThrough(LabDisk& disk, platform::ScsiRequest& r, bool sixteen);
    static void inquiry(LabDisk& disk, platform::ScsiRequest& r);
};

} // namespace korvane::sim
