#include "info/SmartAttributes.h"
#include "info/SmartNames.h"
#include "info/SmartSelfTests.h"

#include <gtest/gtest.h>

#include <array>

using namespace korvane;
using namespace korvane::info;

namespace {

// A data block with one attribute in slot 0 and its threshold.
struct Block {
    std::array<uint8_t, 512> data{}, thresholds{};
    Block(uint8_t id, uint8_t flags, uint8_t value, uint8_t worst, std::array<uint8_t, 6> raw, uint8_t threshold = 0) {
        data[2] = id;
        data[3] = flags;
        data[5] = value;
        data[6] = worst;
        for (size_t i = 0; i < 6; ++i) data[7 + i] = raw[i];
        thresholds[2] = id;
        thresholds[3] = threshold;
    }
    std::vector<SmartRowCells> rows(uint8_t family) const {
        return smartRows(decodeSmartSlot(data.data(), thresholds.data(), 0, family), family);
    }
};

const std::string deg = "\xC2\xB0";

} // namespace

TEST(SmartNames, DefaultsFamilyVariantsAndUnknownIds) {
    struct Case {
        uint8_t id, family;
        const char* name;
    };
    const Case cases[] = {
        {1, 0, "Raw read error count"},  {1, 3, "OTF Errors"},           {12, 0, "Start/stop count"},
        {12, 7, "Power cycle count"},    {12, 15, "Power cycle count"},  {12, 3, "Start/stop count"},
        {100, 3, "Max Negative FHC"},    {100, 15, "Erase/Program Cycles Count"},
        {192, 14, "Emergency retract cycles"}, {192, 15, "Unsafe shutdown count"},
        {201, 13, "Detected TA count"},  {202, 3, "Data Address Mark Errors"}, {202, 1, "Thermal Asperity Increased"},
        {214, 0, "Ground load errors eount"}, {2, 0, "Throughput perfomance"},
        {169, 0, "Total bad block bount / SMI remain life (percentage)"},
        {231, 0, "HDA Temperature"},     {231, 15, "SSD Life Remaining"}, {254, 0, "G-SENSOR shock counter"},
        {17, 0, "unknown attribut"},     {0, 0, "unknown attribut"},     {255, 15, "unknown attribut"},
    };
    for (const auto& c : cases) EXPECT_EQ(attributeName(c.id, c.family), c.name) << int(c.id) << "/" << int(c.family);
    int named = 0;
    for (int id = 0; id < 256; ++id) named += attributeName(uint8_t(id), 0) != "unknown attribut";
    EXPECT_EQ(named, 115);
}

TEST(SmartRows, HealthMarkFromTheValue) {
    struct Case {
        int value, bullets;
        const char* code;
    };
    for (auto c : {Case{253, 5, "g"}, Case{100, 5, "g"}, Case{99, 4, "y"}, Case{60, 3, "y"}, Case{59, 2, "r"},
                   Case{20, 1, "r"}, Case{0, 1, "r"}}) {
        std::string mark = " ";
        for (int i = 0; i < c.bullets; ++i) mark += kHealthBullet;
        EXPECT_EQ(healthMark(c.value), mark) << c.value;
        EXPECT_EQ(healthCode(c.value), c.code) << c.value;
    }
}

TEST(SmartRows, RawTextRules) {
    struct Case {
        uint8_t id, family;
        std::array<uint8_t, 6> raw;
        const char* text;
        uint64_t counted;
    };
    const Case cases[] = {
        {5, 0, {3, 0, 1, 0, 0, 0}, "3", 3},                     // only the low word counts
        {197, 0, {0, 0, 9, 0, 0, 0}, "0", 0},
        {9, 0, {3, 0, 1, 0, 0, 0}, "65539", 65539},             // every word counts
        {1, 0, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, "281474976710655", 281474976710655ull},
        {194, 2, {0x28, 0, 0x14, 0, 0x2D, 0}, "40\xC2\xB0" "C/104\xC2\xB0" "F", 193274839080ull},
        {190, 0, {0xF6, 0xFF, 0, 0, 0, 0}, "-10\xC2\xB0" "C/14\xC2\xB0" "F", 0xFFF6},
        {194, 15, {0x28, 0, 0x14, 0, 0x2D, 0}, "193274839080", 193274839080ull},
    };
    for (const auto& c : cases) {
        Block b(c.id, 0, 100, 100, c.raw);
        SmartAttribute a = decodeSmartSlot(b.data.data(), b.thresholds.data(), 0, c.family);
        EXPECT_EQ(a.rawText, c.text) << int(c.id);
        EXPECT_EQ(a.shownRaw, c.counted) << int(c.id);
    }
}

