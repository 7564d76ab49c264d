#pragma once
#include "access/DriveSession.h"
#include "access/LogFn.h"
#include "form/MainForm.h"
#include "tests/ScanState.h"
#include "tests/SurfaceScan.h"

namespace korvane::tests {

// Steering a scan from the Tests page: the block order chosen with the four direction pictures
// (also while a scan runs: the worker picks it up at its next advance) and the range shortcuts.
class ScanNavigation {
public:
    ScanNavigation(form::TestsPage& page, ScanState& state, access::DriveSession& session, SurfaceScan& scan,
                   access::LogFn log);

    // A press on a direction picture.
    void choose(ScanDirection d);
    // The order and the pictures; an order outside the four makes it forward (start-up).
    void selectDirection(int d);

private:
    form::TestsPage& page_;
    ScanState& state_;
    access::DriveSession& session_;
    SurfaceScan& scan_;
    access::LogFn log_;
};

} // namespace korvane::tests
