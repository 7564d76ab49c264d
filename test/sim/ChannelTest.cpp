#include "support/LabHost.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace korvane;
using namespace korvane::platform;
using testsupport::LabHost;

namespace {
constexpr uint8_t kReady = status::DRDY | status::DSC;
}

TEST(IdeChannel, EmptyChannelsFloatAndAnAbsentSlaveReadsZero) {
    LabHost empty("empty");
    empty.use(0x1F0, 0x3F6);
    EXPECT_EQ(empty.status(), 0xFF);
    EXPECT_EQ(empty.reg(2), 0xFF);
    LabHost host;
    host.use(0x1F0, 0x3F6, true); // the primary channel has no slave
    host.ports->outb(0x1F6, 0xB0);
    EXPECT_EQ(host.status(), 0x00);
    EXPECT_EQ(host.ports->inb(0x1234), 0xFF) << "ports nothing claims";
}

TEST(IdeChannel, DeviceSelectAddressesMasterAndSlave) {
    LabHost host;
    host.use(0x170, 0x376, true);
    auto slave = platform::IdentifyBlock::fromBytes(host.identify().data());
    host.use(0x170, 0x376, false);
    auto master = platform::IdentifyBlock::fromBytes(host.identify().data());
    EXPECT_EQ(slave.string(27, 20).substr(0, 18), "WDC WD800JB-00JJC0");
    EXPECT_EQ(master.string(27, 20).substr(0, 19), "FUJITSU MPG3204AT E");
}

TEST(IdeChannel, SoftResetGivesTheSignature) {
    LabHost host;
    host.ports->outb(host.alt, control::SRST);
    EXPECT_TRUE(host.status() & status::BSY);
    host.ports->outb(host.alt, 0x00);
    ASSERT_TRUE(host.waitNotBusy());
    EXPECT_EQ(host.status(), kReady);
    EXPECT_EQ(host.error(), 0x01);
    EXPECT_EQ(host.reg(2), 0x01);
    EXPECT_EQ(host.reg(3), 0x01);
    EXPECT_EQ(host.reg(4), 0x00);
    EXPECT_EQ(host.reg(5), 0x00);
}

TEST(IdeChannel, RegistersEchoAndHobReadsThePreviousBytes) {
    LabHost host;
    host.ports->outb(0x1F2, 0x55);
    host.ports->outb(0x1F3, 0xAA);
    EXPECT_EQ(host.reg(2), 0x55);
    EXPECT_EQ(host.reg(3), 0xAA);
    host.ports->outb(0x1F3, 0x11);
    host.ports->outb(host.alt, control::HOB);
    EXPECT_EQ(host.reg(3), 0xAA);
    host.ports->outb(host.alt, 0x00);
    EXPECT_EQ(host.reg(3), 0x11);

    host.drive().faults.echoFails = true;
    host.ports->outb(0x1F2, 0x55);
    EXPECT_NE(host.reg(2), 0x55);
}

TEST(IdeChannel, FaultsStuckBusyMissingDrqAndADriveThatLeaves) {
    LabHost stuck;
    stuck.drive().faults.stuckBusy = true;
    stuck.command28(0x40, 0, 1);
    EXPECT_FALSE(stuck.waitNotBusy(2000));
    EXPECT_GE(stuck.clock.nowNs(), 2000ull * 1000000) << "time passes while a host polls";

    LabHost noDrq;
    noDrq.drive().faults.noDrq = true;
    noDrq.command28(0xEC, 0, 1, 0, 0xA0);
    EXPECT_FALSE(noDrq.waitDrq(1000));

    LabHost gone;
    gone.drive().faults.disappearAfterWords = 100;
    gone.command28(0x20, 0, 2);
    ASSERT_TRUE(gone.waitDrq());
    gone.readData(512);
    EXPECT_EQ(gone.status(), 0xFF) << "the channel floats once the drive has gone";
}

TEST(IdeChannel, ThirtyTwoBitDataTransfersMoveTwoWordsEach) {
    LabHost host;
    std::vector<uint8_t> data(512);
    for (size_t i = 0; i < data.size(); ++i) data[i] = uint8_t(i);
    ASSERT_TRUE(host.writeSectors(7, data));
    host.waitNotBusy();
    host.command28(0x20, 7, 1);
    ASSERT_TRUE(host.waitDrq());
    std::vector<uint32_t> dwords(128);
    host.ports->insd(host.base, dwords.data(), dwords.size());
    EXPECT_EQ(dwords[0], 0x03020100u);
    EXPECT_EQ(dwords[127], 0xFFFEFDFCu);
}

