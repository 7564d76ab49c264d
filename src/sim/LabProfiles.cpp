#include "sim/LabProfiles.h"

#include "sim/RealDriveProfile.h"

#include "platform/Crc32.h"

#include <cstdio>
#include <cstring>
#include <sstream>

namespace korvane::sim {

namespace {

// Attributes every profile starts from; raw values are counters unless said otherwise.
std::vector<SmartAttributeSpec> hddAttributes(uint64_t powerOnHours) {
    return {
        {1, 0x000F, 100, 100, 16, 0},
        {2, 0x0005, 136, 136, 54, 96},
        {3, 0x0007, 127, 127, 24, 0x0000019F},
        {4, 0x0012, 100, 100, 0, 1204},
        {5, 0x0033, 100, 100, 5, 0},
        {7, 0x000B, 100, 100, 67, 0},
        {8, 0x0005, 124, 124, 20, 33},
        {9, 0x0012, 97, 97, 0, powerOnHours},
        {10, 0x0013, 100, 100, 60, 0},
        {12, 0x0032, 100, 100, 0, 1180},
        {192, 0x0032, 100, 100, 0, 310},
        {193, 0x0012, 100, 100, 0, 1310},
        {194, 0x0002, 171, 171, 0, 0},
        {196, 0x0032, 100, 100, 0, 0},
        {197, 0x0022, 100, 100, 0, 0},
        {198, 0x0008, 100, 100, 0, 0},
        {199, 0x000A, 200, 200, 0, 0},
    };
}

std::vector<SmartAttributeSpec> ssdAttributes() {
    return {
        {5, 0x0033, 100, 100, 10, 0},     {9, 0x0032, 99, 99, 0, 2150},   {12, 0x0032, 99, 99, 0, 512},
        {177, 0x0013, 99, 99, 0, 12},     {179, 0x0013, 100, 100, 10, 0}, {181, 0x0032, 100, 100, 10, 0},
        {182, 0x0032, 100, 100, 10, 0},   {183, 0x0013, 100, 100, 10, 0}, {187, 0x0032, 100, 100, 0, 0},
        {190, 0x0032, 65, 52, 0, 0},      {195, 0x001A, 200, 200, 0, 0},  {199, 0x003E, 100, 100, 0, 0},
        {235, 0x0012, 99, 99, 0, 40},     {241, 0x0032, 99, 99, 0, 8500000000ull},
    };
}

} // namespace

namespace profiles {

DriveProfile desktopSataHdd() {
    DriveProfile p;
    p.model = "Hitachi HDS721050CLA362";
    p.bufferKB = 16384;
    p.serial = "JP1570FR1ZWP7K";
    p.firmware = "JP2OA3MA";
    p.nativeSectors = 976773168;
    p.visibleSectors = 976000000; // a host protected area of about 395 MB
    p.lba48 = true;
    p.udmaMax = 6;
    p.aam = true;
    p.aamValue = 0x80;
    p.aamRecommended = 0x80;
    p.apm = true;
    p.apmValue = 0xFE;
    p.security = true;
    p.eraseMinutes = 112;
    p.hpa = true;
    p.sata = true;
    p.rotationRate = 7200;
    p.vendorSmartSwitch = true;
    p.rpm = 7200;
    p.outerMBps = 138;
    p.innerMBps = 66;
    p.unreadable = {123456, 5000000, 5000001};
    p.slow = {{200000, 120}, {200001, 40}, {7777777, 700}};
    p.attributes = hddAttributes(12873);
    p.temperature = 36;
    p.temperatureMin = 19;
    p.temperatureMax = 48;
    p.offlineSeconds = 6540;
    p.shortTestMinutes = 1;
    p.extendedTestMinutes = 109;
    return p;
}

DriveProfile legacyPataHdd() {
    DriveProfile p;
    p.model = "FUJITSU MPG3204AT E";
    p.bufferKB = 2048;
    p.serial = "VH05T3A27BNK";
    p.firmware = "82C5";
    p.nativeSectors = 40031712;
    p.cylinders = 16383;
    p.lba48 = false;
    p.udmaMax = 5;
    p.aam = true;
    p.aamValue = 0xFE;
    p.aamRecommended = 0x80;
    p.security = true; // ATA-5 drives of its day had the security feature set
    p.eraseMinutes = 40;
    p.hpa = true;
    p.sata = false;
    p.rotationRate = 0; // not reported by drives of that age
    p.rpm = 5400;
    p.outerMBps = 32;
    p.innerMBps = 18;
    p.trackToTrackMs = 1.5;
    p.fullStrokeMs = 21;
    p.unreadable = {31000};
    p.slow = {{1234567, 300}};
    p.attributes = hddAttributes(30211);
    p.offlineSeconds = 1200;
    p.extendedTestMinutes = 21;
    return p;
}

DriveProfile pataSlaveHdd() {
    DriveProfile p;
    p.model = "WDC WD800JB-00JJC0";
    p.bufferKB = 8192;
    p.serial = "WD-WCAM9F541223";
    p.firmware = "05.01C05";
    p.nativeSectors = 156301488;
    p.lba48 = true;
    p.udmaMax = 5;
    p.aam = true;
    p.aamValue = 0xFE;
    p.sata = false;
    p.rotationRate = 0;
    p.rpm = 7200;
    p.outerMBps = 58;
    p.innerMBps = 32;
    p.attributes = hddAttributes(20100);
    return p;
}

DriveProfile sataSsd() {
    DriveProfile p;
    p.model = "Samsung SSD 860 EVO 500GB";
    p.serial = "S3Z1NB0K812345L";
    p.firmware = "RVT02B6Q";
    p.nativeSectors = 976773168;
    p.physicalSectorExponent = 3;
    p.lba48 = true;
    p.udmaMax = 6;
    p.security = true;
    p.eraseMinutes = 2;
    p.sata = true;
    p.rotationRate = 1;
    p.trim = true;
    p.ssd = true;
    p.ssdMBps = 520;
    p.spinUpMs = 0;
    p.retryMs = 300;
    p.attributes = ssdAttributes();
    p.temperature = 31;
    p.temperatureMin = 21;
    p.temperatureMax = 44;
    p.offlineSeconds = 0;
    p.shortTestMinutes = 2;
    p.extendedTestMinutes = 85;
    return p;
}

DriveProfile lockedHdd() {
    DriveProfile p;
    p.model = "MAXTOR STM3250310AS";
    p.serial = "6RY1A2B3";
    p.firmware = "3.AAF";
    p.nativeSectors = 488397168;
    p.lba48 = true;
    p.udmaMax = 6;
    p.aam = true;
    p.security = true;
    p.userPassword = "user123";
    p.securityLevelMax = false;
    p.eraseMinutes = 78;
    p.sata = true;
    p.rotationRate = 7200;
    p.attributes = hddAttributes(4100);
    return p;
}

DriveProfile usbDisk() {
    DriveProfile p;
    p.model = "WDC WD10EADS-11M2B2";
    p.serial = "WD-WCAV5A123456";
    p.firmware = "01.00A01";
    p.nativeSectors = 1953525168;
    p.sata = true;
    p.rotationRate = 5400;
    p.rpm = 5400;
    p.outerMBps = 100;
    p.innerMBps = 50;
    p.attributes = hddAttributes(8000);
    return p;
}

DriveProfile sasDisk() {
    DriveProfile p;
    p.model = "SEAGATE ST3300657SS";
    p.serial = "3SJ0ABCD";
    p.firmware = "0006";
    p.nativeSectors = 585937500;
    p.smart = false;
    p.security = false;
    p.hpa = false;
    p.rpm = 15000;
    p.outerMBps = 170;
    p.innerMBps = 110;
    return p;
}

DriveProfile flashStick() {
    DriveProfile p;
    p.model = "Kingston DataTraveler 3.0";
    p.serial = "60A44C4138D8";
    p.firmware = "PMAP";
    p.nativeSectors = 30297216;
    p.smart = false;
    p.security = false;
    p.hpa = false;
    p.ssd = true;
    p.ssdMBps = 80;
    p.spinUpMs = 0;
    return p;
}

DriveProfile virtualDisk() {
    DriveProfile p;
    p.model = "Korvane Virtual Disk";
    p.serial = "VD-0001";
    p.firmware = "1.0";
    p.nativeSectors = 8388608;
    p.smart = false;
    p.security = false;
    p.hpa = false;
    p.ssd = true;
    p.ssdMBps = 900;
    p.spinUpMs = 0;
    return p;
}

} // namespace profiles

namespace {

void put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}

void partitionEntry(uint8_t* table, int index, uint8_t boot, uint8_t type, uint32_t start, uint32_t count) {
    uint8_t* e = table + 446 + 16 * index;
    e[0] = boot;
    e[1] = 0xFE; // CHS fields as large disks carry them: "beyond the CHS range"
    e[2] = 0xFF;
    e[3] = 0xFF;
    e[4] = type;
    e[5] = 0xFE;
    e[6] = 0xFF;
    e[7] = 0xFF;
    put32(e + 8, start);
    put32(e + 12, count);
}

void signature(uint8_t* s) {
    s[510] = 0x55;
    s[511] = 0xAA;
}

void fat32BootSector(uint8_t* s, uint32_t sectors, const char* label) {
    std::memset(s, 0, 512);
    const uint8_t jump[3] = {0xEB, 0x58, 0x90};
    std::memcpy(s, jump, 3);
    std::memcpy(s + 3, "MSDOS5.0", 8);
    s[11] = 0x00; s[12] = 0x02; // 512 bytes a sector
    s[13] = 16;                // sectors a cluster
    s[14] = 32;                // reserved sectors
    s[16] = 2;                 // FATs
    s[21] = 0xF8;
    put32(s + 32, sectors);
    s[64] = 0x80;
    s[66] = 0x29;
    put32(s + 67, 0x5A17C0DE);
    char text[12];
    std::snprintf(text, sizeof text, "%-11s", label);
    std::memcpy(s + 71, text, 11);
    std::memcpy(s + 82, "FAT32   ", 8);
    signature(s);
}

void fat16BootSector(uint8_t* s, uint32_t sectors, const char* label) {
    std::memset(s, 0, 512);
    const uint8_t jump[3] = {0xEB, 0x3C, 0x90};
    std::memcpy(s, jump, 3);
    std::memcpy(s + 3, "MSDOS5.0", 8);
    s[11] = 0x00; s[12] = 0x02;
    s[13] = 64;
    s[14] = 1;
    s[16] = 2;
    s[21] = 0xF8;
    put32(s + 32, sectors);
    s[36] = 0x80;
    s[38] = 0x29;
    put32(s + 39, 0x16C0FFEE);
    char text[12];
    std::snprintf(text, sizeof text, "%-11s", label);
    std::memcpy(s + 43, text, 11);
    std::memcpy(s + 54, "FAT16   ", 8);
    signature(s);
}

void ntfsBootSector(uint8_t* s, uint32_t sectors, const char* serialText) {
    std::memset(s, 0, 512);
    const uint8_t jump[3] = {0xEB, 0x52, 0x90};
    std::memcpy(s, jump, 3);
    std::memcpy(s + 3, "NTFS    ", 8);
    s[11] = 0x00; s[12] = 0x02;
    s[13] = 8;
    s[21] = 0xF8;
    put32(s + 40, sectors - 1);
    put32(s + 48, 786432); // $MFT cluster
    s[64] = 0xF6;
    s[68] = 0x01;
    // The 8-byte volume serial number at 48h; this lab's volumes carry readable ones.
    std::memcpy(s + 0x47, serialText, std::min<size_t>(std::strlen(serialText), 10));
    signature(s);
}

} // namespace

