#pragma once
#include <cstdint>
#include <string>

namespace korvane::analysis {

// The built-in PCI name tables. An ID they do not know gives its hexadecimal form: "10EC*" for
// a vendor, "ID 1234*" for a device, "0C03" for a class word.
std::string pciVendorName(uint16_t vendor);
// Keyed by the device ID alone: one name serves every vendor's device with that ID.
std::string pciDeviceName(uint16_t device);
std::string pciClassName(uint16_t classWord);
bool pciVendorKnown(uint16_t vendor);
bool pciDeviceKnown(uint16_t device);
size_t pciDeviceNameCount();

} // namespace korvane::analysis
