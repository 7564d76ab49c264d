#include "qt/ListViewWidget.h"

#include "form/Menu.h"
#include "qt/Binder.h"
#include "qt/QtColour.h"

#include <QHeaderView>
#include <QItemSelectionModel>

namespace korvane::qt {

using form::Prop;

int ListViewModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(list_.rowCount()); }

int ListViewModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(list_.columns().size());
}

QVariant ListViewModel::data(const QModelIndex& index, int role) const {
    size_t r = size_t(index.row()), c = size_t(index.column());
    if (r >= list_.rowCount()) return {};
    switch (role) {
    case Qt::DisplayRole: return qs(list_.cell(r, c));
    case Qt::ForegroundRole: {
        form::Colour colour = list_.colourOf(r, c);
        if (isDefault(colour)) colour = list_.fontColour();
        return isDefault(colour) ? QVariant() : QVariant(toQColor(colour));
    }
    case Qt::TextAlignmentRole: {
        auto align = c < list_.columns().size() ? list_.columns()[c].align : form::Align::Left;
        return QVariant::fromValue(Qt::Alignment(Qt::AlignVCenter) |
                                   (align == form::Align::Right    ? Qt::AlignRight
                                    : align == form::Align::Centre ? Qt::AlignHCenter
                                                                   : Qt::AlignLeft));
    }
    case Qt::CheckStateRole:
        if (c == 0 && list_.checkBoxes()) return list_.checked(r) ? Qt::Checked : Qt::Unchecked;
        return {};
    default: return {};
    }
}

QVariant ListViewModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    return size_t(section) < list_.columns().size() ? qs(list_.columns()[size_t(section)].caption) : QVariant();
}

Qt::ItemFlags ListViewModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == 0 && list_.checkBoxes()) f |= Qt::ItemIsUserCheckable;
    return f;
}

bool ListViewModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::CheckStateRole || index.column() != 0) return false;
    list_.setChecked(size_t(index.row()), value.toInt() == Qt::Checked);
    return true;
}

ListViewWidget::ListViewWidget(form::ListView& list, QWidget* parent)
    : QTreeView(parent), list_(list), model_(new ListViewModel(list, this)) {
    setModel(model_);
    setRootIsDecorated(false);
    setUniformRowHeights(true); // keeps painting cost to the visible rows
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(list.multiSelect() ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
    header()->setSectionsClickable(true);
    header()->setStretchLastSection(true);
    connect(header(), &QHeaderView::sectionClicked, this, [this](int c) { list_.columnClick(size_t(c)); });
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& now) {
        if (syncing_ || !now.isValid()) return;
        bool add = list_.multiSelect() && selectionModel()->selectedRows().size() > 1;
        list_.select(size_t(now.row()), add, form::Origin::User);
    });
    applyColumns();
}

ListViewWidget* ListViewWidget::create(form::ListView& list, QWidget* parent) {
    auto* w = new ListViewWidget(list, parent);
    bindCommon(w, list, [w](Prop p) { w->render(p); });
    return w;
}

void ListViewWidget::applyColumns() {
    const auto& cols = list_.columns();
    for (size_t i = 0; i < cols.size(); ++i) {
        setColumnHidden(int(i), cols[i].width == 0);
        if (cols[i].width > 0) setColumnWidth(int(i), cols[i].width);
    }
}

void ListViewWidget::render(Prop p) {
    switch (p) {
    case Prop::Columns:
        model_->reset();
        applyColumns();
        break;
    case Prop::Rows:
        // Rows only grow at the end or the list was cleared: tell Qt the cheapest way.
        if (list_.rowCount() > shownRows_ && shownRows_ > 0) {
            int first = int(shownRows_);
            shownRows_ = list_.rowCount();
            model_->appended(first, int(shownRows_) - 1);
        } else {
            model_->reset();
            shownRows_ = list_.rowCount();
        }
        showSelection();
        break;
    case Prop::Row:
    case Prop::Cells: viewport()->update(); break;
    case Prop::Selection: showSelection(); break;
    case Prop::Colour: applyBackground(); break;
    case Prop::Scroll: scrollToBottom(); break;
    case Prop::Content:
        applyBackground();
        model_->reset();
        shownRows_ = list_.rowCount();
        applyColumns();
        showSelection();
        viewport()->update();
        break;
    default: break;
    }
}

void ListViewWidget::applyBackground() {
    // The list's own colour (a passport route's tint, say) fills the rows' background.
    QPalette p = palette();
    p.setColor(QPalette::Base, isDefault(list_.colour()) ? QWidget().palette().color(QPalette::Base)
                                                          : toQColor(list_.colour()));
    setPalette(p);
    viewport()->update();
}

void ListViewWidget::showSelection() {
    syncing_ = true;
    selectionModel()->clearSelection();
    for (size_t r : list_.selection())
        if (r < list_.rowCount())
            selectionModel()->select(model_->index(int(r), 0),
                                     QItemSelectionModel::Select | QItemSelectionModel::Rows);
    if (!list_.selection().empty() && *list_.selection().begin() < list_.rowCount())
        selectionModel()->setCurrentIndex(model_->index(int(*list_.selection().begin()), 0),
                                          QItemSelectionModel::NoUpdate);
    syncing_ = false;
}

void ListViewWidget::contextMenuEvent(QContextMenuEvent*) {
    if (list_.popupMenu) popupMenu(*list_.popupMenu, this);
}

void ListViewWidget::mouseDoubleClickEvent(QMouseEvent* e) {
    QTreeView::mouseDoubleClickEvent(e);
    list_.doubleClick();
}

} // namespace korvane::qt