TEST(SmartRows, TemperatureRowsFollowTheFamily) {
    const Block b(194, 0x02, 40, 30, {0x28, 0, 0x14, 0, 0x2D, 0}, 0);
    auto rows = b.rows(2);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], (SmartRowCells{"", "194", "HDA Temperature", "40", "30", "0", "40" + deg + "C/104" + deg + "F",
                                      " " + kHealthBullet + kHealthBullet + kHealthBullet + kHealthBullet, " ", "y"}))
        << "the health counts 90 for a temperature; VAL keeps the drive's value";
    EXPECT_EQ(rows[1], (SmartRowCells{"", "194", "Minimum temperature", "90", "30", "0", "20" + deg + "C/68" + deg + "F",
                                      " -", " ", "g"}));
    EXPECT_EQ(rows[2][2], "Maximum temperature");
    EXPECT_EQ(rows[2][6], "45" + deg + "C/113" + deg + "F");

    auto seagate = b.rows(4);
    ASSERT_EQ(seagate.size(), 3u);
    EXPECT_EQ(seagate[1][2], "Maximum temperature");
    EXPECT_EQ(seagate[1][6], "45" + deg + "C/113" + deg + "F");
    EXPECT_EQ(seagate[2][2], "Minimum temperature");
    EXPECT_EQ(seagate[2][6], "20" + deg + "C/68" + deg + "F");

    auto ssd = b.rows(15);
    ASSERT_EQ(ssd.size(), 3u);
    EXPECT_EQ(ssd[0][2], "Temperature controller");
    EXPECT_EQ(ssd[1][6], "45" + deg + "C/113" + deg + "F");
    EXPECT_EQ(ssd[2][6], "20" + deg + "C/68" + deg + "F");

    EXPECT_EQ(b.rows(0).size(), 1u) << "family 0 keeps no extra rows";
    const Block onlyHighest(194, 0, 40, 30, {0x28, 0, 0, 0, 0x2D, 0});
    EXPECT_EQ(onlyHighest.rows(2).size(), 2u) << "a zero word gives no row";
}

TEST(SmartRows, ColoursOfTheCells) {
    using namespace form::colours;
    const Block reallocated(5, 0x33, 100, 100, {3, 0, 0, 0, 0, 0}, 5);
    const auto r = reallocated.rows(0).front();
    EXPECT_EQ(r[8], kPreFailureMark);
    EXPECT_EQ(smartCellColour(r, 1, 0), Navy);
    EXPECT_EQ(smartCellColour(r, 2, 0), Purple);
    EXPECT_EQ(smartCellColour(r, 3, 0), Teal);
    EXPECT_EQ(smartCellColour(r, 4, 0), Grey);
    EXPECT_EQ(smartCellColour(r, 5, 0), Olive);
    EXPECT_EQ(smartCellColour(r, 6, 0), Red);
    EXPECT_EQ(smartCellColour(r, 7, 0), form::Colour(0x007300));
    const auto clean = Block(5, 0x33, 100, 100, {0, 0, 7, 0, 0, 0}).rows(0).front();
    EXPECT_EQ(smartCellColour(clean, 6, 0), Green) << "the high words do not count";
    const auto hours = Block(9, 0x32, 50, 50, {5, 0, 0, 0, 0, 0}).rows(0).front();
    EXPECT_EQ(smartCellColour(hours, 2, 0), Black);
    EXPECT_EQ(smartCellColour(hours, 6, 0), Maroon);
    EXPECT_EQ(smartCellColour(hours, 7, 0), Red);
    const auto life = Block(231, 0x01, 98, 98, {0x62, 0, 0, 0, 0, 0}).rows(15).front();
    EXPECT_EQ(smartCellColour(life, 2, 15), Green);
    EXPECT_EQ(smartCellColour(life, 6, 15), Blue);
    EXPECT_EQ(smartCellColour(life, 7, 15), form::Colour(0xFFC437));
}

