#include "qt/MapPainter.h"

#include <algorithm>

namespace korvane::qt {

QColor MapPainter::cellColour(uint8_t v) {
    switch (v) {
    case 0: return Qt::white;
    case '1': return QColor(0xD6, 0xD6, 0xD6);
    case '2': return QColor(0xB3, 0xB3, 0xB3);
    case '3': return QColor(0x84, 0x84, 0x84);
    case '4': return QColor(0x00, 0xFF, 0x00);
    case '5': return QColor(0xFF, 0x80, 0x00);
    case '6': return QColor(0xFF, 0x00, 0x00);
    default: return QColor(0x00, 0x00, 0xFF);
    }
}

QRect MapPainter::cellRect(size_t index, int top) const {
    const size_t cols = std::max<size_t>(grid_.columnCount(), 1);
    const int row = int(index / cols), col = int(index % cols);
    return QRect(col * columnPitch(), row * rowPitch() - top, kCellWidth, kCellHeight);
}

int MapPainter::paintRows(QPainter& p, int firstRow, int lastRow, int top, const QRect& dirty) const {
    const size_t cols = grid_.columnCount();
    if (cols == 0 || lastRow < firstRow) return 0;
    QFont f("Tahoma");
    f.setPixelSize(11);
    f.setBold(true);
    p.setFont(f);
    const bool lines = grid_.gridLines();
    for (int r = firstRow; r <= lastRow; ++r)
        for (size_t c = 0; c < cols; ++c) {
            const size_t index = size_t(r) * cols + c;
            const QRect cell = cellRect(index, top);
            if (!cell.intersects(dirty)) continue;
            const uint8_t v = grid_.cell(index);
            if (lines) p.fillRect(cell.adjusted(0, 0, 1, 1), QColor(0xC0, 0xC0, 0xC0));
            p.fillRect(cell, cellColour(v));
            if (v != 0 && (v < '1' || v > '6')) {
                p.setPen(QColor(0xFF, 0xFF, 0x00));
                p.drawText(cell, Qt::AlignCenter, QString(QChar(v)));
            }
        }
    return lastRow - firstRow + 1;
}

} // namespace korvane::qt
