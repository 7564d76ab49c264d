#pragma once
#include <cstdint>

namespace korvane::access {

// What device selection remembers besides the session itself.
struct SelectionState {
    // API device number remembered across mode switches and runs.
    int32_t lastApiDevice = 0;
    // Settings key that, with primaryChannelAllowed, lets the primary channel be chosen.
    bool enablePrimaryMaster = false;
    uint8_t maxPhysicalDrive = 0;
    bool switchRequested = false;
};

} // namespace korvane::access
