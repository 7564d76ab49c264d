#pragma once
#include <optional>
#include <string>
#include <vector>

namespace korvane::cli {

// The command line as parsed: global options, the command and the command's own arguments.
struct CliOptions {
    enum class Machine { Sim, Host };
    Machine machine = Machine::Sim;
    std::string simProfile;
    std::vector<std::string> devices;
    std::optional<std::string> api;       // "N" or "L:"
    std::optional<std::string> pio;       // "primary", "secondary" or "custom:BASE:ALT"
    bool slave = false;
    bool lba48 = false;
    bool noAltStatus = false;
    std::optional<std::string> iniFile;
    std::optional<std::string> simStateDir; // the lab kept in this folder between runs
    std::optional<std::string> logsDir;
    std::optional<bool> answer;           // --yes / --no
    bool quiet = false;
    bool saveSettings = false;
    bool help = false;
    bool version = false;
    std::string command;
    std::vector<std::string> arguments;
};

struct ParseResult {
    std::optional<CliOptions> options;
    std::string error; // set when options is empty: a usage error
};

ParseResult parseCommandLine(const std::vector<std::string>& args);

// The options that belong before the command.
bool isGlobalOption(const std::string& arg);
// Commands the front end knows, built or not.
bool isKnownCommand(const std::string& command);

std::string usageText();

} // namespace korvane::cli
