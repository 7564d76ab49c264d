#include "tests/ScanMapView.h"

namespace korvane::tests {

ScanMapView::ScanMapView(form::TestsPage& page, ScanState& state, ScanMapCells& cells, access::LogFn log)
    : page_(page), state_(state), cells_(cells), log_(std::move(log)) {
    page_.Grid.onMouseMove = [this](int col, int row) { pointerAt(col, row); };
    page_.Grid.onDoubleClick = [this] { toggleWidth(); };
    page_.ScanMenu.onPopup = [this] { popup(); };
    page_.DisGridChk.onClick = [this] { switchView(); };
    page_.ScanMenu.item(0).onClick = [this] { setAsStart(); };
    page_.ScanMenu.item(1).onClick = [this] { setAsEnd(); };
}

void ScanMapView::pointerAt(int col, int row) {
    if (!page_.DisGridChk.checked()) return; // the graph is shown: the map has no pointer action
    if (state_.mapNonLinear) return page_.Grid.setHint("Unknown");
    const ScanDirection d = state_.lastDirection;
    if (d != ScanDirection::Forward && d != ScanDirection::Reverse) return;
    if (row == cells_.row() && col == 0) return; // the grid's current cell
    if (row < 0 || col < 0) return page_.Grid.setHint("Out of range");
    const int64_t idx = int64_t(cells_.columns()) * row + col, nbs = state_.nominalBlockSize;
    const int64_t start = int64_t(state_.startLba), end = int64_t(state_.endLba);
    int64_t low, high;
    if (d == ScanDirection::Forward) {
        low = start + idx * nbs;
        high = low + nbs - 1;
        if (high > end + nbs) return; // beyond the scanned blocks
        if (high > end) high = end;
    } else {
        high = end - idx * nbs;
        low = high - nbs + 1;
        if (low < start) return;
        if (low > end) low = end;
    }
    hintLow_ = low;
    hintHigh_ = high;
    page_.Grid.setHint(std::to_string(low) + "-" + std::to_string(high));
}

void ScanMapView::computeColumns() {
    cells_.setColumns(ScanMapCells::columnsFor(page_.GridPanel.width()));
    state_.mapNonLinear = bool(state_.scanStarted);
}

void ScanMapView::toggleWidth() {
    page_.GridPanel.setWidth(page_.GridPanel.width() == kNarrow ? kWide : kNarrow);
    computeColumns();
}

void ScanMapView::switchView() {
    if (holdWorker) holdWorker();
    const bool mapShown = page_.DisGridChk.checked();
    page_.Grid.setVisible(mapShown);
    page_.Grid.repaint(); // the map paints itself once
    for (form::Control* c : {(form::Control*)&page_.GfMasEdit, (form::Control*)&page_.AdjScaleLabel,
                             (form::Control*)&page_.XCoord, (form::Control*)&page_.YCoord})
        c->setVisible(!mapShown);
    page_.ScanSplit.setEnabled(mapShown);
    if (!mapShown && page_.GridPanel.width() != kNarrow) {
        page_.GridPanel.setWidth(kNarrow);
        computeColumns();
    }
    if (releaseWorker) releaseWorker();
    if (state_.scanStarted) page_.Qn.setFocus(true);
}

void ScanMapView::popup() {
    auto& menu = page_.ScanMenu;
    const bool linear = !state_.mapNonLinear;
    menu.item(0).setEnabled(linear);
    menu.item(1).setEnabled(linear);
    const ScanDirection d = state_.lastDirection;
    if (d != ScanDirection::Forward && d != ScanDirection::Reverse) return;
    menu.item(0).setCaption("Set " + std::to_string(std::max<int64_t>(hintLow_, 0)) + " as Start LBA");
    menu.item(1).setCaption("Set " + std::to_string(std::max<int64_t>(hintHigh_, 0)) + " as End LBA");
}

void ScanMapView::setAsStart() {
    const ScanDirection d = state_.lastDirection;
    if (d != ScanDirection::Forward && d != ScanDirection::Reverse) return;
    page_.StartLbaEdit.setText(std::to_string(std::max<int64_t>(hintLow_, 0)));
}

void ScanMapView::setAsEnd() {
    const ScanDirection d = state_.lastDirection;
    if (d != ScanDirection::Forward && d != ScanDirection::Reverse) return;
    page_.EndLbaEdit.setText(std::to_string(std::max<int64_t>(hintHigh_, 0)));
    if (d == ScanDirection::Reverse && state_.direction != ScanDirection::Forward) {
        log_("Direction changed to FORVARD scan", 0, 1);
        if (selectForward) selectForward();
    }
}

} // namespace korvane::tests