void writeDemoPartitions(AtaDevice& drive) {
    uint8_t mbr[512] = {};
    const uint8_t bootCode[] = {0x33, 0xC0, 0x8E, 0xD0, 0xBC, 0x00, 0x7C, 0xFB, 0x50, 0x07, 0x50, 0x1F, 0xFC};
    std::memcpy(mbr, bootCode, sizeof bootCode);
    const uint32_t sys = 2048, sysSize = 204800;
    const uint32_t data = sys + sysSize, dataSize = 41943040;
    const uint32_t ext = data + dataSize;
    const uint32_t extSize = uint32_t(drive.currentMax()) - ext;
    partitionEntry(mbr, 0, 0x80, 0x07, sys, sysSize);
    partitionEntry(mbr, 1, 0x00, 0x0C, data, dataSize);
    partitionEntry(mbr, 2, 0x00, 0x0F, ext, extSize);
    signature(mbr);
    drive.store().preload(0, mbr, 1);

    uint8_t s[512];
    ntfsBootSector(s, sysSize, " SYSTEM   ");
    drive.store().preload(sys, s, 1);
    fat32BootSector(s, dataSize, "KORVANE");
    drive.store().preload(data, s, 1);

    // First extended table: a logical NTFS volume and a link to the next table.
    const uint32_t logical1 = 2048, logical1Size = 104857600;
    const uint32_t link = logical1 + logical1Size;
    uint8_t ebr[512] = {};
    partitionEntry(ebr, 0, 0x00, 0x07, logical1, logical1Size);
    partitionEntry(ebr, 1, 0x00, 0x05, link, 4196352);
    signature(ebr);
    drive.store().preload(ext, ebr, 1);
    ntfsBootSector(s, logical1Size, " ARCHIVE  ");
    drive.store().preload(ext + logical1, s, 1);

    // Second extended table, relative to itself for its logical volume: an old FAT16 volume.
    uint8_t ebr2[512] = {};
    partitionEntry(ebr2, 0, 0x00, 0x06, 2048, 4194304);
    signature(ebr2);
    drive.store().preload(ext + link, ebr2, 1);
    fat16BootSector(s, 4194304, "OLDFAT16");
    drive.store().preload(ext + link + 2048, s, 1);
}

