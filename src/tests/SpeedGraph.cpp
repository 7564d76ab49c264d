#include "tests/SpeedGraph.h"

#include "access/SizeFormat.h"

#include <algorithm>
#include <cstdio>

namespace korvane::tests {

namespace {
constexpr form::Colour kGreen = 0x00FF00, kRed = 0xFF0000, kShadow = 0x404040, kBlack = 0x000000;
}

SpeedGraph::SpeedGraph(form::TestsPage& page, ScanState& state) : page_(page), state_(state) {
    page_.GfMasEdit.onChange = [this] { setScale(int(page_.GfMasEdit.value())); };
}

void SpeedGraph::clear() {
    auto& gf = page_.GF;
    const int w = gf.pixelWidth(), h = gf.pixelHeight();
    gf.fill(kBlack);
    gf.setPen(kShadow);
    gf.moveTo(0, 0);
    gf.lineTo(w - 1, 0);
    gf.lineTo(w - 1, h - 1);
    gf.lineTo(0, h - 1);
    gf.lineTo(0, 0);
    for (int i = 0; i <= 15; ++i) gf.dottedLine(w / 15 * i, 0, w / 15 * i, h - 1);
    for (int i = 0; i <= 14; ++i) gf.dottedLine(0, 7 + h / 14 * i, w - 1, 7 + h / 14 * i);
    lastX_ = lastY_ = 0;
}

void SpeedGraph::lineTo(int x, int y) {
    y = std::max(y, 0);
    auto& gf = page_.GF;
    gf.moveTo(lastX_, lastY_);
    gf.lineTo(x, y);
    gf.setPixel(x, y, gf.pen());
    lastX_ = x;
    lastY_ = y;
}

void SpeedGraph::setScale(int s) {
    s = std::max(s, 1);
    scale_ = s;
    const double step = 140.0 / s;
    scaleDivisor_ = 2710.0f / float(s);
    form::Label* labels[] = {&page_.Gl0, &page_.Gl1, &page_.Gl2, &page_.Gl3, &page_.Gl4, &page_.Gl5, &page_.Gl6};
    for (int k = 1; k <= 7; ++k) {
        const double v = step * k;
        char text[32];
        if (v < 10)
            std::snprintf(text, sizeof text, "%.1f", v);
        else
            std::snprintf(text, sizeof text, "%d", int(v));
        labels[k - 1]->setCaption(std::string(text) + (k == 7 ? " (Mb/s)" : ""));
    }
    clear();
    auto& gf = page_.GF;
    gf.setPen(kGreen);
    for (int x = 0; x <= 376; ++x) {
        const uint16_t e = history_[size_t(x)];
        if (e == 0) break;
        if (e == 0xFFFF) {
            gf.setPen(kRed);
            lineTo(x, kBase);
            gf.setPen(kGreen);
            continue;
        }
        const int y = kBase - int(int64_t(e) * s / 271);
        if (x == 0) lastY_ = y;
        lineTo(x, y);
    }
    show();
}

void SpeedGraph::reset(uint64_t range, uint32_t blockSize) {
    graphX_ = 0;
    pixelBlocks_ = 0;
    history_.fill(0);
    lbaPerPixel_ = range / uint64_t(page_.GF.pixelWidth());
    blocksPerPixel_ = int64_t(lbaPerPixel_ / std::max<uint32_t>(blockSize, 1));
    clear();
    if (page_.GfMasEdit.value() != 10)
        page_.GfMasEdit.setValue(10);
    else
        setScale(10);
}

void SpeedGraph::showPositions(uint64_t startLba, uint64_t range, uint32_t bytesPerSector, uint32_t sectorsPerMiB) {
    form::Label* labels[] = {&page_.gfs0, &page_.gfs1, &page_.gfs2, &page_.gfs3,
                             &page_.gfs4, &page_.gfs5, &page_.gfs6, &page_.gfs7};
    const uint64_t d = range / 15;
    for (int k = 0; k < 8; ++k)
        labels[k]->setCaption(access::formatSizeShort(int64_t(startLba + 2 * uint64_t(k) * d), bytesPerSector, sectorsPerMiB));
}

void SpeedGraph::workerStarted() {
    speedSum_ = 0;
    speedCeiling_ = 300000;
    adjustBlocks_ = 0;
}

void SpeedGraph::afterBlock(bool sampled, const std::string& model) {
    // Fewer blocks than columns: every block is a column.
    const int64_t perPixel = std::max<int64_t>(blocksPerPixel_, 1);
    ++pixelBlocks_;
    if (graphX_ < 2) page_.AdjPercentLabel.setCaption(std::to_string(adjustBlocks_ * 50 / perPixel) + " %");
    ++adjustBlocks_;
    if (pixelBlocks_ < perPixel) return;
    pixelBlocks_ = 0;
    const uint32_t r = state_.speedKBs;
    if (r > 0) {
        if (graphX_ == 0) speedSum_ += r;
        if (graphX_ == 1) {
            page_.AdjScaleLabel.setCaption(model);
            speedSum_ /= 3;
            // A sum of tiny rates leaves the scale as it is rather than divide by nothing.
            if (speedSum_ > 0) page_.GfMasEdit.setValue(675000 / speedSum_);
            speedCeiling_ = speedSum_ + speedSum_ / 4;
            page_.AdjPercentLabel.setVisible(false);
            adjustBlocks_ = 0;
        }
        if (r > speedCeiling_) {
            speedCeiling_ = r + r / 4;
            page_.GfMasEdit.setValue(675000 / r);
        }
    }
    const int y = int(kBase - float(r) / scaleDivisor_);
    if (!sampled) return;
    if (graphX_ == 0) lastY_ = y;
    lineTo(graphX_, y);
    if (graphX_ <= 377 && history_[size_t(graphX_)] != 0xFFFF) history_[size_t(graphX_)] = uint16_t(std::min<uint32_t>(r / 10, 0xFFFE));
    if (graphX_ <= 377) ++graphX_;
    page_.GF.setPen(kGreen);
}

void SpeedGraph::badBlock() {
    page_.GF.setPen(kRed);
    lineTo(graphX_, kBase);
    if (graphX_ <= 377) history_[size_t(graphX_)] = 0xFFFF;
    page_.GF.setPen(kGreen);
}

void SpeedGraph::pointerAt(int x, int y, uint32_t sectorsPerMiB) {
    const int h = page_.GF.pixelHeight();
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MB/s", (995.0 / scale_) * double(h - y) / h);
    page_.YCoord.setCaption(text);
    const uint64_t div = sectorsPerMiB > 6 ? sectorsPerMiB - 6 : 1;
    page_.XCoord.setCaption(std::to_string(uint64_t(std::max(x, 0)) * lbaPerPixel_ / div) + " MB");
}

} // namespace korvane::tests
