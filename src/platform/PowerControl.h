#pragma once

namespace korvane::platform {

// Shutting the computer down (a scan's end action).
class PowerControl {
public:
    virtual ~PowerControl() = default;
    // True when the request was accepted.
    virtual bool shutDown() = 0;
};

} // namespace korvane::platform
