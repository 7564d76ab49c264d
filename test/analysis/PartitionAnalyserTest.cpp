#include "access/SizeFormat.h"
#include "analysis/PartitionAnalyser.h"
#include "support/TestApp.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

using namespace korvane;

namespace {

using Rows = std::vector<std::vector<std::string>>;

// A table sector: entries of (boot, type, start, count), then the signature.
std::array<uint8_t, 512> table(std::initializer_list<std::array<uint32_t, 4>> entries, uint16_t signature = 0xAA55) {
    std::array<uint8_t, 512> s{};
    size_t k = 0;
    for (const auto& e : entries) {
        uint8_t* p = &s[446 + 16 * k++];
        p[0] = uint8_t(e[0]);
        p[4] = uint8_t(e[1]);
        for (int i = 0; i < 4; ++i) {
            p[8 + i] = uint8_t(e[2] >> (8 * i));
            p[12 + i] = uint8_t(e[3] >> (8 * i));
        }
    }
    s[510] = uint8_t(signature);
    s[511] = uint8_t(signature >> 8);
    return s;
}

struct Partitions : ::testing::Test {
    testsupport::TestApp t;
    shell::App& app = *t.app;
    form::PartitionGroup& g = app.form.advanced.partitions;
    std::shared_ptr<sim::AtaDevice> disk;

    // A blank drive of 8,000,000 sectors alone on its own channel, in PIO.
    void blankDrive() {
        sim::DriveProfile p;
        p.model = "LAB PARTITIONS";
        p.serial = "PT-0001";
        p.nativeSectors = 8000000;
        disk = t.lab->addDrive(p);
        t.lab->addChannel("ptest", 0x1E8, 0x3EE).attach(0, disk);
        t.startPio(0x1E8, 0x3EE);
        app.form.commands.PasspBtn.click();
    }
    void put(uint64_t lba, const std::array<uint8_t, 512>& s) { disk->store().preload(lba, s.data(), 1); }
    Rows rows() const {
        Rows out;
        for (size_t r = 0; r < g.PartList.rowCount(); ++r) {
            auto row = g.PartList.row(r);
            out.emplace_back(row.begin() + 1, row.end());
        }
        return out;
    }
    bool logged(const std::string& line) const {
        auto m = t.messages();
        return std::find(m.begin(), m.end(), line) != m.end();
    }
    std::string size(uint64_t sectors) const { return access::formatSize(512, sectors); }
};

} // namespace

TEST_F(Partitions, TheLabDriveWithItsExtendedChainLabelsAndFreeSpace) {
    t.startPio(0x1F0, 0x3F6);
    app.form.commands.PasspBtn.click();
    ASSERT_EQ(g.PartBtn.caption(), "View part data");
    g.PartBtn.click();
    EXPECT_EQ(rows(), (Rows{{"1", "Yes", "NTFS", "2048", "206847", size(204800), " -"},
                            {"2", "Not", "FAT-32", "206848", "42149887", size(41943040), "KORVANE"},
                            {"3", "Not", "NTFS", "42151936", "147009535", size(104857600), " -"},
                            {"4", "Not", "FAT-16 New", "147011584", "151205887", size(4194304), "OLDFAT16"},
                            {"5", "Not", "free space", "151205888", "975999999", size(824794112), " -"}}));
    EXPECT_TRUE(logged("Partinion analizer v1.1"));
    EXPECT_TRUE(logged("Found abstract MBR, LBA 42149888"));
    EXPECT_TRUE(logged("Found abstract MBR, LBA 104859648")) << "a link, relative to the first extended table";
    EXPECT_EQ(g.MbrLed.colour(), form::colours::Lime);
    // The MBR copy in the logs folder, byte for byte.
    std::ifstream copy(app.partitionAnalyser.mbrCopyPath(), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(copy)), std::istreambuf_iterator<char>());
    ASSERT_EQ(bytes.size(), 512u);
    EXPECT_EQ(app.partitionAnalyser.mbrCopyPath(), app.eventLog.logDirectory() + app.passport.Serial + ".mbr");
    EXPECT_EQ(uint8_t(bytes[510]), 0x55);
    EXPECT_EQ(uint8_t(bytes[446 + 4]), 0x07);

    const std::string text = app.partitionAnalyser.copyText();
    EXPECT_EQ(text.substr(0, text.find("\n1 ")),
              std::string(63, '-') + "\nN  Boot System         Start LBA   End LBA   Size      Name\n" + std::string(63, '-'));
    EXPECT_NE(text.find("\n2  Not  FAT-32          206848    42149887     " + size(41943040) + "   KORVANE\n"),
              std::string::npos)
        << text;
    g.PartMenu.item(1).click();
    EXPECT_EQ(g.PartList.rowCount(), 0u);
}

