#include "access/SizeParse.h"

#include <cctype>
#include <cmath>

namespace korvane::access {

std::optional<int64_t> parseSizeValue(const std::string& text, uint64_t maxLba, uint32_t sectorsPerMiB) {
    size_t b = text.find_first_not_of(" \t");
    if (b == std::string::npos) return 0;
    std::string t = text.substr(b, text.find_last_not_of(" \t") - b + 1);
    char unit = t.back();
    if ((unit == 'B' || unit == 'b') && t.size() > 1) unit = t[t.size() - 2];
    int64_t n = 0;
    for (unsigned char c : t) {
        if (!std::isdigit(c)) continue;
        if (__builtin_mul_overflow(n, int64_t(10), &n) || __builtin_add_overflow(n, int64_t(c - '0'), &n))
            return std::nullopt;
    }
    if (sectorsPerMiB == 0) sectorsPerMiB = 2048;
    int64_t factor = 1;
    switch (std::toupper((unsigned char)unit)) {
    case '%': {
        double v = std::trunc(double(maxLba) * (double(n) / 100.0));
        if (!(v < 9.2e18)) return std::nullopt;
        return int64_t(v);
    }
    case 'K': factor = 2; break;
    case 'M': factor = int64_t(sectorsPerMiB); break;
    case 'G': factor = int64_t(1024) * sectorsPerMiB; break;
    case 'T': factor = int64_t(1048576) * sectorsPerMiB; break;
    default: break;
    }
    int64_t result = 0;
    if (__builtin_mul_overflow(n, factor, &result)) return std::nullopt;
    return result;
}

std::string sizeConversionError(const std::string& text) { return "'" + text + "' is not a valid size"; }

} // namespace korvane::access
