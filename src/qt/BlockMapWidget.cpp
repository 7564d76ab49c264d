#include "qt/BlockMapWidget.h"

#include "qt/Binder.h"
#include "qt/QtColour.h"

#include <QContextMenuEvent>
#include <QPainter>
#include <QMouseEvent>
#include <QScrollBar>
#include <QToolTip>

namespace korvane::qt {

BlockMapWidget::BlockMapWidget(form::StringGrid& grid, QWidget* parent) : QAbstractScrollArea(parent), grid_(grid) {
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    whiteViewport(this);
    viewport()->setMouseTracking(true); // the hint follows the pointer
    connect(verticalScrollBar(), &QScrollBar::valueChanged, viewport(), qOverload<>(&QWidget::update));
}

BlockMapWidget* BlockMapWidget::create(form::StringGrid& grid, QWidget* parent) {
    auto* w = new BlockMapWidget(grid, parent);
    bindCommon(w, grid, [w](form::Prop p) {
        if (p == form::Prop::Row) {
            w->viewport()->update(w->cellRect(w->grid_.lastChanged()));
        } else if (p == form::Prop::Rows) {
            // The map follows the scan down without repainting what it already shows.
            auto* bar = w->verticalScrollBar();
            const bool atEnd = bar->value() >= bar->maximum();
            w->updateScrollRange();
            if (atEnd) bar->setValue(bar->maximum());
        } else if (p == form::Prop::Cells || p == form::Prop::Content) {
            w->updateScrollRange();
            w->viewport()->update();
        }
    });
    return w;
}

QColor BlockMapWidget::cellColour(uint8_t v) {
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

QRect BlockMapWidget::cellRect(size_t index) const {
    size_t cols = std::max<size_t>(grid_.columnCount(), 1);
    int row = int(index / cols), col = int(index % cols);
    return QRect(col * kCell, row * kCell - verticalScrollBar()->value(), kCell, kCell);
}

void BlockMapWidget::updateScrollRange() {
    int total = int(grid_.rowCount()) * kCell;
    verticalScrollBar()->setRange(0, std::max(0, total - viewport()->height()));
    verticalScrollBar()->setPageStep(viewport()->height());
    verticalScrollBar()->setSingleStep(kCell);
}

void BlockMapWidget::resizeEvent(QResizeEvent* e) {
    QAbstractScrollArea::resizeEvent(e);
    updateScrollRange();
}

void BlockMapWidget::paintEvent(QPaintEvent* e) {
    QPainter p(viewport());
    size_t cols = grid_.columnCount();
    if (cols == 0) return;
    int top = verticalScrollBar()->value();
    QRect dirty = e->rect();
    int firstRow = std::max(0, (top + dirty.top()) / kCell);
    int lastRow = std::min(int(grid_.rowCount()) - 1, (top + dirty.bottom()) / kCell);
    lastPaintedRows_ = std::max(0, lastRow - firstRow + 1);
    QFont f = font();
    f.setPixelSize(9);
    p.setFont(f);
    for (int r = firstRow; r <= lastRow; ++r)
        for (size_t c = 0; c < cols; ++c) {
            size_t index = size_t(r) * cols + c;
            uint8_t v = grid_.cell(index);
            QRect cell(int(c) * kCell, r * kCell - top, kCell, kCell);
            if (!cell.intersects(dirty)) continue;
            p.fillRect(cell, cellColour(v));
            if (grid_.gridLines()) {
                p.setPen(QColor(0xC0, 0xC0, 0xC0));
                p.drawRect(cell.adjusted(0, 0, -1, -1));
            }
            if (v != 0 && (v < '1' || v > '6')) {
                p.setPen(Qt::white);
                p.drawText(cell, Qt::AlignCenter, QString(QChar(v)));
            }
        }
}

void BlockMapWidget::contextMenuEvent(QContextMenuEvent* e) {
    if (!onContextMenu) return;
    size_t cols = std::max<size_t>(grid_.columnCount(), 1);
    int row = (e->pos().y() + verticalScrollBar()->value()) / kCell, col = e->pos().x() / kCell;
    size_t index = size_t(row) * cols + size_t(col);
    onContextMenu(size_t(col) < cols && index < grid_.cellCount() ? index : SIZE_MAX);
}

} // namespace korvane::qt

namespace korvane::qt {

void BlockMapWidget::mouseMoveEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    const int row = (p.y() + verticalScrollBar()->value()) / kCell, col = p.x() / kCell;
    const std::string before = grid_.hint();
    grid_.mouseMove(col, row);
    if (grid_.hint() != before) QToolTip::showText(e->globalPosition().toPoint(), QString::fromStdString(grid_.hint()), this);
    QAbstractScrollArea::mouseMoveEvent(e);
}

void BlockMapWidget::mouseDoubleClickEvent(QMouseEvent* e) {
    grid_.doubleClick();
    QAbstractScrollArea::mouseDoubleClickEvent(e);
}

} // namespace korvane::qt
