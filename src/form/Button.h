#pragma once
#include "form/Control.h"

namespace korvane::form {

class Button : public Control {
public:
    explicit Button(std::string name, std::string caption = {}, std::string hint = {}) : Control(std::move(name)) {
        setCaption(std::move(caption));
        setHint(std::move(hint));
    }
    // A press, by the mouse, a shortcut or the program; a disabled button does nothing.
    void click() {
        if (enabled() && onClick) onClick();
    }
    Handler onClick;
};

} // namespace korvane::form
