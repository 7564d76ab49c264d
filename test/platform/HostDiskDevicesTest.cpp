#include "platform/SystemErrors.h"
#include "platform/host/HostDiskDevices.h"
#include "support/TestApp.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

using namespace korvane::platform;
using korvane::testsupport::TempDir;

namespace {

constexpr uint64_t kImageBytes = 64ull << 20;

std::string makeImage(TempDir& dir, const std::string& name) {
    std::string path = dir.file(name);
    std::ofstream(path, std::ios::binary).close();
    std::filesystem::resize_file(path, kImageBytes);
    return path;
}

void checkTransfersAndLimits(DiskHandle& h) {
    // 4096-aligned memory (as the transfer buffer is) and an unaligned buffer both work.
    alignas(4096) static uint8_t aligned[4096];
    std::vector<uint8_t> unaligned(512 + 1);
    for (int i = 0; i < 512; ++i) aligned[i] = uint8_t(i * 3);
    uint32_t done = 0;
    ASSERT_EQ(h.write(512 * 1000, aligned, 512, done), 0u);
    EXPECT_EQ(done, 512u);
    ASSERT_EQ(h.read(512 * 1000, unaligned.data() + 1, 512, done), 0u);
    EXPECT_EQ(std::memcmp(unaligned.data() + 1, aligned, 512), 0);
    EXPECT_EQ(h.read(kImageBytes - 512, aligned, 512, done), 0u) << "the last sector";
    EXPECT_EQ(h.read(kImageBytes, aligned, 512, done), syserr::SectorNotFound) << "past the end";
    EXPECT_EQ(done, 0u);
    EXPECT_EQ(h.write(kImageBytes - 512, aligned, 1024, done), syserr::SectorNotFound) << "across the end";
    uint64_t size = 0;
    EXPECT_EQ(h.size(size), 0u);
    EXPECT_EQ(size, kImageBytes);
    DiskGeometry g;
    ASSERT_EQ(h.geometry(g), 0u);
    EXPECT_EQ(g.bytesPerSector, 512u);
    EXPECT_EQ(g.cylinders * g.tracksPerCylinder * g.sectorsPerTrack * 512, kImageBytes / (512 * 255 * 63) * (512 * 255 * 63))
        << "whole cylinders of the reported geometry";
}

// READ CAPACITY (10) and (16) tell the whole size, not a size rounded down to a geometry.
void expectCapacityOf64MiB(DiskHandle& h) {
    uint8_t data[32] = {};
    ScsiRequest r10;
    r10.cdb[0] = 0x25;
    r10.cdbLength = 10;
    r10.direction = ScsiRequest::Direction::In;
    r10.data = data;
    r10.dataLength = 8;
    ASSERT_EQ(h.scsiPassThrough(r10), 0u);
    EXPECT_EQ(r10.scsiStatus, 0);
    EXPECT_EQ((std::vector<uint8_t>(data, data + 8)), (std::vector<uint8_t>{0, 1, 0xFF, 0xFF, 0, 0, 2, 0}))
        << "last LBA 131071, 512-byte blocks";
    ScsiRequest r16;
    r16.cdb[0] = 0x9E;
    r16.cdb[1] = 0x10;
    r16.cdbLength = 16;
    r16.direction = ScsiRequest::Direction::In;
    r16.data = data;
    r16.dataLength = 32;
    ASSERT_EQ(h.scsiPassThrough(r16), 0u);
    EXPECT_EQ(data[5], 0x01);
    EXPECT_EQ(data[6], 0xFF);
    EXPECT_EQ(data[7], 0xFF);
    EXPECT_EQ(data[10], 0x02);
}

} // namespace

