#pragma once
#include "form/MainForm.h"
#include "tests/ScanState.h"

#include <array>
#include <cstdint>
#include <string>

namespace korvane::tests {

// The speed graph of the Tests page: the transfer rate across the scanned range, one column per
// stretch of blocks, with a vertical scale chosen from the first rates and widened when a rate
// goes above it. A bad block leaves a red line that survives a rescale.
class SpeedGraph {
public:
    SpeedGraph(form::TestsPage& page, ScanState& state);

    // A start: the columns, the history and the scale from nothing.
    void reset(uint64_t range, uint32_t blockSize);
    // The worker runs: the automatic scale starts again.
    void workerStarted();
    // The positions along the range under the graph (a fresh start).
    void showPositions(uint64_t startLba, uint64_t range, uint32_t bytesPerSector, uint32_t sectorsPerMiB);
    // After each good or bad block; `sampled`: the scan has its first rate.
    void afterBlock(bool sampled, const std::string& model);
    // A bad block's red line down to the base line.
    void badBlock();
    // The scale s (the "Manual scale adjust" box): labels, and the history drawn again.
    void setScale(int s);
    // The pointer over the graph: the position in MB and the rate it stands for.
    void pointerAt(int x, int y, uint32_t sectorsPerMiB);
    // The picture reaches the screen once a batch of blocks.
    void show() { page_.GF.changed(); }

    uint16_t historyAt(size_t x) const { return x < history_.size() ? history_[x] : 0; }
    int column() const { return graphX_; }

    static constexpr int kBase = 368;

private:
    void clear();
    void lineTo(int x, int y);

    form::TestsPage& page_;
    ScanState& state_;
    std::array<uint16_t, 380> history_{};
    int graphX_ = 0;
    int lastX_ = 0, lastY_ = 0;
    uint64_t lbaPerPixel_ = 0;
    int64_t blocksPerPixel_ = 1;
    int64_t pixelBlocks_ = 0;
    int scale_ = 10;
    float scaleDivisor_ = 271.0f;
    uint32_t speedSum_ = 0, speedCeiling_ = 300000, adjustBlocks_ = 0;
};

} // namespace korvane::tests
