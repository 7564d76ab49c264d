#pragma once
#include "form/Control.h"

namespace korvane::form {

// A picture the window draws; `on` picks its highlighted form (the direction pictures) and
// `picture` names the image for pictures with several forms (the activity indicator).
class Image : public Control {
public:
    explicit Image(std::string name, std::string hint = {}) : Control(std::move(name)) { setHint(std::move(hint)); }
    bool on() const { return on_; }
    void setOn(bool on) { assign(on_, on, Prop::State); }
    const std::string& picture() const { return picture_; }
    void setPicture(std::string p) { assign(picture_, std::move(p), Prop::State); }
    void mouseDown() {
        if (enabled() && onMouseDown) onMouseDown();
    }
    Handler onMouseDown;

private:
    bool on_ = false;
    std::string picture_;
};

} // namespace korvane::form
