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
    OsFacts os = [] {
        OsFacts f;
        f.platform = PlatformId::Linux;
        f.major = 6;
        f.minor = 1;
        f.release = "6.1.0-lab";
        f.isAdmin = true;
        f.processors = 2;
        return f;
    }();
    double dayFraction = 0.5;

    OsFacts osFacts() override { return os; }
    double timeOfDay() override { return dayFraction; }

    std::string timeText() override { return time; }
    std::string dateText() override { return date; }
    std::string programDirectory() override { return programDir; }
    std::string userConfigDirectory() override { return userConfigDir; }
};

} // namespace korvane::platform
