#pragma once
#include "form/Control.h"

#include <vector>

namespace korvane::form {

// A group of radio buttons. onChanging(newIndex) runs first, for user changes only; then onClick
// runs for every change of the selected item.
class RadioGroup : public Control {
public:
    RadioGroup(std::string name, std::string caption, std::vector<std::string> items, int index,
               std::string hint = {})
        : Control(std::move(name)), items_(std::move(items)), itemEnabled_(items_.size(), true), index_(index) {
        setCaption(std::move(caption));
        setHint(std::move(hint));
    }
    const std::vector<std::string>& items() const { return items_; }
    void setItemCaption(size_t i, std::string text) {
        if (i < items_.size() && items_[i] != text) {
            items_[i] = std::move(text);
            notify(Prop::Items);
        }
    }
    bool itemEnabled(size_t i) const { return i < itemEnabled_.size() && itemEnabled_[i]; }
    void setItemEnabled(size_t i, bool e) {
        if (i < itemEnabled_.size() && itemEnabled_[i] != e) {
            itemEnabled_[i] = e;
            notify(Prop::ItemEnabled);
        }
    }
    int itemIndex() const { return index_; }
    const std::string& itemText() const {
        static const std::string none;
        return index_ >= 0 && size_t(index_) < items_.size() ? items_[index_] : none;
    }
    void setItemIndex(int i, Origin origin = Origin::Program) {
        if (i < -1 || i >= int(items_.size()) || i == index_) return;
        if (origin == Origin::User) {
            if (!enabled() || (i >= 0 && !itemEnabled_[i])) return;
            if (onChanging) onChanging(i);
        }
        index_ = i;
        notify(Prop::ItemIndex);
        if (onClick) onClick();
    }
    std::function<void(int)> onChanging;
    Handler onClick;

private:
    std::vector<std::string> items_;
    std::vector<bool> itemEnabled_;
    int index_;
};

} // namespace korvane::form
