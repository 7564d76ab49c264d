#include "support/LabHost.h"

#include <gtest/gtest.h>

#include <numeric>

using namespace korvane;
using namespace korvane::platform;
using testsupport::LabHost;

namespace {
constexpr uint8_t kReady = status::DRDY | status::DSC;
constexpr uint8_t kAborted = kReady | status::ERR;

std::vector<uint8_t> readBlock(LabHost& host, uint8_t feature) {
    host.waitNotBusy();
    host.command28(0xB0, 0x4F << 8 | 0xC2 << 16, 1, feature, 0xA0);
    if (!host.waitDrq()) return {};
    auto b = host.readData(512);
    host.waitNotBusy();
    return b;
}

uint8_t sum(const std::vector<uint8_t>& b) { return uint8_t(std::accumulate(b.begin(), b.end(), 0)); }

const uint8_t* entry(const std::vector<uint8_t>& block, uint8_t id) {
    for (size_t k = 0; k < 30; ++k)
        if (block[2 + 12 * k] == id) return &block[2 + 12 * k];
    return nullptr;
}
} // namespace

TEST(Smart, DataAndThresholdBlocksCarryValidChecksumsAndTheTemperatureWords) {
    LabHost host;
    auto data = readBlock(host, 0xD0);
    auto thresholds = readBlock(host, 0xD1);
    ASSERT_EQ(data.size(), 512u);
    ASSERT_EQ(thresholds.size(), 512u);
    EXPECT_EQ(sum(data), 0);
    EXPECT_EQ(sum(thresholds), 0);
    const uint8_t* t = entry(data, 194);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t[5], 36) << "current temperature";
    EXPECT_EQ(t[7], 19) << "lowest";
    EXPECT_EQ(t[9], 48) << "highest";
    EXPECT_EQ(thresholds[2], data[2]) << "threshold entries in the order of the attributes";
    EXPECT_EQ(data[372], 1);
    EXPECT_EQ(data[373], 109);
}

TEST(Smart, SelfTestsFailWithTheirReadElementAtThePlantedSector) {
    LabHost host; // unreadable sectors from 123456 on a disk of 976773168
    ASSERT_EQ(host.smart(0xD4, 0, 0x02), kReady);
    host.clock.advanceMs(500);
    EXPECT_EQ(readBlock(host, 0xD0)[363] >> 4, 0xF) << "not there yet: 109 minutes x 123456 / 976773168 = 0.83 s";
    host.clock.advanceMs(60 * 1000);
    EXPECT_EQ(readBlock(host, 0xD0)[363], 0x79) << "read element failed, 90 % left";
    EXPECT_EQ(host.drive().smart().failedAt(), 123456u);
    // The short test reads a tenth of the disk: it meets the sector too.
    ASSERT_EQ(host.smart(0xD4, 0, 0x01), kReady);
    host.clock.advanceMs(61 * 1000);
    EXPECT_EQ(readBlock(host, 0xD0)[363] >> 4, 0x7);
}

TEST(Smart, SelfTestsProgressInTimeAndCanBeAborted) {
    LabHost host;
    host.drive().clearUnreadable();
    ASSERT_EQ(host.smart(0xD4, 0, 0x02), kReady); // extended off-line self-test, 109 minutes
    auto running = readBlock(host, 0xD0);
    EXPECT_EQ(running[363] >> 4, 0xF);
    EXPECT_EQ(running[363] & 0x0F, 9);
    host.clock.advanceMs(109ull * 60 * 1000 * 7 / 10);
    EXPECT_EQ(readBlock(host, 0xD0)[363], 0xF3) << "30 % left";
    host.smart(0xD4, 0, 0x7F);
    EXPECT_EQ(readBlock(host, 0xD0)[363], 0x10) << "aborted by the host";

    host.smart(0xD4, 0, 0x01);
    host.clock.advanceMs(61 * 1000);
    EXPECT_EQ(readBlock(host, 0xD0)[363], 0x00) << "completed without error";

    host.smart(0xD4, 0, 0x00);
    EXPECT_EQ(readBlock(host, 0xD0)[362] & 0x7F, 0x03) << "off-line collection in progress";
    host.clock.advanceMs(6540ull * 1000);
    EXPECT_EQ(readBlock(host, 0xD0)[362] & 0x7F, 0x02);
}

TEST(Smart, CaptiveTestsKeepTheDriveBusy) {
    LabHost host;
    host.waitNotBusy();
    uint64_t before = host.clock.nowNs();
    host.command28(0xB0, 0x81 | 0x4F << 8 | 0xC2 << 16, 0, 0xD4, 0xA0);
    ASSERT_TRUE(host.waitNotBusy(1000000));
    EXPECT_GE(host.clock.nowNs() - before, 60'000'000'000ull);
}

TEST(Smart, SwitchesAutosaveReturnStatusAndVendorFeatures) {
    LabHost host;
    EXPECT_EQ(host.smart(0xD9), kReady);
    EXPECT_EQ(host.smart(0xD0), kAborted) << "SMART disabled: only enable is accepted";
    EXPECT_FALSE(IdentifyBlock::fromBytes(host.identify().data()).bit(85, 0));
    EXPECT_EQ(host.smart(0xD8), kReady);
    EXPECT_TRUE(IdentifyBlock::fromBytes(host.identify().data()).bit(85, 0));
    EXPECT_EQ(host.smart(0xD2, 0x00), kReady);
    EXPECT_FALSE(host.drive().smart().autosave());
    EXPECT_EQ(host.smart(0xD2, 0x33), kAborted);

    EXPECT_EQ(host.smart(0xDA), kReady);
    EXPECT_EQ(host.reg(4), 0x4F);
    EXPECT_EQ(host.reg(5), 0xC2);
    // Use up the spare pool: the reallocated count falls to its threshold.
    auto& drive = host.drive();
    for (uint64_t lba = 600000; lba < 600000 + 2000; ++lba) drive.makeUnreadable(lba);
    std::vector<uint8_t> zeros(512 * 200);
    for (uint64_t lba = 600000; lba < 600000 + 2000; lba += 200) host.writeSectors(lba, zeros);
    EXPECT_EQ(host.smart(0xDA), kReady);
    EXPECT_EQ(host.reg(4), 0xF4);
    EXPECT_EQ(host.reg(5), 0x2C);

    EXPECT_EQ(host.smart(0xF8, 0xF6, 0xB9), kReady) << "the IBM/Hitachi family's vendor switch";
    host.use(0x170, 0x376);
    EXPECT_EQ(host.smart(0xF8, 0xF6, 0xB9), kAborted) << "other families refuse it";
}
