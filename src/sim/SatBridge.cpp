#include "sim/SatBridge.h"

#include <algorithm>
#include <cstring>

namespace korvane::sim {

using namespace platform;

namespace {
constexpr uint8_t kGood = 0x00, kCheckCondition = 0x02;
constexpr uint8_t kRecovered = 0x01, kMediumError = 0x03, kIllegalRequest = 0x05, kAborted = 0x0B, kNotReady = 0x02;

uint32_t be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }
uint16_t be16(const uint8_t* p) { return uint16_t(p[0] << 8 | p[1]); }
void put32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v >> 24);
    p[1] = uint8_t(v >> 16);
    p[2] = uint8_t(v >> 8);
    p[3] = uint8_t(v);
}
void copyPadded(uint8_t* dst, const std::string& s, size_t n) {
    for (size_t i = 0; i < n; ++i) dst[i] = i < s.size() ? uint8_t(s[i]) : ' ';
}

void mediaSense(ScsiRequest& r, uint32_t err) {
    r.scsiStatus = kCheckCondition;
    if (err == syserr::Crc)
        SatBridge::fixedSense(r, kMediumError, 0x11, 0x00); // unrecovered read error
    else if (err == syserr::SectorNotFound)
        SatBridge::fixedSense(r, kIllegalRequest, 0x21, 0x00); // LBA out of range
    else if (err == syserr::WriteProtect)
        SatBridge::fixedSense(r, 0x07, 0x27, 0x00); // data protect
    else if (err == syserr::NotReady)
        SatBridge::fixedSense(r, kNotReady, 0x04, 0x00);
    else
        SatBridge::fixedSense(r, kAborted, 0x00, 0x00);
}
} // namespace

void SatBridge::fixedSense(ScsiRequest& r, uint8_t key, uint8_t asc, uint8_t ascq) {
    std::memset(r.sense, 0, sizeof r.sense);
    r.sense[0] = 0x70;
    r.sense[2] = key;
    r.sense[7] = 10;
    r.sense[12] = asc;
    r.sense[13] = ascq;
    r.senseLength = 18;
}

void SatBridge::inquiry(LabDisk& disk, ScsiRequest& r) {
    uint8_t d[96] = {};
    d[0] = 0x00;
    d[1] = disk.variant == DiskVariant::RemovableFlash ? 0x80 : 0x00;
    d[2] = 0x05;
    d[3] = 0x02;
    d[4] = 91;
    copyPadded(d + 8, disk.vendor, 8);
    copyPadded(d + 16, disk.product, 16);
    copyPadded(d + 32, disk.revision, 4);
    copyPadded(d + 36, disk.serial, 20);
    uint32_t n = std::min<uint32_t>(r.dataLength, sizeof d);
    if (r.data) std::memcpy(r.data, d, n);
    r.dataTransferred = n;
    r.scsiStatus = kGood;
}

uint32_t SatBridge::execute(LabDisk& disk, ScsiRequest& r) {
    if (!disk.carriesScsi()) return syserr::InvalidFunction;
    AtaDevice& dev = *disk.device;
    if (!dev.onBus()) return syserr::DeviceNotAvailable;
    r.scsiStatus = kGood;
    r.senseLength = 0;
    r.dataTransferred = 0;
    const uint8_t* cdb = r.cdb;
    uint32_t size = disk.sectorSize();
    switch (cdb[0]) {
    case 0x00: return 0; // TEST UNIT READY
    case 0x12: inquiry(disk, r); return 0;
    case 0x25: {
        uint8_t d[8];
        uint64_t last = disk.sectors() ? disk.sectors() - 1 : 0;
        put32(d, last > 0xFFFFFFFFu ? 0xFFFFFFFFu : uint32_t(last));
        put32(d + 4, size);
        uint32_t n = std::min<uint32_t>(r.dataLength, 8);
        if (r.data) std::memcpy(r.data, d, n);
        r.dataTransferred = n;
        return 0;
    }
    case 0x28:
    case 0x2A: {
        uint32_t lba = be32(cdb + 2), count = be16(cdb + 7);
        if (uint64_t(count) * size > r.dataLength || !r.data) {
            r.scsiStatus = kCheckCondition;
            fixedSense(r, kIllegalRequest, 0x24, 0x00);
            return 0;
        }
        uint32_t err = cdb[0] == 0x28 ? dev.mediaRead(lba, count, r.data) : dev.mediaWrite(lba, count, r.data);
        if (err) mediaSense(r, err);
        else r.dataTransferred = count * size;
        return 0;
    }
    case 0x2F: {
        uint32_t err = dev.mediaVerify(be32(cdb + 2), be16(cdb + 7));
        if (err) mediaSense(r, err);
        return 0;
    }
    case 0x8F: { // VERIFY(16)
        const uint64_t lba = uint64_t(be32(cdb + 2)) << 32 | be32(cdb + 6);
        uint32_t err = dev.mediaVerify(lba, be32(cdb + 10));
        if (err) mediaSense(r, err);
        return 0;
    }
    case 0x1B: {
        // START STOP UNIT: bit 0 of byte 4 starts the spindle, clear stops it.
        platform::TaskFile tf;
        tf.device = 0xA0;
        tf.command = (cdb[4] & 1) ? 0xE1 : 0xE0;
        dev.execute(tf, nullptr, 0, false);
        return 0;
    }
    case 0x85:
    case 0xA1:
        if (!disk.carriesSat()) break;
        return ataPassThrough(disk, r, cdb[0] == 0x85);
    default: break;
    }
    r.scsiStatus = kCheckCondition;
    fixedSense(r, kIllegalRequest, 0x20, 0x00); // invalid command operation code
    return 0;
}