TEST(Lab, PowerAdaptorSwitchesTheDrivesOfItsChannel) {
    LabHost host;
    EXPECT_EQ(host.ports->inb(0x1F0 + 0x16), 0x01);
    host.ports->outb(0x1F0 + 0x16, 0x00);
    EXPECT_EQ(host.ports->inb(0x1F0 + 0x16), 0x00);
    EXPECT_EQ(host.status(), 0xFF) << "a drive without power does not answer";
    host.ports->outb(0x1F0 + 0x16, 0x01);
    EXPECT_EQ(host.status(), kReady);
}

TEST(Lab, PciConfigurationReadsAndAbsentFunctions) {
    LabHost host;
    auto read = [&](int bus, int dev, int fn, int reg) {
        host.ports->outd(0xCF8, 0x80000000u | bus << 16 | dev << 11 | fn << 8 | (reg & 0xFC));
        return host.ports->ind(0xCFC);
    };
    EXPECT_EQ(read(0, 31, 1, 0), 0x27DF8086u);
    EXPECT_EQ(read(0, 31, 1, 8) >> 8, 0x01018Au) << "IDE class, legacy programming interface";
    EXPECT_EQ(read(0, 9, 0, 0x10), 0xD401u) << "a native-mode controller's command-block BAR";
    EXPECT_EQ(read(0, 5, 0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(read(2, 0, 0, 0x0C) >> 16 & 0x80, 0x80u) << "multi-function header";
    EXPECT_EQ(read(2, 0, 1, 0), 0x2368197Bu);
}

TEST(Lab, SpeakerTonesAreRecordedAndPort61KeepsItsOtherBits) {
    LabHost host;
    uint8_t before = host.ports->inb(0x61);
    host.ports->outb(0x43, 0xB6);
    host.ports->outb(0x42, 0xF4);
    host.ports->outb(0x42, 0x01);
    host.ports->outb(0x61, uint8_t(before | 3));
    host.clock.advanceMs(200);
    host.ports->outb(0x61, before);
    ASSERT_EQ(host.lab->speaker().tones().size(), 1u);
    EXPECT_EQ(host.lab->speaker().tones()[0].divisor, 500);
    EXPECT_NEAR(double(host.lab->speaker().tones()[0].lengthNs), 200e6, 1e4) << "plus the port write itself";
    EXPECT_EQ(host.ports->inb(0x61), before);
}

TEST(IdeChannel, TheCommandRecordKeepsOnlyTheRecentCommands) {
    LabHost host;
    auto& drive = host.drive();
    const size_t sent = sim::AtaDevice::kCommandsKept + 500;
    uint64_t before = drive.commandsTotal();
    for (size_t i = 0; i < sent; ++i) {
        host.command28(0x40, uint32_t(i));
        ASSERT_TRUE(host.waitNotBusy());
    }
    EXPECT_EQ(drive.commandsReceived().size(), sim::AtaDevice::kCommandsKept);
    EXPECT_EQ(drive.commandsTotal() - before, sent);
    EXPECT_EQ(drive.commandsReceived().back().lba28(), uint32_t(sent - 1));
    EXPECT_EQ(drive.commandsReceived().front().lba28(), uint32_t(sent - sim::AtaDevice::kCommandsKept));
}

TEST(IdeChannel, TheDiskFaceAndTheRegistersShareOneLock) {
    LabHost host;
    host.use(0x1F0, 0x3F6);
    uint32_t err = 0;
    auto disk = host.disks->openPhysical(0, err); // the primary master, as a disk device
    ASSERT_NE(disk, nullptr);
    // A worker reads through the disk face while this thread drives the registers.
    std::atomic<bool> stop{false};
    std::atomic<int> reads{0};
    std::thread worker([&] {
        static uint8_t sector[512];
        for (uint64_t lba = 0; !stop; ++lba) {
            uint32_t done = 0;
            if (disk->read((lba % 1000) * 512, sector, 512, done) == 0) ++reads;
        }
    });
    for (int i = 0; i < 200; ++i) {
        host.command28(0x40, uint32_t(i));
        ASSERT_TRUE(host.waitNotBusy());
    }
    while (reads < 50) std::this_thread::yield();
    stop = true;
    worker.join();
    EXPECT_GE(reads, 50); // under the thread sanitizer this test reports any unlocked meeting
}
