#pragma once
#include "access/LogFn.h"
#include "form/MainForm.h"
#include "tests/ScanState.h"

#include <cstdint>

namespace korvane::tests {

// A block of the surface scan that failed: its report, its map code and its treatment.
class DefectHandler {
public:
    DefectHandler(form::TestsPage& page, ScanState& state, access::LogFn log);

    // The map letter of a bad block's error code.
    static char mapCode(uint16_t error);

    // UI step: reports the block at state.curLba with state.blockError and applies the treatment
    // of the Tests page's group (Ignore leaves the block as it is).
    void handleBadBlock();

private:
    form::TestsPage& page_;
    ScanState& state_;
    access::LogFn log_;
};

} // namespace korvane::tests
