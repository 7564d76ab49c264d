#pragma once
#include <cstdint>
#include <string>

namespace korvane::info {

// The name of SMART attribute `id` on a drive of `familyCode`: the first variant for the family,
// else the default; an ID without a name reads "unknown attribut".
const std::string& attributeName(uint8_t id, uint8_t familyCode);

} // namespace korvane::info
