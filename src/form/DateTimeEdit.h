#pragma once
#include "form/Control.h"

#include <cmath>

namespace korvane::form {

// A time picker. The value is a date-time number: whole days plus the fraction of a day.
class DateTimeEdit : public Control {
public:
    DateTimeEdit(std::string name, double value, std::string format, std::string hint = {})
        : Control(std::move(name)), value_(value), format_(std::move(format)) {
        setHint(std::move(hint));
    }
    double value() const { return value_; }
    void setValue(double v, Origin origin = Origin::Program) {
        if (origin == Origin::User && !enabled()) return;
        if (!assign(value_, v, Prop::Value)) return;
        if (onChange) onChange();
    }
    // Minutes of the time of day (the fraction part of the value).
    int minutesOfDay() const {
        if (!std::isfinite(value_)) return 0;
        double frac = std::fmod(value_, 1.0); // no integer conversion of a huge value
        if (frac < 0) frac += 1.0;
        return int(frac * 1440.0 + 0.5) % 1440;
    }
    const std::string& format() const { return format_; }
    void click() {
        if (enabled() && onClick) onClick();
    }
    Handler onChange, onClick;

private:
    double value_;
    std::string format_;
};

} // namespace korvane::form
