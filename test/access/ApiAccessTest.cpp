#include "platform/SystemErrors.h"
#include "sim/SatBridge.h"
#include "support/TestApp.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace korvane;
using namespace korvane::platform;
using testsupport::TestApp;

namespace {

// Disk devices that record what reaches them, and can refuse one form of request, the way a
// bridge or a driver would.
class RecordingDisks final : public DiskDevices {
public:
    explicit RecordingDisks(DiskDevices& inner) : inner_(inner) {}

    std::vector<uint8_t> opcodes;         // SCSI operation codes, in order
    std::vector<TaskFile> smartRegisters; // SMART requests as received
    bool refuse16 = false;                // ATA PASS-THROUGH(16) ends with ILLEGAL REQUEST
    uint32_t failWith = 0;                // every SCSI request fails with this system error
    bool capacityUnknown = false;         // READ CAPACITY answers FFFFFFFFh

    std::unique_ptr<DiskHandle> openPhysical(unsigned n, uint32_t& e) override { return wrap(inner_.openPhysical(n, e)); }
    std::unique_ptr<DiskHandle> openLogical(char l, uint32_t& e) override { return wrap(inner_.openLogical(l, e)); }
    std::vector<char> logicalDrives() override { return inner_.logicalDrives(); }
    LogicalDriveType driveType(char l) override { return inner_.driveType(l); }
    bool inUseBySystem(unsigned n) override { return inner_.inUseBySystem(n); }

private:
    class Handle final : public DiskHandle {
    public:
        Handle(RecordingDisks& owner, std::unique_ptr<DiskHandle> inner) : o_(owner), in_(std::move(inner)) {}
        uint32_t read(uint64_t off, void* b, uint32_t n, uint32_t& d) override { return in_->read(off, b, n, d); }
        uint32_t write(uint64_t off, const void* b, uint32_t n, uint32_t& d) override { return in_->write(off, b, n, d); }
        uint32_t size(uint64_t& b) override { return in_->size(b); }
        uint32_t geometry(DiskGeometry& g) override { return in_->geometry(g); }
        uint32_t smartRequest(TaskFile& r, uint8_t* d, uint32_t n) override {
            o_.smartRegisters.push_back(r);
            return in_->smartRequest(r, d, n);
        }
        uint32_t idePassThrough(TaskFile& r, uint8_t* d, uint32_t n, bool out) override {
            return in_->idePassThrough(r, d, n, out);
        }
        uint32_t scsiPassThrough(ScsiRequest& r) override {
            o_.opcodes.push_back(r.cdb[0]);
            if (o_.failWith) return o_.failWith;
            if (o_.refuse16 && r.cdb[0] == 0x85) {
                r.scsiStatus = 2;
                sim::SatBridge::fixedSense(r, 0x05, 0x20, 0x00);
                return 0;
            }
            uint32_t e = in_->scsiPassThrough(r);
            if (o_.capacityUnknown && r.cdb[0] == 0x25 && r.data) std::memset(r.data, 0xFF, 4);
            return e;
        }

    private:
        RecordingDisks& o_;
        std::unique_ptr<DiskHandle> in_;
    };
    std::unique_ptr<DiskHandle> wrap(std::unique_ptr<DiskHandle> h) {
        return h ? std::make_unique<Handle>(*this, std::move(h)) : nullptr;
    }
    DiskDevices& inner_;
};

struct Api : ::testing::Test {
    TestApp t;
    RecordingDisks recording{*t.disks};
    access::DriveSession& s = t.app->session;
    access::ApiAccess api{recording, s, t.facts, t.ui, t.app->logger()};

    Api() {
        s.ntFamily = true;
        s.accessMode = access::AccessMode::Api;
    }
    void select(uint8_t n) { s.apiDeviceNumber = n; }
    sim::AtaDevice& disk(size_t n) { return *t.lab->disks()[n].device; }
};

} // namespace

TEST_F(Api, DevicesOpenByNumberOrLetterAndOnlyOnTheRightSystem) {
    EXPECT_NE(api.openDevice(3, 'C'), nullptr);
    EXPECT_NE(api.openDevice(255, 'E'), nullptr);
    EXPECT_EQ(api.openDevice(255, 'Q'), nullptr);
    EXPECT_EQ(api.openDevice(42, 'C'), nullptr);
    s.ntFamily = false;
    EXPECT_EQ(api.openDevice(0, 'C'), nullptr);
}

