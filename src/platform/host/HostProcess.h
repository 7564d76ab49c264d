#pragma once
#include <string>
#include <vector>

namespace korvane::platform {

// The full path of `name` on PATH, or "" when it is not there.
std::string findProgram(const std::string& name);

// The path of the running program.
std::string runningProgram();

// Replaces this process with `line` (the first word a path). Returns only when that failed,
// with the reason.
std::string replaceProcess(const std::vector<std::string>& line);

} // namespace korvane::platform
