#pragma once
#include <cstdint>

namespace korvane::platform {

// System error codes as the logic sees them, whatever the machine reports underneath.
namespace syserr {
inline constexpr uint32_t Success = 0, InvalidFunction = 1, FileNotFound = 2, AccessDenied = 5, InvalidHandle = 6,
                          NotReady = 21, WriteProtect = 19, Crc = 23, Seek = 25, SectorNotFound = 27,
                          WriteFault = 29, ReadFault = 30, GenFailure = 31, NotSupported = 50,
                          DeviceNotAvailable = 55, InvalidParameter = 87, IoDevice = 1117, Timeout = 1460;
}

} // namespace korvane::platform
