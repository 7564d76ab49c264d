#pragma once
#include <array>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <tuple>

namespace korvane::sim {

// One PCI function's 256-byte configuration space.
struct PciFunction {
    std::array<uint8_t, 256> config{};
    std::string description;

    void set16(size_t offset, uint16_t v) {
        config[offset] = uint8_t(v);
        config[offset + 1] = uint8_t(v >> 8);
    }
    void set32(size_t offset, uint32_t v) {
        set16(offset, uint16_t(v));
        set16(offset + 2, uint16_t(v >> 16));
    }
    uint32_t get32(size_t offset) const {
        return uint32_t(config[offset]) | uint32_t(config[offset + 1]) << 8 | uint32_t(config[offset + 2]) << 16 |
               uint32_t(config[offset + 3]) << 24;
    }
    // Vendor, device, class code, programming interface; the header type's bit 7 marks multi-function.
    static PciFunction make(uint16_t vendor, uint16_t device, uint8_t baseClass, uint8_t subClass, uint8_t progIf,
                            std::string description, bool multiFunction = false);
};

// Configuration mechanism #1: an address written to CF8h selects bus, device, function and
// register; CFCh reads that register. Absent functions read as all ones.
class PciBus {
public:
    void add(uint8_t bus, uint8_t device, uint8_t function, PciFunction f) {
        functions_[{bus, device, function}] = std::move(f);
    }
    void writeAddress(uint32_t address) { address_ = address; }
    uint32_t address() const { return address_; }
    uint32_t readData() const;
    size_t size() const { return functions_.size(); }
    using Address = std::tuple<uint8_t, uint8_t, uint8_t>; // bus, device, function
    // The functions whose registers were read, present or not.
    const std::set<Address>& probed() const { return probed_; }

private:
    std::map<std::tuple<uint8_t, uint8_t, uint8_t>, PciFunction> functions_;
    uint32_t address_ = 0;
    mutable std::set<Address> probed_;
};

} // namespace korvane::sim
