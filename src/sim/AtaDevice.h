#pragma once
#include "platform/IdentifyBlock.h"
#include "platform/SystemErrors.h"
#include "platform/TaskFile.h"
#include "sim/DriveProfile.h"
#include "sim/LabTime.h"
#include "sim/MediaTiming.h"
#include "sim/SecurityModel.h"
#include "sim/SectorStore.h"
#include "sim/SmartModel.h"

#include <array>
#include <functional>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <thread>
#include <vector>

namespace korvane::sim {

// Faults a test can switch on for one drive.
struct DeviceFaults {
    bool stuckBusy = false;           // BSY never clears once a command starts
    bool noDrq = false;               // data commands never raise DRQ
    bool echoFails = false;           // sector count and LBA low do not hold what was written
    int echoWorksFor = -1;            // that many read-backs of them work, then echoFails sets itself
    int64_t disappearAfterWords = -1; // the drive leaves the bus after this many data words
    int abortCommand = -1;            // this command code always ends with ABRT (a feature the drive lacks)
    int64_t corruptWriteLba = -1;     // a write to this sector stores it with one bit flipped
    int bufferFlipWord = -1;          // the sector buffer keeps this word (0-255) with its lowest bit flipped
};

// A simulated ATA device: the task-file registers, a command table, and one path that owns the
// status bits. Data moves one sector at a time: the transfer of a sector starts a phase, and
// the end of the sector runs the command's continuation.
class AtaDevice {
public:
    AtaDevice(DriveProfile profile, LabTime& time);

    // Register face (the channel calls these).
    void writeRegister(uint16_t offset, uint8_t value); // offsets 1-6
    void writeCommand(uint8_t command);
    uint8_t readRegister(uint16_t offset, bool hob); // offsets 1-6
    uint8_t status();                                // lets time pass while busy
    uint16_t readData();
    void writeData(uint16_t word);
    void setResetLine(bool asserted);

    // Power: a drive without power is not on the bus; power-on is a power cycle.
    void setPowered(bool on);
    bool powered() const { return powered_; }
    bool onBus() const { return powered_ && !gone_; }

    // The disk-device face: positioned transfers through the same media rules, as system errors.
    uint32_t mediaRead(uint64_t lba, uint32_t count, uint8_t* out);
    uint32_t mediaWrite(uint64_t lba, uint32_t count, const uint8_t* in);
    uint32_t mediaVerify(uint64_t lba, uint32_t count);
    // One whole ATA command (pass-through): registers in, result registers out, data in or out.
    // False when the drive did not finish (stuck or gone).
    bool execute(platform::TaskFile& regs, uint8_t* data, uint32_t bytes, bool dataOut);

    // What the drive is and holds.
    const DriveProfile& profile() const { return profile_; }
    SectorStore& store() { return store_; }
    SmartModel& smart() { return smart_; }
    SecurityModel& security() { return security_; }

    // The state a drive keeps between runs of a lab kept on disk (sizes, security, SMART, defect
    // lists), as lines of text; restoring it ends with a power cycle, as a restart would.
    std::string keptState() const;
    bool restoreKeptState(const std::string& text, std::string& error);
    platform::IdentifyBlock identify() const;
    uint64_t currentMax() const { return currentMax_; }
    uint64_t nativeMax() const { return profile_.nativeSectors; }
    bool standby() const { return standby_; }
    bool writeCacheOn() const { return writeCache_; }
    bool lookAheadOn() const { return lookAhead_; }
    uint8_t aamLevel() const { return aamValue_; }
    bool unreadable(uint64_t lba) const { return unreadable_.count(lba) != 0; }
    void makeUnreadable(uint64_t lba) { unreadable_.insert(lba); }
    void clearUnreadable() { unreadable_.clear(); }
    // SMART faults: a subcommand (the features register) the drive aborts, and a status request
    // answered with other LBA mid/high registers than the drive's state gives.
    void rejectSmart(uint8_t feature) { rejectedSmart_.insert(feature); }
    void answerSmartStatus(uint8_t mid, uint8_t high) { smartStatusAnswer_ = {mid, high}; }
    void makeSlow(uint64_t lba, uint32_t extraMs) { slow_[lba] = extraMs; }
    // Sectors whose ID is not found (IDNF on reads and writes), and a write-protect switch.
    void makeIdnf(uint64_t first, uint64_t count) { profile_.idnf.push_back({first, count}); }
    void setWriteProtected(bool on) { profile_.writeProtected = on; }
    // A weak sector takes writes without complaint but cannot be read back.
    void makeWeak(uint64_t lba) { weak_.insert(lba); }
    // A flaky sector fails its next read, then reads as any other.
    void makeFlaky(uint64_t lba) { flaky_.insert(lba); }
    uint32_t reallocatedCount() const { return reallocated_; }
    // The most recent commands received (at most kCommandsKept), oldest first; commandsTotal() counts all.
    static constexpr size_t kCommandsKept = 4096;
    const std::deque<platform::TaskFile>& commandsReceived() const { return commands_; }
    uint64_t commandsTotal() const { return commandsTotal_; }

