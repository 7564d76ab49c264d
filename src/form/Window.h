#pragma once
#include "form/Control.h"

namespace korvane::form {

// A top-level window: caption, visibility, geometry and its size limits.
class Window : public Control {
public:
    Window(std::string name, std::string caption) : Control(std::move(name)) {
        setCaption(std::move(caption));
        setVisible(false);
    }
    int left() const { return left_; }
    int top() const { return top_; }
    void moveTo(int x, int y) {
        left_ = x;
        top_ = y;
        notify(Prop::Position);
    }
    void setSizeLimits(int minW, int minH, int maxW, int maxH) {
        minW_ = minW;
        minH_ = minH;
        maxW_ = maxW;
        maxH_ = maxH;
    }
    int minWidth() const { return minW_; }
    int minHeight() const { return minH_; }
    int maxWidth() const { return maxW_; }
    int maxHeight() const { return maxH_; }
    void show() {
        setVisible(true);
        if (onShow) onShow();
    }
    void close() {
        setVisible(false);
        if (onClose) onClose();
    }
    // The window lost the focus to another one.
    void deactivate() {
        if (onDeactivate) onDeactivate();
    }
    Handler onShow, onClose, onDeactivate;

private:
    int left_ = 0, top_ = 0;
    int minW_ = 0, minH_ = 0, maxW_ = 0, maxH_ = 0;
};

// A multi-line read-only text (the log viewer).
class Memo : public Control {
public:
    explicit Memo(std::string name) : Control(std::move(name)) {}
    const std::string& text() const { return text_; }
    void setText(std::string t) { assign(text_, std::move(t), Prop::Text); }
    void clear() { setText({}); }
    void scrollToBottom() { notify(Prop::Scroll); }

private:
    std::string text_;
};

} // namespace korvane::form