namespace {

void put64(uint8_t* p, uint64_t v) {
    for (int i = 0; i < 8; ++i) p[i] = uint8_t(v >> (8 * i));
}

// A GUID in its on-disk form: the first three fields little-endian, the rest as written.
void putGuid(uint8_t* p, const char* text) {
    unsigned a, b, c, d[8];
    std::sscanf(text, "%8x-%4x-%4x-%2x%2x-%2x%2x%2x%2x%2x%2x", &a, &b, &c, &d[0], &d[1], &d[2], &d[3], &d[4], &d[5],
                &d[6], &d[7]);
    put32(p, a);
    p[4] = uint8_t(b);
    p[5] = uint8_t(b >> 8);
    p[6] = uint8_t(c);
    p[7] = uint8_t(c >> 8);
    for (int i = 0; i < 8; ++i) p[8 + i] = uint8_t(d[i]);
}

void gptHeader(uint8_t* h, uint64_t self, uint64_t other, uint64_t entriesLba, uint64_t last, uint32_t entriesCrc) {
    std::memset(h, 0, 512);
    std::memcpy(h, "EFI PART", 8);
    put32(h + 8, 0x00010000);
    put32(h + 12, 92);
    put64(h + 24, self);
    put64(h + 32, other);
    put64(h + 40, 34);
    put64(h + 48, last - 33);
    putGuid(h + 56, "6B1E5C2A-0D3F-4A7E-9C21-4B4F52564E45");
    put64(h + 72, entriesLba);
    put32(h + 80, 128);
    put32(h + 84, 128);
    put32(h + 88, entriesCrc);
    put32(h + 16, platform::crc32(h, 92));
}

} // namespace