TEST(HostDiskDevices, ImageFileTransfersGeometryAndNoPassThrough) {
    TempDir dir;
    std::string image = makeImage(dir, "disk.img");
    uint32_t err = 99;
    auto h = HostDiskDevices::openPath(image, err);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(err, 0u);
    checkTransfersAndLimits(*h);
    std::ifstream in(image, std::ios::binary);
    in.seekg(512 * 1000 + 3);
    EXPECT_EQ(in.get(), 9) << "the bytes landed at offset 1000 x 512";
    DiskGeometry g;
    h->geometry(g);
    EXPECT_EQ(g.cylinders, 8u) << "64 MiB at 255 heads and 63 sectors";
    TaskFile regs;
    regs.command = 0xEC;
    uint8_t block[512];
    EXPECT_EQ(h->smartRequest(regs, block, 512), syserr::InvalidFunction) << "a file has no SMART request";
    EXPECT_EQ(h->idePassThrough(regs, nullptr, 0, false), syserr::InvalidFunction);
    ScsiRequest r;
    r.cdb[0] = 0x12;
    r.cdbLength = 6;
    EXPECT_EQ(h->scsiPassThrough(r), syserr::InvalidFunction);
    expectCapacityOf64MiB(*h);
    EXPECT_EQ(HostDiskDevices::openPath(dir.file("missing.img"), err), nullptr);
    EXPECT_EQ(err, syserr::FileNotFound);
}

TEST(HostDiskDevices, LoopDeviceLikeARealDisk) {
    TempDir dir;
    std::string image = makeImage(dir, "loop.img");
    std::string device = korvane::testsupport::runShell("losetup -f --show " + image);
    if (device.empty()) GTEST_SKIP() << "loop devices cannot be attached here (needs root and the loop driver)";
    struct Detach {
        std::string dev;
        ~Detach() { korvane::testsupport::runShell("losetup -d " + dev); }
    } detach{device};
    uint32_t err = 0;
    auto h = HostDiskDevices::openPath(device, err);
    ASSERT_NE(h, nullptr) << "error " << err;
    checkTransfersAndLimits(*h);
    ScsiRequest r;
    r.cdb[0] = 0x12;
    r.cdbLength = 6;
    uint8_t data[96];
    r.data = data;
    r.dataLength = 96;
    r.direction = ScsiRequest::Direction::In;
    uint32_t e = h->scsiPassThrough(r);
    EXPECT_NE(e, 0u) << "a loop device carries no SCSI pass-through";
    expectCapacityOf64MiB(*h);
    TaskFile regs;
    regs.command = 0xE5;
    EXPECT_NE(h->idePassThrough(regs, nullptr, 0, false), 0u);
}

TEST(HostDiskDevices, NumbersAndLettersFollowSysfsNameOrder) {
    TempDir sys;
    auto entry = [&](const std::string& name, const std::string& removable = "0", const std::string& size = "2048") {
        std::filesystem::create_directories(sys.path() + name);
        sys.write(name + "/removable", removable + "\n");
        sys.write(name + "/size", size + "\n");
    };
    for (const char* n : {"sdb", "sda", "nvme0n1", "vda", "hda", "mmcblk0", "mmcblk0boot0", "loop0", "dm-0"}) entry(n);
    entry("sdc", "1");
    entry("sr0", "1");
    entry("ram0");
    entry("nbd0", "0", "0");
    entry("nbd1");
    HostDiskDevices d({"/images/extra.img"}, sys.path());
    EXPECT_EQ(d.physicalPaths(),
              (std::vector<std::string>{"/dev/hda", "/dev/mmcblk0", "/dev/nvme0n1", "/dev/sda", "/dev/sdb",
                                        "/dev/sdc", "/dev/vda", "/images/extra.img"}));
    EXPECT_EQ(d.logicalDrives(), (std::vector<char>{'D', 'E', 'F', 'G'}));
    EXPECT_EQ(d.driveType('D'), LogicalDriveType::Remote);   // nbd1 (nbd0 is not connected)
    EXPECT_EQ(d.driveType('E'), LogicalDriveType::RamDisk);  // ram0
    EXPECT_EQ(d.driveType('F'), LogicalDriveType::Removable); // sdc
    EXPECT_EQ(d.driveType('G'), LogicalDriveType::CdRom);    // sr0
    EXPECT_EQ(d.driveType('Z'), LogicalDriveType::NoRoot);
    uint32_t err = 0;
    EXPECT_EQ(d.openPhysical(8, err), nullptr);
    EXPECT_EQ(err, syserr::FileNotFound);
}

