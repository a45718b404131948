#pragma once

#include "colinfo.h"

#include <QMap>
#include <QPointer>
#include <QSet>

class QShortcut;
class QStandardItem;
class QStandardItemModel;
class QTableView;
class RowIndex;
struct filterStruct;

// The view a data table shows its rows in: binding the model to it, laying
// out its columns, and the filters that hide the rows whose display text
// does not pass them. Filters act on the bound view only.
class ViewBinding
{
public:
    ViewBinding(QStandardItemModel &model, const infoList &columns, const RowIndex &index);
    ~ViewBinding();
    ViewBinding(const ViewBinding &) = delete;
    ViewBinding &operator=(const ViewBinding &) = delete;

    // Shows the model in the view, or unbinds with null. Returns the view's
    // debug shortcut for the caller to connect; null when unbinding.
    QShortcut *bind(QTableView *view);
    QTableView *view() const;
    // Widths, hidden columns and resize modes from the columns, once per view.
    void prepare(QTableView *view) const;
    int currentRow() const;
    // Makes the row current in the bound view; nothing without one.
    void setCurrentRow(int row);

    // A column's filter replaces the one it had; apply() shows the effect.
    void setFilter(int column, const filterStruct &filter);
    void clearFilter(int column);
    void clearFilters();
    // Hides the rows that fail a filter, shows the others.
    void apply();
    // Rows the last apply() hid.
    int hiddenRows() const { return m_hiddenRows; }

private:
    void dropShortcut();
    void styleView(QTableView *view) const;
    QSet<QStandardItem *> visibleRows(bool *everyRow) const;
    QSet<QStandardItem *> matchedRows(int column, const filterStruct &filter) const;
    void hideRows(const QSet<QStandardItem *> &visible, bool everyRow);

    QStandardItemModel &m_model;
    const infoList &m_columns;
    const RowIndex &m_index;
    // The view and its shortcut belong to the view's owner, who may delete
    // them without unbinding first.
    QPointer<QTableView> m_view;
    QPointer<QShortcut> m_debugShortcut;
    QMap<int, filterStruct> m_filters;
    int m_hiddenRows = 0;
};
