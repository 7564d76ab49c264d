#pragma once
#include "form/Control.h"

namespace korvane::form {

// The four-arrow jump control. Each arrow reports press, release and click separately,
// because auto-repeat runs between press and release.
class JumpControl : public Control {
public:
    enum class Arrow { Up, Down, Left, Right };
    explicit JumpControl(std::string name, std::string hint = {}) : Control(std::move(name)) { setHint(std::move(hint)); }

    Colour arrowColour() const { return arrowColour_; }
    void setArrowColour(Colour c) { assign(arrowColour_, c, Prop::Colour); }

    void press(Arrow a) {
        if (enabled() && onMouseDown) onMouseDown(a);
    }
    void release(Arrow a) {
        if (enabled() && onMouseUp) onMouseUp(a);
    }
    void click(Arrow a) {
        if (enabled() && onClick) onClick(a);
    }
    std::function<void(Arrow)> onMouseDown, onMouseUp, onClick;

private:
    Colour arrowColour_ = colours::Green;
};

} // namespace korvane::form
