#pragma once
#include "platform/PciConfigFiles.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace korvane::platform {

// Linux: each function's configuration space is the file config in its sysfs directory
// (domain 0000, named BB:DD.F), readable by any user for the first 64 bytes; names come from
// pci.ids (packages hwdata or pciutils) when it is installed.
class HostPciConfigFiles final : public PciConfigFiles {
public:
    explicit HostPciConfigFiles(std::string devicesDir = "/sys/bus/pci/devices",
                                std::vector<std::string> idFiles = {"/usr/share/misc/pci.ids",
                                                                    "/usr/share/hwdata/pci.ids"});
    bool available() override;
    uint32_t read(uint8_t bus, uint8_t device, uint8_t function, uint8_t reg) override;
    std::string vendorName(uint16_t vendor) override;
    std::string deviceName(uint16_t vendor, uint16_t device) override;

    // The vendor and device lines of a pci.ids text.
    struct IdList {
        std::map<uint16_t, std::string> vendors;
        std::map<uint32_t, std::string> devices; // vendor << 16 | device
    };
    static IdList parseIdList(const std::string& text);

private:
    const IdList& ids();

    std::string devicesDir_;
    std::vector<std::string> idFiles_;
    std::optional<IdList> ids_;
};

} // namespace korvane::platform
