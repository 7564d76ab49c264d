#include "support/LabHost.h"

#include <gtest/gtest.h>

using namespace korvane;
using namespace korvane::platform;
using testsupport::LabHost;

namespace {
constexpr uint8_t kReady = status::DRDY | status::DSC;

std::vector<uint8_t> pattern(size_t sectors, uint8_t seed) {
    std::vector<uint8_t> d(sectors * 512);
    for (size_t i = 0; i < d.size(); ++i) d[i] = uint8_t(i * 7 + seed);
    return d;
}
} // namespace

TEST(AtaDevice, CommandTableAnswersWithTheRightStatusAndError) {
    struct Case {
        const char* what;
        uint8_t cmd, features, count;
        uint32_t lba;
        uint8_t status, error;
    };
    // Main drive: 976,000,000 visible sectors, native 976,773,168 (beyond 28 bits: the 28-bit
    // limit is 0FFFFFFFh).
    const Case cases[] = {
        {"unknown command aborts", 0xFE, 0, 0, 0, kReady | status::ERR, error::ABRT},
        {"recalibrate", 0x10, 0, 0, 0, kReady, 0},
        {"seek inside", 0x70, 0, 0, 1000, kReady, 0},
        {"verify inside", 0x40, 0, 16, 2048, kReady, 0},
        {"verify beyond 28 bits", 0x40, 0, 1, 0x0FFFFFFF, kReady | status::ERR, error::IDNF},
        {"verify an unreadable sector", 0x40, 0, 8, 123450, kReady | status::ERR, error::UNC},
        {"write cache off", 0xEF, 0x82, 0, 0, kReady, 0},
        {"look-ahead on", 0xEF, 0xAA, 0, 0, kReady, 0},
        {"AAM level", 0xEF, 0x42, 0xA0, 0, kReady, 0},
        {"UDMA 6", 0xEF, 0x03, 0x46, 0, kReady, 0},
        {"UDMA 7 is not supported", 0xEF, 0x03, 0x47, 0, kReady | status::ERR, error::ABRT},
        {"unknown feature", 0xEF, 0x99, 0, 0, kReady | status::ERR, error::ABRT},
        {"SMART without its signature", 0xB0, 0xD8, 0, 0, kReady | status::ERR, error::ABRT},
        {"flush cache", 0xE7, 0, 0, 0, kReady, 0},
    };
    LabHost host;
    for (const auto& c : cases) {
        uint8_t s = host.nonData(c.cmd, c.lba, c.count, c.features);
        EXPECT_EQ(s, c.status) << c.what;
        EXPECT_EQ(host.error(), c.error) << c.what;
    }
}

TEST(AtaDevice, ExtCommandsNeedA48BitDrive) {
    LabHost host;
    host.use(0x170, 0x376); // the PATA master has no 48-bit feature set
    host.waitNotBusy();
    host.command48(0x42, 1000, 1);
    ASSERT_TRUE(host.waitNotBusy());
    EXPECT_EQ(host.status(), kReady | status::ERR);
    EXPECT_EQ(host.error(), error::ABRT);
}

TEST(AtaDevice, SectorsWrittenAreReadBackAndRecorded) {
    LabHost host;
    auto data = pattern(3, 1);
    ASSERT_TRUE(host.writeSectors(5000, data));
    EXPECT_EQ(host.readSectors(5000, 3), data);
    auto ext = pattern(2, 9);
    ASSERT_TRUE(host.writeSectors(900000000, ext, true));
    EXPECT_EQ(host.readSectors(900000000, 2, true), ext);
    auto& store = host.drive().store();
    EXPECT_TRUE(store.writtenWithin(5000, 3));
    EXPECT_FALSE(store.writtenOutside(5000, 900000002 - 5000));
    EXPECT_TRUE(store.writtenOutside(5000, 3));
    EXPECT_EQ(host.readSectors(10, 1), std::vector<uint8_t>(512, 0)) << "unwritten sectors read as zeros";
}

TEST(AtaDevice, AnUnreadableSectorFailsAfterRetriesUntilRewrittenThenIsRemapped) {
    LabHost host;
    auto& drive = host.drive();
    uint64_t before = host.clock.nowNs();
    host.waitNotBusy();
    host.command28(0x20, 123455, 4);
    // The sector before the bad one arrives; the bad one ends the command with UNC.
    ASSERT_TRUE(host.waitDrq());
    host.readData(512);
    EXPECT_FALSE(host.waitDrq());
    EXPECT_EQ(host.status(), kReady | status::ERR);
    EXPECT_EQ(host.error(), error::UNC);
    EXPECT_EQ(host.lbaRegisters28(), 123456u) << "the LBA registers name the failing sector";
    EXPECT_GE(host.clock.nowNs() - before, uint64_t(drive.profile().retryMs) * 1000000) << "retries take time";
    EXPECT_EQ(drive.smart().raw(197), 1u);

    ASSERT_TRUE(host.writeSectors(123456, pattern(1, 3)));
    EXPECT_FALSE(drive.unreadable(123456));
    EXPECT_EQ(drive.smart().raw(5), 1u);
    EXPECT_EQ(drive.smart().raw(196), 1u);
    EXPECT_EQ(drive.smart().raw(197), 0u);
    EXPECT_EQ(host.readSectors(123456, 1), pattern(1, 3));
}

