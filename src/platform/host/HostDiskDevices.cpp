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
#include <sstream>
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
    case ENODATA: return syserr::Crc; // the block layer's medium error: an unreadable sector
    case EIO:
    default: return syserr::IoDevice;
    }
}

uint32_t HostDiskDevices::errorFromSense(const uint8_t* sense, size_t length) {
    return systemErrorFromSense(sense, uint32_t(length));
}

std::vector<uint8_t> HostDiskDevices::driveCmdArgs(const TaskFile& regs, uint32_t dataLength) {
    // HDIO_DRIVE_CMD: args[3] is the number of 512-byte sectors the kernel moves (and copies back
    // after the 4-byte header); for SMART args[1] is the LBA low register and args[3] also the
    // count register, for other commands args[1] is the count register.
    const uint32_t sectors = (dataLength + 511) / 512;
    std::vector<uint8_t> args(4 + size_t(sectors) * 512, 0);
    args[0] = regs.command;
    args[1] = regs.command == 0xB0 ? regs.lbaLow : regs.count;
    args[2] = regs.features;
    args[3] = uint8_t(sectors);
    return args;
}

bool HostDiskDevices::asksForAtaRegisters(const ScsiRequest& r) {
    return (r.cdb[0] == 0x85 || r.cdb[0] == 0xA1) && ((r.cdb[1] >> 1) & 0x0F) == 15;
}

void HostDiskDevices::toNonDataWithCheckCondition(ScsiRequest& r) {
    const uint8_t extend = r.cdb[0] == 0x85 ? (r.cdb[1] & 0x01) : 0;
    r.cdb[1] = uint8_t(3 << 1 | extend); // non-data
    r.cdb[2] = 0x20;                     // CK_COND: always return the registers
    r.direction = ScsiRequest::Direction::None;
    r.data = nullptr;
    r.dataLength = 0;
}

bool HostDiskDevices::ataReturnFromSense(const uint8_t* sense, size_t length, uint8_t registers[14]) {
    if (length < 8 || (sense[0] & 0x7F) != 0x72) return false;
    const size_t end = std::min<size_t>(length, 8 + size_t(sense[7]));
    for (size_t at = 8; at + 2 <= end; at += 2 + size_t(sense[at + 1])) {
        if (sense[at] == 0x09 && sense[at + 1] >= 0x0C && at + 14 <= end) {
            std::memcpy(registers, sense + at, 14);
            return true;
        }
    }
    return false;
}

