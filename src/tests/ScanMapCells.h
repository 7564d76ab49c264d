#pragma once
#include "form/StringGrid.h"

#include <cstdint>

namespace korvane::tests {

// The block map as the scan fills it: one cell per block, row after row, the map growing a row
// when one is full so it scrolls with the scan.
class ScanMapCells {
public:
    explicit ScanMapCells(form::StringGrid& grid) : grid_(grid) {}

    // (width - 35) div 11 + 1 cells a row.
    static uint16_t columnsFor(int width) { return uint16_t(width > 35 ? (width - 35) / 11 + 1 : 1); }
    // A new map of one empty row, without grid lines; room for `blocks` cells when the scan knows
    // how many blocks it has (one byte a block, not the twice that growing by doubling can take).
    void reset(int width, uint64_t blocks = 0) {
        grid_.setGridLines(false);
        columns_ = columnsFor(width);
        col_ = 0;
        row_ = 0;
        grid_.resize(columns_, 1);
        if (blocks) grid_.reserve(size_t((blocks + columns_) / columns_ * columns_ + columns_));
    }
    void put(char code) {
        grid_.setCell(size_t(row_) * columns_ + col_, uint8_t(code));
        if (col_ + 1u < columns_) {
            ++col_;
            return;
        }
        col_ = 0;
        ++row_;
        grid_.addRow();
    }
    uint16_t columns() const { return columns_; }
    // The row the next block fills: the grid's current row (its current column stays the first).
    int32_t row() const { return row_; }
    // The map laid out again in `columns` a row (a new width): the next cell follows the last filled.
    void setColumns(uint16_t columns) {
        if (columns == 0) return;
        const size_t next = size_t(row_) * columns_ + col_;
        columns_ = columns;
        grid_.setColumns(columns);
        row_ = int32_t(next / columns);
        col_ = uint16_t(next % columns);
        while (size_t(row_) >= grid_.rowCount()) grid_.addRow();
    }

private:
    form::StringGrid& grid_;
    uint16_t columns_ = 1, col_ = 0;
    int32_t row_ = 0;
};

} // namespace korvane::tests
