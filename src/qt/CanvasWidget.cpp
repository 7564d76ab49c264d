#include "qt/CanvasWidget.h"

#include <QMouseEvent>

#include "qt/Binder.h"

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

void CanvasWidget::copy() {
    const auto& px = canvas_.pixels();
    int w = canvas_.pixelWidth(), h = canvas_.pixelHeight();
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image_.scanLine(y));
        for (int x = 0; x < w; ++x) {
            form::Colour c = px[size_t(y) * size_t(w) + size_t(x)];
            line[x] = c == form::kDefaultColour ? qRgb(255, 255, 255) : (0xFF000000u | (c & 0xFFFFFFu));
        }
    }
}

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