TEST_F(Api, PositionedTransfersCheckTheEndAndSetTheActivityFlags) {
    auto h = api.openDevice(0, 'C');
    std::vector<uint8_t> block(512 * 2, 0x33);
    EXPECT_EQ(api.apiWriteSectors(h.get(), 2, block.data(), 512, 777), 1024u);
    std::vector<uint8_t> back(1024);
    EXPECT_EQ(api.apiReadSectors(h.get(), 2, back.data(), 512, 777), 1024u);
    EXPECT_EQ(back, block);
    EXPECT_TRUE(disk(0).store().writtenWithin(777, 2));
    EXPECT_EQ(api.apiReadSectors(h.get(), 1, back.data(), 512, 976000000), 0u) << "beyond the end";
    EXPECT_EQ(api.apiReadSectors(h.get(), 1, back.data(), 512, 123456), 0u) << "an unreadable sector";
    // An LBA whose byte offset wraps to sector 777 must not reach sector 777.
    const uint64_t wrapsTo777 = (uint64_t(1) << 55) + 777;
    std::vector<uint8_t> other(1024, 0x5A);
    EXPECT_EQ(api.apiWriteSectors(h.get(), 1, other.data(), 512, wrapsTo777), 0u);
    EXPECT_EQ(api.apiReadSectors(h.get(), 2, back.data(), 512, 777), 1024u);
    EXPECT_EQ(back, block) << "the absurd write landed on the drive";
    EXPECT_EQ(api.apiReadSectors(h.get(), 1, back.data(), 512, wrapsTo777), 0u);
    EXPECT_FALSE(s.readActive);
    EXPECT_FALSE(s.writeActive);
    disk(0).setPowered(false); // the device vanishes after the open
    EXPECT_EQ(api.apiReadSectors(h.get(), 1, back.data(), 512, 0), 0u);
}

TEST_F(Api, SmartRequestCarriesTheDriveHeadBitAndLogsOpenFailures) {
    EXPECT_TRUE(api.apiSmartCommand(1, 512, 0, 1, 1, 0, 0, 0xA0, 0xEC));
    ASSERT_FALSE(recording.smartRegisters.empty());
    EXPECT_EQ(recording.smartRegisters.back().device, 0xB0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(api.smartData()) + 54, 6), "aSsmnu")
        << "IDENTIFY data of the SSD, two characters a word";
    EXPECT_FALSE(api.apiSmartCommand(20, 512, 0, 1, 1, 0, 0, 0xA0, 0xEC));
    EXPECT_EQ(t.lastMessage(), "Unable to open physical drive #20");
    s.apiDriveLetter = 'Q';
    EXPECT_FALSE(api.apiSmartCommand(255, 0, 0xD8, 0, 0, 0x4F, 0xC2, 0xA0, 0xB0));
    EXPECT_EQ(t.lastMessage(), "Unable to open logical drive Q:");
    api.setNonAtaDrive(true);
    size_t before = recording.smartRegisters.size();
    EXPECT_FALSE(api.apiSmartCommand(0, 512, 0xD0, 1, 1, 0x4F, 0xC2, 0xA0, 0xB0));
    EXPECT_TRUE(api.apiSmartCommandAnyDrive(0, 512, 0xD0, 1, 1, 0x4F, 0xC2, 0xA0, 0xB0));
    EXPECT_EQ(recording.smartRegisters.size(), before + 1) << "only the reader's entry point went through";
    s.accessMode = access::AccessMode::Pio;
    EXPECT_FALSE(api.apiSmartCommandAnyDrive(0, 512, 0xD0, 1, 1, 0x4F, 0xC2, 0xA0, 0xB0));
}

