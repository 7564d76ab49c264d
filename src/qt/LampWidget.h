#pragma once
#include "form/Label.h"

#include <QWidget>

namespace korvane::qt {

// A lamp: a rounded shape filled with the model's brush colour and outlined with its pen.
class LampWidget : public QWidget {
public:
    static LampWidget* create(form::Shape& model, QWidget* parent);
    QSize sizeHint() const override { return {14, 14}; }
    QColor brush() const;

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;

private:
    LampWidget(form::Shape& model, QWidget* parent);
    form::Shape& model_;
};

} // namespace korvane::qt
