#pragma once
#include "form/Control.h"

namespace korvane::form {

// A static text; its caption is the text. Clickable where the window makes it so.
class Label : public Control {
public:
    explicit Label(std::string name, std::string caption = {}, std::string hint = {}) : Control(std::move(name)) {
        setCaption(std::move(caption));
        setHint(std::move(hint));
    }
    void click() {
        if (enabled() && onClick) onClick();
    }
    Handler onClick;
};

// A segment-style text display (the LED read-outs of counters, times and values).
class Led : public Label {
public:
    using Label::Label;
};

// A lamp: a shape whose brush colour is its state.
class Shape : public Control {
public:
    explicit Shape(std::string name, Colour brush = colours::Grey, std::string hint = {}) : Control(std::move(name)) {
        setColour(brush);
        setHint(std::move(hint));
    }
    Colour penColour() const { return pen_; }
    void setPenColour(Colour c) { assign(pen_, c, Prop::Colour); }
    void click() {
        if (enabled() && onClick) onClick();
    }
    Handler onClick;

private:
    Colour pen_ = colours::Black;
};

// A progress bar.
class Meter : public Control {
public:
    Meter(std::string name, int min, int max, std::string hint = {}) : Control(std::move(name)), min_(min), max_(max) {
        setHint(std::move(hint));
    }
    int min() const { return min_; }
    int max() const { return max_; }
    void setMax(int m) { assign(max_, m, Prop::Range); }
    int position() const { return position_; }
    void setPosition(int p) { assign(position_, p, Prop::Position); }

private:
    int min_, max_;
    int position_ = 0;
};

} // namespace korvane::form
