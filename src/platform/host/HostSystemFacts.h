#pragma once
#include "platform/SystemFacts.h"

namespace korvane::platform {

class HostSystemFacts final : public SystemFacts {
public:
    std::string timeText() override;
    std::string dateText() override;
    OsFacts osFacts() override;
    double timeOfDay() override;
    std::string programDirectory() override;
    std::string userConfigDirectory() override;
};

} // namespace korvane::platform
