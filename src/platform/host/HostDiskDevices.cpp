#include "platform/host/HostDiskDevices.h"

#include "platform/SystemErrors.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <linux/fs.h>
#include <linux/hdreg.h>
#include <regex>
#include <scsi/sg.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvane::platform {

namespace fs = std::filesystem;

uint32_t HostDiskDevices::errorFromErrno(int err) {
    switch (err) {
    case 0: return syserr::Success;
    case EACCES:
    case EPERM: return syserr::AccessDenied;
    case EROFS: return syserr::WriteProtect;
    case ENOENT: return syserr::FileNotFound;
    case ENXIO:
    case ENODEV:
    case ENOMEDIUM: return syserr::DeviceNotAvailable;
    case EINVAL: return syserr::InvalidParameter;
    case ENOTTY:
    case EOPNOTSUPP:
    case ENOSYS: return syserr::InvalidFunction;
    case ETIMEDOUT: return syserr::Timeout;
    case ENOSPC: return syserr::SectorNotFound;
    case EBADF: return syserr::InvalidHandle;
    case EIO:
    default: return syserr::IoDevice;
    }
}

uint32_t HostDiskDevices::errorFromSense(const uint8_t* sense, size_t length) {
    if (!sense || length < 3) return syserr::IoDevice;
    uint8_t key, asc;
    if ((sense[0] & 0x7F) >= 0x72) { // descriptor format
        key = sense[1] & 0x0F;
        asc = length > 2 ? sense[2] : 0;
    } else {
        key = sense[2] & 0x0F;
        asc = length > 12 ? sense[12] : 0;
    }
    switch (key) {
    case 0x00:
    case 0x01: return syserr::Success;
    case 0x02: return syserr::NotReady;
    case 0x03: return asc == 0x11 ? syserr::Crc : asc == 0x14 ? syserr::SectorNotFound : syserr::IoDevice;
    case 0x05: return asc == 0x21 ? syserr::SectorNotFound : syserr::InvalidFunction;
    case 0x07: return syserr::WriteProtect;
    default: return syserr::IoDevice;
    }
}

uint32_t HostDiskDevices::statusWithoutSense(const ScsiRequest& r) {
    // BUSY, RESERVATION CONFLICT, TASK SET FULL: the device did not do it, and said nothing more.
    if (r.scsiStatus != 0 && r.senseLength == 0) return syserr::IoDevice;
    return 0;
}

uint32_t HostDiskDevices::readCapacityAnswer(ScsiRequest& r, uint64_t bytes, uint32_t sectorSize) {
    const uint64_t sectors = bytes / sectorSize;
    const uint64_t last = sectors ? sectors - 1 : 0;
    uint8_t answer[32] = {};
    uint32_t length;
    if (r.cdb[0] == 0x25) {
        const uint32_t last32 = last > 0xFFFFFFFEull ? 0xFFFFFFFFu : uint32_t(last);
        for (int i = 0; i < 4; ++i) answer[i] = uint8_t(last32 >> (24 - 8 * i));
        for (int i = 0; i < 4; ++i) answer[4 + i] = uint8_t(sectorSize >> (24 - 8 * i));
        length = 8;
    } else {
        for (int i = 0; i < 8; ++i) answer[i] = uint8_t(last >> (56 - 8 * i));
        for (int i = 0; i < 4; ++i) answer[8 + i] = uint8_t(sectorSize >> (24 - 8 * i));
        length = 32;
    }
    if (r.direction != ScsiRequest::Direction::In || !r.data) return syserr::InvalidParameter;
    const uint32_t n = std::min(length, r.dataLength);
    std::memcpy(r.data, answer, n);
    r.dataTransferred = n;
    r.scsiStatus = 0;
    r.senseLength = 0;
    return 0;
}