TEST(HostDiskDevices, ErrnoAndSenseTranslate) {
    const std::pair<int, uint32_t> errnos[] = {{0, 0},           {EACCES, 5},   {EPERM, 5},     {EROFS, 19},
                                               {ENOENT, 2},      {ENXIO, 55},   {ENODEV, 55},   {ENOMEDIUM, 55},
                                               {EINVAL, 87},     {ENOTTY, 1},   {EOPNOTSUPP, 1}, {EIO, 1117},
                                               {ETIMEDOUT, 1460}, {ENOSPC, 27}, {ENODATA, 23}};
    for (auto [e, code] : errnos) EXPECT_EQ(HostDiskDevices::errorFromErrno(e), code) << e;
    auto fixed = [](uint8_t key, uint8_t asc) {
        std::vector<uint8_t> s(18, 0);
        s[0] = 0x70;
        s[2] = key;
        s[12] = asc;
        return HostDiskDevices::errorFromSense(s.data(), s.size());
    };
    EXPECT_EQ(fixed(0x03, 0x11), syserr::Crc) << "MEDIUM ERROR, unrecovered read error";
    EXPECT_EQ(fixed(0x05, 0x21), syserr::SectorNotFound) << "ILLEGAL REQUEST, LBA out of range";
    EXPECT_EQ(fixed(0x05, 0x20), syserr::InvalidFunction);
    EXPECT_EQ(fixed(0x02, 0x04), syserr::NotReady);
    EXPECT_EQ(fixed(0x07, 0x27), syserr::WriteProtect);
    EXPECT_EQ(fixed(0x0B, 0x00), syserr::IoDevice);
    const uint8_t descriptor[8] = {0x72, 0x03, 0x11, 0x00};
    EXPECT_EQ(HostDiskDevices::errorFromSense(descriptor, 8), syserr::Crc);
}

TEST(HostDiskDevices, ANonGoodStatusWithoutSenseIsAFailureAndHugeCapacitiesSaturate) {
    ScsiRequest busy;
    busy.scsiStatus = 0x08; // BUSY
    EXPECT_EQ(HostDiskDevices::statusWithoutSense(busy), syserr::IoDevice);
    busy.scsiStatus = 0x18; // RESERVATION CONFLICT
    EXPECT_EQ(HostDiskDevices::statusWithoutSense(busy), syserr::IoDevice);
    ScsiRequest checked;
    checked.scsiStatus = 0x02;
    checked.senseLength = 18; // CHECK CONDITION with sense: the caller decodes it
    EXPECT_EQ(HostDiskDevices::statusWithoutSense(checked), 0u);
    ScsiRequest good;
    EXPECT_EQ(HostDiskDevices::statusWithoutSense(good), 0u);

    uint8_t data[8] = {};
    ScsiRequest r;
    r.cdb[0] = 0x25;
    r.direction = ScsiRequest::Direction::In;
    r.data = data;
    r.dataLength = 8;
    ASSERT_EQ(HostDiskDevices::readCapacityAnswer(r, uint64_t(3) << 41, 512), 0u); // 3 TiB
    EXPECT_EQ((std::vector<uint8_t>(data, data + 4)), (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF}))
        << "beyond 32 bits the short form says: ask READ CAPACITY (16)";
}

TEST(HostDiskDevices, DriveCommandArgumentsCountSectorsNotRegisters) {
    TaskFile smartRead;
    smartRead.command = 0xB0;
    smartRead.features = 0xD0;
    smartRead.count = 1;
    smartRead.lbaLow = 1;
    auto a = HostDiskDevices::driveCmdArgs(smartRead, 512);
    ASSERT_EQ(a.size(), 4u + 512u);
    EXPECT_EQ((std::vector<uint8_t>(a.begin(), a.begin() + 4)), (std::vector<uint8_t>{0xB0, 0x01, 0xD0, 0x01}));
    TaskFile identify;
    identify.command = 0xEC;
    identify.count = 0x55; // a count register that is not a data length
    a = HostDiskDevices::driveCmdArgs(identify, 512);
    EXPECT_EQ(a[1], 0x55) << "the count register of a non-SMART command";
    EXPECT_EQ(a[3], 1) << "one sector of data, whatever the count register says";
    TaskFile autosave;
    autosave.command = 0xB0;
    autosave.features = 0xD2;
    autosave.count = 0xF1;
    a = HostDiskDevices::driveCmdArgs(autosave, 0);
    EXPECT_EQ(a.size(), 4u) << "a count of F1h is not 241 sectors of data";
    EXPECT_EQ(a[3], 0);
}

