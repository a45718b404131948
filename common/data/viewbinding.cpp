#include "viewbinding.h"
#include "tabletypes.h"
#include "readonlydelegate.h"
#include "rowindex.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QShortcut>
#include <QStandardItemModel>
#include <QTableView>

ViewBinding::ViewBinding(QStandardItemModel &model, const infoList &columns, const RowIndex &index)
    : m_model(model), m_columns(columns), m_index(index)
{
}

ViewBinding::~ViewBinding() = default;

QShortcut *ViewBinding::bind(QTableView *view)
{
    dropShortcut();
    m_view = view;
    if (!view)
        return nullptr;
    view->setModel(&m_model);
    styleView(view);
    m_debugShortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::ALT | Qt::Key_I), view);
    m_debugShortcut->setContext(Qt::WidgetWithChildrenShortcut);
    view->setEditTriggers(QAbstractItemView::DoubleClicked);
    view->setItemDelegate(new ReadOnlyDelegate(view));
    return m_debugShortcut;
}

QTableView *ViewBinding::view() const
{
    return m_view;
}

void ViewBinding::dropShortcut()
{
    if (!m_debugShortcut)
        return;
    m_debugShortcut->setEnabled(false);
    m_debugShortcut->deleteLater();
    m_debugShortcut = nullptr;
}

void ViewBinding::styleView(QTableView *view) const
{
    view->horizontalHeader()->setSectionsMovable(true);
    view->horizontalHeader()->setHighlightSections(false);
    view->verticalHeader()->setDefaultSectionSize(QFontMetrics(view->font()).height() + 2);
    view->verticalHeader()->setHighlightSections(false);
    view->verticalHeader()->hide();
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    // Enabling sorting sorts at once by the header's indicator (the first
    // column, descending); without an indicator the rows keep the order the
    // select gave them until the user sorts.
    view->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    view->setSortingEnabled(true);
}

void ViewBinding::prepare(QTableView *view) const
{
    if (!view || view->property("isPrepared").toBool())
        return;
    QHeaderView *header = view->horizontalHeader();
    for (int i = 0; i < m_columns.size(); ++i) {
        const colInfo &column = m_columns.at(i);
        view->setColumnWidth(i, column.width);
        view->setColumnHidden(i, !column.visible);
        if (column.flags & ColumnFixedWidth)
            header->setSectionResizeMode(i, QHeaderView::Fixed);
        if (column.flags & ColumnStretch)
            header->setSectionResizeMode(i, QHeaderView::Stretch);
        if (column.flags & ColumnResizeToContents)
            header->setSectionResizeMode(i, QHeaderView::ResizeToContents);
    }
    view->setProperty("isPrepared", true);
}

int ViewBinding::currentRow() const
{
    return m_view ? m_view->currentIndex().row() : -1;
}

void ViewBinding::setCurrentRow(int row)
{
    if (m_view && row >= 0)
        m_view->setCurrentIndex(m_model.index(row, 0));
}

void ViewBinding::setFilter(int column, const filterStruct &filter)
{
    m_filters.insert(column, filter);
}

void ViewBinding::clearFilter(int column)
{
    m_filters.remove(column);
}

void ViewBinding::clearFilters()
{
    m_filters.clear();
}

void ViewBinding::apply()
{
    m_hiddenRows = 0;
    if (!m_view)
        return;
    bool everyRow = true;
    const QSet<QStandardItem *> visible = visibleRows(&everyRow);
    hideRows(visible, everyRow);
}

// The first items of the rows that pass every filter; *everyRow stays true
// when there is no filter, and then the set is empty.
QSet<QStandardItem *> ViewBinding::visibleRows(bool *everyRow) const
{
    QSet<QStandardItem *> visible;
    for (auto it = m_filters.cbegin(); it != m_filters.cend(); ++it) {
        const QSet<QStandardItem *> matched = matchedRows(it.key(), it.value());
        if (*everyRow) {
            // The set of all rows is only built when a hide filter needs it.
            if (it.value().type == FilterKeep) {
                visible = matched;
            } else {
                for (int row = 0; row < m_model.rowCount(); ++row)
                    visible.insert(m_model.item(row, 0));
                visible.subtract(matched);
            }
            *everyRow = false;
        } else if (it.value().type == FilterKeep) {
            visible.intersect(matched);
        } else {
            visible.subtract(matched);
        }
    }
    return visible;
}

QSet<QStandardItem *> ViewBinding::matchedRows(int column, const filterStruct &filter) const
{
    const QMultiHash<QString, QStandardItem *> index = m_index.textIndex(column);
    QSet<QStandardItem *> matched;
    for (const QString &value : filter.values) {
        for (auto hit = index.constFind(value); hit != index.cend() && hit.key() == value; ++hit)
            matched.insert(hit.value());
    }
    return matched;
}

void ViewBinding::hideRows(const QSet<QStandardItem *> &visible, bool everyRow)
{
    // The header lays its sections out again after each hidden row unless
    // told to wait, which makes hiding many rows quadratic.
    QHeaderView *header = m_view->verticalHeader();
    const bool updates = header->updatesEnabled();
    header->setUpdatesEnabled(false);
    for (int row = 0; row < m_model.rowCount(); ++row) {
        const bool hidden = !everyRow && !visible.contains(m_model.item(row, 0));
        if (m_view->isRowHidden(row) != hidden)
            m_view->setRowHidden(row, hidden);
        if (hidden)
            ++m_hiddenRows;
    }
    header->setUpdatesEnabled(updates);
}
