#include "sim/IdeChannel.h"

namespace korvane::sim {

using namespace platform;

AtaDevice* IdeChannel::selected() const {
    if (floating) return nullptr;
    AtaDevice* d = devices_[(deviceRegister_ >> 4) & 1].get();
    return d && d->onBus() ? d : nullptr;
}

uint8_t IdeChannel::readRegister(uint16_t offset) {
    AtaDevice* d = selected();
    bool anyOnBus = !floating && ((devices_[0] && devices_[0]->onBus()) || (devices_[1] && devices_[1]->onBus()));
    if (!d) {
        if (!anyOnBus) return emptyBusValue;
        // An absent slave beside a present master reads as zeros, the device register excepted.
        return offset == reg::Device ? deviceRegister_ : 0x00;
    }
    if (offset == reg::Status) return d->status();
    if (offset == reg::Device) return d->readRegister(reg::Device, false);
    return d->readRegister(offset, control_ & control::HOB);
}

uint8_t IdeChannel::inb(uint16_t port) {
    std::lock_guard lock(mutex_);
    if (port == powerPort()) return power_;
    if (port == alt_) return readRegister(reg::Status);
    if (port == base_) return uint8_t(inw(port));
    return readRegister(uint16_t(port - base_));
}

void IdeChannel::outb(uint16_t port, uint8_t value) {
    std::lock_guard lock(mutex_);
    if (port == powerPort()) {
        power_ = value;
        for (auto& d : devices_)
            if (d) d->setPowered(value & 0x01);
        return;
    }
    if (port == alt_) {
        bool srst = value & control::SRST;
        if (srst != bool(control_ & control::SRST))
            for (auto& d : devices_)
                if (d) d->setResetLine(srst);
        control_ = value;
        return;
    }
    if (floating) return;
    uint16_t offset = uint16_t(port - base_);
    if (offset == reg::Device) deviceRegister_ = value;
    if (offset == reg::Command) {
        if (AtaDevice* d = selected()) d->writeCommand(value);
        return;
    }
    if (offset >= 1 && offset <= 6) {
        // Every device on the channel latches the task-file registers.
        for (auto& d : devices_)
            if (d) d->writeRegister(offset, value);
        control_ = uint8_t(control_ & ~control::HOB); // a register write clears HOB, as ATA has it
    }
}

uint16_t IdeChannel::inw(uint16_t port) {
    std::lock_guard lock(mutex_);
    if (port != base_) return uint16_t(inb(port) | inb(port) << 8);
    AtaDevice* d = selected();
    return d ? d->readData() : 0xFFFF;
}

void IdeChannel::outw(uint16_t port, uint16_t value) {
    std::lock_guard lock(mutex_);
    if (port != base_) {
        outb(port, uint8_t(value));
        return;
    }
    if (AtaDevice* d = selected()) d->writeData(value);
}

void IdeChannel::insw(uint16_t port, uint16_t* buffer, size_t count) {
    std::lock_guard lock(mutex_);
    for (size_t i = 0; i < count; ++i) buffer[i] = inw(port);
}

void IdeChannel::outsw(uint16_t port, const uint16_t* buffer, size_t count) {
    std::lock_guard lock(mutex_);
    for (size_t i = 0; i < count; ++i) outw(port, buffer[i]);
}

} // namespace korvane::sim
