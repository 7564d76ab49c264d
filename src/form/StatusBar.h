#pragma once
#include "form/Control.h"

#include <vector>

namespace korvane::form {

// A status bar of text panes.
class StatusBar : public Control {
public:
    StatusBar(std::string name, std::vector<std::string> panes) : Control(std::move(name)), panes_(std::move(panes)) {}
    size_t paneCount() const { return panes_.size(); }
    const std::string& pane(size_t i) const { return panes_.at(i); }
    void setPane(size_t i, std::string text) {
        if (i < panes_.size() && panes_[i] != text) {
            panes_[i] = std::move(text);
            notify(Prop::Text);
        }
    }

private:
    std::vector<std::string> panes_;
};

} // namespace korvane::form
