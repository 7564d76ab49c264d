#include "tests/TimeClassDisplay.h"

#include <algorithm>

namespace korvane::tests {

TimeClassDisplay::TimeClassDisplay(form::TestsPage& page, ScanState& state, access::LogFn log)
    : page_(page), state_(state), log_(std::move(log)) {}

void TimeClassDisplay::applyLimits(const ClassLimits& limits) {
    state_.classLimits = limits;
    const auto& t = limits.t;
    const uint32_t u = limits.unitsPerMs;
    page_.scTim5.setCaption(limitLabel(t[0], u, false));
    page_.scTim20.setCaption(limitLabel(t[1], u, false));
    page_.scTim50.setCaption(limitLabel(t[2], u, true));
    page_.scTim200.setCaption(limitLabel(t[3], u, true));
    page_.scTim600.setCaption(limitLabel(t[4], u, true));
}

void TimeClassDisplay::directionChanged(ScanDirection order) {
    const bool linear = order == ScanDirection::Forward || order == ScanDirection::Reverse;
    state_.directionFactor = linear ? 1 : 2;
    page_.scTim600.setCaption(linear ? "600" : "1.2s");
}

form::Label& TimeClassDisplay::counter(int cls) {
    form::Label* labels[6] = {&page_.Tim1Lab, &page_.Tim2Lab, &page_.Tim3Lab,
                              &page_.Tim4Lab, &page_.Tim5Lab, &page_.Tim6Lab};
    return *labels[cls - 1];
}

int TimeClassDisplay::classify(uint64_t lba, uint64_t blockTime) {
    const int cls = classifyBlock(uint32_t(std::min<uint64_t>(blockTime, UINT32_MAX)), state_.classLimits);
    state_.cellCode = char('0' + cls);
    ++state_.classCounts[size_t(cls - 1)];
    if (state_.defectoscope || cls < 3) return cls;
    form::CheckBox* boxes[4] = {&page_.ErLogBx50, &page_.ErLogBx200, &page_.ErLogBx600, &page_.ErLogBxbig};
    if (!boxes[cls - 3]->checked()) return cls;
    const uint32_t u = state_.classLimits.unitsPerMs ? state_.classLimits.unitsPerMs : 1;
    const std::string text = std::string(cls >= 5 ? "Warning! " : "") + "Block start at " +
                             std::to_string(lba) + " = " + std::to_string(blockTime / u) + " ms";
    log_(text, 0, 4);
    ++state_.warningCount;
    return cls;
}

void TimeClassDisplay::showCounts() {
    for (int cls = 1; cls <= 6; ++cls) counter(cls).setCaption(std::to_string(state_.classCounts[size_t(cls - 1)]));
}

void TimeClassDisplay::resetCounters() {
    state_.classCounts.fill(0);
    for (int cls = 1; cls <= 6; ++cls) counter(cls).setCaption("0");
}

} // namespace korvane::tests
