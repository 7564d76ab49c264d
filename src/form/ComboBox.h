#pragma once
#include "form/Control.h"

#include <vector>

namespace korvane::form {

// A drop-down list, optionally editable. onChange runs for user changes only: code that sets
// the item calls the handler itself when it needs it.
class ComboBox : public Control {
public:
    ComboBox(std::string name, std::vector<std::string> items, int index, std::string hint = {})
        : Control(std::move(name)), items_(std::move(items)) {
        setHint(std::move(hint));
        setItemIndex(index);
    }
    const std::vector<std::string>& items() const { return items_; }
    void setItems(std::vector<std::string> items) {
        items_ = std::move(items);
        index_ = -1;
        notify(Prop::Items);
    }
    int itemIndex() const { return index_; }
    void setItemIndex(int i, Origin origin = Origin::Program) {
        if (i < -1 || i >= int(items_.size())) return;
        if (origin == Origin::User && !enabled()) return;
        index_ = i;
        text_ = i >= 0 ? items_[i] : std::string();
        notify(Prop::ItemIndex);
        if (origin == Origin::User && onChange) onChange();
    }
    // The text shown (for an editable box, what the user typed; selecting an item sets it).
    const std::string& text() const { return text_; }
    void setText(std::string t, Origin origin = Origin::Program) {
        if (maxLength_ > 0 && t.size() > maxLength_) t.resize(maxLength_);
        index_ = -1;
        for (size_t k = 0; k < items_.size(); ++k)
            if (items_[k] == t) index_ = int(k);
        text_ = std::move(t);
        notify(Prop::Text);
        if (origin == Origin::User && onChange) onChange();
    }
    size_t maxLength() const { return maxLength_; }
    void setMaxLength(size_t n) { maxLength_ = n; }
    Handler onChange;

private:
    std::vector<std::string> items_;
    int index_ = -1;
    std::string text_;
    size_t maxLength_ = 0;
};

} // namespace korvane::form
