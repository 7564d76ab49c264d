// The command handlers of the simulated ATA device and its identification block.
#include "sim/AtaDevice.h"

#include <tuple>

#include <algorithm>

namespace korvane::sim {

using namespace platform;

namespace {
constexpr uint64_t kMs = 1'000'000;

// The eight bytes READ LONG returns after a sector's data: a checksum the lab can recompute.
void eccOf(const uint8_t* data, size_t size, uint8_t* ecc) {
    uint64_t a = 0x9E3779B97F4A7C15ull;
    for (size_t i = 0; i < size; ++i) a = (a ^ data[i]) * 0x100000001B3ull;
    for (int i = 0; i < 8; ++i) ecc[i] = uint8_t(a >> (8 * i));
}
} // namespace

platform::IdentifyBlock AtaDevice::identify() const {
    const DriveProfile& p = profile_;
    IdentifyBlock b;
    b.setWord(0, 0x0040);
    b.setWord(1, p.cylinders);
    b.setWord(3, p.heads);
    b.setWord(6, p.sectorsPerTrack);
    b.setString(10, 10, p.serial);
    b.setWord(21, uint16_t(std::min<uint32_t>(p.bufferKB * 2, 0xFFFF)));
    b.setString(23, 4, p.firmware);
    b.setString(27, 20, p.model);
    b.setWord(47, 0x8010);
    b.setWord(49, uint16_t(0x0800 | (p.lba ? 0x0200 : 0) | (p.dma ? 0x0100 : 0)));
    b.setWord(50, 0x4000);
    b.setWord(53, 0x0007);
    b.setWord(54, p.cylinders);
    b.setWord(55, p.heads);
    b.setWord(56, p.sectorsPerTrack);
    b.setDword(57, uint32_t(p.cylinders) * p.heads * p.sectorsPerTrack);
    if (p.lba) b.setDword(60, uint32_t(std::min<uint64_t>(currentMax_, 0x0FFFFFFF)));
    if (p.dma && p.mwdmaMax >= 0) {
        uint16_t supported = uint16_t((1u << (p.mwdmaMax + 1)) - 1);
        b.setWord(63, uint16_t(supported | (udmaSelected_ < 0 ? (1u << (p.mwdmaMax + 8)) : 0)));
    }
    b.setWord(64, 0x0003);
    for (int w = 65; w <= 68; ++w) b.setWord(w, 120);
    if (p.sata) b.setWord(76, 0x050E);
    b.setWord(80, p.sata ? 0x01F0 : 0x007E);
    b.setWord(81, 0x0029);

    bool apmOn = p.apm && apmEnabled_;
    bool aamOn = p.aam && aamEnabled_;
    uint16_t w82 = 0x4000 | 0x3000 | 0x0008 | 0x0020 | 0x0040;
    if (p.smart) w82 |= 0x0001;
    if (p.security) w82 |= 0x0002;
    if (p.hpa) w82 |= 0x0400;
    b.setWord(82, w82);
    uint16_t w83 = 0x4000 | 0x1000;
    if (p.apm) w83 |= 0x0008;
    if (p.aam) w83 |= 0x0200;
    if (p.lba48) w83 |= 0x0400 | 0x2000;
    if (p.dco) w83 |= 0x0800;
    b.setWord(83, w83);
    b.setWord(84, p.smart ? 0x4003 : 0x4000);
    uint16_t w85 = uint16_t(w82 & ~(0x0001 | 0x0002 | 0x0020 | 0x0040));
    if (p.smart && smart_.enabled()) w85 |= 0x0001;
    if (security_.enabled()) w85 |= 0x0002;
    if (writeCache_) w85 |= 0x0020;
    if (lookAhead_) w85 |= 0x0040;
    b.setWord(85, w85);
    uint16_t w86 = uint16_t(w83 & ~(0x0008 | 0x0200));
    if (apmOn) w86 |= 0x0008;
    if (aamOn) w86 |= 0x0200;
    b.setWord(86, w86);
    b.setWord(87, p.smart ? 0x4003 : 0x4000);
    if (p.dma && p.udmaMax >= 0) {
        uint16_t supported = uint16_t((1u << (p.udmaMax + 1)) - 1);
        b.setWord(88, uint16_t(supported | (udmaSelected_ >= 0 ? (1u << (udmaSelected_ + 8)) : 0)));
    }
    if (p.security) {
        b.setWord(89, uint16_t((p.eraseMinutes / 2) & 0x7FFF));
        b.setWord(90, uint16_t((p.eraseMinutes / 2) & 0x7FFF));
    }
    if (p.apm) b.setWord(91, uint16_t(apmOn ? apmValue_ : 0));
    if (!p.sata) b.setWord(93, 0x603B);
    if (p.aam) b.setWord(94, uint16_t(p.aamRecommended << 8 | (aamOn ? aamValue_ : 0)));
    if (p.lba48) b.setQword(100, currentMax_);
    uint16_t w106 = 0x4000;
    if (p.physicalSectorExponent > 0) w106 |= uint16_t(0x2000 | (p.physicalSectorExponent & 0x0F));
    if (p.logicalSectorSize > 512) w106 |= 0x1000;
    b.setWord(106, w106);
    if (p.logicalSectorSize > 512) b.setDword(117, p.logicalSectorSize / 2);
    b.setWord(119, 0x4000);
    b.setWord(120, 0x4000);
    b.setWord(128, security_.identifyWord());
    if (p.trim) b.setWord(169, 0x0001);
    if (p.sata) b.setWord(206, 0x003D);
    b.setWord(217, p.rotationRate);
    b.seal();
    return b;
}

void AtaDevice::cmdNop() {
    busyThen(uint64_t(profile_.commandOverheadUs) * 1000, [this] { complete(); });
}

void AtaDevice::cmdIdentify() {
    busyThen(uint64_t(profile_.commandOverheadUs) * 1000 + kMs, [this] {
        uint8_t bytes[512];
        identify().toBytes(bytes);
        beginDataIn(bytes, sizeof bytes, [this] { complete(); });
    });
}

void AtaDevice::cmdDiagnostic() {
    busyThen(uint64_t(profile_.resetMs) * kMs, [this] {
        cur_ = {0, 1, 1, 0, 0, 0, 0};
        complete(0x01);
        status_ = status::DRDY | status::DSC;
    });
}

// A transfer beyond the addressable sectors ends in IDNF with the address reported.
bool AtaDevice::refusedAsOutOfRange(uint64_t lba, uint32_t n) {
    if (lba != UINT64_MAX && lba + n <= addressLimit()) return false;
    busyThen(uint64_t(profile_.commandOverheadUs) * 1000, [this, lba] {
        setResultLba(lba == UINT64_MAX ? 0 : lba);
        complete(error::IDNF);
    });
    return true;
}

void AtaDevice::cmdReadSectors() {
    uint64_t lba = commandLba();
    uint32_t n = commandCount();
    if (refusedAsOutOfRange(lba, n)) return;
    uint64_t total = spinUpNs() + timing_.access(lba, n, time_.nowNs(), lookAhead_);
    uint64_t per = std::min<uint64_t>(total / n, timing_.revolutionNs());
    readSectorStep(lba, n, total - per * (n - 1), per);
}

void AtaDevice::readSectorStep(uint64_t lba, uint32_t left, uint64_t waitNs, uint64_t perSectorNs) {
    uint64_t extra = 0;
    uint8_t e = sectorReadError(lba, extra, true);
    busyThen(waitNs + extra, [this, lba, left, perSectorNs, e] {
        if (e) {
            setResultLba(lba);
            complete(e);
            return;
        }
        std::vector<uint8_t> sector(store_.sectorSize());
        store_.read(lba, 1, sector.data());
        beginDataIn(sector.data(), sector.size(), [this, lba, left, perSectorNs] {
            if (left > 1)
                readSectorStep(lba + 1, left - 1, perSectorNs, perSectorNs);
            else
                complete();
        });
    });
}

void AtaDevice::cmdWriteSectors() {
    uint64_t lba = commandLba();
    uint32_t n = commandCount();
    uint64_t overhead = uint64_t(profile_.commandOverheadUs) * 1000;
    if (lba == UINT64_MAX || lba + n > addressLimit() || profile_.writeProtected) {
        bool range = lba == UINT64_MAX || lba + n > addressLimit();
        busyThen(overhead, [this, lba, range] {
            setResultLba(lba == UINT64_MAX ? 0 : lba);
            complete(range ? error::IDNF : error::ABRT);
        });
        return;
    }
    uint64_t total = spinUpNs() + timing_.access(lba, n, time_.nowNs(), false);
    uint64_t per = std::min<uint64_t>(total / n, timing_.revolutionNs());
    writeSectorStep(lba, n, total - per * (n - 1), per);
}

void AtaDevice::writeSectorStep(uint64_t lba, uint32_t left, uint64_t waitNs, uint64_t perSectorNs) {
    beginDataOut(store_.sectorSize(), [this, lba, left, waitNs, perSectorNs] {
        uint8_t e = sectorWrite(lba, data_.data());
        busyThen(waitNs, [this, lba, left, perSectorNs, e] {
            if (e) {
                setResultLba(lba);
                complete(e);
            } else if (left > 1) {
                writeSectorStep(lba + 1, left - 1, perSectorNs, perSectorNs);
            } else {
                complete();
            }
        });
    });
}

void AtaDevice::cmdVerify() {
    uint64_t lba = commandLba();
    uint32_t n = commandCount();
    if (refusedAsOutOfRange(lba, n)) return;
    uint64_t t = spinUpNs() + timing_.access(lba, n, time_.nowNs(), lookAhead_);
    for (uint32_t i = 0; i < n; ++i) {
        uint8_t e = sectorReadError(lba + i, t, true);
        if (e) {
            busyThen(t, [this, lba, i, e] {
                setResultLba(lba + i);
                complete(e);
            });
            return;
        }
    }
    busyThen(t, [this] { complete(); });
}

void AtaDevice::cmdSeek() {
    uint64_t lba = commandLba();
    if (lba == UINT64_MAX || lba >= addressLimit()) {
        busyThen(uint64_t(profile_.commandOverheadUs) * 1000, [this] { complete(error::IDNF); });
        return;
    }
    busyThen(spinUpNs() + timing_.seek(lba, time_.nowNs()), [this] { complete(); });
}

void AtaDevice::cmdRecalibrate() {
    busyThen(spinUpNs() + timing_.recalibrate(), [this] { complete(); });
}

void AtaDevice::cmdReadBuffer() {
    busyThen(uint64_t(profile_.commandOverheadUs) * 1000,
             [this] { beginDataIn(buffer_.data(), buffer_.size(), [this] { complete(); }); });
}

void AtaDevice::cmdWriteBuffer() {
    beginDataOut(buffer_.size(), [this] {
        std::copy(data_.begin(), data_.begin() + long(buffer_.size()), buffer_.begin());
        if (faults.bufferFlipWord >= 0 && size_t(faults.bufferFlipWord) * 2 < buffer_.size())
            buffer_[size_t(faults.bufferFlipWord) * 2] ^= 0x01;
        complete();
    });
}

void AtaDevice::cmdReadLong() {
    uint64_t lba = commandLba();
    if (cur_[1] > 1 || lba == UINT64_MAX || lba >= addressLimit()) {
        busyThen(uint64_t(profile_.commandOverheadUs) * 1000, [this] { complete(error::ABRT); });
        return;
    }
    // The raw sector and its check bytes, delivered without retries or correction.
    uint64_t t = spinUpNs() + timing_.access(lba, 1, time_.nowNs(), lookAhead_);
    busyThen(t, [this, lba] {
        std::vector<uint8_t> raw(store_.sectorSize() + 8);
        store_.read(lba, 1, raw.data());
        eccOf(raw.data(), store_.sectorSize(), raw.data() + store_.sectorSize());
        beginDataIn(raw.data(), raw.size(), [this] { complete(); });
    });
}

void AtaDevice::cmdWriteLong() {
    uint64_t lba = commandLba();
    if (cur_[1] > 1 || lba == UINT64_MAX || lba >= addressLimit() || profile_.writeProtected) {
        busyThen(uint64_t(profile_.commandOverheadUs) * 1000, [this] { complete(error::ABRT); });
        return;
    }
    uint64_t t = spinUpNs() + timing_.access(lba, 1, time_.nowNs(), false);
    beginDataOut(store_.sectorSize() + 8, [this, lba, t] {
        // Written in place with the check bytes given: a pending sector becomes readable again.
        store_.write(lba, 1, data_.data());
        unreadable_.erase(lba);
        smart_.sectorRewrittenInPlace(pending_.erase(lba) != 0);
        busyThen(t, [this] { complete(); });
    });
}

void AtaDevice::cmdStandby() {
    uint64_t t = profile_.ssd ? kMs : 500 * kMs;
    busyThen(t, [this] {
        standby_ = true;
        complete();
    });
}

void AtaDevice::cmdIdle() {
    busyThen(spinUpNs() + uint64_t(profile_.commandOverheadUs) * 1000, [this] { complete(); });
}

void AtaDevice::cmdSleep() {
    busyThen(uint64_t(profile_.commandOverheadUs) * 1000, [this] {
        standby_ = true;
        sleeping_ = true;
        complete();
    });
}

void AtaDevice::cmdCheckPower() {
    busyThen(uint64_t(profile_.commandOverheadUs) * 1000, [this] {
        cur_[1] = standby_ ? 0x00 : 0xFF;
        complete();
    });
}

void AtaDevice::cmdSetFeatures() {
    uint8_t f = cur_[0], n = cur_[1];
    bool ok = true;
    switch (f) {
    case 0x03: // transfer mode
        if (n <= 0x01 || (n >= 0x08 && n <= 0x0C))
            break;
        else if (n >= 0x20 && n <= 0x27 && profile_.dma && int(n & 7) <= profile_.mwdmaMax)
            udmaSelected_ = -1;
        else if (n >= 0x40 && n <= 0x47 && profile_.dma && int(n & 7) <= profile_.udmaMax)
            udmaSelected_ = n & 7;
        else
            ok = false;
        break;
    case 0x02: writeCache_ = true; break;
    case 0x82: writeCache_ = false; break;
    case 0xAA: lookAhead_ = true; break;
    case 0x55: lookAhead_ = false; break;
    case 0x42:
        ok = profile_.aam;
        if (ok) {
            aamValue_ = n;
            aamEnabled_ = true;
        }
        break;
    case 0xC2:
        ok = profile_.aam;
        if (ok) aamEnabled_ = false;
        break;
    case 0x05:
        ok = profile_.apm && n != 0;
        if (ok) {
            apmValue_ = n;
            apmEnabled_ = true;
        }
        break;
    case 0x85:
        ok = profile_.apm;
        if (ok) apmEnabled_ = false;
        break;
    case 0x66:
    case 0xCC: break;
    default: ok = false;
    }
    busyThen(uint64_t(profile_.commandOverheadUs) * 1000, [this, ok] { complete(ok ? 0 : error::ABRT); });
}

void AtaDevice::cmdReadNativeMax() {
    uint64_t overhead = uint64_t(profile_.commandOverheadUs) * 1000;
    if (!profile_.hpa) {
        busyThen(overhead, [this] { abort(); });
        return;
    }
    lastWasReadNativeMax_ = true;
    busyThen(overhead, [this] {
        uint64_t last = profile_.nativeSectors - 1;
        setResultLba(ext() ? last : std::min<uint64_t>(last, 0x0FFFFFFF));
        complete();
    });
}

void AtaDevice::cmdSetMax() {
    uint64_t overhead = uint64_t(profile_.commandOverheadUs) * 1000;
    // The rules: only right after READ NATIVE MAX, once per power cycle, within the native size.
    bool allowed = profile_.hpa && cur_[0] == 0 && lastWasReadNativeMax_ && !setMaxLocked_;
    lastWasReadNativeMax_ = false;
    if (!allowed) {
        busyThen(overhead, [this] { abort(); });
        return;
    }
    uint64_t lba = commandLba();
    if (lba == UINT64_MAX || lba >= profile_.nativeSectors) {
        busyThen(overhead, [this] { complete(error::IDNF); });
        return;
    }
    bool permanent = cur_[1] & 1;
    busyThen(overhead, [this, lba, permanent] {
        currentMax_ = lba + 1;
        if (permanent) {
            permanentMax_ = currentMax_;
            volatileMax_ = false;
        } else {
            volatileMax_ = true;
        }
        setMaxLocked_ = true;
        setResultLba(lba);
        complete();
    });
}

void AtaDevice::cmdSecuritySetPassword() {
    beginDataOut(512, [this] { complete(security_.setPassword(data_.data()) ? 0 : error::ABRT); });
}

void AtaDevice::cmdSecurityUnlock() {
    beginDataOut(512, [this] { complete(security_.unlock(data_.data()) ? 0 : error::ABRT); });
}

void AtaDevice::cmdSecurityErasePrepare() {
    bool ok = security_.erasePrepare();
    busyThen(uint64_t(profile_.commandOverheadUs) * 1000, [this, ok] { complete(ok ? 0 : error::ABRT); });
}

void AtaDevice::cmdSecurityEraseUnit() {
    beginDataOut(512, [this] {
        if (!security_.eraseUnit(data_.data())) {
            complete(error::ABRT);
            return;
        }
        // The erase takes the time the identification block announces.
        busyThen(uint64_t(profile_.eraseMinutes) * 60'000 * kMs, [this] {
            store_.eraseAll();
            for (size_t i = 0; i < pending_.size(); ++i) smart_.sectorRewrittenInPlace(true);
            pending_.clear();
            unreadable_.clear();
            complete();
        });
    });
}

