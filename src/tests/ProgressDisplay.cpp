#include "tests/ProgressDisplay.h"

#include <algorithm>
#include <cstdio>

namespace korvane::tests {

ProgressDisplay::ProgressDisplay(form::TestsPage& page, form::Control& application, ScanState& state)
    : page_(page), application_(application), state_(state) {}

std::string formatHms(uint64_t seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%02llu:%02llu:%02llu", (unsigned long long)(seconds / 3600),
                  (unsigned long long)(seconds / 60 % 60), (unsigned long long)(seconds % 60));
    return text;
}

void ProgressDisplay::start(const Clock& clock) {
    lastSample_ = clock.now;
    sampled_ = false;
    blocksSinceSample_ = blocksSinceRefresh_ = 0;
    state_.speedKBs = 1;
    state_.uiInterval = 1;
}

void ProgressDisplay::sampleRate(const Clock& clock) {
    const uint32_t n = state_.speedSampleBlocks;
    const uint64_t dt = clock.now - lastSample_;
    lastInterval_ = dt;
    sampled_ = true;
    const uint64_t kbs = clock.counter ? speedFromCounter(n, dt / (clock.ticksPerMs ? clock.ticksPerMs : 1), state_.blockSize)
                                       : speedFromTicks(n, dt, state_.blockSize);
    state_.speedKBs = uint32_t(std::min<uint64_t>(kbs, UINT32_MAX));
    state_.uiInterval = uint16_t(std::min<uint64_t>(state_.speedKBs / 2048, 0xFFFF));
    page_.SpeedLed.setCaption(" " + std::to_string(state_.speedKBs));
    if (state_.direction != ScanDirection::Butterfly) page_.LbaOut1.setText("0");
    page_.ScTimeLed.setCaption(formatHms(remainingSeconds(state_.direction, at_, state_.startLba, state_.endLba,
                                                    state_.btfLow, state_.btfMid, state_.speedKBs)));
    lastSample_ = clock.now;
}

void ProgressDisplay::showPosition(uint32_t sectorsPerMiB) {
    const uint64_t cur = at_, end = state_.endLba ? state_.endLba : 1;
    const uint64_t perMiB = sectorsPerMiB ? sectorsPerMiB : 2048;
    std::string percent;
    uint64_t mb = cur / perMiB;
    switch (state_.direction) {
    case ScanDirection::Forward: percent = percentText(double(cur) * 100.0 / double(end)); break;
    case ScanDirection::Reverse: percent = percentText(100.0 - double(cur) * 100.0 / double(end)); break;
    case ScanDirection::Random:
        percent = "n/a";
        page_.TrackBar.setPosition(int(cur * 20 / (end + 1)));
        if (onRandomNow) onRandomNow();
        break;
    case ScanDirection::Butterfly: {
        const uint64_t mid = state_.btfMid ? state_.btfMid : 1;
        percent = percentText(double(state_.btfLow.load()) * 100.0 / double(mid));
        mb = state_.btfLow / std::max<uint64_t>(perMiB / 2, 1);
        break;
    }
    }
    page_.ScanMbLed.setCaption(" " + std::to_string(mb));
    page_.ScanPercentLed.setCaption(" " + percent);
    application_.setCaption(state_.direction == ScanDirection::Random ? "RND scan" : percent + "%" + "  Scan");
}

void ProgressDisplay::afterBlock(const Clock& clock, uint32_t sectorsPerMiB, uint64_t lba) {
    at_ = lba;
    if (++blocksSinceSample_ > state_.speedSampleBlocks) {
        sampleRate(clock);
        blocksSinceSample_ = 0;
    }
    if (++blocksSinceRefresh_ > state_.uiInterval) {
        showPosition(sectorsPerMiB);
        blocksSinceRefresh_ = 0;
    }
}

void ProgressDisplay::finished() {
    page_.ScanPercentLed.setCaption(" 100");
    application_.setCaption("100%  Scan");
}

} // namespace korvane::tests

namespace korvane::tests {

void ProgressDisplay::resumed(uint64_t now) { lastSample_ = now - lastInterval_ / 2; }

} // namespace korvane::tests
