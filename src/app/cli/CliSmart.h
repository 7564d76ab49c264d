#pragma once
#include "app/cli/CliCommands.h"

#include <string>
#include <vector>

namespace korvane::cli {

// smart [--open-bin FILE] [--json] [--watch S]; smart on|off; smart autosave on|off;
// smart test TYPE [N]; smart abort.
int runSmart(CliContext& c);

// The rows of `now` that are not in `before` (a new value of a row, or a new row).
std::vector<std::string> changedRows(const std::vector<std::string>& before, const std::vector<std::string>& now);

} // namespace korvane::cli
