#pragma once
#include "form/ListView.h"

#include <QAbstractTableModel>
#include <QTreeView>

namespace korvane::qt {

// The rows of a list model as Qt asks for them: texts, per-cell colours, check boxes in the first
// column. Nothing is copied, so a long event log costs nothing until it is drawn.
class ListViewModel : public QAbstractTableModel {
public:
    explicit ListViewModel(form::ListView& list, QObject* parent) : QAbstractTableModel(parent), list_(list) {}
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    void reset() {
        beginResetModel();
        endResetModel();
    }
    // Rows added at the end of the list (the list already holds them).
    void appended(int first, int last) {
        beginInsertRows({}, first, last);
        endInsertRows();
    }
    void rowChanged(int row) { emit dataChanged(index(row, 0), index(row, columnCount() - 1)); }

private:
    form::ListView& list_;
};

// A report list: the model's columns (zero width hides one), selection, double click, column
// clicks and its popup menu.
class ListViewWidget : public QTreeView {
public:
    static ListViewWidget* create(form::ListView& list, QWidget* parent);
    ListViewModel* listModel() const { return model_; }

protected:
    void contextMenuEvent(QContextMenuEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

private:
    ListViewWidget(form::ListView& list, QWidget* parent);
    void render(form::Prop p);
    void applyColumns();
    void showSelection();
    void applyBackground();

    form::ListView& list_;
    ListViewModel* model_;
    bool syncing_ = false;
    size_t shownRows_ = 0;
};

} // namespace korvane::qt