void writeDemoGpt(AtaDevice& drive) {
    const uint64_t last = drive.currentMax() - 1;
    uint8_t mbr[512] = {};
    partitionEntry(mbr, 0, 0x00, 0xEE, 1, uint32_t(std::min<uint64_t>(last, 0xFFFFFFFFu)));
    signature(mbr);
    drive.store().preload(0, mbr, 1);
    // 128 entries of 128 bytes: an EFI system partition and a Linux data partition.
    std::vector<uint8_t> entries(128 * 128, 0);
    auto entry = [&](int i, const char* type, uint64_t first, uint64_t end, const char* name) {
        uint8_t* e = &entries[size_t(i) * 128];
        putGuid(e, type);
        putGuid(e + 16, i == 0 ? "A1B2C3D4-0001-4000-8000-00000000E5F1" : "A1B2C3D4-0002-4000-8000-00000000DA7A");
        put64(e + 32, first);
        put64(e + 40, end);
        for (size_t k = 0; name[k] && k < 36; ++k) e[56 + 2 * k] = uint8_t(name[k]);
    };
    entry(0, "C12A7328-F81F-11D2-BA4B-00A0C93EC93B", 2048, 206847, "EFI system partition");
    entry(1, "0FC63DAF-8483-4772-8E79-3D69D8477DE4", 206848, last - 34, "data");
    const uint32_t entriesCrc = platform::crc32(entries.data(), entries.size());
    uint8_t s[512];
    fat32BootSector(s, 204800, "EFI");
    drive.store().preload(2048, s, 1);
    drive.store().preload(2, entries.data(), 32);
    drive.store().preload(last - 32, entries.data(), 32);
    gptHeader(s, 1, last, 2, last, entriesCrc);
    drive.store().preload(1, s, 1);
    gptHeader(s, last, 1, last - 32, last, entriesCrc);
    drive.store().preload(last, s, 1);
}

