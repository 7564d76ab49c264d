#include "platform/SystemErrors.h"
#include "support/LabHost.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace korvane;
using namespace korvane::platform;
using testsupport::LabHost;

namespace {

struct DiskFace : ::testing::Test {
    LabHost host;
    std::unique_ptr<DiskHandle> open(unsigned n) {
        uint32_t err = 0;
        auto h = host.disks->openPhysical(n, err);
        EXPECT_EQ(err, 0u);
        return h;
    }
    static ScsiRequest passThrough16(uint8_t protocol, uint8_t flags, uint8_t cmd, uint8_t features = 0,
                                     uint8_t count = 1, uint8_t lbaMid = 0, uint8_t lbaHigh = 0) {
        ScsiRequest r;
        r.cdbLength = 16;
        r.cdb[0] = 0x85;
        r.cdb[1] = protocol;
        r.cdb[2] = flags;
        r.cdb[4] = features;
        r.cdb[6] = count;
        r.cdb[8] = 1;
        r.cdb[10] = lbaMid;
        r.cdb[12] = lbaHigh;
        r.cdb[13] = 0xA0;
        r.cdb[14] = cmd;
        return r;
    }
};

} // namespace

TEST_F(DiskFace, RoutesExistExactlyAsEachPathAllows) {
    struct Case {
        unsigned disk;
        bool smart, ide, sat, scsi;
    };
    // 0 internal, 5 USB bridge, 6 non-ATA, 7 flash, 8 virtual.
    const Case cases[] = {{0, true, true, true, true},
                          {5, false, false, true, true},
                          {6, false, false, false, true},
                          {7, false, false, false, true},
                          {8, false, false, false, false}};
    for (const auto& c : cases) {
        auto h = open(c.disk);
        uint8_t block[512];
        TaskFile id;
        id.count = 1;
        id.lbaLow = 1;
        id.device = 0xA0;
        id.command = 0xEC;
        EXPECT_EQ(h->smartRequest(id, block, 512) == 0, c.smart) << c.disk;
        TaskFile nop = id;
        nop.command = 0xE5;
        EXPECT_EQ(h->idePassThrough(nop, nullptr, 0, false) == 0, c.ide) << c.disk;
        std::vector<uint8_t> data(512);
        ScsiRequest sat = passThrough16(0x08, 0x0E, 0xEC);
        sat.direction = ScsiRequest::Direction::In;
        sat.data = data.data();
        sat.dataLength = 512;
        uint32_t err = h->scsiPassThrough(sat);
        EXPECT_EQ(err == 0 && sat.scsiStatus == 0, c.sat) << c.disk;
        ScsiRequest inquiry;
        inquiry.cdbLength = 6;
        inquiry.cdb[0] = 0x12;
        inquiry.cdb[4] = 0x60;
        inquiry.data = data.data();
        inquiry.dataLength = 96;
        EXPECT_EQ(h->scsiPassThrough(inquiry) == 0, c.scsi) << c.disk;
    }
}

TEST_F(DiskFace, InquiryAndReadCapacityDescribeTheDisk) {
    auto h = open(6);
    uint8_t d[96] = {};
    ScsiRequest r;
    r.cdbLength = 6;
    r.cdb[0] = 0x12;
    r.data = d;
    r.dataLength = 96;
    ASSERT_EQ(h->scsiPassThrough(r), 0u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(d + 8), 8), "SEAGATE ");
    EXPECT_EQ(std::string(reinterpret_cast<char*>(d + 16), 11), "ST3300657SS");
    EXPECT_EQ(std::string(reinterpret_cast<char*>(d + 36), 8), "3SJ0ABCD");

    uint8_t cap[8] = {};
    ScsiRequest c;
    c.cdbLength = 10;
    c.cdb[0] = 0x25;
    c.data = cap;
    c.dataLength = 8;
    ASSERT_EQ(h->scsiPassThrough(c), 0u);
    uint32_t last = uint32_t(cap[0]) << 24 | cap[1] << 16 | cap[2] << 8 | cap[3];
    EXPECT_EQ(last, 585937500u - 1);
    EXPECT_EQ(cap[6] << 8 | cap[7], 512);

    auto flash = open(7);
    r.data = d;
    flash->scsiPassThrough(r);
    EXPECT_EQ(d[1] & 0x80, 0x80) << "removable medium";
    DiskGeometry g;
    flash->geometry(g);
    EXPECT_EQ(g.mediaType, 11u);
    auto vdisk = open(8);
    vdisk->geometry(g);
    EXPECT_NE(g.sectorsPerTrack, 63u);
}

