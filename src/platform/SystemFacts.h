#pragma once
#include <string>
#include <vector>

namespace korvane::platform {

enum class PlatformId { Win32s, Windows9x, WindowsNT, Linux };

// What start-up asks about the system it runs on.
struct OsFacts {
    PlatformId platform = PlatformId::Linux;
    unsigned major = 0, minor = 0, build = 0;
    bool server = false;
    std::string release;         // the kernel release on Linux
    bool is64BitWindows = false; // a 32-bit process on 64-bit Windows
    bool isAdmin = false;        // administrator rights (root or raw I/O capability on Linux)
    unsigned processors = 1;
    // Without administrator rights: what is missing and how to get it, a line each.
    std::vector<std::string> missingRights;
};

// Facts about the running system that the logic asks for: locale texts and where the program lives.
class SystemFacts {
public:
    virtual ~SystemFacts() = default;

    // The current local time as the locale's time text (hours, minutes, seconds).
    virtual std::string timeText() = 0;
    // The current local date as the locale's short date text.
    virtual std::string dateText() = 0;

    virtual OsFacts osFacts() = 0;
    // The local time of day as a fraction of a day (0.5 is noon).
    virtual double timeOfDay() = 0;

    // Directory of the running executable, with a trailing separator.
    virtual std::string programDirectory() = 0;
    // Per-user configuration directory for Korvane, with a trailing separator
    // ($XDG_CONFIG_HOME/korvane/ or ~/.config/korvane/).
    virtual std::string userConfigDirectory() = 0;
};

} // namespace korvane::platform
