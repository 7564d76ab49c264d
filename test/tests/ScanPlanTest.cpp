#include "tests/ScanPlan.h"

#include <gtest/gtest.h>

using namespace korvane::tests;

TEST(ScanPlan, FieldsBecomeAClampedRangeAndABlock) {
    struct Case {
        const char* start;
        const char* end;
        const char* block;
        uint64_t startLba, endLba;
        uint32_t blockSize;
        const char* blockText;
    };
    const uint64_t maxLba = 40031712;
    const Case cases[] = {
        {"0", "40031711", "256", 0, 40031711, 256, "256"},
        {"0", "99999999999", "256", 0, 40031711, 256, "256"},   // clamped to the last sector
        {"100 Mb", "50%", "1024", 204800, 20015856, 1024, "1024"},
        {"5000", "100", "256", 5000, 5000, 1, "256"},           // the end never below the start
        {"0", "100", "256", 0, 100, 100, "256"},                // a block at most the range
        {"0", "1000", "", 0, 1000, 1, "1"},                     // no digits: 1
        {"0", "1000", "0", 0, 1000, 1, "1"},                    // 0 becomes 1
        {"0", "100000", "12x8", 0, 100000, 128, "128"},         // the digits of the box
    };
    for (const auto& c : cases) {
        std::string error;
        auto p = planScan(c.start, c.end, c.block, maxLba, 2048, error);
        ASSERT_TRUE(p) << c.start << " " << c.end << ": " << error;
        EXPECT_EQ(p->startLba, c.startLba) << c.start;
        EXPECT_EQ(p->endLba, c.endLba) << c.end;
        EXPECT_EQ(p->blockSize, c.blockSize) << c.block;
        EXPECT_EQ(p->blockText, c.blockText);
        EXPECT_EQ(p->endText, std::to_string(c.endLba));
    }
    std::string error;
    auto p = planScan("0", "40031711", "256", maxLba, 2048, error);
    EXPECT_EQ(p->jumpLarge, 40031711u / 50);
    EXPECT_EQ(p->jumpSmall, 40031711u / 1000);
    EXPECT_FALSE(planScan("0", "99999999999999999999", "256", maxLba, 2048, error));
    EXPECT_EQ(error, "'99999999999999999999' is not a valid size");
}
