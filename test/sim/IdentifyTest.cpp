#include "support/LabHost.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace korvane;
using namespace korvane::platform;
using testsupport::LabHost;

namespace {

std::string trimmed(std::string s) {
    size_t e = s.find_last_not_of(' ');
    return e == std::string::npos ? std::string() : s.substr(0, e + 1);
}

IdentifyBlock realBlock(const std::string& name) {
    std::ifstream in(std::string(KORVANE_TEST_DATA) + "/" + name, std::ios::binary);
    uint8_t bytes[512] = {};
    in.read(reinterpret_cast<char*>(bytes), 512);
    EXPECT_EQ(in.gcount(), 512) << name;
    return IdentifyBlock::fromBytes(bytes);
}

} // namespace

TEST(Identify, EveryChannelDriveGivesASealedBlockMatchingItsProfile) {
    LabHost host;
    for (auto& [name, channel] : host.lab->channels()) {
        for (int i = 0; i < 2; ++i) {
            sim::AtaDevice* d = channel->device(i);
            if (!d) continue;
            host.use(channel->base(), channel->alt(), i == 1);
            auto bytes = host.identify();
            ASSERT_EQ(bytes.size(), 512u) << name << i;
            auto b = IdentifyBlock::fromBytes(bytes.data());
            const auto& p = d->profile();
            SCOPED_TRACE(p.model);
            EXPECT_TRUE(b.checksumValid());
            EXPECT_EQ(trimmed(b.string(27, 20)), p.model);
            EXPECT_EQ(trimmed(b.string(10, 10)), p.serial);
            EXPECT_EQ(trimmed(b.string(23, 4)), p.firmware);
            EXPECT_EQ(b.bit(49, 9), p.lba);
            EXPECT_EQ(b.bit(83, 10), p.lba48);
            EXPECT_EQ(b.dword(60), uint32_t(std::min<uint64_t>(d->currentMax(), 0x0FFFFFFF)));
            if (p.lba48) {
                EXPECT_EQ(b.qword(100), d->currentMax());
            }
            EXPECT_EQ(b.bit(82, 10), p.hpa);
            EXPECT_EQ(b.bit(83, 9), p.aam);
            EXPECT_EQ(b.word(76) != 0, p.sata);
            EXPECT_EQ(b.word(217), p.rotationRate);
            EXPECT_EQ(b.bit(128, 0), p.security);
            EXPECT_EQ(b.bit(128, 2), !p.userPassword.empty());
            if (p.udmaMax >= 0) {
                EXPECT_EQ(b.word(88) & 0x7F, (1 << (p.udmaMax + 1)) - 1);
            }
        }
    }
}

TEST(Identify, TheSsdProfileAgreesWithTheRealDriveOfThatModel) {
    IdentifyBlock real = realBlock("Samsung_SSD_860_EVO_500GB.identify.bin");
    LabHost host;
    host.use(0xD400, 0xD802);
    IdentifyBlock lab = IdentifyBlock::fromBytes(host.identify().data());
    EXPECT_TRUE(real.checksumValid());
    EXPECT_EQ(trimmed(lab.string(27, 20)), trimmed(real.string(27, 20)));
    EXPECT_EQ(lab.qword(100), real.qword(100)) << "capacity";
    EXPECT_EQ(lab.dword(60), real.dword(60));
    EXPECT_EQ(lab.word(217), real.word(217)) << "non-rotating";
    EXPECT_EQ(lab.bit(169, 0), real.bit(169, 0)) << "TRIM";
    // Word 106 differs on purpose: the lab's SSD reports 4096-byte physical sectors (the real one
    // reports 512), so that the physical sector size is exercised; both mark the word valid.
    EXPECT_EQ(lab.word(106) & 0xC000, real.word(106) & 0xC000);
    for (unsigned bit : {0u, 1u, 10u, 12u, 13u}) EXPECT_EQ(lab.bit(82, bit), real.bit(82, bit)) << "82." << bit;
    for (unsigned bit : {10u, 12u, 13u}) EXPECT_EQ(lab.bit(83, bit), real.bit(83, bit)) << "83." << bit;
    EXPECT_EQ(lab.word(88) & 0x7F, real.word(88) & 0x7F) << "UDMA modes supported";
    EXPECT_EQ(lab.bit(76, 2), real.bit(76, 2)) << "SATA gen 2";
    EXPECT_EQ(lab.bit(128, 0), real.bit(128, 0));
}

TEST(Identify, TheMainDriveCarriesARealLookingPartitionTable) {
    LabHost host;
    auto mbr = host.readSectors(0, 1);
    ASSERT_EQ(mbr.size(), 512u);
    EXPECT_EQ(mbr[510], 0x55);
    EXPECT_EQ(mbr[511], 0xAA);
    auto startOf = [](const std::vector<uint8_t>& s, int k) {
        const uint8_t* e = &s[446 + 16 * k + 8];
        return uint32_t(e[0] | e[1] << 8 | e[2] << 16 | uint32_t(e[3]) << 24);
    };
    EXPECT_EQ(mbr[446 + 4], 0x07);
    EXPECT_EQ(mbr[446], 0x80);
    EXPECT_EQ(mbr[446 + 16 + 4], 0x0C);
    EXPECT_EQ(mbr[446 + 32 + 4], 0x0F);
    auto fat32 = host.readSectors(startOf(mbr, 1), 1);
    EXPECT_EQ(std::string(fat32.begin() + 71, fat32.begin() + 82), "KORVANE    ");
    uint32_t ext = startOf(mbr, 2);
    auto ebr = host.readSectors(ext, 1, true);
    EXPECT_EQ(ebr[446 + 4], 0x07);
    EXPECT_EQ(ebr[446 + 16 + 4], 0x05);
    auto ebr2 = host.readSectors(ext + startOf(ebr, 1), 1, true);
    auto fat16 = host.readSectors(ext + startOf(ebr, 1) + startOf(ebr2, 0), 1, true);
    EXPECT_EQ(std::string(fat16.begin() + 43, fat16.begin() + 51), "OLDFAT16");
}
