#pragma once
#include "access/LogFn.h"
#include "form/MainForm.h"
#include "tests/ScanState.h"

namespace korvane::tests {

// The time classes as the Tests page shows them: the five limit labels, the six counters and the
// optional log line of a slow block.
class TimeClassDisplay {
public:
    TimeClassDisplay(form::TestsPage& page, ScanState& state, access::LogFn log);

    // New limits into the state and the labels.
    void applyLimits(const ClassLimits& limits);
    // The direction changed: M follows it, and the last label shows the plain value first.
    void directionChanged(ScanDirection order);
    // UI step for a good block at `lba` that took `blockTime` units: its class, counter, map code
    // and, when its box says so, a line. The counter's label is left to showCounts.
    int classify(uint64_t lba, uint64_t blockTime);
    // The six counters' labels from the counts.
    void showCounts();
    // "RS": the counters back to zero.
    void resetCounters();

private:
    form::Label& counter(int cls);
    form::TestsPage& page_;
    ScanState& state_;
    access::LogFn log_;
};

} // namespace korvane::tests
