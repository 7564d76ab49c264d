#include "info/IdentifyDecode.h"

namespace korvane::info {

using platform::IdentifyBlock;

std::string identifyString(const IdentifyBlock& id, size_t firstWord, size_t words) {
    std::string s = id.string(firstWord, words);
    for (char& ch : s)
        if ((unsigned char)ch < 0x20 || (unsigned char)ch > 0x7A) ch = ' ';
    size_t b = s.find_first_not_of(' ');
    if (b == std::string::npos) return " ";
    return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

namespace {

void decodeCapacity(const IdentifyBlock& id, IdentifyFacts& f) {
    const DrivePassport& p = f.passport;
    if (!p.LbaSupported) return;
    uint64_t n = p.Lba48Supported ? id.qword(100) : id.dword(60);
    if (n > kMaxAtaCapacity) {
        // 48-bit addressing reaches 2^48 sectors: anything more is a damaged block, and the
        // 28-bit field is the better guess.
        f.impossibleCapacity = true;
        f.claimedCapacity = n;
        n = id.dword(60);
    }
    if (n == 0) n = uint64_t(id.word(1)) * id.word(3) * id.word(6);
    f.capacity = n;
}

void decodeTransferModes(const IdentifyBlock& id, DrivePassport& p) {
    p.DmaSupported = id.bit(49, 8);
    p.UdmaMode = -1;
    p.MwdmaMode = -1;
    if (!p.DmaSupported) return;
    for (int n = 6; n >= 0; --n)
        if (id.bit(88, unsigned(n))) {
            p.UdmaMode = int16_t(n);
            return;
        }
    for (int n = 2; n >= 0; --n)
        if (id.bit(63, unsigned(n))) {
            p.MwdmaMode = int16_t(n);
            return;
        }
}

void decodeSecurity(const IdentifyBlock& id, DrivePassport& p) {
    p.SecuritySupported = id.bit(128, 0);
    p.SecurityEnabled = p.SecuritySupported && id.bit(128, 1);
    p.SecurityLocked = id.bit(128, 2);
    p.SecurityFrozen = id.bit(128, 3);
    p.SecurityCountExpired = p.SecurityEnabled && id.bit(128, 4);
    p.SecurityLevelMax = p.SecurityEnabled && id.bit(128, 8);
    p.EraseMinutes = p.SecuritySupported ? int32_t(id.word(89) & 0x7FFF) * 2 : 0;
}

} // namespace

IdentifyFacts decodeIdentify(const IdentifyBlock& id) {
    IdentifyFacts f;
    DrivePassport& p = f.passport;
    p.Model = identifyString(id, 27, 20);
    p.Firmware = identifyString(id, 23, 4);
    p.Serial = identifyString(id, 10, 10);
    f.bytesPerSector = id.word(117) ? uint32_t(id.word(117)) * 2 : 512;
    p.LbaSupported = id.bit(49, 9);
    p.Lba48Supported = id.bit(83, 10);
    p.RotationRate = id.word(217);
    p.SataDevice = id.word(76) != 0;
    decodeCapacity(id, f);
    p.HpaSupported = id.bit(82, 10);
    p.SmartSupported = id.bit(82, 0);
    p.SmartEnabled = p.SmartSupported && id.bit(85, 0);
    p.AamSupported = id.bit(83, 9);
    p.ApmSupported = id.bit(83, 3);
    p.DcoSupported = id.bit(83, 11);
    decodeTransferModes(id, p);
    if (p.AamSupported) p.AamValue = uint8_t(id.word(94));
    if (p.ApmSupported) p.ApmValue = uint8_t(id.word(91));
    decodeSecurity(id, p);
    // Logical sectors per physical one: 2^(word 106 bits 0-3), as the block reports it.
    uint32_t k = (1u << (id.word(106) & 0xFF) % 32) & 0x0F;
    uint64_t physical = uint64_t(k) * f.bytesPerSector;
    p.PhysicalSectorSize = physical <= f.bytesPerSector ? f.bytesPerSector : uint32_t(physical);
    return f;
}

} // namespace korvane::info