TEST(HostDiskDevices, RegisterReadBackBecomesANonDataCommandWithItsReturnDescriptor) {
    ScsiRequest r;
    const uint8_t cdb[16] = {0x85, 0x1F, 0x0B, 0, 0xDA, 0, 0, 0, 0, 0, 0x4F, 0, 0xC2, 0xA0, 0xB0, 0};
    std::memcpy(r.cdb, cdb, 16);
    r.cdbLength = 16;
    r.direction = ScsiRequest::Direction::In;
    ASSERT_TRUE(HostDiskDevices::asksForAtaRegisters(r));
    HostDiskDevices::toNonDataWithCheckCondition(r);
    EXPECT_EQ(r.cdb[1], 0x07) << "protocol 3 (non-data), extend kept";
    EXPECT_EQ(r.cdb[2], 0x20) << "CK_COND";
    EXPECT_EQ(r.cdb[4], 0xDA);
    EXPECT_EQ(r.cdb[14], 0xB0);
    EXPECT_EQ(r.direction, ScsiRequest::Direction::None);
    EXPECT_FALSE(HostDiskDevices::asksForAtaRegisters(r));

    // Descriptor sense: RECOVERED ERROR, ATA PASS THROUGH INFORMATION AVAILABLE, then a descriptor
    // of another kind before the ATA status return one.
    const uint8_t sense[] = {0x72, 0x01, 0x00, 0x1D, 0, 0, 0, 0x14, 0x00, 0x04, 1, 2, 3, 4,
                             0x09, 0x0C, 0x00, 0x00, 0, 0x00, 0, 0x00, 0, 0x2C, 0, 0xF4, 0xA0, 0x50};
    uint8_t regs[14] = {};
    ASSERT_TRUE(HostDiskDevices::ataReturnFromSense(sense, sizeof sense, regs));
    EXPECT_EQ(regs[9], 0x2C) << "LBA mid 2Ch: the threshold-exceeded answer of RETURN STATUS";
    EXPECT_EQ(regs[11], 0xF4);
    EXPECT_EQ(regs[13], 0x50);
    EXPECT_FALSE(HostDiskDevices::ataReturnFromSense(sense, 20, regs)) << "a descriptor cut short";
    const uint8_t fixedSense[18] = {0x70, 0, 0x05};
    EXPECT_FALSE(HostDiskDevices::ataReturnFromSense(fixedSense, 18, regs));

    ScsiRequest rw;
    HostDiskDevices::readWrite16(rw, 0x0102030405ull, 8, false);
    EXPECT_EQ((std::vector<uint8_t>(rw.cdb, rw.cdb + 16)),
              (std::vector<uint8_t>{0x88, 0, 0, 0, 0, 0x01, 0x02, 0x03, 0x04, 0x05, 0, 0, 0, 8, 0, 0}));
}

TEST(HostDiskDevices, ADiskIsInUseWhenAPartitionIsMountedSwappedOrHeld) {
    TempDir sys;
    auto make = [&](const std::string& disk, const std::string& dev, std::vector<std::pair<std::string, std::string>> parts) {
        std::filesystem::create_directories(sys.path() + disk + "/holders");
        sys.write(disk + "/dev", dev + "\n");
        for (auto& [name, number] : parts) {
            std::filesystem::create_directories(sys.path() + disk + "/" + name + "/holders");
            sys.write(disk + "/" + name + "/dev", number + "\n");
            sys.write(disk + "/" + name + "/partition", "1\n");
        }
    };
    make("sda", "8:0", {{"sda1", "8:1"}, {"sda2", "8:2"}});
    make("sdb", "8:16", {{"sdb1", "8:17"}});
    make("sdc", "8:32", {});
    const std::string mountinfo = "22 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw\n"
                                  "23 22 0:21 / /proc rw - proc proc rw\n";
    const std::string swaps = "Filename\tType\tSize\tUsed\tPriority\n/dev/sdb1 partition 1048572 0 -2\n";
    EXPECT_TRUE(HostDiskDevices::diskInUse(sys.path() + "sda", mountinfo, swaps)) << "its partition is the root";
    EXPECT_TRUE(HostDiskDevices::diskInUse(sys.path() + "sdb", mountinfo, swaps)) << "its partition is swap";
    EXPECT_FALSE(HostDiskDevices::diskInUse(sys.path() + "sdc", mountinfo, swaps));
    std::filesystem::create_directories(sys.path() + "sdc/holders/md0"); // part of a RAID
    EXPECT_TRUE(HostDiskDevices::diskInUse(sys.path() + "sdc", mountinfo, swaps));
}