void HostDiskDevices::readWrite16(ScsiRequest& r, uint64_t lba, uint32_t blocks, bool write) {
    std::memset(r.cdb, 0, sizeof r.cdb);
    r.cdb[0] = write ? 0x8A : 0x88;
    for (int i = 0; i < 8; ++i) r.cdb[2 + i] = uint8_t(lba >> (56 - 8 * i));
    for (int i = 0; i < 4; ++i) r.cdb[10 + i] = uint8_t(blocks >> (24 - 8 * i));
    r.cdbLength = 16;
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
        // A command without data (SMART ENABLE, AUTOSAVE with its count, RETURN STATUS with the
        // registers it answers in) goes as a task, which carries and returns every register.
        if (!data || dataLength == 0) return idePassThrough(regs, nullptr, 0, false);
        std::vector<uint8_t> args = HostDiskDevices::driveCmdArgs(regs, dataLength);
        if (ioctl(fd_, HDIO_DRIVE_CMD, args.data()) != 0) return HostDiskDevices::errorFromErrno(errno);
        regs.status = args[0];
        regs.error = args[1];
        std::memcpy(data, args.data() + 4, dataLength);
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
    bool directTransfers() const override { return direct_; }
    uint32_t scsiPassThrough(ScsiRequest& r) override {
        // A file, or a block device without SCSI (a loop device), still has a capacity: the size
        // the system gives, not one made up from a geometry that would cut the tail off.
        if (!block_ || noSgIo_) return isReadCapacity(r) ? answerReadCapacity(r) : syserr::InvalidFunction;
        if (HostDiskDevices::asksForAtaRegisters(r)) return ataRegisters(r);
        uint32_t e = sgIo(r);
        if ((e == syserr::InvalidFunction || e == syserr::InvalidParameter) && isReadCapacity(r)) {
            noSgIo_ = true;
            return answerReadCapacity(r);
        }
        return e;
    }

private:
    // The registers a command leaves, which the kernel will not return as "response information":
    // the same command, sent without data and with CK_COND, brings them in its sense data.
    uint32_t ataRegisters(ScsiRequest& r) {
        ScsiRequest task = r;
        HostDiskDevices::toNonDataWithCheckCondition(task);
        uint32_t e = sgIo(task);
        if (e != 0) return e;
        uint8_t registers[14] = {};
        if (!HostDiskDevices::ataReturnFromSense(task.sense, task.senseLength, registers)) {
            std::memcpy(r.sense, task.sense, sizeof r.sense);
            r.senseLength = task.senseLength;
            r.scsiStatus = task.scsiStatus;
            return task.scsiStatus == 0 ? syserr::InvalidFunction : 0;
        }
        if (r.data && r.direction == ScsiRequest::Direction::In) {
            const uint32_t n = std::min<uint32_t>(r.dataLength, sizeof registers);
            std::memcpy(r.data, registers, n);
            r.dataTransferred = n;
        }
        // The command itself failed when the returned status has ERR: the caller sees the sense.
        const bool failed = registers[13] & 0x01;
        r.scsiStatus = failed ? task.scsiStatus : 0;
        r.senseLength = failed ? task.senseLength : 0;
        std::memcpy(r.sense, task.sense, sizeof r.sense);
        if (!failed) std::memset(r.sense, 0, sizeof r.sense);
        return 0;
    }
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
        // The size is asked once; only a transfer past it asks again (an image file may grow).
        if (offset + length > knownSize_) {
            uint64_t bytes = 0;
            if (size(bytes) == 0) knownSize_ = bytes;
            if (offset + length > knownSize_) return syserr::SectorNotFound;
        }
        void* io = buffer;
        // Direct I/O needs aligned memory; an unaligned caller buffer goes through a bounce buffer.
        bool bounce = direct_ && (reinterpret_cast<uintptr_t>(buffer) % 4096 != 0);
        if (bounce) {
            if (!ensureBounce(length)) return syserr::IoDevice;
            io = bounce_;
            if (out) std::memcpy(bounce_, buffer, length);
        }
        ssize_t n = out ? pwrite(fd_, io, length, off_t(offset)) : pread(fd_, io, length, off_t(offset));
        if (n < 0 && (errno == EIO || errno == ENODATA) && block_ && !noSgIo_) {
            // The system says only "I/O error" (or, for a medium error, "no data"); the device says
            // which (an unreadable sector, an address out of range...): the same range again, as a
            // SCSI command, brings the sense.
            uint32_t e = reissueForSense(offset, io, length, out);
            if (e != 0) return e;
            n = ssize_t(length);
        }
        if (n < 0 && out && block_ && errno == EPERM) return syserr::WriteProtect;
        if (n < 0) return HostDiskDevices::errorFromErrno(errno);
        if (uint32_t(n) != length) return syserr::SectorNotFound; // a short transfer: the end of the device
        if (bounce && !out) std::memcpy(buffer, bounce_, length);
        done = length;
        return 0;
    }
    uint32_t reissueForSense(uint64_t offset, void* io, uint32_t length, bool out) {
        int sector = 512;
        if (ioctl(fd_, BLKSSZGET, &sector) != 0 || sector <= 0) sector = 512;
        ScsiRequest r;
        HostDiskDevices::readWrite16(r, offset / uint32_t(sector), length / uint32_t(sector), out);
        r.data = static_cast<uint8_t*>(io);
        r.dataLength = length;
        r.direction = out ? ScsiRequest::Direction::Out : ScsiRequest::Direction::In;
        r.timeoutSeconds = 30;
        uint32_t e = sgIo(r);
        if (e == syserr::InvalidFunction || e == syserr::InvalidParameter) {
            noSgIo_ = true;
            return syserr::IoDevice; // no SCSI under this device: the plain I/O error it is
        }
        if (e != 0) return e;
        if (r.scsiStatus == 0) return 0;
        return HostDiskDevices::errorFromSense(r.sense, r.senseLength);
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
    uint64_t knownSize_ = 0;
    void* bounce_ = nullptr;
    uint32_t bounceSize_ = 0;
};

bool isWholeDisk(const std::string& name) {
    static const std::regex pattern("^(sd[a-z]+|hd[a-z]+|vd[a-z]+|nvme[0-9]+n[0-9]+|mmcblk[0-9]+)$");
    return std::regex_match(name, pattern);
}

} // namespace

