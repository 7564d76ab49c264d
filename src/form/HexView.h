#pragma once
#include "form/Control.h"

#include <vector>

namespace korvane::form {

// Bytes shown and edited in hexadecimal, with a mask of the bytes changed since loading.
class HexView : public Control {
public:
    explicit HexView(std::string name, bool readOnly = false) : Control(std::move(name)), readOnly_(readOnly) {}

    const std::vector<uint8_t>& data() const { return data_; }
    // Replace the content (a load): nothing counts as changed afterwards.
    void load(const uint8_t* bytes, size_t size) {
        data_.assign(bytes, bytes + size);
        changed_.assign(size, false);
        notify(Prop::Content);
    }
    bool isChanged(size_t i) const { return i < changed_.size() && changed_[i]; }
    bool anyChanged() const {
        for (bool c : changed_)
            if (c) return true;
        return false;
    }
    // The user types a byte.
    bool edit(size_t i, uint8_t value) {
        if (readOnly_ || !enabled() || i >= data_.size()) return false;
        if (data_[i] != value) {
            data_[i] = value;
            changed_[i] = true;
            notify(Prop::Content);
            if (onChange) onChange();
        }
        return true;
    }
    bool readOnly() const { return readOnly_; }
    void setReadOnly(bool r) { assign(readOnly_, r, Prop::ReadOnly); }
    size_t offset() const { return offset_; }
    void setOffset(size_t o) { assign(offset_, o, Prop::Position); }
    void doubleClick() {
        if (enabled() && onDblClick) onDblClick();
    }
    Handler onChange, onDblClick;

private:
    std::vector<uint8_t> data_;
    std::vector<bool> changed_;
    bool readOnly_;
    size_t offset_ = 0;
};

} // namespace korvane::form
