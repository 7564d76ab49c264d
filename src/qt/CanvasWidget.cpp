#include "qt/CanvasWidget.h"

#include <QMouseEvent>

#include "qt/Binder.h"
#include "qt/CanvasImage.h"

#include <QPainter>

namespace korvane::qt {

CanvasWidget::CanvasWidget(form::Canvas& canvas, QWidget* parent)
    : QWidget(parent), canvas_(canvas), image_(canvas.pixelWidth(), canvas.pixelHeight(), QImage::Format_RGB32) {
    setMinimumSize(canvas.pixelWidth(), canvas.pixelHeight());
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setMouseTracking(true); // the readouts follow the pointer
    setCursor(Qt::CrossCursor);
}

CanvasWidget* CanvasWidget::create(form::Canvas& canvas, QWidget* parent) {
    auto* w = new CanvasWidget(canvas, parent);
    bindCommon(w, canvas, [w](form::Prop p) {
        if (p == form::Prop::Content) {
            w->copy();
            w->update();
        }
    });
    return w;
}

void CanvasWidget::copy() { copyCanvas(canvas_, image_); }

void CanvasWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, image_);
}

} // namespace korvane::qt

namespace korvane::qt {

void CanvasWidget::mouseMoveEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    canvas_.mouseMove(p.x(), p.y());
    QWidget::mouseMoveEvent(e);
}

} // namespace korvane::qt
