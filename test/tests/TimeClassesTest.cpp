#include "tests/TimeClasses.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

using namespace korvane::tests;

TEST(TimeClasses, LimitsByPathDirectionAndFactor) {
    struct Case {
        TimingPath path;
        int m, k, udma;
        std::array<uint16_t, 5> t;
        uint32_t unitsPerMs;
    };
    const Case cases[] = {
        {TimingPath::Api, 1, 5, 5, {5, 20, 50, 200, 600}, 1},
        {TimingPath::Api, 2, 5, 5, {10, 40, 100, 400, 1200}, 1}, // random or butterfly
        {TimingPath::PioPolling, 1, 5, 5, {50, 200, 500, 2000, 6000}, 10},
        {TimingPath::PioPolling, 1, 5, 0, {50, 200, 500, 1000, 6000}, 10},
        {TimingPath::PioTimer, 1, 5, 0, {5, 20, 50, 100, 600}, 1},
    };
    for (const auto& c : cases) {
        ClassLimits l = computeClassLimits(c.m, c.k, c.path, c.udma);
        EXPECT_EQ(l.t, c.t) << int(c.path) << " M=" << c.m;
        EXPECT_EQ(l.unitsPerMs, c.unitsPerMs);
        EXPECT_FALSE(l.saturated);
    }
    // 1200 x 2 x 45 = 108000 would wrap to 42464 in 16 bits: it is held at the top instead.
    ClassLimits big = computeClassLimits(2, 45, TimingPath::PioPolling, 5);
    EXPECT_TRUE(big.saturated);
    EXPECT_EQ(big.t[4], 0xFFFF);
    EXPECT_TRUE(std::is_sorted(big.t.begin(), big.t.end())) << "the classes keep their order";
}

TEST(TimeClasses, BlocksAreClassedByTheFirstLimitTheyStayBelow) {
    ClassLimits l = computeClassLimits(1, 5, TimingPath::Api, 5); // 5 20 50 200 600
    const std::pair<uint32_t, int> cases[] = {{0, 1},   {4, 1},   {5, 2},   {19, 2},  {20, 3},
                                              {199, 4}, {200, 5}, {599, 5}, {600, 6}, {65535, 6}};
    for (auto [time, cls] : cases) EXPECT_EQ(classifyBlock(time, l), cls) << time;
}

TEST(TimeClasses, TimingFactorRules) {
    TimingFactorInputs in;
    in.udmaMode = 5;
    EXPECT_EQ(timingFactor(in), 5) << "UDMA-5, verify, 256-sector blocks: 5 x (0 + 1)";
    in.blockSize = 1024;
    EXPECT_EQ(timingFactor(in), 15) << "1024-sector blocks: 5 x 3";
    in.blockSize = 256;
    in.udmaMode = 0;
    EXPECT_EQ(timingFactor(in), 18);
    in.verifyScan = false;
    EXPECT_EQ(timingFactor(in), 5) << "read and write scans take 5";
    in.verifyScan = true;
    in.hpaSupported = true;
    in.nativeSize = 250000000;
    EXPECT_EQ(timingFactor(in), 3) << "a large drive in PIO mode";
    in.familyCode = 4;
    EXPECT_EQ(timingFactor(in), 18) << "but not a Seagate";
    in = {};
    in.udmaMode = 6;
    in.familyCode = 15;
    EXPECT_EQ(timingFactor(in), 1) << "an SSD: 4 / 3";
    in.apiRemovable = true;
    in.maxLba = 1000;
    EXPECT_EQ(timingFactor(in), 6) << "a small removable drive: 18, then the SSD third";
}

TEST(TimeClasses, SamplingRateRemainingTimeAndTheirTexts) {
    EXPECT_EQ(speedSampleBlocks(1000000, 256), 25u);
    EXPECT_EQ(speedSampleBlocks(3000000, 256), 51u);
    EXPECT_EQ(speedSampleBlocks(976773168, 2048), 250u / 3);
    EXPECT_EQ(speedFromCounter(25, 100, 256), 33024u) << "((512 x 25) / 100 + 1) x 256";
    EXPECT_EQ(speedFromCounter(25, 0, 256), (512u * 25 + 1) * 256) << "under a millisecond counts as one";
    EXPECT_EQ(speedFromTicks(25, 99, 256), 256u * (5120u * 25 / 100) / 10);
    EXPECT_EQ(remainingSeconds(ScanDirection::Forward, 1000, 0, 2001000, 0, 0, 1000), 2000000u / 2001);
    EXPECT_EQ(remainingSeconds(ScanDirection::Reverse, 1000, 0, 2001000, 0, 0, 1000), 0u);
    EXPECT_EQ(remainingSeconds(ScanDirection::Random, 1000, 0, 2001000, 0, 0, 1000), 0u);
    EXPECT_EQ(remainingSeconds(ScanDirection::Butterfly, 0, 0, 0, 100, 10100, 99), 100u);

    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = previous ? previous : "C";
    for (const char* name : {"ru_RU.UTF-8", "de_DE.UTF-8"})
        if (std::setlocale(LC_NUMERIC, name)) break;
    EXPECT_EQ(limitLabel(6000, 10, true), "600");
    EXPECT_EQ(limitLabel(1200, 1, true), "1.2s");
    EXPECT_EQ(limitLabel(1200, 1, false), "1200");
    EXPECT_EQ(limitLabel(999, 1, true), "1.0s");
    EXPECT_EQ(percentText(12.345), "12.3");
    EXPECT_EQ(percentText(100), "100.0");
    std::setlocale(LC_NUMERIC, saved.c_str());
}