void AtaDevice::cmdSecurityFreeze() {
    bool ok = security_.freezeLock();
    busyThen(uint64_t(profile_.commandOverheadUs) * 1000, [this, ok] { complete(ok ? 0 : error::ABRT); });
}

void AtaDevice::cmdSecurityDisable() {
    beginDataOut(512, [this] { complete(security_.disablePassword(data_.data()) ? 0 : error::ABRT); });
}

void AtaDevice::cmdSmart() {
    uint64_t overhead = uint64_t(profile_.commandOverheadUs) * 1000;
    uint8_t feature = cur_[0];
    if (!profile_.smart || cur_[3] != 0x4F || cur_[4] != 0xC2 || rejectedSmart_.count(feature)) {
        busyThen(overhead, [this] { abort(); });
        return;
    }
    if (feature == 0xD8) {
        smart_.setEnabled(true);
        busyThen(overhead, [this] { complete(); });
        return;
    }
    if (feature == 0xF8) {
        // The vendor switch of extended SMART, answered only by the families that have it.
        bool ok = profile_.vendorSmartSwitch;
        busyThen(overhead, [this, ok] { complete(ok ? 0 : error::ABRT); });
        return;
    }
    if (!smart_.enabled()) {
        busyThen(overhead, [this] { abort(); });
        return;
    }
    switch (feature) {
    case 0xD9:
        smart_.setEnabled(false);
        busyThen(overhead, [this] { complete(); });
        return;
    case 0xD0:
        busyThen(overhead + kMs, [this] {
            auto block = smart_.dataBlock(time_.nowNs());
            beginDataIn(block.data(), block.size(), [this] { complete(); });
        });
        return;
    case 0xD1:
        busyThen(overhead + kMs, [this] {
            auto block = smart_.thresholdBlock();
            beginDataIn(block.data(), block.size(), [this] { complete(); });
        });
        return;
    case 0xD2: {
        uint8_t n = cur_[1];
        bool ok = n == 0xF1 || n == 0x00;
        if (ok) smart_.setAutosave(n == 0xF1);
        busyThen(overhead, [this, ok] { complete(ok ? 0 : error::ABRT); });
        return;
    }
    case 0xD3: busyThen(overhead, [this] { complete(); }); return;
    case 0xD4: {
        uint8_t sub = cur_[2];
        uint64_t captive = smart_.captiveDurationNs(sub);
        std::optional<uint64_t> firstBad;
        if (!unreadable_.empty()) firstBad = *unreadable_.begin();
        bool ok = smart_.execute(sub, time_.nowNs(), firstBad);
        busyThen(overhead + captive, [this, ok] { complete(ok ? 0 : error::ABRT); });
        return;
    }
    case 0xDA: {
        bool exceeded = smart_.thresholdExceeded();
        busyThen(overhead, [this, exceeded] {
            cur_[3] = exceeded ? 0xF4 : 0x4F;
            cur_[4] = exceeded ? 0x2C : 0xC2;
            if (smartStatusAnswer_) std::tie(cur_[3], cur_[4]) = *smartStatusAnswer_;
            complete();
        });
        return;
    }
    default: busyThen(overhead, [this] { abort(); });
    }
}

} // namespace korvane::sim
