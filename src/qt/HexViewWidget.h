#pragma once
#include "form/HexView.h"

#include <QAbstractScrollArea>

namespace korvane::qt {

// Bytes in hexadecimal: 16 a row with the offset in a gutter, the characters in the DOS code page,
// changed bytes in red, a rule after every 512 bytes. Unless read-only, a click picks a byte and
// two hexadecimal digits replace it.
class HexViewWidget : public QAbstractScrollArea {
public:
    static HexViewWidget* create(form::HexView& model, QWidget* parent);
    static constexpr int kBytesPerRow = 16;
    size_t cursor() const { return cursor_; }

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    HexViewWidget(form::HexView& model, QWidget* parent);
    void updateScrollRange();
    int rowHeight() const;
    int charWidth() const;
    int hexColumnX(int column) const;
    int charColumnX(int column) const;
    void moveCursor(long delta);

    form::HexView& model_;
    size_t cursor_ = 0;
    int pendingNibble_ = -1; // the first digit typed, until the second one
};

} // namespace korvane::qt
