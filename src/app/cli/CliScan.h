#pragma once
#include "app/cli/CliCommands.h"

namespace korvane::cli {

// `scan`: the Tests page's surface scan, started and followed as the window does.
int runScan(CliContext& c);
// `scan-compare A.csv B.csv`: the blocks of two scans of one drive that got slower or went bad;
// exit 0 when nothing got worse, 3 otherwise.
int runScanCompare(CliContext& c);

} // namespace korvane::cli
