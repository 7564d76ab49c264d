#pragma once
#include "form/Image.h"

#include <QWidget>

namespace korvane::qt {

// The pictures the window draws itself: the four scan directions (forward, reverse, random,
// butterfly) with their on and off forms, and the activity picture. Which one is drawn follows
// the model's name.
class DirectionPicture : public QWidget {
public:
    enum class Kind { Forward, Reverse, Random, Butterfly, Activity };
    static DirectionPicture* create(form::Image& model, QWidget* parent);
    QSize sizeHint() const override { return {34, 24}; }
    Kind kind() const { return kind_; }

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;

private:
    DirectionPicture(form::Image& model, QWidget* parent);
    form::Image& model_;
    Kind kind_;
};

} // namespace korvane::qt
