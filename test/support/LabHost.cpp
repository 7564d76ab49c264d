#include "LabHost.h"

#include <cstring>

namespace korvane::testsupport {

using namespace platform;

LabHost::LabHost(const std::string& profile) {
    lab = sim::buildLab(profile, clock);
    ports = std::make_unique<SimPortIo>(*lab);
    disks = std::make_unique<SimDiskDevices>(*lab);
}

sim::AtaDevice& LabHost::drive() { return *lab->channelAt(base)->device(slaveBit ? 1 : 0); }

bool LabHost::waitNotBusy(int polls) {
    for (int i = 0; i < polls; ++i)
        if (!(status() & status::BSY)) return true;
    return false;
}

bool LabHost::waitDrq(int polls) {
    for (int i = 0; i < polls; ++i) {
        uint8_t s = ports->inb(uint16_t(base + 7));
        if (!(s & status::BSY) && (s & status::DRQ)) return true;
        if (!(s & status::BSY) && (s & status::ERR)) return false;
    }
    return false;
}

void LabHost::command28(uint8_t cmd, uint32_t lba, uint8_t count, uint8_t features, uint8_t device) {
    ports->outb(uint16_t(base + 6), uint8_t(((device & 0xEF) | slaveBit) | ((lba >> 24) & 0x0F)));
    ports->outb(uint16_t(base + 1), features);
    ports->outb(uint16_t(base + 2), count);
    ports->outb(uint16_t(base + 3), uint8_t(lba));
    ports->outb(uint16_t(base + 4), uint8_t(lba >> 8));
    ports->outb(uint16_t(base + 5), uint8_t(lba >> 16));
    ports->outb(uint16_t(base + 7), cmd);
}

void LabHost::command48(uint8_t cmd, uint64_t lba, uint16_t count, uint16_t features) {
    ports->outb(uint16_t(base + 6), uint8_t(0xE0 | slaveBit));
    ports->outb(uint16_t(base + 1), uint8_t(features >> 8));
    ports->outb(uint16_t(base + 2), uint8_t(count >> 8));
    ports->outb(uint16_t(base + 3), uint8_t(lba >> 24));
    ports->outb(uint16_t(base + 4), uint8_t(lba >> 32));
    ports->outb(uint16_t(base + 5), uint8_t(lba >> 40));
    ports->outb(uint16_t(base + 1), uint8_t(features));
    ports->outb(uint16_t(base + 2), uint8_t(count));
    ports->outb(uint16_t(base + 3), uint8_t(lba));
    ports->outb(uint16_t(base + 4), uint8_t(lba >> 8));
    ports->outb(uint16_t(base + 5), uint8_t(lba >> 16));
    ports->outb(uint16_t(base + 7), cmd);
}

uint8_t LabHost::nonData(uint8_t cmd, uint32_t lba, uint8_t count, uint8_t features, uint8_t device) {
    if (!waitNotBusy()) return 0xFF;
    command28(cmd, lba, count, features, device);
    if (!waitNotBusy()) return 0xFF;
    return status();
}

uint8_t LabHost::smart(uint8_t feature, uint8_t count, uint8_t lbaLow) {
    if (!waitNotBusy()) return 0xFF;
    command28(0xB0, uint32_t(lbaLow) | 0x4F << 8 | 0xC2 << 16, count, feature, 0xA0);
    if (!waitNotBusy()) return 0xFF;
    return status();
}

std::vector<uint8_t> LabHost::readData(size_t bytes) {
    std::vector<uint16_t> words(bytes / 2);
    ports->insw(base, words.data(), words.size());
    std::vector<uint8_t> out(bytes);
    std::memcpy(out.data(), words.data(), bytes);
    return out;
}

void LabHost::writeData(const std::vector<uint8_t>& bytes) {
    std::vector<uint16_t> words(bytes.size() / 2);
    std::memcpy(words.data(), bytes.data(), bytes.size());
    ports->outsw(base, words.data(), words.size());
}

std::vector<uint8_t> LabHost::readSectors(uint64_t lba, uint16_t count, bool ext) {
    if (!waitNotBusy()) return {};
    if (ext)
        command48(0x24, lba, count);
    else
        command28(0x20, uint32_t(lba), uint8_t(count));
    std::vector<uint8_t> out;
    for (uint16_t i = 0; i < count; ++i) {
        if (!waitDrq()) return {};
        auto sector = readData(512);
        out.insert(out.end(), sector.begin(), sector.end());
    }
    waitNotBusy();
    return (status() & status::ERR) ? std::vector<uint8_t>{} : out;
}

bool LabHost::writeSectors(uint64_t lba, const std::vector<uint8_t>& data, bool ext) {
    if (!waitNotBusy()) return false;
    uint16_t count = uint16_t(data.size() / 512);
    if (ext)
        command48(0x34, lba, count);
    else
        command28(0x30, uint32_t(lba), uint8_t(count));
    for (uint16_t i = 0; i < count; ++i) {
        if (!waitDrq()) return false;
        writeData(std::vector<uint8_t>(data.begin() + i * 512, data.begin() + (i + 1) * 512));
        if (!waitNotBusy()) return false;
    }
    return !(status() & status::ERR);
}

uint8_t LabHost::dataOut(uint8_t cmd, const std::vector<uint8_t>& block) {
    if (!waitNotBusy()) return 0xFF;
    command28(cmd, 0, 1, 0, 0xA0);
    if (!waitDrq()) return status();
    writeData(block);
    if (!waitNotBusy()) return 0xFF;
    return status();
}

std::vector<uint8_t> LabHost::identify() {
    if (!waitNotBusy()) return {};
    command28(0xEC, 0, 1, 0, 0xA0);
    if (!waitDrq()) return {};
    auto block = readData(512);
    waitNotBusy();
    return block;
}

uint32_t LabHost::lbaRegisters28() {
    return uint32_t(reg(3)) | uint32_t(reg(4)) << 8 | uint32_t(reg(5)) << 16 | uint32_t(reg(6) & 0x0F) << 24;
}

uint64_t LabHost::lbaRegisters48() {
    uint64_t low = uint64_t(reg(3)) | uint64_t(reg(4)) << 8 | uint64_t(reg(5)) << 16;
    ports->outb(alt, control::HOB);
    uint64_t high = uint64_t(reg(3)) | uint64_t(reg(4)) << 8 | uint64_t(reg(5)) << 16;
    ports->outb(alt, 0x00);
    return low | high << 24;
}

void LabHost::powerCycle() {
    ports->outb(uint16_t(base + 0x16), 0x00);
    ports->outb(uint16_t(base + 0x16), 0x01);
}

std::vector<uint8_t> securityBlock(const std::string& password, bool master, bool levelMax) {
    std::vector<uint8_t> b(512, 0);
    b[0] = master ? 1 : 0;
    b[1] = levelMax ? 1 : 0;
    std::memcpy(b.data() + 2, password.data(), std::min<size_t>(password.size(), 32));
    return b;
}

} // namespace korvane::testsupport
