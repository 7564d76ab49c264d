#include "tests/BlockOrder.h"

#include <gtest/gtest.h>

#include <vector>

using namespace korvane::tests;

namespace {
// How many times each sector of [start, end] was covered by the blocks of a whole scan.
std::vector<int> coverage(ScanDirection order, uint64_t start, uint64_t end, uint32_t size) {
    std::vector<int> hits(end + 1, 0);
    BlockCursor c = BlockCursor::begin(order, start, end, size);
    for (int guard = 0; guard < 100000; ++guard) {
        c.place([](uint64_t) { return 0u; });
        for (uint64_t s = c.curLba; s < c.curLba + c.blockSize && s <= end; ++s) ++hits[s];
        if (!c.advance()) break;
    }
    return hits;
}
} // namespace

TEST(BlockOrder, ForwardAndReverseCoverEverySectorOnceAndTheForwardTailEndsOnEndLba) {
    struct Case {
        uint64_t start, end;
        uint32_t size;
    };
    for (auto c : {Case{0, 999, 256}, Case{0, 1023, 256}, Case{10, 11, 256}, Case{5, 5000, 1}, Case{0, 257, 256}}) {
        auto rev = coverage(ScanDirection::Reverse, c.start, c.end, c.size);
        for (uint64_t s = c.start; s <= c.end; ++s) ASSERT_EQ(rev[s], 1) << "reverse, sector " << s << " of " << c.end;
        auto fwd = coverage(ScanDirection::Forward, c.start, c.end, c.size);
        for (uint64_t s = c.start; s <= c.end; ++s) ASSERT_GE(fwd[s], 1) << "forward, sector " << s << " of " << c.end;
        EXPECT_GE(fwd[c.end], 1) << "endLba is inclusive";
    }
    // The forward tail: a block of endLba - curLba sectors, then one sector at endLba.
    BlockCursor f = BlockCursor::begin(ScanDirection::Forward, 0, 999, 256);
    std::vector<std::pair<uint64_t, uint32_t>> blocks;
    do blocks.emplace_back(f.curLba, f.blockSize);
    while (f.advance());
    EXPECT_EQ(blocks.back(), (std::pair<uint64_t, uint32_t>{999, 1}));
    EXPECT_EQ(blocks[blocks.size() - 2], (std::pair<uint64_t, uint32_t>{768, 231}));
}

TEST(BlockOrder, ButterflyMeetsInTheMiddleWithEverySectorScanned) {
    for (uint64_t end : {999ull, 1023ull, 4095ull}) {
        auto hits = coverage(ScanDirection::Butterfly, 0, end, 256);
        for (uint64_t s = 0; s <= end; ++s) ASSERT_GE(hits[s], 1) << "sector " << s << " of " << end;
    }
    BlockCursor b = BlockCursor::begin(ScanDirection::Butterfly, 0, 1023, 256);
    std::vector<uint64_t> starts;
    do {
        b.place([](uint64_t) { return 0u; });
        starts.push_back(b.curLba);
    } while (b.advance());
    EXPECT_EQ(starts, (std::vector<uint64_t>{0, 768, 256, 512})) << "low, high, low, high";
}

TEST(BlockOrder, RandomPositionsStayInsideTheRangeAndErrorCodesMap) {
    BlockCursor r = BlockCursor::begin(ScanDirection::Random, 1000, 101000, 256);
    for (uint32_t counter = 0; counter < 5000; counter += 7) {
        r.place([&](uint64_t bound) { return randomBelow(bound, counter * 2654435761u); });
        ASSERT_GE(r.curLba, 1000u);
        ASSERT_LT(r.curLba, 1000u + 100000u - 256u);
    }
    EXPECT_EQ(randomBelow(0, 12345), 0u);
    EXPECT_EQ(randomBelow(uint64_t(1) << 32, 12345), 0u) << "the bound is taken modulo 2^32";
    const std::pair<uint32_t, uint16_t> codes[] = {{5, 4},  {19, 72}, {23, 64},   {25, 2},    {27, 16},
                                                   {55, 4}, {1117, 4}, {1122, 1}, {1785, 2},  {31, 31},
                                                   {70000, 65535}};
    for (auto [system, block] : codes) EXPECT_EQ(apiBlockError(system), block) << system;
}
