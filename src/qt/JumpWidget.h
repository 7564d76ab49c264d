#pragma once
#include "form/JumpControl.h"

#include <QWidget>

namespace korvane::qt {

// Four arrows in a cross. Mouse press, release and click reach the model per arrow; with the
// focus, the arrow keys do the same.
class JumpWidget : public QWidget {
public:
    static JumpWidget* create(form::JumpControl& model, QWidget* parent);
    QSize sizeHint() const override { return {66, 66}; }

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;

private:
    JumpWidget(form::JumpControl& model, QWidget* parent);
    bool arrowAt(QPoint p, form::JumpControl::Arrow& a) const;
    QPolygonF arrowShape(form::JumpControl::Arrow a) const;

    form::JumpControl& model_;
    bool pressed_ = false;
    form::JumpControl::Arrow pressedArrow_ = form::JumpControl::Arrow::Up;
};

} // namespace korvane::qt
