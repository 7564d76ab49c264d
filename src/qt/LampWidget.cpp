#include "qt/LampWidget.h"

#include "qt/Binder.h"
#include "qt/QtColour.h"

#include <QPainter>

namespace korvane::qt {

LampWidget::LampWidget(form::Shape& model, QWidget* parent) : QWidget(parent), model_(model) {
    setMinimumSize(10, 10);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

LampWidget* LampWidget::create(form::Shape& model, QWidget* parent) {
    auto* w = new LampWidget(model, parent);
    bindCommon(w, model, [w](form::Prop p) {
        if (p == form::Prop::Colour || p == form::Prop::Content || p == form::Prop::Enabled) w->update();
    });
    return w;
}

QColor LampWidget::brush() const { return toQColor(model_.colour()); }

void LampWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(toQColor(model_.penColour()));
    p.setBrush(brush());
    p.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 3, 3);
}

void LampWidget::mousePressEvent(QMouseEvent*) { model_.click(); }

} // namespace korvane::qt