TEST_F(Api, AtaCommandTriesTheTwelveByteFormOnlyAfterTheSixteenFails) {
    select(5); // the USB bridge
    EXPECT_TRUE(api.apiAtaCommand(5, 1, access::ApiAccess::Direction::In, 0, 1, 1, 0, 0, 0xA0, 0xEC));
    EXPECT_EQ(recording.opcodes, (std::vector<uint8_t>{0x85}));
    EXPECT_EQ(api.apiDataBuffer()[54], 'D') << "\"WDC WD10...\": the model's third character";
    recording.opcodes.clear();
    recording.refuse16 = true;
    EXPECT_TRUE(api.apiAtaCommand(5, 1, access::ApiAccess::Direction::In, 0, 1, 1, 0, 0, 0xA0, 0xEC));
    EXPECT_EQ(recording.opcodes, (std::vector<uint8_t>{0x85, 0xA1}));
    recording.opcodes.clear();
    EXPECT_FALSE(api.apiAtaCommand(6, 1, access::ApiAccess::Direction::In, 0, 1, 1, 0, 0, 0xA0, 0xEC))
        << "a non-ATA disk refuses both";
    EXPECT_EQ(recording.opcodes.size(), 2u);
}

TEST_F(Api, RegisterReadBackFillsTheReturnedTaskFile) {
    EXPECT_TRUE(api.apiAtaCommand(0, 0, access::ApiAccess::Direction::None, 0xDA, 0, 0, 0x4F, 0xC2, 0xA0, 0xB0));
    EXPECT_TRUE(api.apiAtaCommand(0, 0, access::ApiAccess::Direction::Registers, 0xDA, 0, 0, 0x4F, 0xC2, 0xA0, 0xB0));
    const auto& r = api.returnedTaskFile();
    EXPECT_EQ(r[4], 0x4F);
    EXPECT_EQ(r[5], 0xC2);
    EXPECT_EQ(r[7], 0x50) << "status";
}

TEST_F(Api, ARefusedRequestIsAFailureWhateverItsCode) {
    auto h = api.openDevice(0, 'C');
    const uint8_t cdb[6] = {0x00, 0, 0, 0, 0, 0};
    for (uint32_t code : {syserr::InvalidFunction, syserr::IoDevice}) {
        recording.failWith = code;
        EXPECT_NE(api.scsiRequest(h.get(), cdb, 6, ScsiRequest::Direction::None, nullptr, 0, 5), 0u) << code;
        EXPECT_EQ(api.satResult().systemError, code);
        uint32_t stored;
        std::memcpy(&stored, api.satResult().senseAndData.data(), 4);
        EXPECT_EQ(stored, code);
    }
    EXPECT_EQ(api.scsiRequest(nullptr, cdb, 6, ScsiRequest::Direction::None, nullptr, 0, 5), 5u);
}

TEST_F(Api, EveryRouteOfEveryLabVariant) {
    struct Case {
        uint8_t disk;
        bool smart, ide, sat, inquiry;
    };
    const Case cases[] = {{0, true, true, true, true},
                          {5, false, false, true, true},
                          {6, false, false, false, true},
                          {7, false, false, false, true},
                          {8, false, false, false, false}};
    for (const auto& c : cases) {
        select(c.disk);
        std::array<uint8_t, 8> regs{};
        EXPECT_EQ(api.apiSmartCommand(c.disk, 512, 0, 1, 1, 0, 0, 0xA0, 0xEC), c.smart) << int(c.disk);
        EXPECT_EQ(api.apiIdePassThrough(0, 0, 0, 0, 0, 0, 0xA0, 0xE5, regs), c.ide) << int(c.disk);
        EXPECT_EQ(api.apiAtaCommand(c.disk, 1, access::ApiAccess::Direction::In, 0, 1, 1, 0, 0, 0xA0, 0xEC), c.sat)
            << int(c.disk);
        auto h = api.openSelected();
        EXPECT_EQ(api.apiScsiInquiry(h.get()), c.inquiry) << int(c.disk);
    }
    select(6);
    auto h = api.openSelected();
    ASSERT_TRUE(api.apiScsiInquiry(h.get()));
    // Forty characters from byte 8 on: vendor, product, revision and the start of the serial field.
    EXPECT_EQ(api.scsiModel(), "SEAGATE ST3300657SS     00063SJ0ABCD");
    EXPECT_EQ(api.scsiRevision(), "0006");
    EXPECT_EQ(api.scsiSerial(), "not available") << "the serial field is padded with spaces";
    EXPECT_TRUE(api.apiStartStopUnit(h.get()));
    EXPECT_TRUE(disk(6).standby());
}

