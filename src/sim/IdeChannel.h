#pragma once
#include "sim/AtaDevice.h"

#include <memory>
#include <mutex>

namespace korvane::sim {

// The register face of one IDE/SATA channel: eight command-block ports, the alternate port, and a
// master and an optional slave. Register writes reach both devices, reads come from the selected
// one; a channel without any drive floats (all bits read as ones).
class IdeChannel {
public:
    IdeChannel(uint16_t base, uint16_t alt) : base_(base), alt_(alt) {}

    uint16_t base() const { return base_; }
    uint16_t alt() const { return alt_; }
    void attach(int index, std::shared_ptr<AtaDevice> device) {
        if (device) device->shareBusLock(mutex_);
        devices_[index & 1] = std::move(device);
    }
    AtaDevice* device(int index) const { return devices_[index & 1].get(); }
    bool owns(uint16_t port) const { return (port >= base_ && port <= base_ + 7) || port == alt_ || port == powerPort(); }

    uint8_t inb(uint16_t port);
    void outb(uint16_t port, uint8_t value);
    uint16_t inw(uint16_t port);
    void outw(uint16_t port, uint16_t value);
    void insw(uint16_t port, uint16_t* buffer, size_t count);
    void outsw(uint16_t port, const uint16_t* buffer, size_t count);

    // The power adaptor's register at base + 16h: 01h powers the drives, 00h cuts them off.
    uint16_t powerPort() const { return uint16_t(base_ + 0x16); }
    uint8_t powerRegister() const { return power_; }

    // Faults of the channel itself.
    bool floating = false; // nothing answers: every read is all ones
    // What the registers of a channel without drives read: all ones, or 7Fh on controllers that
    // pull the BUSY line low.
    uint8_t emptyBusValue = 0xFF;

private:
    AtaDevice* selected() const;
    uint8_t readRegister(uint16_t offset);

    uint16_t base_, alt_;
    std::shared_ptr<AtaDevice> devices_[2];
    uint8_t deviceRegister_ = 0;
    uint8_t control_ = 0;
    uint8_t power_ = 0x01;
    std::recursive_mutex mutex_;
};

} // namespace korvane::sim
