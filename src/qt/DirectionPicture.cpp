#include "qt/DirectionPicture.h"

#include "qt/Binder.h"

#include <QPainter>
#include <QPainterPath>

namespace korvane::qt {

namespace {
DirectionPicture::Kind kindOf(const std::string& name) {
    if (name == "ImgREV") return DirectionPicture::Kind::Reverse;
    if (name == "ImgRND") return DirectionPicture::Kind::Random;
    if (name == "ImgBTF") return DirectionPicture::Kind::Butterfly;
    if (name == "ImgFWD") return DirectionPicture::Kind::Forward;
    return DirectionPicture::Kind::Activity;
}

void arrow(QPainter& p, QPointF from, QPointF to) {
    p.drawLine(from, to);
    QPointF d = to - from;
    double len = std::hypot(d.x(), d.y());
    if (len == 0) return;
    QPointF u = d / len, n(-u.y(), u.x());
    p.drawPolygon(QPolygonF({to, to - u * 6 + n * 4, to - u * 6 - n * 4}));
}
} // namespace

DirectionPicture::DirectionPicture(form::Image& model, QWidget* parent)
    : QWidget(parent), model_(model), kind_(kindOf(model.name())) {
    setMinimumSize(30, 22);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

DirectionPicture* DirectionPicture::create(form::Image& model, QWidget* parent) {
    auto* w = new DirectionPicture(model, parent);
    bindCommon(w, model, [w](form::Prop) { w->update(); });
    return w;
}

void DirectionPicture::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    bool on = model_.on();
    QRectF r = QRectF(rect()).adjusted(1, 1, -1, -1);
    p.setPen(QPen(on ? QColor(0, 0, 128) : QColor(150, 150, 150), 1));
    p.setBrush(on ? QColor(255, 255, 160) : QColor(228, 228, 228));
    p.drawRoundedRect(r, 3, 3);
    QColor ink = on ? QColor(0, 0, 160) : QColor(130, 130, 130);
    p.setPen(QPen(ink, 2));
    p.setBrush(ink);
    double cy = r.center().y(), l = r.left() + 5, rr = r.right() - 5;
    switch (kind_) {
    case Kind::Forward: arrow(p, {l, cy}, {rr, cy}); break;
    case Kind::Reverse: arrow(p, {rr, cy}, {l, cy}); break;
    case Kind::Random: {
        const QPointF dots[] = {{0.2, 0.3}, {0.45, 0.7}, {0.6, 0.25}, {0.8, 0.6}, {0.35, 0.45}, {0.7, 0.8}};
        for (auto d : dots) p.drawEllipse(QPointF(r.left() + d.x() * r.width(), r.top() + d.y() * r.height()), 1.5, 1.5);
        break;
    }
    case Kind::Butterfly:
        arrow(p, {l, cy - 4}, {r.center().x() - 1, cy - 4});
        arrow(p, {rr, cy + 4}, {r.center().x() + 1, cy + 4});
        break;
    case Kind::Activity: {
        bool busy = model_.picture() == "busy";
        p.setBrush(busy ? QColor(255, 0, 0) : QColor(0, 160, 0));
        p.drawEllipse(r.center(), r.height() / 3, r.height() / 3);
        break;
    }
    }
}

void DirectionPicture::mousePressEvent(QMouseEvent*) { model_.mouseDown(); }

} // namespace korvane::qt
