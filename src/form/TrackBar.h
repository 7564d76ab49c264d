#pragma once
#include "form/Control.h"

#include <algorithm>

namespace korvane::form {

// A slider. onChange runs on every change of the position, by the user or by code.
class TrackBar : public Control {
public:
    TrackBar(std::string name, int min, int max, int position, std::string hint = {})
        : Control(std::move(name)), min_(min), max_(max), position_(std::clamp(position, min, max)) {
        setHint(std::move(hint));
    }
    int position() const { return position_; }
    void setPosition(int p, Origin origin = Origin::Program) {
        if (origin == Origin::User && !enabled()) return;
        if (!assign(position_, std::clamp(p, min_, max_), Prop::Position)) return;
        if (onChange) onChange();
    }
    int min() const { return min_; }
    int max() const { return max_; }
    void setRange(int min, int max) {
        min_ = min;
        max_ = std::max(min, max);
        notify(Prop::Range);
        setPosition(position_);
    }
    Handler onChange;
    // The mouse button or the key that moved it was let go.
    void release() {
        if (enabled() && onRelease) onRelease();
    }
    Handler onRelease;

private:
    int min_, max_, position_;
};

} // namespace korvane::form
