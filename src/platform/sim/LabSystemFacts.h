#pragma once
#include "platform/SystemFacts.h"

namespace korvane::platform {

// This computer's facts, as the simulated lab presents them: the lab is a machine on which the
// user holds every right, whoever runs the program.
class LabSystemFacts final : public SystemFacts {
public:
    explicit LabSystemFacts(SystemFacts& host) : host_(host) {}

    OsFacts osFacts() override {
        OsFacts os = host_.osFacts();
        os.isAdmin = true;
        return os;
    }
    double timeOfDay() override { return host_.timeOfDay(); }
    std::string timeText() override { return host_.timeText(); }
    std::string dateText() override { return host_.dateText(); }
    std::string programDirectory() override { return host_.programDirectory(); }
    std::string userConfigDirectory() override { return host_.userConfigDirectory(); }

private:
    SystemFacts& host_;
};

} // namespace korvane::platform
