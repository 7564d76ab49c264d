#pragma once
#include "access/LogFn.h"
#include "platform/PortIo.h"

#include <functional>
#include <string>

namespace korvane::access {

// Port access in place of a kernel driver: the system grants this process every I/O port.
// The three steps keep their names and messages, so start-up reads the same either way.
class PortDriver {
public:
    PortDriver(platform::PortIo& ports, LogFn log) : ports_(ports), log_(std::move(log)) {}

    // Succeeds when the machine has port instructions (nothing to copy or register here).
    bool installPortDriver();
    bool startPortDriverService();
    // Asks for access to every port; false (with the messages) when the system refuses.
    bool openPortDriver();
    // Why the last request was refused, as the system put it.
    const std::string& refusal() const { return why_; }

private:
    platform::PortIo& ports_;
    LogFn log_;
    std::string why_;
};

} // namespace korvane::access
