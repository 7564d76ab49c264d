#include "platform/AtaCommandTable.h"
#include "platform/host/HostPortIo.h"
#include "support/TestApp.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <fstream>
#include <thread>
#include <unistd.h>

using namespace korvane;
using testsupport::TestApp;

namespace {

struct Commands : ::testing::Test {
    TestApp t;
    shell::App& app = *t.app;
    access::DriveCommands& cmd = app.commands;
    access::DriveSession& s = app.session;

    Commands() {
        t.usePio(0x1F0, 0x3F6);
        app.clockControls.recomputeTimeouts();
    }
    sim::AtaDevice& drive() { return t.drive(0x1F0); }
    uint8_t lastCode() { return drive().commandsReceived().back().command; }
};

} // namespace

TEST_F(Commands, TwentyEightBitBoundary) {
    EXPECT_TRUE(cmd.issueSectorCommand(nullptr, 1, 0x40, 0x0FFFFFFF));
    app.pio.waitNotBusy();
    EXPECT_EQ(drive().commandsReceived().back().lba28(), 0x0FFFFFFFu);
    size_t sent = drive().commandsReceived().size();
    uint64_t before = t.clock.nowNs();
    EXPECT_FALSE(cmd.issueSectorCommand(nullptr, 1, 0x40, 0x10000000));
    EXPECT_TRUE(s.lba28Overflow);
    EXPECT_EQ(drive().commandsReceived().size(), sent) << "nothing reaches the drive";
    EXPECT_GE(t.clock.nowNs() - before, 500'000'000ull);
    EXPECT_TRUE(cmd.issueSectorCommand(nullptr, 1, 0x40, 0));
    EXPECT_FALSE(s.lba28Overflow) << "cleared by the next command";
}

TEST_F(Commands, FortyEightBitCodes) {
    s.lba48 = true;
    const std::pair<uint8_t, uint8_t> table[] = {{0x20, 0x24}, {0x30, 0x34}, {0x40, 0x42}, {0x70, 0x42},
                                                 {0xF8, 0x27}, {0xF9, 0x37}, {0x10, 0x00}, {0x22, 0x00}};
    for (auto [code, sent] : table) {
        EXPECT_EQ(access::DriveCommands::code48(code), sent);
    }
    cmd.issueSectorCommand(nullptr, 1, 0x70, 0x123456789ull);
    app.pio.waitNotBusy();
    EXPECT_EQ(lastCode(), 0x42) << "SEEK goes as READ VERIFY SECTORS EXT";
    EXPECT_EQ(drive().commandsReceived().back().lba48(), 0x123456789ull);
    cmd.issueSectorCommand(nullptr, 1, 0x10, 0);
    app.pio.waitNotBusy();
    EXPECT_EQ(lastCode(), 0x10) << "a command without an address goes as it is, not as NOP";
    size_t sent = drive().commandsReceived().size();
    EXPECT_FALSE(cmd.issueSectorCommand(nullptr, 1, 0x22, 5)) << "READ LONG has no 48-bit form: refused";
    EXPECT_EQ(drive().commandsReceived().size(), sent) << "nothing reached the drive";
}

TEST(AtaCommandTable, TwinsAreFortyEightBitAndTheLabAgrees) {
    for (int c = 0; c < 256; ++c) {
        const auto& info = platform::ataCommand(uint8_t(c));
        if (!info.twin48) continue;
        EXPECT_TRUE(platform::ataCommand(info.twin48).is48) << std::hex << c;
        EXPECT_FALSE(info.is48) << std::hex << c;
        EXPECT_EQ(platform::ataCommand(info.twin48).data, info.data) << std::hex << c << " moves data as its twin";
    }
    EXPECT_FALSE(platform::ataCommand(0x00).known());
    EXPECT_STREQ(platform::ataCommand(0x25).name, nullptr) << "READ DMA EXT is not one of ours";
}

TEST_F(Commands, OneSectorReadsAndWritesInPio) {
    uint8_t* sector = s.buffers.sectorBytes();
    for (int i = 0; i < 512; ++i) sector[i] = uint8_t(i ^ 0x5A);
    std::vector<uint8_t> written(sector, sector + 512);
    ASSERT_TRUE(cmd.writeOneSector(3000));
    std::memset(sector, 0, 512);
    ASSERT_TRUE(cmd.readOneSector(3000));
    EXPECT_EQ(std::vector<uint8_t>(sector, sector + 512), written);
    ASSERT_TRUE(cmd.readOneSector2(3000));
    EXPECT_EQ(std::vector<uint8_t>(s.buffers.sectorBuffer2, s.buffers.sectorBuffer2 + 512), written);
    EXPECT_EQ(drive().commandsReceived()[drive().commandsReceived().size() - 3].command, 0x40)
        << "a write is followed by a verify";
    EXPECT_FALSE(cmd.readOneSector(123456)) << "an unreadable sector";
}

