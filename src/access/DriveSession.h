#pragma once
#include "access/AccessMode.h"
#include "access/SharedBuffers.h"

#include <atomic>
#include <cstdint>

namespace korvane::access {

// The one record of the selected drive and of how it is reached. Plain values, written on the
// UI thread; the flags workers read or write while they run are atomic.
struct DriveSession {
    AccessMode accessMode = AccessMode::Pio;
    uint8_t apiDeviceNumber = 0;
    char apiDriveLetter = 'C';
    uint16_t pioBasePort = 0x170;
    uint16_t pioAltPort = 0x376;
    uint16_t pioStatusPort = 0x177;
    uint16_t customBasePort = 0xD400;
    uint16_t customAltPort = 0xD802;
    uint8_t deviceSelectBit = 0x00;
    bool useAltStatus = true;
    bool ignoreDrdy = false;
    bool lba48 = false;
    // Deadlines of the three PIO waits, in ATA-clock units: counter ticks or milliseconds.
    int64_t bsyTimeout = 15000;
    int64_t drqTimeout = 100;
    int64_t drdyTimeout = 1000;
    bool ataClockIsTsc = false;
    uint32_t bytesPerSector = 512;
    uint32_t sectorsPerMiB = 2048;
    std::atomic<uint64_t> maxLba{0};
    std::atomic<bool> breakRequested{true};
    std::atomic<bool> breakLoopsEnabled{false};
    std::atomic<bool> readActive{false};
    std::atomic<bool> writeActive{false};
    bool lba28Overflow = false;
    bool stampWrites = false;
    bool primaryChannelAllowed = true;
    bool ntFamily = false;
    bool portDriverReady = false;
    // "Don't get drive type": the capacity from READ CAPACITY is taken without the geometry.
    bool skipDriveType = false;
    // Mirrors of "All sound" and "Bell", so a worker's beep never reads a control.
    std::atomic<bool> soundEnabled{false};
    std::atomic<bool> bellEnabled{false};
    // Set by the close handler: every PIO busy wait returns at once.
    std::atomic<bool> closing{false};

    SharedBuffers buffers;
};

} // namespace korvane::access