HostDiskDevices::HostDiskDevices(std::vector<std::string> extraDevices, std::string sysBlock) : sysBlock_(sysBlock) {
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

std::unique_ptr<DiskHandle> HostDiskDevices::openPath(const std::string& path, uint32_t& error, bool exclusive,
                                                      bool readOnly) {
    struct stat st{};
    if (stat(path.c_str(), &st) != 0) {
        error = errorFromErrno(errno);
        return nullptr;
    }
    bool block = S_ISBLK(st.st_mode);
    bool writable = !readOnly;
    bool direct = true;
    int fd = -1;
    if (!readOnly) {
        // O_EXCL on a block device: refused while it is mounted or held by another device.
        const int excl = exclusive && block ? O_EXCL : 0;
        fd = open(path.c_str(), O_RDWR | O_DIRECT | O_CLOEXEC | excl);
        if (fd < 0 && errno == EINVAL) { // a file system that refuses direct I/O
            direct = false;
            fd = open(path.c_str(), O_RDWR | O_CLOEXEC | excl);
        }
        if (fd < 0 && exclusive && errno == EBUSY) {
            error = syserr::SharingViolation;
            return nullptr;
        }
    }
    if (fd < 0 && (readOnly || errno == EROFS || errno == EACCES)) {
        writable = false;
        direct = true;
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
    // A block device set read-only still opens for writing; its writes would fail as "access denied".
    int setReadOnly = 0;
    if (block && ioctl(fd, BLKROGET, &setReadOnly) == 0 && setReadOnly) writable = false;
    error = 0;
    return std::make_unique<HostDiskHandle>(fd, direct, block, writable);
}

std::unique_ptr<DiskHandle> HostDiskDevices::openPhysical(unsigned number, uint32_t& error) {
    if (number >= physical_.size()) {
        error = syserr::FileNotFound;
        return nullptr;
    }
    return openPath(physical_[number], error, false);
}

std::unique_ptr<DiskHandle> HostDiskDevices::openPhysicalExclusive(unsigned number, uint32_t& error) {
    if (number >= physical_.size()) {
        error = syserr::FileNotFound;
        return nullptr;
    }
    return openPath(physical_[number], error, true);
}

std::unique_ptr<DiskHandle> HostDiskDevices::openPhysicalForReading(unsigned number, uint32_t& error) {
    if (number >= physical_.size()) {
        error = syserr::FileNotFound;
        return nullptr;
    }
    return openPath(physical_[number], error, false, true);
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

namespace {

std::string readWhole(const std::string& path) {
    std::ifstream in(path);
    std::string text, line;
    while (std::getline(in, line)) text += line + "\n";
    return text;
}

// "major:minor" of the disk and of each of its partitions.
std::vector<std::string> deviceNumbers(const fs::path& disk) {
    std::vector<std::string> numbers;
    std::string dev;
    if (readFirstLine(disk / "dev", dev)) numbers.push_back(dev);
    std::error_code ec;
    for (auto& entry : fs::directory_iterator(disk, ec))
        if (fs::exists(entry.path() / "partition", ec) && readFirstLine(entry.path() / "dev", dev)) numbers.push_back(dev);
    return numbers;
}

bool heldByAnother(const fs::path& disk) {
    std::error_code ec;
    auto held = [&](const fs::path& p) { return !fs::is_empty(p / "holders", ec) && !ec; };
    if (held(disk)) return true;
    for (auto& entry : fs::directory_iterator(disk, ec))
        if (fs::exists(entry.path() / "partition", ec) && held(entry.path())) return true;
    return false;
}

} // namespace

bool HostDiskDevices::diskInUse(const std::string& sysBlockDisk, const std::string& mountinfo, const std::string& swaps) {
    const fs::path disk(sysBlockDisk);
    const auto numbers = deviceNumbers(disk);
    // mountinfo: the third field is the major:minor of the mounted device.
    std::istringstream mounts(mountinfo);
    for (std::string line; std::getline(mounts, line);) {
        std::istringstream fields(line);
        std::string id, parent, dev;
        fields >> id >> parent >> dev;
        if (std::find(numbers.begin(), numbers.end(), dev) != numbers.end()) return true;
    }
    // /proc/swaps: a header, then the device path first on each line.
    const std::string name = disk.filename().string();
    std::istringstream swapList(swaps);
    std::string line;
    std::getline(swapList, line);
    while (std::getline(swapList, line)) {
        std::string path = line.substr(0, line.find_first_of(" \t"));
        std::string base = fs::path(path).filename().string();
        if (base == name || (base.rfind(name, 0) == 0 && fs::exists(disk / base))) return true;
    }
    return heldByAnother(disk);
}

bool HostDiskDevices::inUseBySystem(unsigned number) {
    if (number >= physical_.size()) return false;
    const std::string& path = physical_[number];
    if (path.rfind("/dev/", 0) != 0) return false; // an image file is not what the system runs from
    fs::path disk = fs::path(sysBlock_) / fs::path(path).filename();
    std::error_code ec;
    if (!fs::exists(disk, ec)) return false;
    return diskInUse(disk.string(), readWhole("/proc/self/mountinfo"), readWhole("/proc/swaps"));
}

LogicalDriveType HostDiskDevices::driveType(char letter) {
    for (auto& l : logical_)
        if (l.letter == std::toupper((unsigned char)letter)) return l.type;
    return LogicalDriveType::NoRoot;
}

} // namespace korvane::platform