uint32_t SatBridge::ataPassThrough(LabDisk& disk, ScsiRequest& r, bool sixteen) {
    const uint8_t* c = r.cdb;
    uint8_t protocol = (c[1] >> 1) & 0x0F;
    bool extend = sixteen && (c[1] & 1);
    bool ckCond = c[2] & 0x20;
    TaskFile tf;
    if (sixteen) {
        tf.prevFeatures = extend ? c[3] : 0;
        tf.features = c[4];
        tf.prevCount = extend ? c[5] : 0;
        tf.count = c[6];
        tf.prevLbaLow = extend ? c[7] : 0;
        tf.lbaLow = c[8];
        tf.prevLbaMid = extend ? c[9] : 0;
        tf.lbaMid = c[10];
        tf.prevLbaHigh = extend ? c[11] : 0;
        tf.lbaHigh = c[12];
        tf.device = c[13];
        tf.command = c[14];
    } else {
        tf.features = c[3];
        tf.count = c[4];
        tf.lbaLow = c[5];
        tf.lbaMid = c[6];
        tf.lbaHigh = c[7];
        tf.device = c[8];
        tf.command = c[9];
    }
    if (disk.dropsSmart && tf.command == 0xB0) {
        r.scsiStatus = kCheckCondition;
        fixedSense(r, kIllegalRequest, 0x24, 0x00); // invalid field in CDB
        return 0;
    }
    TaskFile& last = disk.lastRegisters;
    if (protocol == 15) {
        // Return response information: the registers of the last command, as a descriptor.
        tf = last;
    } else {
        bool dataOut = protocol == 5;
        if (!disk.device->execute(tf, r.data, r.dataLength, dataOut)) return syserr::IoDevice;
        if (protocol == 4 || protocol == 5) r.dataTransferred = r.dataLength;
        last = tf;
    }
    bool failed = tf.status & status::ERR;
    uint8_t desc[14] = {0x09, 0x0C, uint8_t(extend ? 1 : 0), tf.error, tf.prevCount, tf.count, tf.prevLbaLow,
                        tf.lbaLow, tf.prevLbaMid, tf.lbaMid, tf.prevLbaHigh, tf.lbaHigh, tf.device, tf.status};
    if (protocol == 15) {
        uint32_t n = std::min<uint32_t>(r.dataLength, sizeof desc);
        if (r.data) std::memcpy(r.data, desc, n);
        r.dataTransferred = n;
    }
    if (failed || ckCond) {
        r.scsiStatus = kCheckCondition;
        std::memset(r.sense, 0, sizeof r.sense);
        r.sense[0] = 0x72; // descriptor format
        r.sense[1] = failed ? kAborted : kRecovered;
        r.sense[2] = 0x00;
        r.sense[3] = 0x1D; // ATA pass-through information available
        r.sense[7] = sizeof desc;
        std::memcpy(r.sense + 8, desc, sizeof desc);
        r.senseLength = 8 + sizeof desc;
    }
    return 0;
}

} // namespace korvane::sim
