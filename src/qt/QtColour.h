#pragma once
#include "form/Control.h"

#include <QColor>
#include <QAbstractScrollArea>
#include <QString>
#include <string>

namespace korvane::qt {

inline QColor toQColor(form::Colour c) { return QColor(int((c >> 16) & 0xFF), int((c >> 8) & 0xFF), int(c & 0xFF)); }
inline bool isDefault(form::Colour c) { return c == form::kDefaultColour; }
inline QString qs(const std::string& s) { return QString::fromStdString(s); }
inline std::string ss(const QString& s) { return s.toStdString(); }
// Captions use '&' for the keyboard accelerator and "&&" for an ampersand, as Qt's do.
inline QString groupTitle(const std::string& caption) { return qs(caption); }
// Light text on dark panels.
inline bool isDark(form::Colour c) {
    return !isDefault(c) && (((c >> 16) & 0xFF) * 299 + ((c >> 8) & 0xFF) * 587 + (c & 0xFF) * 114) / 1000 < 110;
}

// A scroll area that paints its own content on white.
inline void whiteViewport(QAbstractScrollArea* area) {
    area->viewport()->setAutoFillBackground(true);
    QPalette p = area->viewport()->palette();
    p.setColor(QPalette::Window, Qt::white);
    area->viewport()->setPalette(p);
}

} // namespace korvane::qt
