#include "qt/LedDisplay.h"

#include "qt/QtColour.h"

namespace korvane::qt {

LedDisplay::LedDisplay(QWidget* parent) : QLabel(parent) {
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setMinimumWidth(48);
    QFont f("DejaVu Sans Mono");
    f.setStyleHint(QFont::Monospace);
    f.setBold(true);
    f.setPixelSize(13);
    setFont(f);
    setAutoFillBackground(true);
    setContentsMargins(3, 1, 3, 1);
    setTextColour(form::kDefaultColour);
}

void LedDisplay::setTextColour(form::Colour c) {
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(16, 24, 16));
    p.setColor(QPalette::WindowText, isDefault(c) ? QColor(0, 255, 0) : toQColor(c));
    setPalette(p);
}

} // namespace korvane::qt
