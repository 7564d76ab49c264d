#include "sim/AtaDevice.h"

#include <thread>

#include "platform/AtaCommandTable.h"

#include <algorithm>
#include <cstring>

namespace korvane::sim {

using namespace platform;

namespace {
constexpr uint64_t kMs = 1'000'000;
constexpr uint64_t kForever = UINT64_MAX;
constexpr uint8_t kReady = status::DRDY | status::DSC;
} // namespace

AtaDevice::AtaDevice(DriveProfile profile, LabTime& time)
    : profile_(std::move(profile)), time_(time), store_(profile_.nativeSectors, profile_.logicalSectorSize),
      timing_(profile_, profile_.nativeSectors), smart_(profile_), security_(profile_),
      writeCache_(profile_.writeCache), lookAhead_(profile_.lookAhead), aamValue_(profile_.aamValue),
      apmValue_(profile_.apmValue), aamEnabled_(profile_.aam), apmEnabled_(profile_.apm),
      udmaSelected_(profile_.udmaMax),
      currentMax_(profile_.visibleSectors ? std::min(profile_.visibleSectors, profile_.nativeSectors)
                                          : profile_.nativeSectors) {
    permanentMax_ = currentMax_;
    unreadable_.insert(profile_.unreadable.begin(), profile_.unreadable.end());
    for (auto& [lba, ms] : profile_.slow) slow_[lba] = ms;
}

// ------------------------------------------------------------------------------------------
// Register face
// ------------------------------------------------------------------------------------------

void AtaDevice::writeRegister(uint16_t offset, uint8_t value) {
    if (!onBus() || phase_ == Phase::Busy || offset < 1 || offset > 6) return;
    size_t i = offset - 1;
    if (offset == reg::Device) {
        cur_[i] = value;
        return;
    }
    prev_[i] = cur_[i];
    cur_[i] = value;
}

uint8_t AtaDevice::readRegister(uint16_t offset, bool hob) {
    if (offset == reg::Error) return error_;
    if (offset < 2 || offset > 6) return 0;
    size_t i = offset - 1;
    uint8_t v = (hob && offset != reg::Device) ? prev_[i] : cur_[i];
    if ((offset == reg::Count || offset == reg::LbaLow) && faults.echoWorksFor >= 0 && faults.echoWorksFor-- == 0)
        faults.echoFails = true;
    if (faults.echoFails && (offset == reg::Count || offset == reg::LbaLow)) v = uint8_t(~v);
    return v;
}

uint8_t AtaDevice::status() {
    if (phase_ == Phase::Busy) {
        uint64_t now = time_.nowNs();
        // A host that polls in a tight loop lets the time the drive needs pass at once; a host
        // that paces its polls (a scan counting 100 us steps or 1 ms ticks) moves time itself
        // and sees the drive busy for as long as it is. Another thread looking in (the window's
        // status lamps) hurries nothing while the command's own thread is still polling it.
        bool paced;
        if (std::this_thread::get_id() == commandThread_) {
            paced = now - lastPollNs_ >= kPacedPollNs;
            lastPollNs_ = now;
        } else {
            paced = now - lastPollNs_ < kMs;
        }
        if (now < busyUntil_ && !paced) {
            time_.passUntil(busyUntil_ == kForever ? now + kMs : busyUntil_);
            now = time_.nowNs();
            lastPollNs_ = now;
        }
        if (now >= busyUntil_) finishBusy();
    }
    if (phase_ == Phase::Busy) return uint8_t(status::BSY | (status_ & kReady));
    return status_;
}

void AtaDevice::finishBusy() {
    phase_ = Phase::Idle;
    auto next = std::move(next_);
    next_ = nullptr;
    if (next) next();
}

void AtaDevice::busyThen(uint64_t ns, std::function<void()> next) {
    phase_ = Phase::Busy;
    commandThread_ = std::this_thread::get_id(); // the thread that drives the drive polls it
    busyUntil_ = faults.stuckBusy ? kForever : time_.nowNs() + std::max<uint64_t>(ns, 1);
    next_ = std::move(next);
}

void AtaDevice::complete(uint8_t errorBits) {
    phase_ = Phase::Idle;
    error_ = errorBits;
    status_ = uint8_t(kReady | (errorBits ? status::ERR : 0));
}

void AtaDevice::beginDataIn(const uint8_t* bytes, size_t size, std::function<void()> atEnd) {
    data_.assign(bytes, bytes + size);
    dataPos_ = 0;
    phase_ = Phase::DataIn;
    error_ = 0;
    status_ = faults.noDrq ? kReady : uint8_t(kReady | status::DRQ);
    next_ = std::move(atEnd);
}

void AtaDevice::beginDataOut(size_t size, std::function<void()> atEnd) {
    data_.assign(size, 0);
    dataPos_ = 0;
    phase_ = Phase::DataOut;
    error_ = 0;
    status_ = faults.noDrq ? kReady : uint8_t(kReady | status::DRQ);
    next_ = std::move(atEnd);
}

// After each data word: the disappearing-drive fault, and the end of the sector's phase.
void AtaDevice::wordMoved() {
    dataPos_ += 2;
    if (faults.disappearAfterWords >= 0 && ++wordsMoved_ >= faults.disappearAfterWords) gone_ = true;
    if (dataPos_ < data_.size()) return;
    phase_ = Phase::Idle;
    status_ = uint8_t(status_ & ~status::DRQ);
    auto next = std::move(next_);
    next_ = nullptr;
    if (next) next();
}

uint16_t AtaDevice::readData() {
    if (phase_ != Phase::DataIn || dataPos_ + 1 >= data_.size() + 1) return 0xFFFF;
    uint16_t w = uint16_t(data_[dataPos_] | (dataPos_ + 1 < data_.size() ? data_[dataPos_ + 1] << 8 : 0));
    wordMoved();
    return w;
}

void AtaDevice::writeData(uint16_t word) {
    if (phase_ != Phase::DataOut || dataPos_ >= data_.size()) return;
    data_[dataPos_] = uint8_t(word);
    if (dataPos_ + 1 < data_.size()) data_[dataPos_ + 1] = uint8_t(word >> 8);
    wordMoved();
}

void AtaDevice::setResetLine(bool asserted) {
    if (!onBus()) return;
    if (asserted && !resetAsserted_) {
        smart_.interrupt(time_.nowNs());
        phase_ = Phase::Busy;
        busyUntil_ = kForever;
        next_ = nullptr;
    }
    if (!asserted && resetAsserted_) {
        sleeping_ = false;
        busyThen(uint64_t(profile_.resetMs) * kMs, [this] {
            // The reset signature of an ATA device, and diagnostic code 01h: no error.
            cur_ = {0, 1, 1, 0, 0, 0, 0};
            prev_ = {};
            complete(0x01);
            status_ = kReady;
        });
    }
    resetAsserted_ = asserted;
}

void AtaDevice::setPowered(bool on) {
    if (on && !powered_) powerCycle();
    powered_ = on;
}

void AtaDevice::powerCycle() {
    gone_ = false;
    sleeping_ = false;
    phase_ = Phase::Idle;
    next_ = nullptr;
    cur_ = {0, 1, 1, 0, 0, 0, 0};
    prev_ = {};
    error_ = 0x01;
    status_ = kReady;
    standby_ = false;
    setMaxLocked_ = false;
    lastWasReadNativeMax_ = false;
    wordsMoved_ = 0;
    writeCache_ = profile_.writeCache;
    lookAhead_ = profile_.lookAhead;
    // A volatile max address is forgotten; a permanent one is kept.
    if (volatileMax_) {
        currentMax_ = permanentMax_;
        volatileMax_ = false;
    }
    security_.powerCycle();
    smart_.powerCycle();
}

// ------------------------------------------------------------------------------------------
// Commands: the table, addressing and the shared media rules
// ------------------------------------------------------------------------------------------

const std::map<uint8_t, AtaDevice::Command>& AtaDevice::commandTable() {
    static const std::map<uint8_t, Command> table = [] {
        std::map<uint8_t, Command> t;
        for (uint8_t c = 0x10; c <= 0x1F; ++c) t[c] = {&AtaDevice::cmdRecalibrate, false, true};
        for (uint8_t c : {0x20, 0x21, 0x24}) t[c] = {&AtaDevice::cmdReadSectors, false, true};
        for (uint8_t c : {0x22, 0x23}) t[c] = {&AtaDevice::cmdReadLong, false, true};
        for (uint8_t c : {0x30, 0x31, 0x34}) t[c] = {&AtaDevice::cmdWriteSectors, false, true};
        for (uint8_t c : {0x32, 0x33}) t[c] = {&AtaDevice::cmdWriteLong, false, true};
        for (uint8_t c : {0x40, 0x41, 0x42}) t[c] = {&AtaDevice::cmdVerify, false, true};
        t[0x70] = {&AtaDevice::cmdSeek, false, true};
        t[0x90] = {&AtaDevice::cmdDiagnostic, true, false};
        t[0x91] = {&AtaDevice::cmdNop, true, false};
        t[0xB0] = {&AtaDevice::cmdSmart, true, false};
        t[0xC6] = {&AtaDevice::cmdNop, true, false};
        for (uint8_t c : {0xE0, 0xE2}) t[c] = {&AtaDevice::cmdStandby, true, false};
        for (uint8_t c : {0xE1, 0xE3}) t[c] = {&AtaDevice::cmdIdle, true, false};
        t[0xE4] = {&AtaDevice::cmdReadBuffer, false, false};
        t[0xE5] = {&AtaDevice::cmdCheckPower, true, false};
        t[0xE6] = {&AtaDevice::cmdSleep, true, false};
        for (uint8_t c : {0xE7, 0xEA}) t[c] = {&AtaDevice::cmdNop, false, false};
        t[0xE8] = {&AtaDevice::cmdWriteBuffer, false, false};
        t[0xEC] = {&AtaDevice::cmdIdentify, true, false};
        t[0xEF] = {&AtaDevice::cmdSetFeatures, true, false};
        t[0xF1] = {&AtaDevice::cmdSecuritySetPassword, false, false};
        t[0xF2] = {&AtaDevice::cmdSecurityUnlock, true, false};
        t[0xF3] = {&AtaDevice::cmdSecurityErasePrepare, true, false};
        t[0xF4] = {&AtaDevice::cmdSecurityEraseUnit, true, true};
        t[0xF5] = {&AtaDevice::cmdSecurityFreeze, true, false};
        t[0xF6] = {&AtaDevice::cmdSecurityDisable, false, false};
        for (uint8_t c : {0xF8, 0x27}) t[c] = {&AtaDevice::cmdReadNativeMax, false, false};
        for (uint8_t c : {0xF9, 0x37}) t[c] = {&AtaDevice::cmdSetMax, false, false};
        return t;
    }();
    return table;
}

bool AtaDevice::ext() const { return platform::ataCommand(command_).is48; }

uint64_t AtaDevice::commandLba() const {
    if (ext())
        return uint64_t(cur_[2]) | uint64_t(cur_[3]) << 8 | uint64_t(cur_[4]) << 16 | uint64_t(prev_[2]) << 24 |
               uint64_t(prev_[3]) << 32 | uint64_t(prev_[4]) << 40;
    if (cur_[5] & 0x40)
        return uint64_t(cur_[2]) | uint64_t(cur_[3]) << 8 | uint64_t(cur_[4]) << 16 | uint64_t(cur_[5] & 0x0F) << 24;
    // CHS: cylinder in LBA mid/high, head in the device register, sector (from 1) in LBA low.
    uint64_t cylinder = uint64_t(cur_[3]) | uint64_t(cur_[4]) << 8;
    uint64_t head = cur_[5] & 0x0F;
    uint64_t sector = cur_[2];
    if (sector == 0) return UINT64_MAX;
    return (cylinder * profile_.heads + head) * profile_.sectorsPerTrack + sector - 1;
}

uint32_t AtaDevice::commandCount() const {
    if (ext()) {
        uint32_t n = uint32_t(prev_[1]) << 8 | cur_[1];
        return n == 0 ? 65536u : n;
    }
    return cur_[1] == 0 ? 256u : cur_[1];
}

uint64_t AtaDevice::addressLimit() const { return ext() ? currentMax_ : std::min<uint64_t>(currentMax_, 0x0FFFFFFF); }

void AtaDevice::setResultLba(uint64_t lba) {
    cur_[2] = uint8_t(lba);
    cur_[3] = uint8_t(lba >> 8);
    cur_[4] = uint8_t(lba >> 16);
    if (ext()) {
        prev_[2] = uint8_t(lba >> 24);
        prev_[3] = uint8_t(lba >> 32);
        prev_[4] = uint8_t(lba >> 40);
    } else {
        cur_[5] = uint8_t((cur_[5] & 0xF0) | ((lba >> 24) & 0x0F));
    }
}

uint64_t AtaDevice::spinUpNs() {
    if (!standby_) return 0;
    standby_ = false;
    return uint64_t(profile_.spinUpMs) * kMs;
}

uint8_t AtaDevice::sectorReadError(uint64_t lba, uint64_t& extraNs, bool countPending) {
    for (auto& [first, n] : profile_.idnf)
        if (lba >= first && lba < first + n) return error::IDNF;
    if (auto it = slow_.find(lba); it != slow_.end()) extraNs += uint64_t(it->second) * kMs;
    if (unreadable_.count(lba) || weak_.count(lba) || flaky_.erase(lba)) {
        extraNs += uint64_t(profile_.retryMs) * kMs;
        if (countPending && pending_.insert(lba).second) smart_.sectorFoundUnreadable();
        return error::UNC;
    }
    return 0;
}

uint8_t AtaDevice::sectorWrite(uint64_t lba, const uint8_t* data) {
    for (auto& [first, n] : profile_.idnf)
        if (lba >= first && lba < first + n) return error::IDNF;
    if (profile_.writeProtected) return error::ABRT;
    if (unreadable_.count(lba)) {
        if (reallocated_ >= profile_.spareSectors) return error::UNC; // no spare left: the sector stays bad
        // A rewritten bad sector is remapped to a spare.
        unreadable_.erase(lba);
        bool wasPending = pending_.erase(lba) != 0;
        ++reallocated_;
        smart_.sectorReallocated(wasPending);
    }
    if (int64_t(lba) == faults.corruptWriteLba) {
        // A failing cache or bus: the sector is stored with one bit of its second byte flipped.
        std::vector<uint8_t> bad(data, data + store_.sectorSize());
        bad[1] ^= 0x01;
        store_.write(lba, 1, bad.data());
        return 0;
    }
    store_.write(lba, 1, data);
    return 0;
}

void AtaDevice::writeCommand(uint8_t command) {
    if (!onBus() || phase_ == Phase::Busy) return;
    command_ = command;
    lastPollNs_ = 0; // the first look at a new command never hurries it
    TaskFile tf;
    tf.features = cur_[0];
    tf.count = cur_[1];
    tf.lbaLow = cur_[2];
    tf.lbaMid = cur_[3];
    tf.lbaHigh = cur_[4];
    tf.device = cur_[5];
    tf.command = command;
    tf.prevFeatures = prev_[0];
    tf.prevCount = prev_[1];
    tf.prevLbaLow = prev_[2];
    tf.prevLbaMid = prev_[3];
    tf.prevLbaHigh = prev_[4];
    // A long scan sends millions of commands: only the recent ones are kept.
    if (commands_.size() == kCommandsKept) commands_.pop_front();
    commands_.push_back(tf);
    ++commandsTotal_;

    if (command != 0xF4) security_.otherCommand();
    bool nativeMaxBefore = lastWasReadNativeMax_;
    lastWasReadNativeMax_ = false;
    auto it = commandTable().find(command);
    uint64_t overhead = uint64_t(profile_.commandOverheadUs) * 1000;
    if (it == commandTable().end() || sleeping_ || (ext() && !profile_.lba48) || faults.abortCommand == command ||
        (security_.locked() && !it->second.allowedWhenLocked)) {
        busyThen(overhead, [this] { abort(); });
        return;
    }
    if (command == 0xF9 || command == 0x37) lastWasReadNativeMax_ = nativeMaxBefore;
    (this->*(it->second.run))();
}

// ------------------------------------------------------------------------------------------
// The disk-device face
// ------------------------------------------------------------------------------------------

namespace {
uint32_t systemErrorOf(uint8_t errorBits) {
    if (errorBits & error::UNC) return syserr::Crc;
    if (errorBits & error::IDNF) return syserr::SectorNotFound;
    return syserr::IoDevice;
}
} // namespace

// Why a disk-device transfer cannot start at all (0 when it can).
uint32_t AtaDevice::mediaRefusal(uint64_t lba, uint32_t count, bool writing) const {
    if (!onBus()) return syserr::NotReady;
    if (security_.locked()) return syserr::IoDevice;
    if (writing && profile_.writeProtected) return syserr::WriteProtect;
    if (lba + count > currentMax_) return syserr::SectorNotFound;
    return 0;
}

// Reads the sectors' error state as the media would, taking the time it takes; the first error wins.
uint32_t AtaDevice::mediaCheck(uint64_t lba, uint32_t count) {
    uint64_t t = spinUpNs() + timing_.access(lba, count, time_.nowNs(), lookAhead_);
    uint32_t result = 0;
    for (uint32_t i = 0; i < count && result == 0; ++i) {
        uint8_t e = sectorReadError(lba + i, t, true);
        if (e) result = systemErrorOf(e);
    }
    time_.serve(t);
    return result;
}

uint32_t AtaDevice::mediaRead(uint64_t lba, uint32_t count, uint8_t* out) {
    if (uint32_t refused = mediaRefusal(lba, count, false)) return refused;
    uint32_t result = mediaCheck(lba, count);
    if (result == 0) store_.read(lba, count, out);
    return result;
}

uint32_t AtaDevice::mediaWrite(uint64_t lba, uint32_t count, const uint8_t* in) {
    if (uint32_t refused = mediaRefusal(lba, count, true)) return refused;
    uint64_t t = spinUpNs() + timing_.access(lba, count, time_.nowNs(), false);
    uint32_t result = 0;
    size_t size = store_.sectorSize();
    for (uint32_t i = 0; i < count && result == 0; ++i) {
        uint8_t e = sectorWrite(lba + i, in + i * size);
        if (e) result = systemErrorOf(e);
    }
    time_.serve(t);
    return result;
}

uint32_t AtaDevice::mediaVerify(uint64_t lba, uint32_t count) {
    if (uint32_t refused = mediaRefusal(lba, count, false)) return refused;
    return mediaCheck(lba, count);
}

bool AtaDevice::execute(TaskFile& regs, uint8_t* data, uint32_t bytes, bool dataOut) {
    if (!onBus()) return false;
    const uint8_t prevs[] = {regs.prevFeatures, regs.prevCount, regs.prevLbaLow, regs.prevLbaMid, regs.prevLbaHigh};
    const uint8_t curs[] = {regs.features, regs.count, regs.lbaLow, regs.lbaMid, regs.lbaHigh};
    // Let an earlier command finish first, as a host would wait for BSY to clear.
    for (int guard = 0; (status() & status::BSY) && guard < 100000; ++guard) {
    }
    if (status() & status::BSY) return false;
    for (uint16_t r = 1; r <= 5; ++r) writeRegister(r, prevs[r - 1]);
    for (uint16_t r = 1; r <= 5; ++r) writeRegister(r, curs[r - 1]);
    writeRegister(reg::Device, regs.device);
    writeCommand(regs.command);
    uint32_t moved = 0;
    for (int guard = 0; guard < 1000000; ++guard) {
        uint8_t s = status();
        if (!onBus()) return false;
        if (s & status::BSY) continue;
        if ((s & status::DRQ) && phase_ == Phase::DataIn) {
            uint16_t w = readData();
            if (data && moved + 1 < bytes + 1 && moved < bytes) {
                data[moved] = uint8_t(w);
                if (moved + 1 < bytes) data[moved + 1] = uint8_t(w >> 8);
            }
            moved += 2;
            continue;
        }
        if ((s & status::DRQ) && phase_ == Phase::DataOut) {
            uint16_t w = 0;
            if (data && dataOut && moved < bytes) w = uint16_t(data[moved] | (moved + 1 < bytes ? data[moved + 1] << 8 : 0));
            writeData(w);
            moved += 2;
            continue;
        }
        if (phase_ == Phase::DataIn || phase_ == Phase::DataOut) return false; // DRQ never came
        regs.status = s;
        regs.error = error_;
        regs.count = cur_[1];
        regs.lbaLow = cur_[2];
        regs.lbaMid = cur_[3];
        regs.lbaHigh = cur_[4];
        regs.device = cur_[5];
        regs.prevCount = prev_[1];
        regs.prevLbaLow = prev_[2];
        regs.prevLbaMid = prev_[3];
        regs.prevLbaHigh = prev_[4];
        return true;
    }
    return false;
}

} // namespace korvane::sim
