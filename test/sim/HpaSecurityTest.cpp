#include "support/LabHost.h"

#include <gtest/gtest.h>

using namespace korvane;
using namespace korvane::platform;
using testsupport::LabHost;
using testsupport::securityBlock;

namespace {
constexpr uint8_t kReady = status::DRDY | status::DSC;
constexpr uint8_t kAborted = kReady | status::ERR;

uint64_t identifySize(LabHost& host) {
    return IdentifyBlock::fromBytes(host.identify().data()).qword(100);
}
} // namespace

TEST(HostProtectedArea, ReadNativeMaxAndSetMaxFollowTheRules) {
    LabHost host;
    host.waitNotBusy();
    host.command48(0x27, 0, 0);
    host.waitNotBusy();
    EXPECT_EQ(host.status(), kReady);
    EXPECT_EQ(host.lbaRegisters48(), 976773168u - 1);
    EXPECT_EQ(identifySize(host), 976000000u);

    // SET MAX must follow READ NATIVE MAX directly.
    host.nonData(0xE5, 0, 0, 0, 0xA0);
    host.waitNotBusy();
    host.command48(0x37, 900000000 - 1, 1);
    host.waitNotBusy();
    EXPECT_EQ(host.status(), kAborted);

    // An address beyond the native size is IDNF.
    host.command48(0x27, 0, 0);
    host.waitNotBusy();
    host.command48(0x37, 976773168, 1);
    host.waitNotBusy();
    EXPECT_EQ(host.error(), error::IDNF);

    host.command48(0x27, 0, 0);
    host.waitNotBusy();
    host.command48(0x37, 900000000 - 1, 0); // VV clear: volatile
    host.waitNotBusy();
    EXPECT_EQ(host.status(), kReady);
    EXPECT_EQ(identifySize(host), 900000000u);
    host.command48(0x42, 900000000, 1);
    host.waitNotBusy();
    EXPECT_EQ(host.error(), error::IDNF) << "beyond the new size";

    // Once per power cycle.
    host.command48(0x27, 0, 0);
    host.waitNotBusy();
    host.command48(0x37, 950000000 - 1, 1);
    host.waitNotBusy();
    EXPECT_EQ(host.status(), kAborted);

    host.powerCycle();
    EXPECT_EQ(identifySize(host), 976000000u) << "a volatile size is gone after power-off";

    host.command48(0x27, 0, 0);
    host.waitNotBusy();
    host.command48(0x37, 976773168 - 1, 1); // VV set: permanent, the whole native size
    host.waitNotBusy();
    host.powerCycle();
    EXPECT_EQ(identifySize(host), 976773168u);
}

TEST(HostProtectedArea, TwentyEightBitFormsLimitTheAddress) {
    LabHost host;
    host.use(0x170, 0x376);
    EXPECT_EQ(host.nonData(0xF8, 0, 0, 0, 0xE0), kReady);
    EXPECT_EQ(host.lbaRegisters28(), 40031712u - 1);
    host.waitNotBusy();
    host.command28(0xF9, 30000000 - 1, 1);
    host.waitNotBusy();
    EXPECT_EQ(host.status(), kReady);
    EXPECT_EQ(IdentifyBlock::fromBytes(host.identify().data()).dword(60), 30000000u);
}

TEST(Security, ALockedDriveRefusesMediaUntilUnlockedAndCountsFailedAttempts) {
    LabHost host;
    host.use(0xD400, 0xD802, true); // the locked drive
    auto& sec = host.drive().security();
    ASSERT_TRUE(sec.locked());
    EXPECT_EQ(IdentifyBlock::fromBytes(host.identify().data()).word(128) & 0x0007, 0x0007);
    EXPECT_EQ(host.nonData(0x40, 0, 1), kAborted);

    for (int i = 0; i < 5; ++i) EXPECT_EQ(host.dataOut(0xF2, securityBlock("wrong", false)), kAborted);
    EXPECT_TRUE(sec.countExpired());
    EXPECT_TRUE(IdentifyBlock::fromBytes(host.identify().data()).bit(128, 4));
    EXPECT_EQ(host.dataOut(0xF2, securityBlock("user123", false)), kAborted) << "expired until power-off";

    host.powerCycle();
    EXPECT_EQ(host.dataOut(0xF2, securityBlock("user123", false)), kReady);
    EXPECT_FALSE(sec.locked());
    EXPECT_EQ(host.nonData(0x40, 0, 1), kReady);
    host.powerCycle();
    EXPECT_TRUE(sec.locked()) << "a password-protected drive locks at every power-on";
    EXPECT_EQ(host.dataOut(0xF2, securityBlock("KORVANE-MASTER", true)), kReady) << "High level: master unlocks";
}

