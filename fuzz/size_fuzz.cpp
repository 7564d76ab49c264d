// The size and LBA fields' parser over any text, drive size and unit.
#include "access/SizeParse.h"

#include <cstring>
#include <string>

using namespace korvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    uint64_t maxLba = 0;
    std::memcpy(&maxLba, data, std::min<size_t>(size, 8));
    const uint32_t sectorsPerMiB = size > 8 && data[8] & 1 ? 256 : 2048;
    const size_t skip = std::min<size_t>(size, 9);
    (void)access::parseSizeValue(std::string(reinterpret_cast<const char*>(data) + skip, size - skip), maxLba,
                                 sectorsPerMiB);
    (void)access::sizeConversionError(std::string(reinterpret_cast<const char*>(data), size));
    return 0;
}
