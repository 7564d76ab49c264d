#pragma once
#include "app/cli/CliCommands.h"

namespace korvane::cli {

// `scan`: the Tests page's surface scan, started and followed as the window does.
int runScan(CliContext& c);

} // namespace korvane::cli
