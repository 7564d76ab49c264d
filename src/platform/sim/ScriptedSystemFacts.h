#pragma once
#include "platform/SystemFacts.h"

namespace korvane::platform {

// System facts set by a test or by the lab.
class ScriptedSystemFacts final : public SystemFacts {
public:
    std::string time = "12:34:56";
    std::string date = "10.12.2026";
    std::string programDir = "./";
    std::string userConfigDir = "./config/";

    std::string timeText() override { return time; }
    std::string dateText() override { return date; }
    std::string programDirectory() override { return programDir; }
    std::string userConfigDirectory() override { return userConfigDir; }
};

} // namespace korvane::platform
