#pragma once
#include <string>

namespace korvane::platform {

// Facts about the running system that the logic asks for: locale texts and where the program lives.
class SystemFacts {
public:
    virtual ~SystemFacts() = default;

    // The current local time as the locale's time text (hours, minutes, seconds).
    virtual std::string timeText() = 0;
    // The current local date as the locale's short date text.
    virtual std::string dateText() = 0;

    // Directory of the running executable, with a trailing separator.
    virtual std::string programDirectory() = 0;
    // Per-user configuration directory for Korvane, with a trailing separator
    // ($XDG_CONFIG_HOME/korvane/ or ~/.config/korvane/).
    virtual std::string userConfigDirectory() = 0;
};

} // namespace korvane::platform
