#pragma once
#include <functional>
#include <string>

namespace korvane::access {

// The event log's entry point as the logic layers receive it: text, replace-last, level.
using LogFn = std::function<void(const std::string& text, int replaceLast, int level)>;

} // namespace korvane::access
