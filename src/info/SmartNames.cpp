#include "info/SmartNames.h"

#include <array>
#include <initializer_list>
#include <vector>

namespace korvane::info {

namespace {

struct Variant {
    std::string name;
    std::vector<uint8_t> families;
};

struct Entry {
    std::string name;
    std::vector<Variant> variants;
};

using Table = std::array<Entry, 256>;

// Vendors disagree on what several IDs count; the families that differ get their own names.
Table buildTable() {
    Table t;
    auto add = [&t](uint8_t id, std::string name, std::initializer_list<Variant> variants = {}) {
        t[id] = Entry{std::move(name), variants};
    };
    add(1, "Raw read error count", {{"OTF Errors", {3}}});
    add(2, "Throughput perfomance");
    add(3, "Spin-up time", {{"Power ready time", {15}}});
    add(4, "Number of spin-up times");
    add(5, "Reallocated sector count");
    add(6, "Read channel margin");
    add(7, "Seek error rate");
    add(8, "Seek time perfomance");
    add(9, "Power-on time");
    add(10, "Spin-up retries");
    add(11, "Recalibration retries", {{"HP Meta Rebuild Count", {15}}});
    add(12, "Start/stop count", {{"Power cycle count", {2, 7, 13, 15}}});
    add(13, "Soft read error rate");
    add(14, "Test track recycle failure");
    add(15, "Data path protection failure");
    add(16, "Gas gauge");
    add(22, "Current HELIUM level");
    add(96, "Average MRR (Maxtor)");
    add(97, "Minimum MRR (Maxtor)");
    add(98, "Maximum MRR (Maxtor)");
    add(99, "Average FHC");
    add(100, "Erase/program cycles Count", {{"Max Negative FHC", {3}}, {"Erase/Program Cycles Count", {15}}});
    add(101, "Flying height control", {{"Max positive FHC", {3}}, {"DevSleep exit count", {15}}});
    add(102, "Entering PS1 count");
    add(103, "Translation table rebuild");
    add(160, "Uncorrectable sector count read or write");
    add(161, "Number of valid spare block");
    add(162, "Spare block count");
    add(163, "Number of initial invalid block");
    add(164, "Total erase count");
    add(165, "Maximum erase count");
    add(166, "Minimum erase count");
    add(167, "SDD protect mode / Average erase count");
    // The erase count the flash maker rates its NAND for; the name is the one drives' tools show.
    add(168, "Max NAND erase count from specification");
    add(169, "Total bad block bount / SMI remain life (percentage)");
    add(170, "Reserved block count");
    add(171, "Program fail block count");
    add(172, "Erase fail block count");
    add(173, "Wear leveling erase count worst");
    add(174, "Unexpected power loss count");
    add(175, "SMI program fail count in worst die");
    add(176, "Erase fail count in worst die");
    add(177, "Wear leveling count total");
    add(178, "Used reserved block count (Chip)");
    add(179, "Used Reserved block count (Total)");
    add(180, "Unused Reserved Block Count (Total)");
    add(181, "Program Fail Count (Total)");
    add(182, "Erase Fail Count (Total)");
    add(183, "Runtime Bad Block (Total)");
    add(184, "I/O CRC Error Detection Count Total");
    add(185, "Head Stability");
    add(186, "Induced Op-Vibration Detection");
    add(187, "Uncorrectable Errors");
    add(188, "Command timeout count");
    add(189, "High Fly writes", {{"Temperature", {15}}});
    add(190, "Airflow temperature", {{"First Temperature", {15}}});
    add(191, "G-SENSOR shock counter");
    add(192, "Power-off retract count", {{"Emergency retract cycles", {1, 14}}, {"Unsafe shutdown count", {15}}});
    add(193, "Load/unload cycle count");
    add(194, "HDA Temperature", {{"Temperature controller", {15}}});
    add(195, "Hardware ECC recovered", {{"ECC on the fly count", {1, 14}}});
    add(196, "Reallocated event count");
    add(197, "Current pending sectors");
    add(198, "Offline scan UNC sectors");
    add(199, "Ultra DMA CRC errors");
    add(200, "Write error rate", {{"Multi zone error rate", {5}}, {"Used reserved block count", {15}}});
    add(201, "Off-track errors count",
        {{"Uncorrectable Soft Read Error Rate", {15}}, {"Detected TA count", {1, 2, 7, 13, 14}}});
    add(202, "Erase Fail Count",
        {{"Percentage of drive life used", {15}}, {"Thermal Asperity Increased", {1, 14}},
         {"Data Address Mark Errors", {3}}});
    add(203, "ECC Errors count", {{"Wear leveling count", {15}}, {"Run out cancel", {1, 14}}});
    add(204, "Soft ECC corrections Count", {{"Shock count WR operations", {1, 14}}});
    add(205, "Thermal Asperity Rate", {{"Max PE count spec", {15}}, {"Shock rate WR operations", {1, 14}}});
    add(206, "Calibration Time", {{"Min Erase Count", {15}}, {"Flying height", {1, 14}}});
    add(207, "Spin high current", {{"Max erase count", {15}}});
    add(208, "Spin buzzes count", {{"Erase count average", {15}}});
    add(209, "Offline seek perfomance", {{"Remaining drive life in % by erase count", {15}}});
    add(210, "Vibration during write");
    add(211, "Vibration during read", {{"Spin running current", {2, 7, 13}}});
    add(212, "Shock during write", {{"SSM errors count", {2, 7, 13}}});
    add(213, "Gr seek err/RRO-C ERP cnt");
    add(214, "Ground load errors eount");
    add(215, "Ground SpinUp errors");
    add(216, "Unexpectant errors eount");
    add(217, "Unlock/Mis read count");
    add(218, "FlashROM ECC corr. count");
    add(220, "Disk shift");
    add(221, "G-SENSOR shock counter");
    add(222, "Loaded hours");
    add(223, "Load retry count");
    add(224, "Load friction");
    add(225, "Load cycle count", {{"Host total LBAs written", {15}}});
    add(226, "Load-in time", {{"Timed workload media wear indicator", {15}}});
    add(227, "Torque amplification", {{"Timed workload host reads percentage", {15}}});
    add(228, "Power-off retract count", {{"Workload timer", {15}}});
    add(229, "Fly height measurement", {{"Halt system ID, flash ID", {15}}});
    add(230, "GMR head amplitude", {{"Drive life protection status", {15}}});
    add(231, "HDA Temperature", {{"SSD Life Remaining", {15}}});
    add(232, "Available Reserved Space");
    add(233, "Power-On Hours", {{"Writes to flash", {15}}});
    add(234, "Average erase count and maximum erase Count");
    add(235, "POR recovery count");
    add(236, "Second Temperature");
    add(240, "Head flying hours");
    add(241, "Total LBA write");
    add(242, "Total LBA read");
    add(243, "SATA interface downshifts");
    add(244, "Total LBAs Read Expanded", {{"Thermal Throttle Status", {15}}});
    add(245, "Timed Workload Media Wear");
    add(246, "Timed Workload Host Read/Write Ratio");
    add(247, "Timed Workload Timer");
    add(248, "Remaining Life Percentage");
    add(249, "Remaining Spare Block Percentage");
    add(250, "Read error retry rate");
    add(251, "Non-GuaTempHours (?)", {{"Writes to flash", {15}}});
    add(252, "Reported errors count");
    add(254, "G-SENSOR shock counter");
    return t;
}

const Table& table() {
    static const Table t = buildTable();
    return t;
}

} // namespace

const std::string& attributeName(uint8_t id, uint8_t familyCode) {
    static const std::string unknown = "unknown attribut";
    const Entry& e = table()[id];
    if (e.name.empty()) return unknown;
    for (const Variant& v : e.variants)
        for (uint8_t f : v.families)
            if (f == familyCode) return v.name;
    return e.name;
}

} // namespace korvane::info
