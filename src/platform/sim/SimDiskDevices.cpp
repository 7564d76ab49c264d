#include "platform/sim/SimDiskDevices.h"

#include "platform/SystemErrors.h"
#include "sim/SatBridge.h"

#include <algorithm>
#include <mutex>

namespace korvane::platform {

namespace {

class SimDiskHandle final : public DiskHandle {
public:
    explicit SimDiskHandle(sim::LabDisk& disk) : disk_(disk) {}

    uint32_t read(uint64_t offset, void* buffer, uint32_t length, uint32_t& done) override {
        return transfer(offset, length, done, [&](uint64_t lba, uint32_t n) {
            std::lock_guard lock(disk_.device->busLock());
            return disk_.device->mediaRead(lba, n, static_cast<uint8_t*>(buffer));
        });
    }
    uint32_t write(uint64_t offset, const void* buffer, uint32_t length, uint32_t& done) override {
        return transfer(offset, length, done, [&](uint64_t lba, uint32_t n) {
            std::lock_guard lock(disk_.device->busLock());
            return disk_.device->mediaWrite(lba, n, static_cast<const uint8_t*>(buffer));
        });
    }
    uint32_t size(uint64_t& bytes) override {
        bytes = disk_.sectors() * disk_.sectorSize();
        return 0;
    }
    uint32_t geometry(DiskGeometry& g) override {
        g = disk_.geometry();
        return 0;
    }
    uint32_t smartRequest(TaskFile& regs, uint8_t* data, uint32_t dataLength) override {
        if (!disk_.carriesSmartRequest()) return syserr::InvalidFunction;
        if (regs.command != 0xB0 && regs.command != 0xEC) return syserr::InvalidParameter;
        std::lock_guard lock(disk_.device->busLock());
        if (!disk_.device->execute(regs, data, dataLength, false)) return syserr::IoDevice;
        return (regs.status & status::ERR) ? syserr::IoDevice : 0;
    }
    uint32_t idePassThrough(TaskFile& regs, uint8_t* data, uint32_t dataLength, bool dataOut) override {
        if (!disk_.carriesIdePassThrough()) return syserr::InvalidFunction;
        std::lock_guard lock(disk_.device->busLock());
        if (!disk_.device->execute(regs, data, dataLength, dataOut)) return syserr::IoDevice;
        return 0; // the registers tell whether the drive accepted the command
    }
    uint32_t scsiPassThrough(ScsiRequest& request) override {
        std::lock_guard lock(disk_.device->busLock());
        return sim::SatBridge::execute(disk_, request);
    }

private:
    template <class Fn> uint32_t transfer(uint64_t offset, uint32_t length, uint32_t& done, Fn&& fn) {
        done = 0;
        uint32_t size = disk_.sectorSize();
        if (offset % size || length % size) return syserr::InvalidParameter;
        uint64_t lba = offset / size;
        if (lba >= disk_.sectors()) return syserr::SectorNotFound;
        uint32_t count = length / size;
        uint32_t err = fn(lba, count);
        if (err == 0) done = length;
        return err;
    }

    sim::LabDisk& disk_;
};

} // namespace

std::unique_ptr<DiskHandle> SimDiskDevices::openPhysical(unsigned number, uint32_t& error) {
    auto& disks = lab_.disks();
    if (number >= disks.size() || disks[number].unplugged || !disks[number].device->onBus()) {
        error = syserr::FileNotFound;
        return nullptr;
    }
    error = 0;
    return std::make_unique<SimDiskHandle>(disks[number]);
}

std::unique_ptr<DiskHandle> SimDiskDevices::openLogical(char letter, uint32_t& error) {
    sim::LabDisk* disk = lab_.diskWithLetter(char(std::toupper((unsigned char)letter)));
    if (!disk || disk->unplugged) {
        error = syserr::FileNotFound;
        return nullptr;
    }
    error = 0;
    return std::make_unique<SimDiskHandle>(*disk);
}

std::vector<char> SimDiskDevices::logicalDrives() {
    std::vector<char> letters;
    for (auto& d : lab_.disks())
        if (d.letter) letters.push_back(d.letter);
    std::sort(letters.begin(), letters.end());
    letters.erase(std::unique(letters.begin(), letters.end()), letters.end());
    return letters;
}

LogicalDriveType SimDiskDevices::driveType(char letter) {
    sim::LabDisk* disk = lab_.diskWithLetter(char(std::toupper((unsigned char)letter)));
    if (!disk) return LogicalDriveType::NoRoot;
    return disk->variant == sim::DiskVariant::RemovableFlash ? LogicalDriveType::Removable : LogicalDriveType::Fixed;
}

} // namespace korvane::platform