namespace {

void addPciFunctions(Lab& lab, uint16_t customBase, uint16_t customAlt) {
    PciBus& pci = lab.pci();
    // Host bridge, a legacy-mode IDE controller, a native-mode SATA controller with its BARs,
    // a RAID controller, a network card and a multi-function board with a storage function.
    pci.add(0, 0, 0, PciFunction::make(0x8086, 0x29C0, 0x06, 0x00, 0x00, "host bridge"));
    pci.add(0, 31, 1, PciFunction::make(0x8086, 0x27DF, 0x01, 0x01, 0x8A, "legacy IDE controller"));
    PciFunction native = PciFunction::make(0x1095, 0x3114, 0x01, 0x01, 0x8F, "native-mode SATA controller");
    native.set32(0x10, uint32_t(customBase) | 1);
    native.set32(0x14, uint32_t(customAlt - 2) | 1);
    native.set32(0x18, 0xD000u | 1);
    native.set32(0x1C, 0xD082u | 1);
    pci.add(0, 9, 0, native);
    PciFunction raid = PciFunction::make(0x105A, 0x3373, 0x01, 0x04, 0x00, "RAID controller");
    raid.set32(0x10, 0xC800u | 1);
    raid.set32(0x14, 0xC402u | 1);
    pci.add(1, 5, 0, raid);
    pci.add(1, 6, 0, PciFunction::make(0x10EC, 0x8168, 0x02, 0x00, 0x00, "network card"));
    pci.add(2, 0, 0, PciFunction::make(0x197B, 0x2368, 0x0C, 0x03, 0x10, "multi-function board: USB", true));
    PciFunction mf = PciFunction::make(0x197B, 0x2368, 0x01, 0x01, 0x85, "multi-function board: IDE");
    mf.set32(0x10, 0xB000u | 1);
    mf.set32(0x14, 0xB402u | 1);
    pci.add(2, 0, 1, mf);
}

LabDisk diskOf(std::string name, DiskVariant v, std::shared_ptr<AtaDevice> d, char letter = 0) {
    LabDisk disk;
    disk.name = std::move(name);
    disk.variant = v;
    disk.device = std::move(d);
    disk.letter = letter;
    disk.systemDisk = letter == 'C'; // the lab machine runs from its drive C:
    const auto& p = disk.device->profile();
    if (v == DiskVariant::InternalSata || v == DiskVariant::UsbBridge) {
        disk.vendor = "ATA";
        disk.product = p.model.substr(0, 16);
        disk.revision = p.firmware.size() > 4 ? p.firmware.substr(p.firmware.size() - 4) : p.firmware;
    } else {
        size_t space = p.model.find(' ');
        disk.vendor = space == std::string::npos ? p.model : p.model.substr(0, space);
        disk.product = space == std::string::npos ? p.model : p.model.substr(space + 1);
        disk.revision = p.firmware.substr(0, 4);
    }
    disk.serial = p.serial;
    return disk;
}

std::unique_ptr<Lab> defaultLab(LabTime& time) {
    auto lab = std::make_unique<Lab>(time);
    lab->profileName = "default";
    lab->description = "a workbench PC: SATA, PATA master and slave, an SSD, a locked drive, USB, SAS, flash, virtual";
    auto main = lab->addDrive(profiles::desktopSataHdd());
    writeDemoPartitions(*main);
    auto pata = lab->addDrive(profiles::legacyPataHdd());
    auto slave = lab->addDrive(profiles::pataSlaveHdd());
    auto ssd = lab->addDrive(profiles::sataSsd());
    auto locked = lab->addDrive(profiles::lockedHdd());
    auto usb = lab->addDrive(profiles::usbDisk());
    writeDemoGpt(*usb);
    auto sas = lab->addDrive(profiles::sasDisk());
    auto flash = lab->addDrive(profiles::flashStick());
    auto vdisk = lab->addDrive(profiles::virtualDisk());

    lab->addChannel("primary", 0x1F0, 0x3F6).attach(0, main);
    IdeChannel& secondary = lab->addChannel("secondary", 0x170, 0x376);
    secondary.attach(0, pata);
    secondary.attach(1, slave);
    IdeChannel& custom = lab->addChannel("custom", 0xD400, 0xD802);
    custom.attach(0, ssd);
    custom.attach(1, locked);
    addPciFunctions(*lab, 0xD400, 0xD802);

    lab->addDisk(diskOf("main SATA disk", DiskVariant::InternalSata, main, 'C'));
    lab->addDisk(diskOf("SSD", DiskVariant::InternalSata, ssd));
    lab->addDisk(diskOf("PATA master", DiskVariant::InternalSata, pata));
    lab->addDisk(diskOf("PATA slave", DiskVariant::InternalSata, slave));
    lab->addDisk(diskOf("locked disk", DiskVariant::InternalSata, locked));
    lab->addDisk(diskOf("USB disk", DiskVariant::UsbBridge, usb));
    lab->addDisk(diskOf("SAS disk", DiskVariant::NonAta, sas));
    lab->addDisk(diskOf("flash drive", DiskVariant::RemovableFlash, flash, 'E'));
    lab->addDisk(diskOf("virtual disk", DiskVariant::VirtualDisk, vdisk));
    return lab;
}

std::unique_ptr<Lab> emptyLab(LabTime& time) {
    auto lab = std::make_unique<Lab>(time);
    lab->profileName = "empty";
    lab->description = "a PC with empty channels and no disks";
    lab->addChannel("primary", 0x1F0, 0x3F6);
    lab->addChannel("secondary", 0x170, 0x376);
    return lab;
}

std::unique_ptr<Lab> singleLab(LabTime& time, DriveProfile profile = profiles::desktopSataHdd(), bool demo = true) {
    auto lab = std::make_unique<Lab>(time);
    lab->profileName = "single";
    lab->description = "one SATA disk on the secondary channel, also physical drive 0";
    auto main = lab->addDrive(std::move(profile));
    if (demo) writeDemoPartitions(*main);
    lab->addChannel("primary", 0x1F0, 0x3F6);
    lab->addChannel("secondary", 0x170, 0x376).attach(0, main);
    addPciFunctions(*lab, 0xD400, 0xD802);
    lab->addDisk(diskOf("main SATA disk", DiskVariant::InternalSata, main, 'C'));
    return lab;
}

} // namespace

