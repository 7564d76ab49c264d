#pragma once
#include "form/Control.h"

#include <vector>

namespace korvane::form {

// Tab pages. onChange runs whenever another page becomes the active one.
class PageControl : public Control {
public:
    PageControl(std::string name, std::vector<std::string> pages) : Control(std::move(name)), pages_(std::move(pages)) {}
    const std::vector<std::string>& pages() const { return pages_; }
    int activeIndex() const { return active_; }
    void setActiveIndex(int i, Origin = Origin::Program) {
        if (i < 0 || i >= int(pages_.size())) return;
        if (!assign(active_, i, Prop::ItemIndex)) return;
        if (onChange) onChange();
    }
    Handler onChange;

private:
    std::vector<std::string> pages_;
    int active_ = 0;
};

} // namespace korvane::form
