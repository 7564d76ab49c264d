#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace korvane::access {

// A size or LBA text ("131072134", "100 Mb", "204G", "17%") as a sector count. Every digit of
// the text counts, in order (there is no decimal point); the unit is the last letter, or the one
// before a final "b". nullopt is a conversion error: a number or a product beyond 64 bits.
std::optional<int64_t> parseSizeValue(const std::string& text, uint64_t maxLba, uint32_t sectorsPerMiB);

// The message a conversion error shows.
std::string sizeConversionError(const std::string& text);

} // namespace korvane::access