    // The lock of the bus the drive hangs on: its channel's when it has one. Every way in to the
    // drive (registers, disk face, pass-through) holds it, so two threads never meet inside.
    std::recursive_mutex& busLock() { return *busLock_; }
    void shareBusLock(std::recursive_mutex& lock) { busLock_ = &lock; }

    DeviceFaults faults;

private:
    enum class Phase { Idle, Busy, DataIn, DataOut };
    struct Command {
        void (AtaDevice::*run)();
        bool allowedWhenLocked;
        bool needsMedia; // spins a standby drive up first
    };
    static const std::map<uint8_t, Command>& commandTable();

    // Phases and completion: the one place that sets the status bits.
    void busyThen(uint64_t ns, std::function<void()> next);
    void complete(uint8_t errorBits = 0);
    void abort() { complete(platform::error::ABRT); }
    void beginDataIn(const uint8_t* bytes, size_t size, std::function<void()> atEnd);
    void beginDataOut(size_t size, std::function<void()> atEnd);
    void finishBusy();
    void wordMoved();
    void powerCycle();

    // Addressing.
    bool ext() const;
    uint64_t commandLba() const;
    uint32_t commandCount() const;
    uint64_t addressLimit() const;
    void setResultLba(uint64_t lba);
    bool refusedAsOutOfRange(uint64_t lba, uint32_t n);
    uint64_t spinUpNs();

    // The disk-device face's transfer checks.
    uint32_t mediaRefusal(uint64_t lba, uint32_t count, bool writing) const;
    uint32_t mediaCheck(uint64_t lba, uint32_t count);

    // Media rules shared by both faces: the error bits for one sector, and its extra time.
    uint8_t sectorReadError(uint64_t lba, uint64_t& extraNs, bool countPending);
    uint8_t sectorWrite(uint64_t lba, const uint8_t* data);

    // Commands.
    void cmdIdentify();
    void cmdReadSectors();
    void cmdWriteSectors();
    void cmdVerify();
    void cmdSeek();
    void cmdRecalibrate();
    void cmdReadBuffer();
    void cmdWriteBuffer();
    void cmdReadLong();
    void cmdWriteLong();
    void cmdStandby();
    void cmdIdle();
    void cmdSleep();
    void cmdCheckPower();
    void cmdSetFeatures();
    void cmdReadNativeMax();
    void cmdSetMax();
    void cmdSecuritySetPassword();
    void cmdSecurityUnlock();
    void cmdSecurityErasePrepare();
    void cmdSecurityEraseUnit();
    void cmdSecurityFreeze();
    void cmdSecurityDisable();
    void cmdSmart();
    void cmdDiagnostic();
    void cmdNop();
    void readSectorStep(uint64_t lba, uint32_t left, uint64_t firstNs, uint64_t perSectorNs);
    void writeSectorStep(uint64_t lba, uint32_t left, uint64_t waitNs, uint64_t perSectorNs);

    DriveProfile profile_;
    LabTime& time_;
    SectorStore store_;
    MediaTiming timing_;
    SmartModel smart_;
    SecurityModel security_;

    // Registers: current and previous bytes of features, count and LBA; device; status; error.
    std::array<uint8_t, 7> cur_{}, prev_{};
    uint8_t status_ = platform::status::DRDY | platform::status::DSC;
    uint8_t error_ = 0x01;
    uint8_t command_ = 0;

    Phase phase_ = Phase::Idle;
    uint64_t busyUntil_ = 0;
    uint64_t lastPollNs_ = 0;
    std::thread::id commandThread_;
    static constexpr uint64_t kPacedPollNs = 50000;
    std::function<void()> next_;
    std::vector<uint8_t> data_;
    size_t dataPos_ = 0;
    int64_t wordsMoved_ = 0;

    bool powered_ = true, gone_ = false, resetAsserted_ = false, sleeping_ = false;
    bool standby_ = false;
    bool writeCache_, lookAhead_;
    uint8_t aamValue_, apmValue_;
    bool aamEnabled_, apmEnabled_;
    int udmaSelected_;
    uint64_t currentMax_;
    uint64_t permanentMax_ = 0;   // the max address a power cycle returns to
    bool volatileMax_ = false;    // currentMax_ was set temporarily
    bool setMaxLocked_ = false;   // a SET MAX succeeded since power-on
    bool lastWasReadNativeMax_ = false;
    std::array<uint8_t, 512> buffer_{};
    std::set<uint64_t> unreadable_, pending_, weak_, flaky_;
    std::set<uint8_t> rejectedSmart_;
    std::optional<std::pair<uint8_t, uint8_t>> smartStatusAnswer_;
    std::map<uint64_t, uint32_t> slow_;
    uint32_t reallocated_ = 0;
    std::deque<platform::TaskFile> commands_;
    uint64_t commandsTotal_ = 0;
    std::recursive_mutex ownLock_;
    std::recursive_mutex* busLock_ = &ownLock_;
};

} // namespace korvane::sim
