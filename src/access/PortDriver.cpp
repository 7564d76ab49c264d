#include "access/PortDriver.h"

namespace korvane::access {

// Nothing to copy or register here; what can fail is the machine itself lacking port instructions.
bool PortDriver::installPortDriver() { return ports_.portInstructionsAvailable(); }

bool PortDriver::startPortDriverService() { return true; }

bool PortDriver::openPortDriver() {
    if (ports_.grantAllPorts(why_)) return true;
    // The first try failed: start the service and try once more, as the driver path does.
    startPortDriverService();
    if (ports_.grantAllPorts(why_)) return true;
    bool noRights = why_.find("not permitted") != std::string::npos;
    log_(noRights ? "[AllowIO]You must have administrator rights" : "Uknown error or driver not exist", 0, 4);
    log_("PORTTALK Error. Invalid driver handle", 0, 4);
    return false;
}

} // namespace korvane::access