std::vector<LabProfileInfo> labProfiles() {
    return {{"default", "a workbench PC: SATA, PATA master and slave, an SSD, a locked drive, USB, SAS, flash, virtual"},
            {"single", "one SATA disk on the secondary channel, also physical drive 0"},
            {"empty", "a PC with empty channels and no disks"},
            {"real:PREFIX", "the single set-up with a real drive's identity and SMART, from PREFIX.identify.bin, "
                            "PREFIX.smart.bin and PREFIX.thresholds.bin"}};
}

std::unique_ptr<Lab> buildLab(const std::string& name, LabTime& time) {
    if (name.empty() || name == "default") return defaultLab(time);
    if (name == "single") return singleLab(time);
    if (name == "empty") return emptyLab(time);
    if (name.rfind("real:", 0) == 0) {
        std::string error;
        auto profile = realDriveProfile(name.substr(5), error);
        if (!profile) return nullptr;
        auto lab = singleLab(time, std::move(*profile), false);
        lab->profileName = name;
        return lab;
    }
    return nullptr;
}

namespace {
std::string sizeText(uint64_t sectors, uint32_t sectorSize) {
    char text[32];
    double gb = double(sectors) * sectorSize / 1e9;
    std::snprintf(text, sizeof text, gb >= 1 ? "%.1f GB" : "%.0f MB", gb >= 1 ? gb : gb * 1000);
    return text;
}
} // namespace

std::string describeLab(Lab& lab) {
    std::ostringstream out;
    out << "Lab profiles:\n";
    for (auto& p : labProfiles())
        out << (p.name == lab.profileName ? "* " : "  ") << p.name << " - " << p.description << "\n";
    out << "\nChannels (PIO):\n";
    for (auto& [name, c] : lab.channels()) {
        char ports[48];
        std::snprintf(ports, sizeof ports, "%04Xh/%04Xh", c->base(), c->alt());
        out << "  " << name << " " << ports << "\n";
        for (int i = 0; i < 2; ++i) {
            AtaDevice* d = c->device(i);
            out << "    " << (i == 0 ? "master: " : "slave:  ");
            if (!d)
                out << "-\n";
            else
                out << d->profile().model << ", " << d->currentMax() << " LBA ("
                    << sizeText(d->currentMax(), d->store().sectorSize()) << ")\n";
        }
    }
    out << "\nPhysical drives (API):\n";
    int n = 0;
    for (auto& disk : lab.disks()) {
        out << "  " << n++ << ": " << disk.device->profile().model << ", "
            << sizeText(disk.sectors(), disk.sectorSize()) << ", " << variantName(disk.variant);
        if (disk.letter) out << ", logical drive " << disk.letter << ":";
        out << "\n";
    }
    if (lab.disks().empty()) out << "  (none)\n";
    return out.str();
}

} // namespace korvane::sim
