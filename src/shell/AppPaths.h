#pragma once
#include "platform/SystemFacts.h"

#include <string>

namespace korvane::shell {

// Where the settings file and the log directory live: beside the program when that directory can
// be written, else in the user's configuration directory.
struct AppPaths {
    static constexpr const char* kIniName = "krv40.ini";

    std::string programDirectory; // with a trailing '/'
    std::string dataDirectory;    // programDirectory or the user configuration directory
    std::string iniPath;
    // Set by the command line's --logs: the log directory whatever the settings say.
    std::string logDirectoryOverride;

    static AppPaths resolve(platform::SystemFacts& facts);
    static AppPaths inDirectory(const std::string& directory);
    // The log directory for a "Logs dir:" text, with a trailing '/'.
    std::string logDirectory(const std::string& dirName) const;
    // True when a file can be created in `directory` (probed, since root ignores permission bits).
    static bool writable(const std::string& directory);
};

} // namespace korvane::shell
