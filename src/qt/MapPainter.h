#pragma once
#include "form/StringGrid.h"

#include <QColor>
#include <QPainter>
#include <QRect>

namespace korvane::qt {

// How the block map draws its cells, on the screen and into a picture file alike: cells 10 pixels
// wide and 19 high, a pixel more each way with grid lines; the time classes in their colours, any
// other code a blue cell with the code in yellow.
class MapPainter {
public:
    explicit MapPainter(const form::StringGrid& grid) : grid_(grid) {}

    static constexpr int kCellWidth = 10, kCellHeight = 19;
    int columnPitch() const { return kCellWidth + (grid_.gridLines() ? 1 : 0); }
    int rowPitch() const { return kCellHeight + (grid_.gridLines() ? 1 : 0); }
    // The cell's square with the map scrolled down by `top` pixels.
    QRect cellRect(size_t index, int top) const;
    // The colour a cell byte is painted with (0: an empty cell, drawn as the background).
    static QColor cellColour(uint8_t value);

    // Paints rows first..last (the map scrolled down by `top`) where they meet `dirty`; the rows painted.
    int paintRows(QPainter& p, int firstRow, int lastRow, int top, const QRect& dirty) const;

private:
    const form::StringGrid& grid_;
};

} // namespace korvane::qt
