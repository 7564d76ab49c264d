#pragma once
#include "form/Control.h"

namespace korvane::form {

// A one-line text field. onChange runs on every change of the text, by the user or by code.
class Edit : public Control {
public:
    explicit Edit(std::string name, std::string text = {}, std::string hint = {}, size_t maxLength = 0)
        : Control(std::move(name)), text_(std::move(text)), maxLength_(maxLength) {
        setHint(std::move(hint));
    }
    const std::string& text() const { return text_; }
    void setText(std::string t, Origin origin = Origin::Program) {
        if (origin == Origin::User && (!enabled() || readOnly_)) return;
        if (maxLength_ > 0 && t.size() > maxLength_) t.resize(maxLength_);
        if (!assign(text_, std::move(t), Prop::Text)) return;
        if (onChange) onChange();
    }
    bool readOnly() const { return readOnly_; }
    void setReadOnly(bool r) { assign(readOnly_, r, Prop::ReadOnly); }
    size_t maxLength() const { return maxLength_; }
    Handler onChange;

private:
    std::string text_;
    size_t maxLength_;
    bool readOnly_ = false;
};

} // namespace korvane::form
