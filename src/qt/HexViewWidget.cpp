#include "qt/HexViewWidget.h"

#include "qt/Binder.h"
#include "qt/QtColour.h"
#include "qt/DosCodePage.h"

#include <QFontDatabase>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>

namespace korvane::qt {

HexViewWidget::HexViewWidget(form::HexView& model, QWidget* parent) : QAbstractScrollArea(parent), model_(model) {
    QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    f.setPixelSize(11);
    setFont(f);
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    whiteViewport(this);
    setMinimumWidth(charColumnX(kBytesPerRow) + verticalScrollBar()->sizeHint().width() + 4);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, viewport(), qOverload<>(&QWidget::update));
}

HexViewWidget* HexViewWidget::create(form::HexView& model, QWidget* parent) {
    auto* w = new HexViewWidget(model, parent);
    bindCommon(w, model, [w](form::Prop p) {
        if (p == form::Prop::Position) w->verticalScrollBar()->setValue(int(w->model_.offset() / kBytesPerRow));
        w->updateScrollRange();
        w->viewport()->update();
    });
    return w;
}

int HexViewWidget::rowHeight() const { return fontMetrics().height(); }
int HexViewWidget::charWidth() const { return fontMetrics().horizontalAdvance('0'); }
int HexViewWidget::hexColumnX(int c) const { return charWidth() * (6 + 3 * c + (c >= 8 ? 1 : 0)); }
int HexViewWidget::charColumnX(int c) const { return hexColumnX(kBytesPerRow) + charWidth() * (1 + c); }

void HexViewWidget::updateScrollRange() {
    int rows = int((model_.data().size() + kBytesPerRow - 1) / kBytesPerRow);
    int visible = std::max(1, viewport()->height() / rowHeight());
    verticalScrollBar()->setRange(0, std::max(0, rows - visible));
    verticalScrollBar()->setPageStep(visible);
}

void HexViewWidget::resizeEvent(QResizeEvent* e) {
    QAbstractScrollArea::resizeEvent(e);
    updateScrollRange();
}

void HexViewWidget::paintEvent(QPaintEvent*) {
    QPainter p(viewport());
    const auto& data = model_.data();
    int h = rowHeight(), first = verticalScrollBar()->value();
    int visible = viewport()->height() / h + 1;
    int ascent = fontMetrics().ascent();
    p.fillRect(0, 0, hexColumnX(0) - charWidth(), viewport()->height(), QColor(236, 236, 236));
    for (int i = 0; i < visible; ++i) {
        size_t row = size_t(first + i), start = row * kBytesPerRow;
        if (start >= data.size()) break;
        int y = i * h;
        p.setPen(QColor(100, 100, 100));
        p.drawText(charWidth() / 2, y + ascent, QString("%1").arg(start, 4, 16, QChar('0')).toUpper());
        for (int c = 0; c < kBytesPerRow && start + size_t(c) < data.size(); ++c) {
            size_t at = start + size_t(c);
            bool changed = model_.isChanged(at), current = at == cursor_ && hasFocus() && !model_.readOnly();
            if (current) p.fillRect(hexColumnX(c) - 1, y, charWidth() * 2 + 2, h, QColor(200, 220, 255));
            p.setPen(changed ? Qt::red : (isEnabled() ? Qt::black : Qt::gray));
            p.drawText(hexColumnX(c), y + ascent, QString("%1").arg(data[at], 2, 16, QChar('0')).toUpper());
            p.drawText(charColumnX(c), y + ascent, QString(dosChar(data[at])));
        }
        if ((start + kBytesPerRow) % 512 == 0 && start + kBytesPerRow < data.size()) {
            p.setPen(QColor(0, 0, 160));
            p.drawLine(0, y + h - 1, viewport()->width(), y + h - 1);
        }
    }
}

void HexViewWidget::mousePressEvent(QMouseEvent* e) {
    int row = verticalScrollBar()->value() + int(e->position().y()) / rowHeight();
    for (int c = 0; c < kBytesPerRow; ++c) {
        bool onHex = e->position().x() >= hexColumnX(c) && e->position().x() < hexColumnX(c) + 2 * charWidth();
        bool onChar = e->position().x() >= charColumnX(c) && e->position().x() < charColumnX(c) + charWidth();
        if (onHex || onChar) {
            size_t at = size_t(row) * kBytesPerRow + size_t(c);
            if (at < model_.data().size()) cursor_ = at;
            pendingNibble_ = -1;
            viewport()->update();
            return;
        }
    }
}

void HexViewWidget::mouseDoubleClickEvent(QMouseEvent*) { model_.doubleClick(); }

void HexViewWidget::moveCursor(long delta) {
    long size = long(model_.data().size());
    if (size == 0) return;
    cursor_ = size_t(std::clamp(long(cursor_) + delta, 0L, size - 1));
    pendingNibble_ = -1;
    int row = int(cursor_ / kBytesPerRow), first = verticalScrollBar()->value();
    if (row < first) verticalScrollBar()->setValue(row);
    if (row >= first + verticalScrollBar()->pageStep()) verticalScrollBar()->setValue(row - verticalScrollBar()->pageStep() + 1);
    viewport()->update();
}

void HexViewWidget::keyPressEvent(QKeyEvent* e) {
    switch (e->key()) {
    case Qt::Key_Left: return moveCursor(-1);
    case Qt::Key_Right: return moveCursor(1);
    case Qt::Key_Up: return moveCursor(-kBytesPerRow);
    case Qt::Key_Down: return moveCursor(kBytesPerRow);
    case Qt::Key_PageUp: return moveCursor(-kBytesPerRow * verticalScrollBar()->pageStep());
    case Qt::Key_PageDown: return moveCursor(kBytesPerRow * verticalScrollBar()->pageStep());
    default: break;
    }
    QString t = e->text();
    bool ok = false;
    int digit = t.size() == 1 ? t.toInt(&ok, 16) : -1;
    if (!ok || model_.readOnly() || cursor_ >= model_.data().size()) return QAbstractScrollArea::keyPressEvent(e);
    if (pendingNibble_ < 0) {
        pendingNibble_ = digit;
        uint8_t low = model_.data()[cursor_] & 0x0F;
        model_.edit(cursor_, uint8_t(digit << 4 | low));
    } else {
        model_.edit(cursor_, uint8_t(pendingNibble_ << 4 | digit));
        moveCursor(1);
    }
}

} // namespace korvane::qt
