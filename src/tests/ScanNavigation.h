#pragma once
#include <functional>
#include "access/DriveSession.h"
#include "access/LogFn.h"
#include "access/PioProtocol.h"
#include "form/JumpControl.h"
#include "form/MainForm.h"
#include "form/UiThread.h"
#include "tests/ScanState.h"
#include "tests/SurfaceScan.h"

namespace korvane::tests {

struct ScanNavigationContext {
    form::TestsPage& page;
    form::ScanOptionsGroup& options;
    form::Timer& repeatTimer; // BtnTimer
    ScanState& state;
    access::DriveSession& session;
    access::PioProtocol& pio;
    platform::Clock& clock;
    SurfaceScan& scan;
    form::UiThread& ui;
    access::LogFn log;
};

// Steering a scan from the Tests page: the jumps of the four-arrow control (with auto-repeat
// while an arrow is held), the block order chosen with the four direction pictures (also while a
// scan runs: the worker picks both up at its next advance) and the range shortcuts.
class ScanNavigation {
public:
    explicit ScanNavigation(ScanNavigationContext c);

    using Arrow = form::JumpControl::Arrow;
    // One jump of the arrow's kind, with the pause, mark and reset rules around it.
    void jump(Arrow a);
    // Hold the scan worker between two blocks, and let it go again (the command bracket).
    std::function<void()> holdWorker, releaseWorker;

    // A press on a direction picture.
    void choose(ScanDirection d);
    // The order and the pictures; an order outside the four makes it forward (start-up).
    void selectDirection(int d);

    // A click on the remaining time: the time of day the scan started, for a moment.
    void showStartTime();

private:
    void move(Arrow a);
    void wire();

    ScanNavigationContext c_;
    form::TestsPage& page_;
    ScanState& state_;
    Arrow heldArrow_ = Arrow::Up;
    bool repeatArmed_ = false;
};

} // namespace korvane::tests
