#pragma once
#include "form/Control.h"

#include <algorithm>

namespace korvane::form {

// A number field with up/down arrows. Values are kept within [min, max]; onChange runs on every
// change of the value, by the user or by code.
class SpinEdit : public Control {
public:
    SpinEdit(std::string name, int64_t min, int64_t max, int64_t value, int64_t increment = 1, std::string hint = {})
        : Control(std::move(name)), min_(min), max_(max), value_(std::clamp(value, min, max)), increment_(increment) {
        setHint(std::move(hint));
    }
    int64_t value() const { return value_; }
    void setValue(int64_t v, Origin origin = Origin::Program) {
        if (origin == Origin::User && !enabled()) return;
        if (!assign(value_, std::clamp(v, min_, max_), Prop::Value)) return;
        if (onChange) onChange();
    }
    int64_t min() const { return min_; }
    int64_t max() const { return max_; }
    int64_t increment() const { return increment_; }
    void setRange(int64_t min, int64_t max) {
        min_ = min;
        max_ = std::max(min, max);
        notify(Prop::Range);
        setValue(value_);
    }
    Handler onChange;

private:
    int64_t min_, max_, value_, increment_;
};

} // namespace korvane::form
