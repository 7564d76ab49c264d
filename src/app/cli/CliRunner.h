#pragma once
#include "app/cli/CliOptions.h"

#include <functional>
#include <ostream>

namespace korvane::platform {
class VirtualClock;
}
namespace korvane::sim {
class Lab;
}
namespace korvane::shell {
class App;
}

namespace korvane::cli {

// Where a test looks in on a command line run on the lab: the lab once built (to plant faults),
// the application once started up, and the application and the lab's clock once the command has
// returned, before the window's close.
struct CliHooks {
    std::function<void(sim::Lab&)> labBuilt;
    std::function<void(shell::App&)> startedUp;
    std::function<void(shell::App&, platform::VirtualClock&)> commandDone;
};

// Runs one command line: builds the App over the headless UI thread, runs the command and
// prints the event-log lines and lists. Returns the exit status.
int runCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                   const CliHooks& hooks = {});

// The event-log line as the command line prints it: the mark and a space unless the mark is blank.
std::string cliLogLine(const std::string& line, const std::string& mark);

} // namespace korvane::cli
