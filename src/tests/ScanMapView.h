#pragma once
#include "access/LogFn.h"
#include "form/MainForm.h"
#include "tests/ScanMapCells.h"
#include "tests/ScanState.h"

#include <cstdint>
#include <functional>

namespace korvane::tests {

// What the block map tells under the pointer: the LBA range of the block in a cell (for the
// linear orders), the popup that copies it into the range fields, and the map's two widths.
class ScanMapView {
public:
    ScanMapView(form::TestsPage& page, ScanState& state, ScanMapCells& cells, access::LogFn log);

    // The pointer is over (col, row): the hint "LOW-HIGH", "Unknown" or "Out of range".
    void pointerAt(int col, int row);
    // Double click: the map widens or narrows, and its columns follow.
    void toggleWidth();
    // Cells a row from the map's width.
    void computeColumns();
    // "Grid": the map or the speed graph, also during a scan (the worker is held meanwhile).
    void switchView();
    void popup();
    void setAsStart();
    void setAsEnd();

    int64_t hintLow() const { return hintLow_; }
    int64_t hintHigh() const { return hintHigh_; }
    // Makes the order forward (the end taken from a reverse scan's map).
    std::function<void()> selectForward;
    // Hold and release the scan's worker around the view switch.
    std::function<void()> holdWorker, releaseWorker;

    static constexpr int kNarrow = 377, kWide = 594;

private:
    form::TestsPage& page_;
    ScanState& state_;
    ScanMapCells& cells_;
    access::LogFn log_;
    int64_t hintLow_ = 0, hintHigh_ = 0;
};

} // namespace korvane::tests
