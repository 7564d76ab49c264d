#include "sim/RealDriveProfile.h"

#include "platform/IdentifyBlock.h"

#include <fstream>
#include <iterator>

namespace korvane::sim {

namespace {

std::optional<std::vector<uint8_t>> readBlock(const std::string& path, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open " + path;
        return std::nullopt;
    }
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() != 512) {
        error = path + " is not a 512-byte block";
        return std::nullopt;
    }
    return bytes;
}

std::string trimmed(const std::string& s) {
    const size_t b = s.find_first_not_of(' '), e = s.find_last_not_of(' ');
    return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

} // namespace

std::optional<DriveProfile> realDriveProfile(const std::string& prefix, std::string& error) {
    auto identify = readBlock(prefix + ".identify.bin", error);
    if (!identify) return std::nullopt;
    auto smart = readBlock(prefix + ".smart.bin", error);
    if (!smart) return std::nullopt;
    auto thresholds = readBlock(prefix + ".thresholds.bin", error);
    if (!thresholds) return std::nullopt;
    const platform::IdentifyBlock id = platform::IdentifyBlock::fromBytes(identify->data());
    DriveProfile p;
    p.model = trimmed(id.string(27, 20));
    p.serial = trimmed(id.string(10, 10));
    p.firmware = trimmed(id.string(23, 4));
    p.lba48 = id.bit(83, 10);
    const uint64_t sectors = p.lba48 ? id.qword(100) : id.dword(60);
    p.nativeSectors = sectors ? sectors : 1000000;
    p.rotationRate = id.word(217);
    p.ssd = p.rotationRate == 1;
    p.smart = true;
    p.smartEnabled = true;
    p.sata = id.word(222) != 0 && id.word(222) != 0xFFFF;
    p.hpa = id.bit(82, 10);
    p.aam = id.bit(83, 9);
    p.apm = id.bit(83, 3);
    p.security = id.bit(82, 1);
    p.shortTestMinutes = (*smart)[372];
    p.extendedTestMinutes = (*smart)[373];
    p.offlineSeconds = uint16_t((*smart)[364] | (*smart)[365] << 8);
    p.realSmartData = std::move(*smart);
    p.realSmartThresholds = std::move(*thresholds);
    return p;
}

} // namespace korvane::sim