namespace {

bool readFirstLine(const fs::path& p, std::string& out) {
    std::ifstream in(p);
    return bool(std::getline(in, out));
}

class HostDiskHandle final : public DiskHandle {
public:
    HostDiskHandle(int fd, bool direct, bool block, bool writable)
        : fd_(fd), direct_(direct), block_(block), writable_(writable) {}
    ~HostDiskHandle() override {
        close(fd_);
        std::free(bounce_);
    }

    uint32_t read(uint64_t offset, void* buffer, uint32_t length, uint32_t& done) override {
        return transfer(offset, buffer, length, done, false);
    }
    uint32_t write(uint64_t offset, const void* buffer, uint32_t length, uint32_t& done) override {
        if (!writable_) {
            done = 0;
            return syserr::WriteProtect;
        }
        return transfer(offset, const_cast<void*>(buffer), length, done, true);
    }
    uint32_t size(uint64_t& bytes) override {
        if (block_) {
            if (ioctl(fd_, BLKGETSIZE64, &bytes) != 0) return HostDiskDevices::errorFromErrno(errno);
            return 0;
        }
        struct stat st{};
        if (fstat(fd_, &st) != 0) return HostDiskDevices::errorFromErrno(errno);
        bytes = uint64_t(st.st_size);
        return 0;
    }
    uint32_t geometry(DiskGeometry& g) override {
        uint64_t bytes = 0;
        if (uint32_t e = size(bytes)) return e;
        int sector = 512;
        if (block_) ioctl(fd_, BLKSSZGET, &sector);
        g.bytesPerSector = uint32_t(sector > 0 ? sector : 512);
        g.mediaType = 12;
        hd_geometry geo{};
        if (block_ && ioctl(fd_, HDIO_GETGEO, &geo) == 0 && geo.heads && geo.sectors) {
            g.tracksPerCylinder = geo.heads;
            g.sectorsPerTrack = geo.sectors;
        } else {
            g.tracksPerCylinder = 255;
            g.sectorsPerTrack = 63;
        }
        g.cylinders = bytes / g.bytesPerSector / (uint64_t(g.tracksPerCylinder) * g.sectorsPerTrack);
        return 0;
    }
    uint32_t smartRequest(TaskFile& regs, uint8_t* data, uint32_t dataLength) override {
        if (!block_) return syserr::InvalidFunction;
        // HDIO_DRIVE_CMD: command, sector number, feature, sector count; data follows.
        std::vector<uint8_t> args(4 + std::max<uint32_t>(dataLength, 0), 0);
        args[0] = regs.command;
        args[1] = regs.lbaLow;
        args[2] = regs.features;
        args[3] = regs.count;
        if (ioctl(fd_, HDIO_DRIVE_CMD, args.data()) != 0) return HostDiskDevices::errorFromErrno(errno);
        regs.status = args[0];
        regs.error = args[1];
        if (data && dataLength) std::memcpy(data, args.data() + 4, dataLength);
        return 0;
    }
    uint32_t idePassThrough(TaskFile& regs, uint8_t*, uint32_t dataLength, bool) override {
        // HDIO_DRIVE_TASK carries non-data commands only: anything else is refused at once.
        if (!block_ || dataLength != 0) return syserr::InvalidFunction;
        uint8_t args[7] = {regs.command, regs.features, regs.count, regs.lbaLow, regs.lbaMid, regs.lbaHigh,
                           regs.device};
        if (ioctl(fd_, HDIO_DRIVE_TASK, args) != 0) return HostDiskDevices::errorFromErrno(errno);
        regs.status = args[0];
        regs.error = args[1];
        regs.count = args[2];
        regs.lbaLow = args[3];
        regs.lbaMid = args[4];
        regs.lbaHigh = args[5];
        regs.device = args[6];
        return 0;
    }
    uint32_t scsiPassThrough(ScsiRequest& r) override {
        // A file, or a block device without SCSI (a loop device), still has a capacity: the size
        // the system gives, not one made up from a geometry that would cut the tail off.
        if (!block_ || noSgIo_) return isReadCapacity(r) ? answerReadCapacity(r) : syserr::InvalidFunction;
        uint32_t e = sgIo(r);
        if ((e == syserr::InvalidFunction || e == syserr::InvalidParameter) && isReadCapacity(r)) {
            noSgIo_ = true;
            return answerReadCapacity(r);
        }
        return e;
    }

private:
    static bool isReadCapacity(const ScsiRequest& r) {
        return r.cdb[0] == 0x25 || (r.cdb[0] == 0x9E && (r.cdb[1] & 0x1F) == 0x10);
    }
    uint32_t answerReadCapacity(ScsiRequest& r) {
        uint64_t bytes = 0;
        if (uint32_t e = size(bytes)) return e;
        int sector = 512;
        if (block_) ioctl(fd_, BLKSSZGET, &sector);
        if (sector <= 0) sector = 512;
        return HostDiskDevices::readCapacityAnswer(r, bytes, uint32_t(sector));
    }
    uint32_t sgIo(ScsiRequest& r) {
        sg_io_hdr_t io{};
        io.interface_id = 'S';
        io.cmd_len = r.cdbLength;
        io.cmdp = r.cdb;
        io.dxfer_direction = r.direction == ScsiRequest::Direction::In    ? SG_DXFER_FROM_DEV
                             : r.direction == ScsiRequest::Direction::Out ? SG_DXFER_TO_DEV
                                                                          : SG_DXFER_NONE;
        io.dxferp = r.data;
        io.dxfer_len = r.direction == ScsiRequest::Direction::None ? 0 : r.dataLength;
        io.sbp = r.sense;
        io.mx_sb_len = sizeof r.sense;
        io.timeout = r.timeoutSeconds * 1000;
        if (ioctl(fd_, SG_IO, &io) != 0) return HostDiskDevices::errorFromErrno(errno);
        r.scsiStatus = io.status;
        r.senseLength = io.sb_len_wr;
        r.dataTransferred = io.dxfer_len > uint32_t(io.resid) ? io.dxfer_len - uint32_t(io.resid) : 0;
        if (io.host_status != 0 || (io.driver_status & 0x0F) == 0x06 /* driver time-out */) return syserr::IoDevice;
        return HostDiskDevices::statusWithoutSense(r);
    }

