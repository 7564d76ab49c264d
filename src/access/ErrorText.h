#pragma once
#include <cstdint>
#include <string>

namespace korvane::access {

// The text of an error register value or of a code chosen by the caller.
std::string errorText(uint16_t code);

} // namespace korvane::access