TEST(SmartRows, CopyTextColumns) {
    const auto rows = Block(194, 0x02, 40, 30, {0x28, 0, 0x14, 0, 0x2D, 0}).rows(2);
    const std::string text = smartCopyText("MODEL X", "SN1", {rows[0]});
    const std::string dashes(73, '-');
    EXPECT_EQ(text, "MODEL X   SN1\n" + dashes +
                        "\n  ID      Name                   Value  Worst  Tresh       Raw    Health\n" + dashes +
                        "\n194 HDA Temperature                40     30      0   40" + deg + "C/104" + deg + "F   " +
                        kHealthBullet + kHealthBullet + kHealthBullet + kHealthBullet + "  \n");
}

TEST(SmartSelfTests, StatusTextsColoursAndTheMeter) {
    using namespace form::colours;
    struct Case {
        uint8_t offline, selfTest;
        const char* offlineText;
        form::Colour offlineColour;
        const char* selfTestText;
        form::Colour selfTestColour;
        const char* hex;
        const char* code;
        int meter;
    };
    const Case cases[] = {
        {0x00, 0x00, "Off-line data collection activity was never started", Grey,
         "The previous self-test routine completed without error or no self-test has ever been run", Green, "00h", "0", 0},
        {0x82, 0xF6, "Off-line data collection activity was completed without error", Green,
         "Self-test routine in progress !!!", 0xFF8000, "82h", "15", 4},
        {0x83, 0x10, "Unknown status", Green, "The self-test routine was aborted by the host", Purple, "83h", "1", 0},
        {0x03, 0x28, "ReservedOff-line activity in progress!", 0xFF8000,
         "The self-test routine was interrupted by the host with a hardware or software reset", Blue, "03h", "2", 2},
        {0x86, 0x73, "Off-line data collection was aborted by device with a fatal error!", Red,
         "The previous self-test completed having the read element of the test failed", Red, "86h", "7", 7},
        {0x85, 0xEB, "Off-line data collection was aborted by command from host", Purple,
         "The previous self-test completed having the read element of the test failed", Red, "85h", "14", 0},
        {0x04, 0x40, "Off-line data collection was suspended by command from host", Purple,
         "The previous self-test completed having a test element that failed and the test element that failed is not known",
         Red, "04h", "4", 0},
    };
    for (const auto& c : cases) {
        std::array<uint8_t, 512> d{};
        d[362] = c.offline;
        d[363] = c.selfTest;
        d[364] = 0x58;
        d[365] = 0x02;
        d[372] = 2;
        d[373] = 167;
        SelfTestReport r = selfTestReport(d.data());
        SCOPED_TRACE(c.hex);
        ASSERT_EQ(r.rows.size(), 5u);
        EXPECT_EQ(r.rows[0], (std::vector<std::string>{
                                 "Total time in seconds to complete off-line data collection activity", "600"}));
        EXPECT_EQ(r.rows[1][1], "2");
        EXPECT_EQ(r.rows[2], (std::vector<std::string>{
                                 "Extended self-test routine recommended polling time (in minutes)", "167"}));
        EXPECT_EQ(r.rows[3], (std::vector<std::string>{c.offlineText, c.hex}));
        EXPECT_EQ(r.rows[4], (std::vector<std::string>{c.selfTestText, c.code}));
        EXPECT_EQ(r.offlineColour, c.offlineColour);
        EXPECT_EQ(r.selfTestColour, c.selfTestColour);
        EXPECT_EQ(r.meter, c.meter);
    }
}

TEST(SmartRows, BlocksOfGarbageDecodeWithoutOverflow) {
    std::array<uint8_t, 512> ff{}, thresholds{};
    ff.fill(0xFF);
    for (size_t k = 0; k < kSmartSlots; ++k) {
        SmartAttribute a = decodeSmartSlot(ff.data(), thresholds.data(), k, 2);
        EXPECT_EQ(a.rawText, "281474976710655");
        auto rows = smartRows(a, 2);
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(rows[0][2], "unknown attribut");
    }
    uint32_t seed = 12345;
    std::array<uint8_t, 512> noise{};
    for (auto& b : noise) b = uint8_t((seed = seed * 1103515245u + 12345u) >> 16);
    for (size_t k = 0; k < kSmartSlots; ++k)
        for (uint8_t family : {0, 2, 4, 15}) EXPECT_LE(smartRows(decodeSmartSlot(noise.data(), noise.data(), k, family), family).size(), 3u);
}
