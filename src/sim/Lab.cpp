#include "sim/Lab.h"

namespace korvane::sim {

std::shared_ptr<AtaDevice> Lab::addDrive(DriveProfile profile) {
    drives_.push_back(std::make_shared<AtaDevice>(std::move(profile), time_));
    return drives_.back();
}

IdeChannel& Lab::addChannel(std::string name, uint16_t base, uint16_t alt) {
    channels_.emplace_back(std::move(name), std::make_unique<IdeChannel>(base, alt));
    return *channels_.back().second;
}

LabDisk& Lab::addDisk(LabDisk disk) {
    disks_.push_back(std::move(disk));
    return disks_.back();
}

IdeChannel* Lab::channelAt(uint16_t base) {
    for (auto& [name, c] : channels_)
        if (c->base() == base) return c.get();
    return nullptr;
}

LabDisk* Lab::diskWithLetter(char letter) {
    for (auto& d : disks_)
        if (d.letter == letter) return &d;
    return nullptr;
}

namespace {
// What a port access costs on the bus: registers about 0.4 us, data words at PIO mode 4 speed.
constexpr uint64_t kRegisterNs = 400, kWordNs = 120;
} // namespace

void Lab::busTime(uint64_t ns) { time_.passUntil(time_.nowNs() + ns); }

IdeChannel* Lab::channelFor(uint16_t port) {
    for (auto& [name, c] : channels_)
        if (c->owns(port)) return c.get();
    return nullptr;
}

uint8_t Lab::inb(uint16_t port) {
    busTime(kRegisterNs);
    if (IdeChannel* c = channelFor(port)) return c->inb(port);
    if (port >= 0xCFC && port <= 0xCFF) return uint8_t(pci_.readData() >> (8 * (port - 0xCFC)));
    if (port == 0x61) return speaker_.readGate();
    return 0xFF;
}

void Lab::outb(uint16_t port, uint8_t value) {
    busTime(kRegisterNs);
    if (IdeChannel* c = channelFor(port)) return c->outb(port, value);
    if (port == 0x43) return speaker_.writeControl(value);
    if (port == 0x42) return speaker_.writeCounter(value);
    if (port == 0x61) return speaker_.writeGate(value);
}

uint16_t Lab::inw(uint16_t port) {
    busTime(kRegisterNs);
    if (IdeChannel* c = channelFor(port)) return c->inw(port);
    return uint16_t(inb(port) | inb(uint16_t(port + 1)) << 8);
}

void Lab::outw(uint16_t port, uint16_t value) {
    if (IdeChannel* c = channelFor(port)) return c->outw(port, value);
    outb(port, uint8_t(value));
}

uint32_t Lab::ind(uint16_t port) {
    if (port == 0xCF8) return pci_.address();
    if (port == 0xCFC) return pci_.readData();
    if (IdeChannel* c = channelFor(port)) {
        // A 32-bit read of the data register moves two words.
        uint16_t lo = c->inw(port), hi = c->inw(port);
        return uint32_t(lo) | uint32_t(hi) << 16;
    }
    return 0xFFFFFFFFu;
}

void Lab::outd(uint16_t port, uint32_t value) {
    if (port == 0xCF8) return pci_.writeAddress(value);
    if (IdeChannel* c = channelFor(port)) {
        c->outw(port, uint16_t(value));
        c->outw(port, uint16_t(value >> 16));
    }
}

void Lab::insw(uint16_t port, uint16_t* buffer, size_t count) {
    busTime(kWordNs * count);
    if (IdeChannel* c = channelFor(port)) return c->insw(port, buffer, count);
    for (size_t i = 0; i < count; ++i) buffer[i] = 0xFFFF;
}

void Lab::outsw(uint16_t port, const uint16_t* buffer, size_t count) {
    busTime(kWordNs * count);
    if (IdeChannel* c = channelFor(port)) return c->outsw(port, buffer, count);
}

} // namespace korvane::sim
