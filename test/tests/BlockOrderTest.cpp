#include "tests/BlockOrder.h"

#include <gtest/gtest.h>

#include <array>

#include <vector>

using namespace korvane::tests;

namespace {
struct Block {
    uint64_t lba;
    uint32_t size;
    bool operator==(const Block&) const = default;
};

// The blocks of a whole scan of [start, end], as the worker walks them.
std::vector<Block> blocksOf(ScanDirection order, uint64_t start, uint64_t end, uint16_t size) {
    ScanState s;
    s.startLba = start;
    s.endLba = end;
    s.range = std::max<uint64_t>(end - start, 1);
    s.direction = order;
    beginOrder(s, size);
    std::vector<Block> blocks;
    for (int guard = 0; guard < 100000; ++guard) {
        placeBlock(s, 0);
        blocks.push_back({s.curLba, s.blockSize});
        if (!advanceBlock(s) || order == ScanDirection::Random) break;
    }
    return blocks;
}

std::vector<int> coverage(const std::vector<Block>& blocks, uint64_t end) {
    std::vector<int> hits(end + 1, 0);
    for (auto b : blocks)
        for (uint64_t s = b.lba; s < b.lba + b.size && s <= end; ++s) ++hits[s];
    return hits;
}
} // namespace

TEST(BlockOrder, EveryOrderCoversItsRangeInTheBlocksItNames) {
    using D = ScanDirection;
    struct Case {
        D order;
        uint64_t start, end;
        uint16_t size;
        std::vector<Block> blocks; // empty: only the coverage is checked
    };
    const Case cases[] = {
        {D::Forward, 0, 1000, 256, {{0, 256}, {256, 256}, {512, 256}, {768, 232}, {1000, 1}}},
        {D::Reverse, 0, 1000, 256, {{745, 256}, {489, 256}, {233, 256}, {0, 233}}},
        {D::Butterfly, 0, 1023, 256, {{0, 256}, {768, 256}, {256, 256}, {512, 256}}},
        {D::Butterfly, 0, 1000, 256, {{0, 256}, {745, 256}, {256, 256}, {489, 256}}},
        {D::Forward, 7, 7, 256, {{7, 1}}},
        {D::Reverse, 7, 7, 256, {{7, 1}}},
        {D::Butterfly, 7, 7, 256, {{7, 1}}},
        {D::Forward, 0, 999, 256, {}},
        {D::Reverse, 10, 11, 256, {}},
        {D::Reverse, 5, 5000, 1, {}},
        {D::Forward, 0, 257, 256, {}},
        {D::Butterfly, 0, 4095, 256, {}},
    };
    for (const auto& c : cases) {
        auto blocks = blocksOf(c.order, c.start, c.end, c.size);
        if (!c.blocks.empty()) EXPECT_EQ(blocks, c.blocks) << int(c.order) << " over " << c.start << ".." << c.end;
        auto hits = coverage(blocks, c.end);
        for (uint64_t s = c.start; s <= c.end; ++s) {
            ASSERT_GE(hits[s], 1) << int(c.order) << ": sector " << s << " of " << c.start << ".." << c.end;
            if (c.order == D::Reverse) ASSERT_EQ(hits[s], 1) << "reverse scans every sector once: " << s;
        }
    }
}

TEST(BlockOrder, AWorkersPositionsAreSpreadEvenWhenItsCounterAdvancesInEqualSteps) {
    // A counter read every 10 ms of a steady clock: the same step between any two draws.
    for (uint32_t step : {1000u, 30000000u, 4096u}) {
        SCOPED_TRACE(step);
        PositionDraw draw;
        const uint64_t bound = 40000000;
        std::array<int, 10> bins{};
        double distance = 0;
        uint64_t last = 0;
        const int n = 20000;
        for (int i = 0; i < n; ++i) {
            const uint64_t p = draw.next(bound, uint32_t(i) * step);
            ASSERT_LT(p, bound);
            ++bins[size_t(p * 10 / bound)];
            if (i) distance += double(p > last ? p - last : last - p);
            last = p;
        }
        for (int b : bins) EXPECT_NEAR(b, n / 10, n / 50) << "evenly over the range";
        EXPECT_NEAR(distance / (n - 1) / double(bound), 1.0 / 3.0, 0.02) << "successive draws independent";
    }
}

TEST(BlockOrder, RandomPositionsStayInsideTheRangeAndErrorCodesMap) {
    ScanState s;
    s.startLba = 1000;
    s.endLba = 101000;
    s.range = 100000;
    s.direction = ScanDirection::Random;
    beginOrder(s, 256);
    for (uint32_t counter = 0; counter < 5000; counter += 7) {
        placeBlock(s, randomBelow(s.range - s.blockSize, counter * 2654435761u));
        ASSERT_GE(s.curLba, 1000u);
        ASSERT_LT(s.curLba, 1000u + 100000u - 256u);
    }
    EXPECT_EQ(randomBelow(0, 12345), 0u) << "range less the block 0: always the start";
    EXPECT_EQ(randomBelow(uint64_t(1) << 32, 12345), 0u) << "the bound is taken modulo 2^32";
    const std::pair<uint32_t, uint16_t> codes[] = {{5, 4},  {19, 72}, {23, 64},   {25, 2},    {27, 16},
                                                   {55, 4}, {1117, 4}, {1122, 1}, {1785, 2},  {31, 31},
                                                   {70000, 65535}};
    for (auto [system, block] : codes) EXPECT_EQ(apiBlockError(system), block) << system;
}
