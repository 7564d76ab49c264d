#pragma once
#include "form/Control.h"

#include <memory>
#include <vector>

namespace korvane::form {

class MenuItem : public Control {
public:
    MenuItem(std::string name, std::string caption) : Control(std::move(name)) { setCaption(std::move(caption)); }
    void click() {
        if (enabled() && visible() && onClick) onClick();
    }
    Handler onClick;
};

// A popup menu: onPopup runs just before it opens, so items can be captioned and enabled.
class Menu : public Control {
public:
    Menu(std::string name, std::vector<std::pair<std::string, std::string>> items) : Control(std::move(name)) {
        for (auto& [itemName, caption] : items) items_.push_back(std::make_unique<MenuItem>(itemName, caption));
    }
    size_t size() const { return items_.size(); }
    MenuItem& item(size_t i) { return *items_.at(i); }
    const MenuItem& item(size_t i) const { return *items_.at(i); }
    MenuItem* find(const std::string& caption) {
        for (auto& m : items_)
            if (m->caption() == caption) return m.get();
        return nullptr;
    }
    void popup() {
        if (onPopup) onPopup();
    }
    Handler onPopup;

private:
    std::vector<std::unique_ptr<MenuItem>> items_;
};

} // namespace korvane::form
