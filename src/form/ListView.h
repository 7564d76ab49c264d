#pragma once
#include "form/Control.h"

#include <set>
#include <vector>

namespace korvane::form {

class Menu;

enum class Align { Left, Right, Centre };

struct ListColumn {
    std::string caption;
    int width = 50;
    Align align = Align::Left;
};

// A report-style list: column 0 of a row is the item caption, the rest are sub-items.
// Colours come from a per-cell rule the owner sets; the binder asks it for every cell it draws.
class ListView : public Control {
public:
    using Row = std::vector<std::string>;

    explicit ListView(std::string name, std::vector<ListColumn> columns = {}, std::string hint = {})
        : Control(std::move(name)), columns_(std::move(columns)) {
        setHint(std::move(hint));
    }

    const std::vector<ListColumn>& columns() const { return columns_; }
    void setColumns(std::vector<ListColumn> c) {
        columns_ = std::move(c);
        notify(Prop::Columns);
    }
    void setColumnWidth(size_t i, int w) {
        if (i < columns_.size() && columns_[i].width != w) {
            columns_[i].width = w;
            notify(Prop::Columns);
        }
    }

    size_t rowCount() const { return rows_.size(); }
    const Row& row(size_t i) const { return rows_.at(i); }
    // Cell text; missing cells read as empty.
    const std::string& cell(size_t r, size_t c) const;
    void addRow(Row r);
    void setRow(size_t i, Row r);
    void setCell(size_t r, size_t c, std::string text);
    void clear();

    bool checked(size_t i) const { return i < checks_.size() && checks_[i]; }
    void setChecked(size_t i, bool v);
    bool checkBoxes() const { return checkBoxes_; }
    void setCheckBoxes(bool v) { assign(checkBoxes_, v, Prop::Content); }

    bool multiSelect() const { return multiSelect_; }
    void setMultiSelect(bool v) { multiSelect_ = v; }
    const std::set<size_t>& selection() const { return selection_; }
    bool selected(size_t i) const { return selection_.count(i) != 0; }
    // Select one row (replacing the selection unless `add`), as a click does.
    void select(size_t i, bool add = false, Origin origin = Origin::Program);
    void selectAll();
    void clearSelection();
    int itemIndex() const { return selection_.empty() ? -1 : int(*selection_.begin()); }

    // Scroll requests for the binder.
    void scrollToBottom() { notify(Prop::Scroll); }

    bool gridLines() const { return gridLines_; }
    void setGridLines(bool g) { assign(gridLines_, g, Prop::Content); }

    // Called for each drawn cell; kDefaultColour means the list's own font colour.
    std::function<Colour(size_t row, size_t column)> cellColour;
    Colour colourOf(size_t r, size_t c) const { return cellColour ? cellColour(r, c) : kDefaultColour; }

    // Row selected by the user; double click; column header click.
    std::function<void(size_t)> onSelectItem;
    Handler onDblClick;
    std::function<void(size_t)> onColumnClick;
    void doubleClick() {
        if (enabled() && onDblClick) onDblClick();
    }
    void columnClick(size_t c) {
        if (enabled() && onColumnClick) onColumnClick(c);
    }

    Menu* popupMenu = nullptr;

private:
    std::vector<ListColumn> columns_;
    std::vector<Row> rows_;
    std::vector<bool> checks_;
    std::set<size_t> selection_;
    bool multiSelect_ = false;
    bool checkBoxes_ = false;
    bool gridLines_ = true;
};

} // namespace korvane::form
