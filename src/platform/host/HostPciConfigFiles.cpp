#include "platform/host/HostPciConfigFiles.h"

#include "platform/SmallFile.h"

#include <cstdio>
#include <fcntl.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace korvane::platform {

HostPciConfigFiles::HostPciConfigFiles(std::string devicesDir, std::vector<std::string> idFiles)
    : devicesDir_(std::move(devicesDir)), idFiles_(std::move(idFiles)) {}

bool HostPciConfigFiles::available() {
    struct stat st {};
    return ::stat(devicesDir_.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

uint32_t HostPciConfigFiles::read(uint8_t bus, uint8_t device, uint8_t function, uint8_t reg) {
    char name[32];
    std::snprintf(name, sizeof name, "/0000:%02x:%02x.%x/config", bus, device & 0x1F, function & 0x07);
    const int fd = ::open((devicesDir_ + name).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return 0xFFFFFFFFu;
    uint8_t bytes[4];
    const ssize_t n = ::pread(fd, bytes, sizeof bytes, off_t(reg & 0xFC));
    ::close(fd);
    if (n != 4) return 0xFFFFFFFFu;
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
}

HostPciConfigFiles::IdList HostPciConfigFiles::parseIdList(const std::string& text) {
    IdList list;
    std::istringstream in(text);
    long vendor = -1;
    auto hex4 = [](const std::string& s, size_t at) -> long {
        if (s.size() < at + 4) return -1;
        long v = 0;
        for (size_t i = at; i < at + 4; ++i) {
            const char c = s[i];
            const int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
            if (d < 0) return -1;
            v = v * 16 + d;
        }
        return v;
    };
    auto nameAfter = [](const std::string& s, size_t at) {
        const size_t b = s.find_first_not_of(' ', at);
        return b == std::string::npos ? std::string() : s.substr(b);
    };
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        // The device classes come last, under "C xx" lines: nothing after them is a vendor's.
        if (line.rfind("C ", 0) == 0) break;
        if (line[0] != '\t') {
            vendor = hex4(line, 0);
            if (vendor >= 0) list.vendors[uint16_t(vendor)] = nameAfter(line, 4);
        } else if (line.size() > 1 && line[1] != '\t' && vendor >= 0) {
            const long device = hex4(line, 1);
            if (device >= 0) list.devices[uint32_t(vendor) << 16 | uint32_t(device)] = nameAfter(line, 5);
        }
    }
    return list;
}

const HostPciConfigFiles::IdList& HostPciConfigFiles::ids() {
    if (!ids_) {
        ids_.emplace();
        for (const auto& path : idFiles_)
            if (auto text = readRegularFile(path, 8u << 20)) {
                *ids_ = parseIdList(*text);
                break;
            }
    }
    return *ids_;
}

std::string HostPciConfigFiles::vendorName(uint16_t vendor) {
    auto it = ids().vendors.find(vendor);
    return it == ids().vendors.end() ? std::string() : it->second;
}

std::string HostPciConfigFiles::deviceName(uint16_t vendor, uint16_t device) {
    auto it = ids().devices.find(uint32_t(vendor) << 16 | device);
    return it == ids().devices.end() ? std::string() : it->second;
}

} // namespace korvane::platform