TEST_F(Partitions, TablesOfTheWalk) {
    blankDrive();
    uint8_t boot[512] = {};
    std::memcpy(boot + 71, "VOL\x01\x7Fone   ", 11); // a FAT32 label with control bytes
    disk->store().preload(2048, boot, 1);
    // The MBR: an NTFS volume, an extended partition, then an entry past it that is never read.
    put(0, table({{0x00, 0x07, 2048, 1000000}, {0x00, 0x0F, 3000000, 4000000}, {0x80, 0x83, 7000000, 1000}}));
    // The first extended table: a logical volume at +63, a link at +500000 (from the first table).
    put(3000000, table({{0x00, 0x06, 63, 1000}, {0x00, 0x05, 500000, 2000}}));
    // The second: an entry with an unknown boot byte, then one of an unknown type.
    put(3500000, table({{0x01, 0x07, 63, 100}, {0x00, 0x27, 200, 100}}));
    g.PartBtn.click();
    EXPECT_EQ(rows(), (Rows{{"1", "Not", "NTFS", "2048", "1002047", size(1000000), "VOL  one"},
                            {"2", "Not", "FAT-16 New", "3000063", "3001062", size(1000), " -"},
                            {"3", "Unk", "Unknown", "0", "0", "0", " -"},
                            {"3", "Not", "Unkn 27", "3500200", "3500299", size(100), " -"},
                            {"4", "Not", "free space", "3500300", "7999999", size(4499700), " -"}}));

    // A link back to a table already read: the walk stops and says so.
    put(3500000, table({{0x00, 0x05, 0, 10}}));
    g.PartBtn.click();
    EXPECT_TRUE(logged("The partition tables lead back to LBA 3000000: the walk stops there"));
    EXPECT_EQ(g.PartList.rowCount(), 3u);

    // "MBR OFF" signature, an empty table, an unreadable MBR.
    put(0, table({}, 0x88CC));
    g.PartBtn.click();
    EXPECT_EQ(g.MbrLed.colour(), form::colours::Red);
    EXPECT_EQ(t.lastMessage(), "Boot sector not found");
    disk->makeUnreadable(0);
    g.PartBtn.click();
    EXPECT_TRUE(logged("Error reading sector 0"));
    EXPECT_EQ(t.lastMessage(), "Error reading boot sector");
    EXPECT_EQ(g.MbrLed.colour(), form::colours::Grey);
}

TEST_F(Partitions, EntriesBeyondTheDiskOrWithoutSectorsAreNamedInTheLog) {
    blankDrive();
    put(0, table({{0x00, 0x83, 2048, 0}, {0x00, 0x83, 7999000, 5000}}));
    g.PartBtn.click();
    EXPECT_EQ(g.PartList.rowCount(), 2u) << "no free space after a partition past the end";
    EXPECT_TRUE(logged("Partition 1 has no sectors"));
    EXPECT_TRUE(logged("Partition 2 (LBA 7999000-8003999) reaches past the end of the disk"));
}

TEST_F(Partitions, AGuidTableAfterItsProtectiveEntryAndItsBackup) {
    t.startPio(0x170, 0x376); // start-up state, then API on the USB disk, which has a GPT
    app.form.header.APIRg.setItemIndex(0, form::Origin::User);
    auto& list = app.form.standard.api.ApiList;
    for (size_t r = 0; r < list.rowCount(); ++r)
        if (list.cell(r, 1) == "5") list.select(r, false, form::Origin::User);
    const uint64_t last = app.session.maxLba - 1;
    g.PartBtn.click();
    auto r = rows();
    ASSERT_EQ(r.size(), 4u);
    EXPECT_EQ(r[0][2], "Unkn EE");
    EXPECT_EQ(r[1], (std::vector<std::string>{"2", "Not", "EFI System", "2048", "206847", size(204800),
                                              "EFI system partition"}));
    EXPECT_EQ(r[2][2], "Linux");
    EXPECT_EQ(r[2][4], std::to_string(last - 34));
    EXPECT_EQ(r[2][6], "data");
    EXPECT_TRUE(logged("GUID partition table at LBA 1: 2 partitions"));

    // A damaged primary header: the backup at the last sector serves.
    auto& usb = *t.lab->disks()[5].device;
    uint8_t header[512];
    usb.store().read(1, 1, header);
    header[40] ^= 0xFF;
    usb.store().preload(1, header, 1);
    g.PartBtn.click();
    EXPECT_TRUE(logged("GPT header at LBA 1: bad header CRC"));
    EXPECT_TRUE(logged("GUID partition table at LBA " + std::to_string(last) + ": 2 partitions"));
    EXPECT_EQ(g.PartList.rowCount(), 4u);
}

TEST_F(Partitions, ASelectedRowOpensItsFirstSectorInTheView) {
    t.startPio(0x1F0, 0x3F6);
    app.form.commands.PasspBtn.click();
    g.PartBtn.click();
    app.form.advanced.sector.AdvSyncHexPV.setChecked(true, form::Origin::User);
    g.PartList.select(1, false, form::Origin::User);
    EXPECT_EQ(app.form.advanced.sector.HexeditIn.text(), "206848");
    EXPECT_EQ(app.form.advanced.sector.Label6.caption(), "Sec 206848");
    EXPECT_EQ(app.form.advanced.sector.HexE.data()[3], 'M') << "the FAT32 boot sector: MSDOS5.0";
}
