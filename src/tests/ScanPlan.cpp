#include "tests/ScanPlan.h"

#include "access/SizeParse.h"

#include <algorithm>
#include <cctype>

namespace korvane::tests {

uint64_t boxDigits(const std::string& text) {
    std::string digits;
    for (unsigned char c : text)
        if (std::isdigit(c)) digits.push_back(char(c));
    if (digits.empty()) return 1;
    if (digits.size() > 9) return 999999999;
    return std::stoull(digits);
}

std::optional<ScanPlan> planScan(const std::string& startText, const std::string& endText,
                                 const std::string& blockText, uint64_t maxLba, uint32_t sectorsPerMiB,
                                 std::string& error) {
    auto start = access::parseSizeValue(startText, maxLba, sectorsPerMiB);
    auto end = start ? access::parseSizeValue(endText, maxLba, sectorsPerMiB) : std::nullopt;
    if (!start || !end) {
        error = access::sizeConversionError(start ? endText : startText);
        return std::nullopt;
    }
    ScanPlan p;
    const uint64_t last = maxLba > 0 ? maxLba - 1 : 0;
    p.startLba = std::min<uint64_t>(uint64_t(std::max<int64_t>(*start, 0)), last);
    p.endLba = std::min<uint64_t>(uint64_t(std::max<int64_t>(*end, 0)), last);
    if (p.startLba >= p.endLba) p.endLba = p.startLba;
    p.range = std::max<uint64_t>(p.endLba - p.startLba, 1);
    uint64_t block = boxDigits(blockText);
    if (block == 0) block = 1;
    p.blockText = std::to_string(block);
    p.blockSize = uint32_t(std::min<uint64_t>({block, p.range, 0xFFFF}));
    p.startText = std::to_string(p.startLba);
    p.endText = std::to_string(p.endLba);
    p.jumpLarge = p.range / 50;
    p.jumpSmall = p.range / 1000;
    return p;
}

} // namespace korvane::tests
