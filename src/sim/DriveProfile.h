#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace korvane::sim {

struct SmartAttributeSpec {
    uint8_t id;
    uint16_t flags; // bit 0: pre-failure
    uint8_t value, worst, threshold;
    uint64_t raw; // six bytes, little-endian
};

// Everything that makes one lab drive what it is: identity, capacity, features, timing,
// defects, SMART attributes and the initial security state.
struct DriveProfile {
    // Identity
    std::string model = "LAB DISK";
    std::string serial = "LAB0000001";
    std::string firmware = "1.00";

    // Capacity: the native size, and the size visible at power-on (below it when an HPA is set).
    uint64_t nativeSectors = 1000000;
    uint64_t visibleSectors = 0; // 0: the native size
    uint32_t logicalSectorSize = 512;
    uint8_t physicalSectorExponent = 0; // physical sector = 2^n logical sectors
    uint16_t cylinders = 16383, heads = 16, sectorsPerTrack = 63;

    // Features
    bool lba = true, lba48 = true, dma = true;
    int udmaMax = 6;     // highest UDMA mode, -1 for none
    int mwdmaMax = 2;    // highest multiword DMA mode
    bool smart = true, smartEnabled = true;
    bool aam = false;
    uint8_t aamValue = 0xFE, aamRecommended = 0x80;
    bool apm = false;
    uint8_t apmValue = 0xFE;
    bool security = true;
    uint16_t eraseMinutes = 60;
    bool hpa = true, dco = false;
    bool writeCache = true, lookAhead = true;
    uint32_t bufferKB = 0; // IDENTIFY word 21 (in 512-byte units); 0 on drives that leave it out
    bool sata = true;
    uint16_t rotationRate = 7200; // 1: not rotating
    bool trim = false;
    // Vendor SMART switch (features F8h), as the IBM/Hitachi families answer it.
    bool vendorSmartSwitch = false;

    // Timing
    double rpm = 7200;
    double outerMBps = 120, innerMBps = 60;
    double trackToTrackMs = 0.8, fullStrokeMs = 16;
    uint32_t commandOverheadUs = 60;
    uint32_t retryMs = 1500; // time spent on an unreadable sector before UNC
    uint32_t spinUpMs = 4000;
    uint32_t resetMs = 2;
    bool ssd = false;
    double ssdMBps = 450;

    // Defects
    std::vector<uint64_t> unreadable;
    std::vector<std::pair<uint64_t, uint32_t>> slow; // lba, extra milliseconds
    std::vector<std::pair<uint64_t, uint64_t>> idnf; // first lba, count
    bool writeProtected = false;
    uint32_t spareSectors = 2048;

    // SMART
    std::vector<SmartAttributeSpec> attributes;
    int temperature = 35, temperatureMin = 18, temperatureMax = 47;
    uint16_t offlineSeconds = 600;
    uint8_t shortTestMinutes = 1, extendedTestMinutes = 60;
    // A real drive's SMART data and threshold blocks (512 bytes each): the drive answers with
    // them, its counters moving as the lab's would. Empty: the blocks are made from `attributes`.
    std::vector<uint8_t> realSmartData, realSmartThresholds;

    // Security at power-on
    std::string userPassword; // empty: no password set
    std::string masterPassword = "KORVANE-MASTER";
    bool securityLevelMax = false;
};

} // namespace korvane::sim