    uint32_t transfer(uint64_t offset, void* buffer, uint32_t length, uint32_t& done, bool out) {
        done = 0;
        uint64_t bytes = 0;
        if (size(bytes) == 0 && offset + length > bytes) return syserr::SectorNotFound;
        void* io = buffer;
        // Direct I/O needs aligned memory; an unaligned caller buffer goes through a bounce buffer.
        bool bounce = direct_ && (reinterpret_cast<uintptr_t>(buffer) % 4096 != 0);
        if (bounce) {
            if (!ensureBounce(length)) return syserr::IoDevice;
            io = bounce_;
            if (out) std::memcpy(bounce_, buffer, length);
        }
        ssize_t n = out ? pwrite(fd_, io, length, off_t(offset)) : pread(fd_, io, length, off_t(offset));
        if (n < 0) return HostDiskDevices::errorFromErrno(errno);
        if (uint32_t(n) != length) return syserr::SectorNotFound; // a short transfer: the end of the device
        if (bounce && !out) std::memcpy(buffer, bounce_, length);
        done = length;
        return 0;
    }
    bool ensureBounce(uint32_t length) {
        if (bounceSize_ >= length) return true;
        std::free(bounce_);
        bounce_ = nullptr;
        if (posix_memalign(&bounce_, 4096, (length + 4095) / 4096 * 4096) != 0) return false;
        bounceSize_ = length;
        return true;
    }

