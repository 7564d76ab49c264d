#pragma once
#include <cstdint>

namespace korvane::platform {

// Status register bits.
namespace status {
inline constexpr uint8_t BSY = 0x80, DRDY = 0x40, WRF = 0x20, DSC = 0x10, DRQ = 0x08, CORR = 0x04, IDX = 0x02,
                         ERR = 0x01;
}
// Error register bits.
namespace error {
inline constexpr uint8_t BBK = 0x80, UNC = 0x40, IDNF = 0x10, ABRT = 0x04, T0NF = 0x02, AMNF = 0x01;
}
// Device control register bits.
namespace control {
inline constexpr uint8_t HOB = 0x80, SRST = 0x04, NIEN = 0x02;
}
// Register offsets from the command-block base port.
namespace reg {
inline constexpr uint16_t Data = 0, Features = 1, Error = 1, Count = 2, LbaLow = 3, LbaMid = 4, LbaHigh = 5,
                          Device = 6, Command = 7, Status = 7;
}

// The ATA register set of one command: the current bytes and, for 48-bit commands, the previous
// ("HOB") bytes written before them. The same value serves the PIO layer, the pass-through
// requests, the log texts and the simulated drive.
struct TaskFile {
    uint8_t features = 0, count = 0, lbaLow = 0, lbaMid = 0, lbaHigh = 0, device = 0, command = 0;
    uint8_t prevFeatures = 0, prevCount = 0, prevLbaLow = 0, prevLbaMid = 0, prevLbaHigh = 0;
    // What the device returns in the same registers.
    uint8_t status = 0, error = 0;

    uint32_t lba28() const {
        return uint32_t(lbaLow) | uint32_t(lbaMid) << 8 | uint32_t(lbaHigh) << 16 | uint32_t(device & 0x0F) << 24;
    }
    uint64_t lba48() const {
        return uint64_t(lbaLow) | uint64_t(lbaMid) << 8 | uint64_t(lbaHigh) << 16 | uint64_t(prevLbaLow) << 24 |
               uint64_t(prevLbaMid) << 32 | uint64_t(prevLbaHigh) << 40;
    }
    // Sector count of a 28-bit command (0 means 256) or a 48-bit one (0 means 65536).
    uint32_t count28() const { return count == 0 ? 256u : count; }
    uint32_t count48() const {
        uint32_t n = uint32_t(prevCount) << 8 | count;
        return n == 0 ? 65536u : n;
    }
    void setLba28(uint32_t lba) {
        lbaLow = uint8_t(lba);
        lbaMid = uint8_t(lba >> 8);
        lbaHigh = uint8_t(lba >> 16);
        device = uint8_t((device & 0xF0) | ((lba >> 24) & 0x0F));
    }
    void setLba48(uint64_t lba) {
        lbaLow = uint8_t(lba);
        lbaMid = uint8_t(lba >> 8);
        lbaHigh = uint8_t(lba >> 16);
        prevLbaLow = uint8_t(lba >> 24);
        prevLbaMid = uint8_t(lba >> 32);
        prevLbaHigh = uint8_t(lba >> 40);
    }
};

} // namespace korvane::platform
