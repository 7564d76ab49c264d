#include "access/SizeFormat.h"

#include <cstdio>

namespace korvane::access {

std::string formatSize(uint32_t bytesPerSector, uint64_t sectors) {
    double v = double(sectors) * double(bytesPerSector) / 1000.0;
    const char* format = "%.0f kb";
    const char* steps[] = {"%.0f Mb", "%.0f Gb", "%.1f Tb", "%.2f Pb"};
    for (const char* next : steps) {
        if (v <= 1000) break;
        v /= 1000;
        format = next;
    }
    char text[64];
    std::snprintf(text, sizeof text, format, v);
    return text;
}

std::string formatSizeShort(int64_t sectors, uint32_t bytesPerSector, uint32_t sectorsPerMiB) {
    // The magnitude as unsigned: the negation of the most negative value has no signed form.
    uint64_t n = sectors < 0 ? 0 - uint64_t(sectors) : uint64_t(sectors);
    if (sectorsPerMiB == 0) sectorsPerMiB = 2048;
    if (n < 20479) {
        if (sectors == 0) return "0";
        return std::to_string(sectors * int64_t(bytesPerSector) / 1024) + "k";
    }
    if (n < 20479999) return std::to_string(sectors / int64_t(sectorsPerMiB)) + "M";
    return std::to_string(sectors / int64_t(sectorsPerMiB) / 1024) + "G";
}

} // namespace korvane::access
