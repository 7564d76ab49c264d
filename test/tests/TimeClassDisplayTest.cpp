#include "support/TestApp.h"
#include "tests/TimeClassDisplay.h"

#include <gtest/gtest.h>

using namespace korvane;

namespace {
struct Display : ::testing::Test {
    testsupport::TestApp t;
    form::TestsPage& page = t.app->form.tests;
    tests::ScanState state;
    tests::TimeClassDisplay display{page, state, t.app->logger()};
};
} // namespace

TEST_F(Display, LimitsShowAsTheLabelsSayAndADirectionChangeShowsItsLastLabelFirst) {
    display.applyLimits(tests::computeClassLimits(1, 5, tests::TimingPath::PioPolling, 5));
    EXPECT_EQ(page.scTim5.caption(), "5");
    EXPECT_EQ(page.scTim20.caption(), "20");
    EXPECT_EQ(page.scTim50.caption(), "50");
    EXPECT_EQ(page.scTim200.caption(), "200");
    EXPECT_EQ(page.scTim600.caption(), "600");
    display.directionChanged(tests::ScanDirection::Butterfly);
    EXPECT_EQ(state.directionFactor, 2);
    EXPECT_EQ(page.scTim600.caption(), "1.2s");
    display.applyLimits(tests::computeClassLimits(state.directionFactor, 5, tests::TimingPath::Api, 5));
    EXPECT_EQ(page.scTim600.caption(), "1.2s");
    EXPECT_EQ(page.scTim200.caption(), "400");
}

TEST_F(Display, EachClassCountsAndOnlyTheCheckedSlowClassesAreLogged) {
    display.applyLimits(tests::computeClassLimits(1, 5, tests::TimingPath::PioPolling, 5)); // 10 units a ms
    page.ErLogBx50.setChecked(true);
    struct Case {
        uint64_t time;
        int cls;
        const char* line; // nullptr: no line
    };
    const Case cases[] = {{10, 1, nullptr},
                          {100, 2, nullptr},
                          {300, 3, "Block start at 4096 = 30 ms"},
                          {1500, 4, nullptr}, // its box is unchecked
                          {3000, 5, "Warning! Block start at 4096 = 300 ms"},
                          {70000, 6, "Warning! Block start at 4096 = 7000 ms"}};
    for (const auto& c : cases) {
        size_t before = t.messages().size();
        EXPECT_EQ(display.classify(4096, c.time), c.cls) << c.time;
        EXPECT_EQ(state.cellCode, char('0' + c.cls));
        if (c.line)
            EXPECT_EQ(t.lastMessage(), c.line);
        else
            EXPECT_EQ(t.messages().size(), before) << c.time;
    }
    display.showCounts();
    EXPECT_EQ(page.Tim1Lab.caption(), "1");
    EXPECT_EQ(page.Tim6Lab.caption(), "1");
    EXPECT_EQ(state.warningCount, 3u);
    state.defectoscope = true; // the survey writes its own lines
    size_t before = t.messages().size();
    display.classify(4096, 70000);
    display.showCounts();
    EXPECT_EQ(t.messages().size(), before);
    EXPECT_EQ(page.Tim6Lab.caption(), "2");
    display.resetCounters();
    EXPECT_EQ(page.Tim6Lab.caption(), "0");
    EXPECT_EQ(state.classCounts[5], 0u);
}
