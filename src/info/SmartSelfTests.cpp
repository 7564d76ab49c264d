#include "info/SmartSelfTests.h"

#include <cstdio>

namespace korvane::info {

using namespace form::colours;

std::string offlineStatusText(uint8_t status, form::Colour& colour) {
    switch (status) {
    case 0x00:
    case 0x80: colour = Grey; return "Off-line data collection activity was never started";
    case 0x02:
    case 0x82: colour = Green; return "Off-line data collection activity was completed without error";
    case 0x03: colour = 0xFF8000; return "ReservedOff-line activity in progress!";
    case 0x04:
    case 0x84: colour = Purple; return "Off-line data collection was suspended by command from host";
    case 0x05:
    case 0x85: colour = Purple; return "Off-line data collection was aborted by command from host";
    case 0x06:
    case 0x86: colour = Red; return "Off-line data collection was aborted by device with a fatal error!";
    default: colour = Green; return "Unknown status";
    }
}

std::string selfTestStatusText(uint8_t code, form::Colour& colour) {
    switch (code) {
    case 0:
        colour = Green;
        return "The previous self-test routine completed without error or no self-test has ever been run";
    case 1: colour = Purple; return "The self-test routine was aborted by the host";
    case 2: colour = Blue; return "The self-test routine was interrupted by the host with a hardware or software reset";
    case 3:
        colour = Red;
        return "A fatal error or unknown test error occurred while the device was executing its self-testroutineand "
               "the device was unable to complete the self-test routine";
    case 4:
        colour = Red;
        return "The previous self-test completed having a test element that failed and the test element that failed "
               "is not known";
    case 5: colour = Red; return "The previous self-test completed having the electrical element of the test failed";
    case 6:
        colour = Red;
        return "The previous self-test completed having the servo (and/or seek) test element of the test failed";
    case 15: colour = 0xFF8000; return "Self-test routine in progress !!!";
    default: colour = Red; return "The previous self-test completed having the read element of the test failed";
    }
}

SelfTestReport selfTestReport(const uint8_t* d) {
    SelfTestReport r;
    char hex[8];
    std::snprintf(hex, sizeof hex, "%02Xh", d[362]);
    const uint8_t code = d[363] >> 4;
    r.rows = {
        {"Total time in seconds to complete off-line data collection activity", std::to_string(d[364] | d[365] << 8)},
        {"Short self-test routine recommended polling time (in minutes)", std::to_string(d[372])},
        {"Extended self-test routine recommended polling time (in minutes)", std::to_string(d[373])},
        {offlineStatusText(d[362], r.offlineColour), hex},
        {selfTestStatusText(code, r.selfTestColour), std::to_string(code)},
    };
    int remaining = d[363] & 0x0F;
    if (remaining == 0 || remaining > 10) remaining = 10;
    r.meter = 10 - remaining;
    return r;
}

} // namespace korvane::info
