#include "app/cli/CliOptions.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace korvane::cli {

namespace {

const std::array<const char*, 23> kCommands = {"lab",   "devices",    "passport", "reset",  "status", "pci", "scan-compare",
                                                "smart", "scan",       "seek",     "aam",    "hpa",    "security",
                                                "cache", "sleep",      "recall",   "rpm",    "mbr",    "partitions",
                                                "sector", "power",     "demo",     "clock"};

bool validApi(const std::string& v) {
    if (v.size() == 2 && std::isalpha((unsigned char)v[0]) && v[1] == ':') return true;
    if (v.empty() || v.size() > 2) return false;
    if (!std::all_of(v.begin(), v.end(), [](unsigned char c) { return std::isdigit(c); })) return false;
    return std::stoi(v) <= 24;
}

bool validHexPort(const std::string& v) {
    return !v.empty() && v.size() <= 4 &&
           std::all_of(v.begin(), v.end(), [](unsigned char c) { return std::isxdigit(c); });
}

bool validPio(const std::string& v) {
    if (v == "primary" || v == "secondary") return true;
    if (v.rfind("custom:", 0) != 0) return false;
    std::string rest = v.substr(7);
    size_t colon = rest.find(':');
    return colon != std::string::npos && validHexPort(rest.substr(0, colon)) && validHexPort(rest.substr(colon + 1)) &&
           std::stoul(rest.substr(0, colon), nullptr, 16) <= 0xFFF8;
}

} // namespace

bool isGlobalOption(const std::string& a) {
    static const std::array<const char*, 17> globals = {"--sim-state", "--sim",  "--host", "--device",        "--api",
                                                        "--pio",  "--slave", "--lba48",        "--no-alt-status",
                                                        "--ini",  "--logs", "--yes",           "--no",
                                                        "--quiet", "--save-settings", "--help", "--version"};
    if (a.rfind("--sim=", 0) == 0) return true;
    return std::find(globals.begin(), globals.end(), a) != globals.end();
}

bool isKnownCommand(const std::string& command) {
    return std::find(kCommands.begin(), kCommands.end(), command) != kCommands.end();
}

ParseResult parseCommandLine(const std::vector<std::string>& args) {
    CliOptions o;
    bool hostChosen = false, simChosen = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (!o.command.empty()) {
            o.arguments.push_back(a);
            continue;
        }
        auto needValue = [&](std::string& out) -> bool {
            if (i + 1 >= args.size()) return false;
            out = args[++i];
            return true;
        };
        std::string value;
        if (a == "--sim" || a.rfind("--sim=", 0) == 0) {
            simChosen = true;
            if (a.size() > 5) o.simProfile = a.substr(6);
        } else if (a == "--host") {
            hostChosen = true;
        } else if (a == "--device") {
            if (!needValue(value)) return {std::nullopt, "--device needs a path"};
            o.devices.push_back(value);
            hostChosen = true;
        } else if (a == "--api") {
            if (!needValue(value) || !validApi(value)) return {std::nullopt, "--api needs a drive number 0-24 or a letter and a colon (C:)"};
            o.api = value;
        } else if (a == "--pio") {
            if (!needValue(value) || !validPio(value))
                return {std::nullopt, "--pio needs primary, secondary or custom:BASE:ALT (hexadecimal ports, BASE up to FFF8)"};
            o.pio = value;
        } else if (a == "--slave") {
            o.slave = true;
        } else if (a == "--lba48") {
            o.lba48 = true;
        } else if (a == "--no-alt-status") {
            o.noAltStatus = true;
        } else if (a == "--sim-state") {
            if (!needValue(value)) return {std::nullopt, "--sim-state needs a directory"};
            o.simStateDir = value;
        } else if (a == "--ini") {
            if (!needValue(value)) return {std::nullopt, "--ini needs a file"};
            o.iniFile = value;
        } else if (a == "--logs") {
            if (!needValue(value)) return {std::nullopt, "--logs needs a directory"};
            o.logsDir = value;
        } else if (a == "--yes" || a == "--no") {
            bool yes = (a == "--yes");
            if (o.answer && *o.answer != yes) return {std::nullopt, "--yes and --no exclude each other"};
            o.answer = yes;
        } else if (a == "--quiet") {
            o.quiet = true;
        } else if (a == "--save-settings") {
            o.saveSettings = true;
        } else if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "--version") {
            o.version = true;
        } else if (a.rfind("-", 0) == 0) {
            return {std::nullopt, "unknown option " + a};
        } else {
            if (!isKnownCommand(a)) return {std::nullopt, "unknown command " + a};
            o.command = a;
        }
    }
    if (hostChosen && simChosen) return {std::nullopt, "--sim and --host (or --device) exclude each other"};
    if (o.api && o.pio) return {std::nullopt, "--api and --pio exclude each other"};
    if (hostChosen && o.simStateDir) return {std::nullopt, "--sim-state keeps a simulated lab: not with --host or --device"};
    o.machine = hostChosen ? CliOptions::Machine::Host : CliOptions::Machine::Sim;
    if (o.command.empty() && !o.help && !o.version) return {std::nullopt, "no command given"};
    return {o, {}};
}

std::string usageText() {
    return R"(Usage: korvane-cli [GLOBAL OPTIONS] COMMAND [COMMAND OPTIONS]

Korvane tests, repairs and benchmarks one hard disk or SSD at a time. Without --host or
--device it works on the built-in simulated drive lab, so nothing real is touched.

Global options:
  --sim[=PROFILE]        use the simulated lab (the default)
  --sim-state DIR        keep the lab's drives (media and state) in DIR between runs
  --host                 use this machine's drives and ports (needs root)
  --device PATH          add an image file or block device as the next physical drive
  --api N | --api L:     API mode on physical drive N or logical drive L
  --pio CHANNEL          PIO mode on primary, secondary or custom:BASE:ALT
  --slave, --lba48, --no-alt-status
                         PIO options: slave device, 48-bit commands, poll base+7
  --ini FILE             settings file to read (default: krv40.ini beside the program)
  --save-settings        write the settings file at the end
  --logs DIR             log directory
  --yes, --no            the answer to every confirmation (without one, none is given)
  --quiet                print only results, not the event log
  --help, --version

Commands:
  clock                  calibrate the processor clock
  lab, devices, passport, reset, status, pci, smart, scan, seek, aam, hpa,
  security, cache, sleep, recall, rpm, mbr, partitions, sector, power, demo
                         (see the README; commands whose feature is not built yet say so)

Exit status: 0 done, 1 the operation failed (the log says why), 2 usage error.
)";
}

} // namespace korvane::cli
