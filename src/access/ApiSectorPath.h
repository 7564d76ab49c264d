#pragma once
#include <cstdint>

namespace korvane::platform {
class DiskHandle;
}

namespace korvane::access {

// The API side of the mode-independent sector operations, provided by the API access layer.
class ApiSectorPath {
public:
    virtual ~ApiSectorPath() = default;
    // A sector command on an open device handle (read, stamped write, verify, seek).
    virtual bool issueSectorCommand(platform::DiskHandle* handle, uint16_t count, uint8_t command, uint64_t lba) = 0;
    // One sector between the selected device and `buffer` (opened and closed here).
    virtual bool readOneSector(uint8_t* buffer, uint64_t lba) = 0;
    virtual bool writeOneSector(const uint8_t* buffer, uint64_t lba) = 0;
};

} // namespace korvane::access