TEST_F(Api, GeometryFromReadCapacityOrFromTheDevice) {
    select(0);
    auto h = api.openSelected();
    access::ApiDriveSize g = api.apiGetGeometry(h.get());
    EXPECT_EQ(g.totalSectors, 976000000u);
    EXPECT_EQ(g.sectorsPerTrack, 63u);
    EXPECT_EQ(g.mediaType, 12u) << "completed from the device geometry";
    t.app->form.setup.presets.NoDriveTypeChk.setChecked(true);
    g = api.apiGetGeometry(h.get());
    EXPECT_EQ(g.tracksPerCylinder, 16u);
    EXPECT_EQ(g.cylinders, 976000000u / 1008);
    t.app->form.setup.presets.NoDriveTypeChk.setChecked(false);

    recording.capacityUnknown = true;
    g = api.apiGetGeometry(h.get());
    EXPECT_EQ(g.totalSectors, g.cylinders * 255 * 63) << "last LBA FFFFFFFFh: the size comes from the geometry";

    select(8); // the virtual disk answers no SCSI at all
    h = api.openSelected();
    g = api.apiGetGeometry(h.get());
    EXPECT_EQ(g.sectorsPerTrack, 47u);
    EXPECT_EQ(g.bytesPerSector, 512);
}

TEST_F(Api, SectorCommandsStampWritesAndVerify) {
    select(0);
    auto h = api.openSelected();
    s.stampWrites = true;
    t.facts.time = "10:11:12";
    t.facts.date = "10.12.2026";
    std::memset(s.buffers.transferBuffer(), 'x', 512 * 3);
    ASSERT_TRUE(api.issueSectorCommand(h.get(), 3, 0x30, 99));
    std::vector<uint8_t> sectors(512 * 3);
    disk(0).store().read(99, 3, sectors.data());
    for (int i = 0; i < 3; ++i) {
        std::string head(reinterpret_cast<char*>(sectors.data()) + 512 * i, 48);
        std::string lba = "LBA " + std::to_string(99 + i);
        EXPECT_EQ(head.substr(0, 16), lba + std::string(16 - lba.size(), ' '));
        EXPECT_EQ(head.substr(16, 16), "Time 10:11:12   ");
        EXPECT_EQ(head.substr(32, 16), "Date 10.12.2026 ");
        EXPECT_EQ(sectors[512 * i + 48], 'x') << "the rest of the sector keeps the buffer's bytes";
    }
    EXPECT_TRUE(api.issueSectorCommand(h.get(), 8, 0x40, 1000));
    EXPECT_FALSE(api.issueSectorCommand(h.get(), 8, 0x40, 123450)) << "a medium error is a failed verify";
    EXPECT_TRUE(api.issueSectorCommand(h.get(), 1, 0x70, 5));
    size_t sent = recording.opcodes.size();
    EXPECT_TRUE(api.issueSectorCommand(h.get(), 0, 0xF8, 0)) << "nothing to send in API mode";
    EXPECT_EQ(recording.opcodes.size(), sent);
    EXPECT_TRUE(api.issueSectorCommand(h.get(), 2, 0x20, 99));
    EXPECT_EQ(std::memcmp(s.buffers.transferBuffer(), "LBA 99", 6), 0);
}

TEST_F(Api, DriveCommandsUseTheApiPathInApiMode) {
    select(0);
    s.bytesPerSector = 512;
    uint8_t* sector = s.buffers.sectorBytes();
    std::memset(sector, 0xA7, 512);
    EXPECT_TRUE(t.app->commands.writeOneSector(4321));
    std::memset(sector, 0, 512);
    EXPECT_TRUE(t.app->commands.readOneSector(4321));
    EXPECT_EQ(sector[0], 0xA7);
    EXPECT_TRUE(t.app->commands.readOneSector2(4321));
    EXPECT_EQ(s.buffers.sectorBuffer2[511], 0xA7);
    EXPECT_FALSE(t.app->commands.readOneSector(123456));
}

TEST_F(Api, SectorCommandsThisRouteCannotCarryAreRefusedNotReportedDone) {
    auto h = api.openDevice(0, 'C');
    EXPECT_TRUE(api.issueSectorCommand(h.get(), 1, 0x10, 0)) << "RECALIBRATE: nothing to carry";
    EXPECT_FALSE(api.issueSectorCommand(h.get(), 1, 0x22, 5)) << "READ LONG has no API form";
    EXPECT_FALSE(api.issueSectorCommand(h.get(), 1, 0x00, 5)) << "an unknown code";
    EXPECT_FALSE(disk(0).store().writtenWithin(0, 100));
}
