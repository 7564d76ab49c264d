#include "form/ListView.h"

namespace korvane::form {

const std::string& ListView::cell(size_t r, size_t c) const {
    static const std::string empty;
    if (r >= rows_.size() || c >= rows_[r].size()) return empty;
    return rows_[r][c];
}

void ListView::addRow(Row r) {
    rows_.push_back(std::move(r));
    checks_.push_back(false);
    notify(Prop::Rows);
}

void ListView::setRow(size_t i, Row r) {
    if (i >= rows_.size()) return;
    rows_[i] = std::move(r);
    notify(Prop::Row);
}

void ListView::setCell(size_t r, size_t c, std::string text) {
    if (r >= rows_.size()) return;
    if (rows_[r].size() <= c) rows_[r].resize(c + 1);
    rows_[r][c] = std::move(text);
    notify(Prop::Row);
}

void ListView::clear() {
    rows_.clear();
    checks_.clear();
    selection_.clear();
    notify(Prop::Rows);
}

void ListView::setChecked(size_t i, bool v) {
    if (i >= checks_.size() || checks_[i] == v) return;
    checks_[i] = v;
    notify(Prop::Row);
}

void ListView::select(size_t i, bool add, Origin origin) {
    if (i >= rows_.size()) return;
    if (!add || !multiSelect_) selection_.clear();
    selection_.insert(i);
    notify(Prop::Selection);
    if (origin == Origin::User && onSelectItem) onSelectItem(i);
}

void ListView::selectAll() {
    selection_.clear();
    for (size_t i = 0; i < rows_.size(); ++i) selection_.insert(i);
    notify(Prop::Selection);
}

void ListView::clearSelection() {
    selection_.clear();
    notify(Prop::Selection);
}

} // namespace korvane::form
