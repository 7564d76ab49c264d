#pragma once
#include <cstdint>

namespace korvane::platform {

// System error codes as the logic sees them, whatever the machine reports underneath.
namespace syserr {
inline constexpr uint32_t Success = 0, InvalidFunction = 1, FileNotFound = 2, AccessDenied = 5, InvalidHandle = 6,
                          NotReady = 21, WriteProtect = 19, Crc = 23, Seek = 25, SectorNotFound = 27,
                          WriteFault = 29, ReadFault = 30, GenFailure = 31, SharingViolation = 32, NotSupported = 50,
                          DeviceNotAvailable = 55, InvalidParameter = 87, IoDevice = 1117, Timeout = 1460;
}

} // namespace korvane::platform

namespace korvane::platform {

// The system error of a SCSI request that ended in CHECK CONDITION, from its sense data (fixed
// or descriptor format): a medium error with an unrecovered read gives the CRC code, an address
// out of range "sector not found", and so on.
inline uint32_t systemErrorFromSense(const uint8_t* sense, uint32_t length) {
    if (!sense || length < 3) return syserr::IoDevice;
    uint8_t key, asc;
    if ((sense[0] & 0x7F) >= 0x72) { // descriptor format
        key = sense[1] & 0x0F;
        asc = sense[2];
    } else {
        key = sense[2] & 0x0F;
        asc = length > 12 ? sense[12] : 0;
    }
    switch (key) {
    case 0x00:
    case 0x01: return syserr::Success;
    case 0x02: return syserr::NotReady;
    case 0x03: return asc == 0x11 ? syserr::Crc : asc == 0x14 ? syserr::SectorNotFound : syserr::IoDevice;
    case 0x05: return asc == 0x21 ? syserr::SectorNotFound : syserr::InvalidFunction;
    case 0x07: return syserr::WriteProtect;
    default: return syserr::IoDevice;
    }
}

} // namespace korvane::platform
