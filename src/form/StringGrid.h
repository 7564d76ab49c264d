#pragma once
#include "form/Control.h"

#include <algorithm>
#include <functional>
#include <vector>

namespace korvane::form {

// The block map: one byte per cell (the owner decides what the byte means and how it is drawn).
// Changes are reported per cell so the binder repaints only what is visible and changed.
class StringGrid : public Control {
public:
    explicit StringGrid(std::string name) : Control(std::move(name)) {}

    void resize(size_t columns, size_t rows, uint8_t fill = 0) {
        columns_ = columns;
        rows_ = rows;
        cells_.assign(columns * rows, fill);
        notify(Prop::Cells);
    }
    // Room for `cells` cells, so a map that grows to that size never holds twice its need.
    void reserve(size_t cells) { cells_.reserve(cells); }
    size_t capacity() const { return cells_.capacity(); }
    // One more empty row at the bottom; the cells above keep what they hold.
    void addRow(uint8_t fill = 0) {
        ++rows_;
        cells_.resize(columns_ * rows_, fill);
        notify(Prop::Rows);
    }
    size_t columnCount() const { return columns_; }
    size_t rowCount() const { return rows_; }
    size_t cellCount() const { return cells_.size(); }
    uint8_t cell(size_t index) const { return index < cells_.size() ? cells_[index] : 0; }
    void setCell(size_t index, uint8_t value) {
        if (index >= cells_.size() || cells_[index] == value) return;
        cells_[index] = value;
        lastChanged_ = index;
        notify(Prop::Row);
    }
    // The cell of the last setCell, for the binder's partial repaint.
    size_t lastChanged() const { return lastChanged_; }
    const std::vector<uint8_t>& cells() const { return cells_; }

    // The pointer over cell (col, row), and a double click: the owner answers (the hint, the width).
    void mouseMove(int col, int row) {
        if (onMouseMove) onMouseMove(col, row);
    }
    void doubleClick() {
        if (enabled() && onDoubleClick) onDoubleClick();
    }
    std::function<void(int, int)> onMouseMove;
    Handler onDoubleClick;
    // The cells in the order they were filled, laid out again in `columns` a row.
    void setColumns(size_t columns) {
        if (columns == 0 || columns == columns_) return;
        size_t used = cells_.size();
        while (used > 0 && cells_[used - 1] == 0) --used;
        columns_ = columns;
        rows_ = std::max<size_t>(1, (used + columns - 1) / columns);
        cells_.resize(columns_ * rows_, 0);
        notify(Prop::Cells);
    }

    // Everything in view painted again.
    void repaint() { notify(Prop::Content); }

    bool gridLines() const { return gridLines_; }
    void setGridLines(bool g) { assign(gridLines_, g, Prop::Content); }

private:
    size_t columns_ = 0, rows_ = 0, lastChanged_ = 0;
    std::vector<uint8_t> cells_;
    bool gridLines_ = false;
};

} // namespace korvane::form
