#include "support/TestApp.h"
#include "tests/ProgressDisplay.h"

#include <gtest/gtest.h>

using namespace korvane;

TEST(ProgressDisplay, TheRateTheRemainingTimeAndThePositionRefreshAtTheirIntervals) {
    testsupport::TestApp t;
    auto& page = t.app->form.tests;
    tests::ScanState s;
    s.endLba = 1000000;
    s.blockSize = 256;
    s.speedSampleBlocks = 25;
    tests::ProgressDisplay display(page, t.app->form.Application, s);
    const uint64_t ticksPerMs = 1000;
    display.start({0, true, ticksPerMs});
    int captionChanges = 0;
    std::string lastCaption = t.app->form.Application.caption();
    for (int block = 1; block <= 26; ++block) {
        display.afterBlock({block == 26 ? 100 * ticksPerMs : uint64_t(block), true, ticksPerMs}, 2048,
                           uint64_t(block) * 256);
        if (t.app->form.Application.caption() != lastCaption) {
            ++captionChanges;
            lastCaption = t.app->form.Application.caption();
        }
        if (block == 25) EXPECT_EQ(page.SpeedLed.caption(), " 0") << "no rate before N blocks have passed";
    }
    EXPECT_EQ(page.SpeedLed.caption(), " 33024") << "((512 x 25) / 100 + 1) x 256";
    EXPECT_EQ(s.uiInterval, 33024 / 2048);
    EXPECT_EQ(page.ScTimeLed.caption(), "00:00:15") << "(1000000 - 6656) / (2 x 33024 + 1)";
    EXPECT_EQ(t.app->form.Application.caption(), "0.6%  Scan") << "last refreshed at block 24";
    EXPECT_EQ(page.ScanPercentLed.caption(), " 0.6");
    EXPECT_LE(captionChanges, 13) << "the position refreshes every other block, not every block";
    display.finished();
    EXPECT_EQ(page.ScanPercentLed.caption(), " 100");
    for (auto [seconds, text] : std::vector<std::pair<uint64_t, std::string>>{
             {3725, "01:02:05"}, {0, "00:00:00"}, {3 * 3600 + 25 * 60 + 7, "03:25:07"}, {100 * 3600 + 59, "100:00:59"}})
        EXPECT_EQ(tests::formatHms(seconds), text);
}
