#pragma once
#include "form/StringGrid.h"
#include "qt/MapPainter.h"

#include <QAbstractScrollArea>
#include <functional>

namespace korvane::qt {

// The block map: one square per cell of the grid model. Only the rows in view are painted, and a
// changed cell repaints only its own square, so the cost does not grow with the drive.
class BlockMapWidget : public QAbstractScrollArea {
public:
    static BlockMapWidget* create(form::StringGrid& grid, QWidget* parent);

    QRect cellRect(size_t index) const;
    int rowPitch() const { return painter_.rowPitch(); }
    // Right click on a cell (the cell index, or SIZE_MAX outside the cells).
    std::function<void(size_t)> onContextMenu;
    // Rows painted by the last paint event, for checking that painting stays with the view.
    int lastPaintedRows() const { return lastPaintedRows_; }

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    // The logic computes the block's hint for the cell under the pointer; it shows at once.
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

private:
    BlockMapWidget(form::StringGrid& grid, QWidget* parent);
    void updateScrollRange();

    form::StringGrid& grid_;
    MapPainter painter_;
    int lastPaintedRows_ = 0;
};

} // namespace korvane::qt
