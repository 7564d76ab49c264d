#pragma once
#include <cstddef>
#include <cstdint>

namespace korvane::platform {

// The CRC-32 of GUID partition tables (and of most of the world): reflected, polynomial EDB88320h.
inline uint32_t crc32(const uint8_t* data, size_t size) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

} // namespace korvane::platform
