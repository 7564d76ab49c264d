#include "qt/JumpWidget.h"

#include "qt/Binder.h"
#include "qt/QtColour.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace korvane::qt {

using Arrow = form::JumpControl::Arrow;

JumpWidget::JumpWidget(form::JumpControl& model, QWidget* parent) : QWidget(parent), model_(model) {
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(54, 54);
}

JumpWidget* JumpWidget::create(form::JumpControl& model, QWidget* parent) {
    auto* w = new JumpWidget(model, parent);
    bindCommon(w, model, [w](form::Prop) { w->update(); });
    return w;
}

QPolygonF JumpWidget::arrowShape(Arrow a) const {
    double w = width(), h = height(), cx = w / 2, cy = h / 2, s = std::min(w, h) / 6;
    switch (a) {
    case Arrow::Up: return QPolygonF({{cx, 2}, {cx + 1.6 * s, 2 + 1.8 * s}, {cx - 1.6 * s, 2 + 1.8 * s}});
    case Arrow::Down: return QPolygonF({{cx, h - 2}, {cx + 1.6 * s, h - 2 - 1.8 * s}, {cx - 1.6 * s, h - 2 - 1.8 * s}});
    case Arrow::Left: return QPolygonF({{2, cy}, {2 + 1.8 * s, cy - 1.6 * s}, {2 + 1.8 * s, cy + 1.6 * s}});
    case Arrow::Right: return QPolygonF({{w - 2, cy}, {w - 2 - 1.8 * s, cy - 1.6 * s}, {w - 2 - 1.8 * s, cy + 1.6 * s}});
    }
    return {};
}

bool JumpWidget::arrowAt(QPoint p, Arrow& a) const {
    for (Arrow each : {Arrow::Up, Arrow::Down, Arrow::Left, Arrow::Right})
        if (arrowShape(each).boundingRect().adjusted(-3, -3, 3, 3).contains(p)) {
            a = each;
            return true;
        }
    return false;
}

void JumpWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QColor colour = isEnabled() ? toQColor(model_.arrowColour()) : QColor(Qt::gray);
    for (Arrow a : {Arrow::Up, Arrow::Down, Arrow::Left, Arrow::Right}) {
        bool down = pressed_ && pressedArrow_ == a;
        p.setPen(QPen(colour.darker(150), 1));
        p.setBrush(down ? colour.darker(130) : colour);
        p.drawPolygon(arrowShape(a));
    }
    if (hasFocus()) {
        p.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(rect().center(), 4, 4);
    }
}

void JumpWidget::mousePressEvent(QMouseEvent* e) {
    Arrow a;
    if (!arrowAt(e->pos(), a)) return;
    pressed_ = true;
    pressedArrow_ = a;
    update();
    model_.press(a);
}

void JumpWidget::mouseReleaseEvent(QMouseEvent* e) {
    if (!pressed_) return;
    pressed_ = false;
    update();
    model_.release(pressedArrow_);
    Arrow a;
    if (arrowAt(e->pos(), a) && a == pressedArrow_) model_.click(a);
}

namespace {
bool keyArrow(int key, Arrow& a) {
    switch (key) {
    case Qt::Key_Up: a = Arrow::Up; return true;
    case Qt::Key_Down: a = Arrow::Down; return true;
    case Qt::Key_Left: a = Arrow::Left; return true;
    case Qt::Key_Right: a = Arrow::Right; return true;
    default: return false;
    }
}
} // namespace

void JumpWidget::keyPressEvent(QKeyEvent* e) {
    Arrow a;
    if (!keyArrow(e->key(), a)) return QWidget::keyPressEvent(e);
    if (!e->isAutoRepeat()) model_.press(a);
    model_.click(a);
}

void JumpWidget::keyReleaseEvent(QKeyEvent* e) {
    Arrow a;
    if (!keyArrow(e->key(), a) || e->isAutoRepeat()) return QWidget::keyReleaseEvent(e);
    model_.release(a);
}

} // namespace korvane::qt