TEST(Security, SetFreezeDisableAndMaximumLevel) {
    LabHost host;
    auto& sec = host.drive().security();
    EXPECT_EQ(host.dataOut(0xF1, securityBlock("secret", false, true)), kReady);
    EXPECT_TRUE(sec.enabled());
    EXPECT_TRUE(sec.levelMax());
    EXPECT_FALSE(sec.locked()) << "setting a password does not lock until power-off";
    host.powerCycle();
    EXPECT_EQ(host.dataOut(0xF2, securityBlock("KORVANE-MASTER", true)), kAborted) << "Maximum: master cannot unlock";
    EXPECT_EQ(host.dataOut(0xF2, securityBlock("secret", false)), kReady);
    EXPECT_EQ(host.dataOut(0xF6, securityBlock("KORVANE-MASTER", true)), kAborted);

    EXPECT_EQ(host.nonData(0xF5, 0, 0, 0, 0xA0), kReady);
    EXPECT_TRUE(sec.frozen());
    EXPECT_EQ(host.dataOut(0xF6, securityBlock("secret", false)), kAborted) << "frozen";
    host.powerCycle();
    EXPECT_EQ(host.dataOut(0xF2, securityBlock("secret", false)), kReady);
    EXPECT_EQ(host.dataOut(0xF6, securityBlock("secret", false)), kReady);
    EXPECT_FALSE(sec.enabled());
    EXPECT_EQ(IdentifyBlock::fromBytes(host.identify().data()).word(128) & 0x01FF, 0x0021);
}

TEST(Security, EraseUnitNeedsPrepareTakesTheAnnouncedTimeAndClearsEverything) {
    LabHost host;
    auto& drive = host.drive();
    std::vector<uint8_t> data(512, 0xAB);
    ASSERT_TRUE(host.writeSectors(100, data));
    EXPECT_EQ(host.dataOut(0xF1, securityBlock("pw", false)), kReady);

    EXPECT_EQ(host.dataOut(0xF4, securityBlock("pw", false)), kAborted) << "no erase prepare";
    EXPECT_EQ(host.nonData(0xF3, 0, 0, 0, 0xA0), kReady);
    host.nonData(0xE5, 0, 0, 0, 0xA0);
    EXPECT_EQ(host.dataOut(0xF4, securityBlock("pw", false)), kAborted) << "prepare must come directly before";

    host.nonData(0xF3, 0, 0, 0, 0xA0);
    uint64_t before = host.clock.nowNs();
    host.waitNotBusy();
    host.command28(0xF4, 0, 1, 0, 0xA0);
    ASSERT_TRUE(host.waitDrq());
    host.writeData(securityBlock("pw", false));
    ASSERT_TRUE(host.waitNotBusy(10000000));
    EXPECT_EQ(host.status(), kReady);
    uint16_t word89 = IdentifyBlock::fromBytes(host.identify().data()).word(89);
    EXPECT_GE(host.clock.nowNs() - before, uint64_t(word89 & 0x7FFF) * 2 * 60'000'000'000ull);
    EXPECT_FALSE(drive.security().enabled()) << "the user password is gone";
    EXPECT_EQ(host.readSectors(100, 1), std::vector<uint8_t>(512, 0));
    EXPECT_FALSE(drive.unreadable(123456)) << "every sector was rewritten";
}
