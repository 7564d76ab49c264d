#pragma once
#include <cstdint>
#include <string>

namespace korvane::access {

// Readable sizes: "500 Gb", "2.0 Tb" ... from kilobytes of 1000 bytes up to petabytes.
std::string formatSize(uint32_t bytesPerSector, uint64_t sectors);
// The short form of the scan: "10239k", "9M", "3G".
std::string formatSizeShort(int64_t sectors, uint32_t bytesPerSector, uint32_t sectorsPerMiB);

} // namespace korvane::access
