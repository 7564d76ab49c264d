#pragma once
#include "platform/PageBuffer.h"

#include <cstdint>

namespace korvane::access {

// The process-wide transfer buffers. Every operation that names one overwrites it.
struct SharedBuffers {
    // One sector for single-sector transfers, IDENTIFY and SMART data, the remap pattern;
    // room for 2049 words although transfers use the first 256 (READ LONG the first 260).
    alignas(16) uint16_t sectorBuffer[2049] = {};
    // A second single sector (the partition analyser, the SMART thresholds).
    alignas(16) uint8_t sectorBuffer2[512] = {};
    // 32-bit PIO sector data: 136 dwords, transfers use the first 128.
    alignas(16) uint32_t dwordBuffer[136] = {};

    // Multi-sector transfers: 0x800080 + 1 dwords (just over 32 MiB), aligned for direct I/O.
    static constexpr size_t kTransferDwords = 0x800080 + 1;
    static constexpr size_t kTransferBytes = kTransferDwords * 4;
    platform::PageBuffer transfer{kTransferBytes};
    platform::PageBuffer pattern{kTransferBytes};

    uint8_t* transferBuffer() { return transfer.data(); }
    uint8_t* patternBuffer() { return pattern.data(); }
    uint8_t* sectorBytes() { return reinterpret_cast<uint8_t*>(sectorBuffer); }
};

} // namespace korvane::access
