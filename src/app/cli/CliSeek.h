#pragma once
#include "app/cli/CliCommands.h"

namespace korvane::cli {

// `seek`: the mechanic test of the Standard page, followed until its count, its time, Break
// (Ctrl-C) or a failure; exit 0 without a failure, 1 on a time-out or an error.
int runSeek(CliContext& c);
// `aam LEVEL|min|off`: the acoustic management level, as the track bar and its buttons set it.
int runAam(CliContext& c);

} // namespace korvane::cli
