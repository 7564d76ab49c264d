#include "sim/PciBus.h"

namespace korvane::sim {

PciFunction PciFunction::make(uint16_t vendor, uint16_t device, uint8_t baseClass, uint8_t subClass, uint8_t progIf,
                              std::string description, bool multiFunction) {
    PciFunction f;
    f.description = std::move(description);
    f.set16(0x00, vendor);
    f.set16(0x02, device);
    f.set16(0x04, 0x0005); // I/O and bus master enabled
    f.config[0x09] = progIf;
    f.config[0x0A] = subClass;
    f.config[0x0B] = baseClass;
    f.config[0x0E] = multiFunction ? 0x80 : 0x00;
    return f;
}

uint32_t PciBus::readData() const {
    if (!(address_ & 0x80000000u)) return 0xFFFFFFFFu;
    uint8_t bus = uint8_t(address_ >> 16), device = uint8_t((address_ >> 11) & 0x1F),
            function = uint8_t((address_ >> 8) & 0x07), reg = uint8_t(address_ & 0xFC);
    probed_.insert({bus, device, function});
    auto it = functions_.find({bus, device, function});
    if (it == functions_.end()) return 0xFFFFFFFFu;
    return it->second.get32(reg);
}

} // namespace korvane::sim
