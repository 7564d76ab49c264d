#pragma once
#include <cstdint>
#include <string>

namespace korvane::analysis {

// The name of an MBR partition type; "Unkn 27" for a type the table does not know.
std::string partitionTypeName(uint8_t type);

// A GPT partition type GUID in its text form (upper case, 8-4-4-4-12), from its 16 on-disk bytes.
std::string guidText(const uint8_t* bytes);
// The short name of a common GPT type, or the GUID text.
std::string gptTypeName(const uint8_t* typeGuid);

} // namespace korvane::analysis
