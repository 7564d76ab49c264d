#pragma once
#include "form/MainForm.h"
#include "tests/ScanState.h"

#include <cstdint>
#include <functional>
#include <string>

namespace korvane::tests {

// The rate, remaining time, position and percentage of a running scan, refreshed at the
// throttled intervals: a rate sample after more than N blocks, position and percentage after
// more than `uiInterval` blocks, so a fast drive costs no more display work than a slow one.
// Seconds as h:mm:ss, each part two digits at least (hours can have more).
std::string formatHms(uint64_t seconds);

class ProgressDisplay {
public:
    ProgressDisplay(form::TestsPage& page, form::Control& application, ScanState& state);

    struct Clock {
        uint64_t now;          // counter ticks or milliseconds
        bool counter;          // the time-stamp counter (else the tick count)
        uint64_t ticksPerMs;   // of the counter
    };
    // A scan starts: the sample time and the counters begin at `clock.now`.
    void start(const Clock& clock);
    // UI step after each block: the block at `lba` ended at clock.now.
    void afterBlock(const Clock& clock, uint32_t sectorsPerMiB, uint64_t lba);
    // Continue after a pause: the last sample moves to now less half the last interval.
    void resumed(uint64_t now);
    // A random scan's position refresh also reads the time of day for its deadline.
    std::function<void()> onRandomNow;
    // The end of a scan: "100".
    void finished();

    // The scan has had its first rate sample.
    bool sampled() const { return sampled_; }

private:
    void sampleRate(const Clock& clock);
    void showPosition(uint32_t sectorsPerMiB);

    form::TestsPage& page_;
    form::Control& application_;
    ScanState& state_;
    uint64_t lastSample_ = 0, lastInterval_ = 0;
    uint64_t at_ = 0;
    bool sampled_ = false;
    uint32_t blocksSinceSample_ = 0, blocksSinceRefresh_ = 0;
};

} // namespace korvane::tests
