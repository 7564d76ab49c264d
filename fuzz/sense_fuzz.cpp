// The SCSI sense decoding of the system's pass-through requests over any sense bytes.
#include "platform/host/HostDiskDevices.h"

#include <algorithm>
#include <cstring>

using namespace korvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    (void)platform::HostDiskDevices::errorFromSense(data, size);
    uint8_t registers[14] = {};
    (void)platform::HostDiskDevices::ataReturnFromSense(data, size, registers);
    platform::ScsiRequest r;
    r.senseLength = uint8_t(std::min(size, sizeof r.sense)); // the kernel writes at most the buffer
    std::memcpy(r.sense, data, r.senseLength);
    r.scsiStatus = size > 0 ? data[0] : 0;
    (void)platform::HostDiskDevices::statusWithoutSense(r);
    return 0;
}