TEST_F(DiskFace, SatReturnsTheStatusDescriptorOnErrorsAndOnRequest) {
    auto h = open(0);
    // An aborted command: CHECK CONDITION, ABORTED COMMAND, descriptor with the registers.
    ScsiRequest bad = passThrough16(0x06, 0x20, 0xFE);
    ASSERT_EQ(h->scsiPassThrough(bad), 0u);
    EXPECT_EQ(bad.scsiStatus, 0x02);
    EXPECT_EQ(bad.sense[0], 0x72);
    EXPECT_EQ(bad.sense[1], 0x0B);
    EXPECT_EQ(bad.sense[3], 0x1D);
    EXPECT_EQ(bad.sense[8], 0x09);
    EXPECT_EQ(bad.sense[8 + 3], error::ABRT);
    EXPECT_EQ(bad.sense[8 + 13], status::DRDY | status::DSC | status::ERR);

    // SMART RETURN STATUS with CK_COND: recovered error, the registers carry the verdict.
    ScsiRequest rs = passThrough16(0x06, 0x20, 0xB0, 0xDA, 0, 0x4F, 0xC2);
    ASSERT_EQ(h->scsiPassThrough(rs), 0u);
    EXPECT_EQ(rs.sense[1], 0x01);
    EXPECT_EQ(rs.sense[8 + 9], 0x4F);
    EXPECT_EQ(rs.sense[8 + 11], 0xC2);

    // Register read-back: protocol 15 returns the last registers as data.
    uint8_t regs[16] = {};
    ScsiRequest rb = passThrough16(0x1F, 0x0B, 0xB0, 0xDA, 0, 0x4F, 0xC2);
    rb.direction = ScsiRequest::Direction::In;
    rb.data = regs;
    rb.dataLength = 16;
    ASSERT_EQ(h->scsiPassThrough(rb), 0u);
    EXPECT_EQ(regs[0], 0x09);
    EXPECT_EQ(regs[9], 0x4F);
    EXPECT_EQ(regs[13], status::DRDY | status::DSC);
}

TEST_F(DiskFace, ABridgeThatDropsSmartAndANonAtaDiskRefuseAtOnce) {
    host.lab->disks()[5].dropsSmart = true;
    auto usb = open(5);
    ScsiRequest smart = passThrough16(0x06, 0x20, 0xB0, 0xDA, 0, 0x4F, 0xC2);
    ASSERT_EQ(usb->scsiPassThrough(smart), 0u);
    EXPECT_EQ(smart.scsiStatus, 0x02);
    EXPECT_EQ(smart.sense[2], 0x05);
    EXPECT_EQ(smart.sense[12], 0x24);

    auto sas = open(6);
    ScsiRequest ata = passThrough16(0x06, 0x20, 0xEC);
    ASSERT_EQ(sas->scsiPassThrough(ata), 0u);
    EXPECT_EQ(ata.sense[2], 0x05);
    EXPECT_EQ(ata.sense[12], 0x20) << "invalid command operation code";
}

TEST_F(DiskFace, PositionedTransfersReportSystemErrors) {
    auto h = open(0);
    std::vector<uint8_t> buf(512 * 4, 0x5A);
    uint32_t done = 0;
    EXPECT_EQ(h->write(512 * 1000, buf.data(), uint32_t(buf.size()), done), 0u);
    EXPECT_EQ(done, buf.size());
    std::vector<uint8_t> back(buf.size());
    EXPECT_EQ(h->read(512 * 1000, back.data(), uint32_t(back.size()), done), 0u);
    EXPECT_EQ(back, buf);
    EXPECT_EQ(h->read(512ull * 123456, back.data(), 512, done), syserr::Crc);
    EXPECT_EQ(done, 0u);
    EXPECT_EQ(h->read(512ull * 976000000, back.data(), 512, done), syserr::SectorNotFound);
    uint32_t err = 0;
    EXPECT_EQ(host.disks->openPhysical(9, err), nullptr);
    EXPECT_EQ(err, syserr::FileNotFound);
    EXPECT_NE(host.disks->openLogical('E', err), nullptr);
    EXPECT_EQ(host.disks->driveType('E'), LogicalDriveType::Removable);
    EXPECT_EQ(host.disks->driveType('Q'), LogicalDriveType::NoRoot);

    // READ(10) of the bad sector: MEDIUM ERROR, unrecovered read error.
    ScsiRequest r;
    r.cdbLength = 10;
    r.cdb[0] = 0x28;
    r.cdb[2] = 0x00;
    r.cdb[3] = 0x01;
    r.cdb[4] = 0xE2;
    r.cdb[5] = 0x40; // 123456
    r.cdb[8] = 1;
    r.data = back.data();
    r.dataLength = 512;
    ASSERT_EQ(h->scsiPassThrough(r), 0u);
    EXPECT_EQ(r.sense[2], 0x03);
    EXPECT_EQ(r.sense[12], 0x11);
}
