#include "qt/BlockMapWidget.h"

#include "qt/Binder.h"
#include "qt/QtColour.h"

#include <QContextMenuEvent>
#include <QPainter>
#include <QMouseEvent>
#include <QScrollBar>
#include <QToolTip>

namespace korvane::qt {

BlockMapWidget::BlockMapWidget(form::StringGrid& grid, QWidget* parent)
    : QAbstractScrollArea(parent), grid_(grid), painter_(grid) {
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    whiteViewport(this);
    viewport()->setCursor(Qt::PointingHandCursor);
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

QRect BlockMapWidget::cellRect(size_t index) const { return painter_.cellRect(index, verticalScrollBar()->value()); }

void BlockMapWidget::updateScrollRange() {
    int total = int(grid_.rowCount()) * rowPitch();
    verticalScrollBar()->setRange(0, std::max(0, total - viewport()->height()));
    verticalScrollBar()->setPageStep(viewport()->height());
    verticalScrollBar()->setSingleStep(rowPitch());
}

void BlockMapWidget::resizeEvent(QResizeEvent* e) {
    QAbstractScrollArea::resizeEvent(e);
    updateScrollRange();
}

void BlockMapWidget::paintEvent(QPaintEvent* e) {
    QPainter p(viewport());
    const int top = verticalScrollBar()->value(), pitch = rowPitch();
    const QRect dirty = e->rect();
    const int firstRow = std::max(0, (top + dirty.top()) / pitch);
    const int lastRow = std::min(int(grid_.rowCount()) - 1, (top + dirty.bottom()) / pitch);
    lastPaintedRows_ = painter_.paintRows(p, firstRow, lastRow, top, dirty);
}

void BlockMapWidget::contextMenuEvent(QContextMenuEvent* e) {
    if (!onContextMenu) return;
    size_t cols = std::max<size_t>(grid_.columnCount(), 1);
    int row = (e->pos().y() + verticalScrollBar()->value()) / rowPitch(), col = e->pos().x() / painter_.columnPitch();
    size_t index = size_t(row) * cols + size_t(col);
    onContextMenu(size_t(col) < cols && index < grid_.cellCount() ? index : SIZE_MAX);
}

} // namespace korvane::qt

namespace korvane::qt {

void BlockMapWidget::mouseMoveEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    const int row = (p.y() + verticalScrollBar()->value()) / rowPitch(), col = p.x() / painter_.columnPitch();
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