    int fd_;
    bool direct_, block_, writable_;
    bool noSgIo_ = false;
    void* bounce_ = nullptr;
    uint32_t bounceSize_ = 0;
};

bool isWholeDisk(const std::string& name) {
    static const std::regex pattern("^(sd[a-z]+|hd[a-z]+|vd[a-z]+|nvme[0-9]+n[0-9]+|mmcblk[0-9]+)$");
    return std::regex_match(name, pattern);
}

} // namespace

HostDiskDevices::HostDiskDevices(std::vector<std::string> extraDevices, std::string sysBlock) {
    std::vector<std::string> disks;
    std::vector<std::pair<std::string, LogicalDriveType>> logical;
    std::error_code ec;
    for (auto& entry : fs::directory_iterator(sysBlock, ec)) {
        std::string name = entry.path().filename().string();
        std::string removable;
        readFirstLine(entry.path() / "removable", removable);
        if (name.rfind("sr", 0) == 0)
            logical.emplace_back(name, LogicalDriveType::CdRom);
        else if (name.rfind("ram", 0) == 0 || name.rfind("zram", 0) == 0)
            logical.emplace_back(name, LogicalDriveType::RamDisk);
        else if (name.rfind("nbd", 0) == 0) {
            std::string size;
            readFirstLine(entry.path() / "size", size);
            if (size != "0") logical.emplace_back(name, LogicalDriveType::Remote);
        } else if (isWholeDisk(name)) {
            disks.push_back(name);
            if (removable == "1") logical.emplace_back(name, LogicalDriveType::Removable);
        }
    }
    std::sort(disks.begin(), disks.end());
    std::sort(logical.begin(), logical.end());
    for (auto& d : disks) physical_.push_back("/dev/" + d);
    for (auto& p : extraDevices) physical_.push_back(p);
    char letter = 'D';
    for (auto& [name, type] : logical) {
        if (letter > 'Z') break;
        logical_.push_back({letter++, "/dev/" + name, type});
    }
}

std::unique_ptr<DiskHandle> HostDiskDevices::openPath(const std::string& path, uint32_t& error) {
    struct stat st{};
    if (stat(path.c_str(), &st) != 0) {
        error = errorFromErrno(errno);
        return nullptr;
    }
    bool block = S_ISBLK(st.st_mode);
    bool writable = true;
    bool direct = true;
    int fd = open(path.c_str(), O_RDWR | O_DIRECT | O_CLOEXEC);
    if (fd < 0 && errno == EINVAL) { // a file system that refuses direct I/O
        direct = false;
        fd = open(path.c_str(), O_RDWR | O_CLOEXEC);
    }
    if (fd < 0 && (errno == EROFS || errno == EACCES)) {
        writable = false;
        fd = open(path.c_str(), O_RDONLY | O_DIRECT | O_CLOEXEC);
        if (fd < 0 && errno == EINVAL) {
            direct = false;
            fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
        }
    }
    if (fd < 0) {
        error = errorFromErrno(errno);
        return nullptr;
    }
    error = 0;
    return std::make_unique<HostDiskHandle>(fd, direct, block, writable);
}

std::unique_ptr<DiskHandle> HostDiskDevices::openPhysical(unsigned number, uint32_t& error) {
    if (number >= physical_.size()) {
        error = syserr::FileNotFound;
        return nullptr;
    }
    return openPath(physical_[number], error);
}

std::unique_ptr<DiskHandle> HostDiskDevices::openLogical(char letter, uint32_t& error) {
    for (auto& l : logical_)
        if (l.letter == std::toupper((unsigned char)letter)) return openPath(l.path, error);
    error = syserr::FileNotFound;
    return nullptr;
}

std::vector<char> HostDiskDevices::logicalDrives() {
    std::vector<char> letters;
    for (auto& l : logical_) letters.push_back(l.letter);
    return letters;
}

LogicalDriveType HostDiskDevices::driveType(char letter) {
    for (auto& l : logical_)
        if (l.letter == std::toupper((unsigned char)letter)) return l.type;
    return LogicalDriveType::NoRoot;
}

} // namespace korvane::platform