TEST(AtaDevice, ReadLongDeliversTheRawSectorAndWriteLongRewritesItInPlace) {
    LabHost host;
    auto& drive = host.drive();
    host.waitNotBusy();
    host.command28(0x22, 5000000, 1);
    ASSERT_TRUE(host.waitDrq()) << "READ LONG reads a sector normal reads cannot";
    auto raw = host.readData(520);
    ASSERT_TRUE(host.waitNotBusy());
    EXPECT_EQ(host.status() & status::ERR, 0);
    host.command28(0x32, 5000000, 1);
    ASSERT_TRUE(host.waitDrq());
    host.writeData(raw);
    ASSERT_TRUE(host.waitNotBusy());
    EXPECT_EQ(host.status(), kReady);
    EXPECT_FALSE(drive.unreadable(5000000));
    EXPECT_EQ(drive.reallocatedCount(), 0u) << "rewritten in place, not remapped";
    EXPECT_EQ(host.readSectors(5000000, 1).size(), 512u);
}

TEST(AtaDevice, BufferCommandsLoopDataBack) {
    LabHost host;
    auto block = pattern(1, 0x55);
    host.waitNotBusy();
    host.command28(0xE8, 0, 0, 0, 0xA0);
    ASSERT_TRUE(host.waitDrq());
    host.writeData(block);
    host.waitNotBusy();
    host.command28(0xE4, 0, 0, 0, 0xA0);
    ASSERT_TRUE(host.waitDrq());
    EXPECT_EQ(host.readData(512), block);
}

TEST(AtaDevice, StandbyAndCheckPowerModeWithSpinUpOnTheNextAccess) {
    LabHost host;
    auto& drive = host.drive();
    EXPECT_EQ(host.nonData(0xE5, 0, 0, 0, 0xA0), kReady);
    EXPECT_EQ(host.reg(2), 0xFF);
    host.nonData(0xE0, 0, 0, 0, 0xA0);
    EXPECT_TRUE(drive.standby());
    host.nonData(0xE5, 0, 0, 0, 0xA0);
    EXPECT_EQ(host.reg(2), 0x00);
    uint64_t before = host.clock.nowNs();
    EXPECT_EQ(host.nonData(0x40, 0, 1), kReady);
    EXPECT_GE(host.clock.nowNs() - before, uint64_t(drive.profile().spinUpMs) * 1000000);
    EXPECT_FALSE(drive.standby());
}

TEST(AtaDevice, SetFeaturesIsReflectedInIdentify) {
    LabHost host;
    auto id = [&] { return platform::IdentifyBlock::fromBytes(host.identify().data()); };
    EXPECT_TRUE(id().bit(85, 5));
    host.nonData(0xEF, 0, 0, 0x82, 0xA0);
    host.nonData(0xEF, 0, 0, 0x55, 0xA0);
    host.nonData(0xEF, 0, 0xA0, 0x42, 0xA0);
    host.nonData(0xEF, 0, 0x45, 0x03, 0xA0);
    auto b = id();
    EXPECT_FALSE(b.bit(85, 5)) << "write cache off";
    EXPECT_FALSE(b.bit(85, 6)) << "look-ahead off";
    EXPECT_EQ(b.word(94) & 0xFF, 0xA0) << "AAM level";
    EXPECT_TRUE(b.bit(86, 9));
    EXPECT_EQ(b.word(88) >> 8, 1 << 5) << "UDMA 5 selected";
    host.nonData(0xEF, 0, 0, 0xC2, 0xA0);
    EXPECT_FALSE(id().bit(86, 9)) << "AAM disabled";
    host.powerCycle();
    EXPECT_TRUE(id().bit(85, 5)) << "caches return to their defaults at power-on";
}

TEST(AtaDevice, SequentialReadsStreamWithLookAheadAndWaitARevolutionWithout) {
    LabHost host;
    auto& drive = host.drive();
    auto elapsedOf = [&](int reads) {
        uint64_t before = host.clock.nowNs();
        for (int i = 0; i < reads; ++i) host.readSectors(1000 + i, 1);
        return host.clock.nowNs() - before;
    };
    host.readSectors(999, 1);
    uint64_t streamed = elapsedOf(50);
    host.nonData(0xEF, 0, 0, 0x55, 0xA0);
    host.readSectors(1999, 1);
    uint64_t perRevolution = elapsedOf(50);
    uint64_t rev = uint64_t(60e9 / drive.profile().rpm);
    EXPECT_GT(perRevolution, 49 * rev) << "each sector has just passed the head";
    EXPECT_LT(perRevolution, 51 * rev);
    EXPECT_LT(streamed * 10, perRevolution);
}

TEST(AtaDevice, OuterZonesAreFasterThanInnerOnesAndSsdsAreFlat) {
    LabHost host;
    auto verifyTime = [&](uint64_t lba) {
        host.waitNotBusy();
        host.command48(0x42, lba, 4096);
        uint64_t before = host.clock.nowNs();
        host.waitNotBusy();
        return host.clock.nowNs() - before;
    };
    uint64_t outer = verifyTime(0), inner = verifyTime(975000000);
    EXPECT_LT(outer, inner);
    host.use(0xD400, 0xD802);
    uint64_t ssdOuter = verifyTime(0), ssdInner = verifyTime(975000000);
    EXPECT_EQ(ssdOuter, ssdInner);
    EXPECT_LT(ssdOuter, outer);
}
