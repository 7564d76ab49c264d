#pragma once
#include "form/Control.h"

#include <vector>

namespace korvane::form {

// A status bar of text panes.
class StatusBar : public Control {
public:
    // widths in pixels, one a pane; 0 takes the room the others leave.
    StatusBar(std::string name, std::vector<std::string> panes, std::vector<int> widths = {})
        : Control(std::move(name)), panes_(std::move(panes)), widths_(std::move(widths)) {
        widths_.resize(panes_.size(), 0);
    }
    size_t paneCount() const { return panes_.size(); }
    int paneWidth(size_t i) const { return i < widths_.size() ? widths_[i] : 0; }
    const std::string& pane(size_t i) const { return panes_.at(i); }
    void setPane(size_t i, std::string text) {
        if (i < panes_.size() && panes_[i] != text) {
            panes_[i] = std::move(text);
            notify(Prop::Text);
        }
    }

private:
    std::vector<std::string> panes_;
    std::vector<int> widths_;
};

} // namespace korvane::form
