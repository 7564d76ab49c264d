#pragma once
#include "app/cli/CliOptions.h"

#include <ostream>

namespace korvane::cli {

// Runs one command line: builds the App over the headless UI thread, runs the command and
// prints the event-log lines and lists. Returns the exit status.
int runCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// The event-log line as the command line prints it: the mark and a space unless the mark is blank.
std::string cliLogLine(const std::string& line, const std::string& mark);

} // namespace korvane::cli
