#pragma once
#include <cstdint>
#include <string>

namespace korvane::platform {

// PCI configuration space as the system shows it to any user, for machines where the
// configuration ports are not ours to drive, and the system's own list of PCI names.
class PciConfigFiles {
public:
    virtual ~PciConfigFiles() = default;
    // False when the system shows no configuration space at all.
    virtual bool available() = 0;
    // The 32-bit register at `reg` (a multiple of 4) of a function; FFFFFFFFh when the function
    // does not exist or the register cannot be read, as an absent function answers on the bus.
    virtual uint32_t read(uint8_t bus, uint8_t device, uint8_t function, uint8_t reg) = 0;
    // Names from the system's PCI ID list; "" when there is no list or it does not know the ID.
    virtual std::string vendorName(uint16_t vendor) = 0;
    virtual std::string deviceName(uint16_t vendor, uint16_t device) = 0;
};

// A machine that shows none (the lab, whose bus answers on its ports).
class NoPciConfigFiles final : public PciConfigFiles {
public:
    bool available() override { return false; }
    uint32_t read(uint8_t, uint8_t, uint8_t, uint8_t) override { return 0xFFFFFFFFu; }
    std::string vendorName(uint16_t) override { return {}; }
    std::string deviceName(uint16_t, uint16_t) override { return {}; }
};

} // namespace korvane::platform
