#pragma once
#include "access/Timing.h"
#include "form/MainForm.h"

#include <functional>

namespace korvane::access {

// Connects the Setup page's timer choices and time-out track bars to the clock state and the
// session's PIO time-outs.
class ClockControls {
public:
    ClockControls(form::MainForm& form, Timing& timing);

    // Recomputes the three time-outs from the track bars (start-up does this once).
    void recomputeTimeouts();
    // Run after a timer choice that changes the scan's time-class limits.
    std::function<void()> onScanTimingChanged;

private:
    void ataTimerClicked();
    void commonClockClicked();
    void pioScanTimerClicked();
    void updateTimeoutLabels();

    form::MainForm& form_;
    Timing& timing_;
};

} // namespace korvane::access
