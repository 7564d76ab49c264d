#pragma once
#include "form/Control.h"

#include <cstdint>
#include <string>
#include <vector>

namespace korvane::info {

// The self-test list made from a SMART data block: five rows of label and value, the colours of
// the two status labels, and the ten-step meter.
struct SelfTestReport {
    std::vector<std::vector<std::string>> rows;
    form::Colour offlineColour = form::colours::Green;
    form::Colour selfTestColour = form::colours::Green;
    int meter = 0;
};

SelfTestReport selfTestReport(const uint8_t* data);

// The status texts and colours of bytes 362 and 363.
std::string offlineStatusText(uint8_t status, form::Colour& colour);
std::string selfTestStatusText(uint8_t code, form::Colour& colour);

// The test choices of the SMART test box: the subcommand each sends and its name in the log.
struct SmartTestChoice {
    const char* item;
    uint8_t subcommand;
    const char* logName;
};
inline constexpr SmartTestChoice kSmartTestChoices[8] = {
    {"Off-line data collect", 0x00, "Off-line routine"},
    {"Off-line short test", 0x01, "Off-line short"},
    {"Ext. off-line routine", 0x02, "Ext off-line routine"},
    {"Selective routine", 0x04, "Selective routine"},
    {"Short test (captive)", 0x81, "Short (captive)"},
    {"Ext. test (captive)", 0x82, "Ext. (captive)"},
    {"Selective test (captive)", 0x84, "Selective (captive)"},
    {"Vendor specific", 0x00, "Vendor specific"},
};
inline constexpr size_t kVendorSpecificChoice = 7;

} // namespace korvane::info
