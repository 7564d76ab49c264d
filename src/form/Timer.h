#pragma once
#include "form/Control.h"

namespace korvane::form {

// A window timer: while enabled, onTimer runs on the UI thread every `interval` milliseconds.
// The UI thread implementation is its observer and does the scheduling.
class Timer : public Control {
public:
    Timer(std::string name, uint32_t intervalMs, bool enabled) : Control(std::move(name)), interval_(intervalMs) {
        setEnabled(enabled);
    }
    uint32_t interval() const { return interval_; }
    void setInterval(uint32_t ms) { assign(interval_, ms, Prop::Interval); }
    void fire() {
        if (enabled() && onTimer) onTimer();
    }
    Handler onTimer;

private:
    uint32_t interval_;
};

} // namespace korvane::form
