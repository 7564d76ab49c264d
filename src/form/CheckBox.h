#pragma once
#include "form/Control.h"

namespace korvane::form {

// A check box. Any change of the checked state runs onClick, whoever made it, as the
// handlers rely on (checking a box from code runs its handler too).
class CheckBox : public Control {
public:
    CheckBox(std::string name, std::string caption, bool checked = false, std::string hint = {})
        : Control(std::move(name)), checked_(checked) {
        setCaption(std::move(caption));
        setHint(std::move(hint));
    }
    bool checked() const { return checked_; }
    void setChecked(bool c, Origin origin = Origin::Program) {
        if (origin == Origin::User && !enabled()) return;
        if (!assign(checked_, c, Prop::Checked)) return;
        if (onClick) onClick();
    }
    // The user clicks the box.
    void click() { setChecked(!checked_, Origin::User); }
    Handler onClick;

private:
    bool checked_;
};

} // namespace korvane::form
