#pragma once
#include "form/Control.h"

#include <QLabel>

namespace korvane::qt {

// A segment-style read-out: light text on a dark panel.
class LedDisplay : public QLabel {
public:
    explicit LedDisplay(QWidget* parent);
    void setTextColour(form::Colour c);
};

} // namespace korvane::qt