TEST_F(Commands, WriteOneSectorIgnoresTheFollowUpVerify) {
    drive().makeWeak(4000); // takes the data, cannot give it back
    EXPECT_TRUE(cmd.writeOneSector(4000));
    EXPECT_EQ(lastCode(), 0x40);
    EXPECT_TRUE(drive().commandsReceived().size() >= 2);
    EXPECT_FALSE(cmd.readOneSector(4000));
}

TEST_F(Commands, RemapPatternAndClearBuffer) {
    std::memset(s.buffers.sectorBuffer, 0xFF, sizeof s.buffers.sectorBuffer);
    cmd.fillRemapPattern();
    const uint8_t* bytes = s.buffers.sectorBytes();
    for (int i = 0; i < 64; ++i) EXPECT_EQ(std::memcmp(bytes + 8 * i, "REMAP!!!", 8), 0);
    for (int w = 256; w <= 259; ++w) EXPECT_EQ(s.buffers.sectorBuffer[w], 0);
    EXPECT_EQ(s.buffers.sectorBuffer[260], 0xFFFF);
}

TEST_F(Commands, ApiModeWithoutItsPathFailsAndClearBreakResetsTheIndicators) {
    s.accessMode = access::AccessMode::Api;
    EXPECT_FALSE(cmd.readOneSector(0));
    app.form.commands.BreakLed.setColour(form::colours::Lime);
    app.form.Application.setCaption("Korvane 12%");
    s.breakRequested = true;
    int latches = 0;
    cmd.onClearBreak = [&] { ++latches; };
    cmd.clearBreak();
    EXPECT_FALSE(s.breakRequested);
    EXPECT_EQ(app.form.commands.BreakLed.colour(), form::colours::Grey);
    EXPECT_EQ(app.form.Application.caption(), "Korvane ");
    EXPECT_EQ(latches, 1);
}

TEST_F(Commands, UserPauseOutlastsTheBracket) {
    using W = access::WorkerGate::Worker;
    access::WorkerGate& gate = app.gate;
    gate.started(W::Seek);
    std::atomic<int> passes{0};
    std::atomic<bool> stop{false};
    std::thread worker([&] {
        while (!stop) {
            gate.holdPoint(W::Seek);
            ++passes;
        }
        gate.finished(W::Seek);
    });
    gate.setUserPause(W::Seek, true);
    while (!gate.held(W::Seek)) std::this_thread::yield();
    int atPause = passes;
    { auto bracket = app.commands.bracket(); }
    EXPECT_TRUE(gate.held(W::Seek)) << "the user's pause stays";
    EXPECT_EQ(passes, atPause);
    stop = true;
    gate.releaseAll();
    worker.join();
    EXPECT_FALSE(gate.running(W::Seek));
}

TEST_F(Commands, PortAccessRefusedByTheSystem) {
    t.lab->grantsPorts = false;
    EXPECT_FALSE(app.portDriver.openPortDriver());
    auto m = t.messages();
    ASSERT_GE(m.size(), 2u);
    EXPECT_EQ(m[m.size() - 2], "[AllowIO]You must have administrator rights");
    EXPECT_EQ(m.back(), "PORTTALK Error. Invalid driver handle");
    t.lab->grantsPorts = true;
    EXPECT_TRUE(app.portDriver.openPortDriver());
}

TEST(HostPortIo, GrantsAccessOrSaysWhy) {
    platform::HostPortIo ports;
    std::string why;
    if (!ports.grantAllPorts(why)) {
        EXPECT_FALSE(why.empty());
        EXPECT_EQ(ports.inb(0x61), 0xFF) << "without access nothing touches a port";
        GTEST_SKIP() << "the kernel refuses port access here: " << why;
    }
    // Port 61h (the speaker gate) can be read harmlessly on any PC.
    uint8_t a = ports.inb(0x61);
    uint8_t b = ports.inb(0x61);
    EXPECT_EQ(a & 0x03, b & 0x03);
}

namespace {
size_t residentBytes() {
    std::ifstream statm("/proc/self/statm");
    size_t size = 0, resident = 0;
    statm >> size >> resident;
    return resident * size_t(sysconf(_SC_PAGESIZE));
}
} // namespace

TEST(SharedBuffers, TransferBuffersAreZeroedPagesThatCostNothingUntilUsed) {
    size_t before = residentBytes();
    auto session = std::make_unique<access::DriveSession>();
    size_t after = residentBytes();
    EXPECT_LT(after - std::min(after, before), size_t(8) << 20) << "64 MiB of buffers became resident at once";
    auto& b = session->buffers;
    EXPECT_EQ(reinterpret_cast<uintptr_t>(b.transferBuffer()) % 4096, 0u) << "direct I/O needs page alignment";
    EXPECT_EQ(reinterpret_cast<uintptr_t>(b.patternBuffer()) % 4096, 0u);
    const size_t last = access::SharedBuffers::kTransferBytes - 1;
    EXPECT_EQ(b.transferBuffer()[0] | b.transferBuffer()[last] | b.patternBuffer()[last / 2], 0);
}
