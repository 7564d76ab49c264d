#pragma once
#include "platform/TaskFile.h"
#include "platform/sim/SimDiskDevices.h"
#include "platform/sim/SimPortIo.h"
#include "platform/sim/VirtualClock.h"
#include "sim/LabProfiles.h"

#include <memory>
#include <vector>

namespace korvane::testsupport {

// An ATA host over the lab's ports, as tests drive it: program the task file, poll the status,
// move data. Every wait is bounded in polls, so a stuck drive fails a test instead of hanging it.
struct LabHost {
    explicit LabHost(const std::string& profile = "default");

    platform::VirtualClock clock;
    std::unique_ptr<sim::Lab> lab;
    std::unique_ptr<platform::SimPortIo> ports;
    std::unique_ptr<platform::SimDiskDevices> disks;
    uint16_t base = 0x1F0, alt = 0x3F6;
    uint8_t slaveBit = 0;

    void use(uint16_t b, uint16_t a, bool slave = false) {
        base = b;
        alt = a;
        slaveBit = slave ? 0x10 : 0x00;
    }
    sim::AtaDevice& drive(); // the selected device of the selected channel

    uint8_t status() { return ports->inb(alt); }
    uint8_t error() { return ports->inb(uint16_t(base + 1)); }
    uint8_t reg(uint16_t offset) { return ports->inb(uint16_t(base + offset)); }
    // Polls until BSY clears; false after `polls` polls.
    bool waitNotBusy(int polls = 100000);
    bool waitDrq(int polls = 100000);

    void command28(uint8_t cmd, uint32_t lba = 0, uint8_t count = 1, uint8_t features = 0, uint8_t device = 0xE0);
    void command48(uint8_t cmd, uint64_t lba, uint16_t count = 1, uint16_t features = 0);
    // A non-data command: issue, wait, and return the status (0xFF when it never finished).
    uint8_t nonData(uint8_t cmd, uint32_t lba = 0, uint8_t count = 0, uint8_t features = 0, uint8_t device = 0xE0);
    uint8_t smart(uint8_t feature, uint8_t count = 0, uint8_t lbaLow = 0);

    // Data phases of whole sectors: words read or written, one string transfer a sector.
    std::vector<uint8_t> readData(size_t bytes);
    void writeData(const std::vector<uint8_t>& bytes);
    // Reads `count` sectors with READ SECTORS (EXT with `ext`); empty on error.
    std::vector<uint8_t> readSectors(uint64_t lba, uint16_t count, bool ext = false);
    bool writeSectors(uint64_t lba, const std::vector<uint8_t>& data, bool ext = false);
    // A data-out command with one 512-byte block (security commands).
    uint8_t dataOut(uint8_t cmd, const std::vector<uint8_t>& block);
    std::vector<uint8_t> identify();
    uint64_t lbaRegisters48();
    uint32_t lbaRegisters28();
    void powerCycle();
};

// The 512-byte block of a security command.
std::vector<uint8_t> securityBlock(const std::string& password, bool master, bool levelMax = false);

} // namespace korvane::testsupport
