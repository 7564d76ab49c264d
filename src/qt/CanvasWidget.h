#pragma once
#include "form/Canvas.h"

#include <QImage>
#include <QWidget>

namespace korvane::qt {

// Shows the raster the logic draws (the speed graph), copied when the owner says it changed.
class CanvasWidget : public QWidget {
public:
    static CanvasWidget* create(form::Canvas& canvas, QWidget* parent);
    QSize sizeHint() const override { return {canvas_.pixelWidth(), canvas_.pixelHeight()}; }
    const QImage& image() const { return image_; }

protected:
    void paintEvent(QPaintEvent*) override;
    void mouseMoveEvent(QMouseEvent* e) override;

private:
    CanvasWidget(form::Canvas& canvas, QWidget* parent);
    void copy();

    form::Canvas& canvas_;
    QImage image_;
};

} // namespace korvane::qt
