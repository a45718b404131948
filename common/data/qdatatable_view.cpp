// View binding and the way item changes come back into QDataTable.

#include "qdatatable.h"
#include "readonlydelegate.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QMessageBox>
#include <QShortcut>
#include <QStandardItemModel>
#include <QTableView>

void QDataTable::setView(QTableView *view)
{
    if (m_debugShortcut) {
        m_debugShortcut->setEnabled(false);
        m_debugShortcut->deleteLater();
        m_debugShortcut = nullptr;
    }
    m_view = view;
    if (!view)
        return;
    view->setModel(m_model);
    view->horizontalHeader()->setSectionsMovable(true);
    view->horizontalHeader()->setHighlightSections(false);
    view->verticalHeader()->setDefaultSectionSize(QFontMetrics(view->font()).height() + 2);
    view->verticalHeader()->setHighlightSections(false);
    view->verticalHeader()->hide();
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSortingEnabled(true);
    if (m_state != -2)
        prepareView(view);
    m_debugShortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::ALT | Qt::Key_I), view);
    m_debugShortcut->setContext(Qt::WidgetWithChildrenShortcut);
    connect(m_debugShortcut, &QShortcut::activated, this, &QDataTable::onIDRequest);
    view->setEditTriggers(QAbstractItemView::DoubleClicked);
    view->setItemDelegate(new ReadOnlyDelegate(view));
}

void QDataTable::prepareView(QTableView *view)
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

int QDataTable::getViewCurrentRow() const
{
    return m_view ? m_view->currentIndex().row() : -1;
}

QSqlRecord QDataTable::getViewCurrentRecord() const
{
    const int row = getViewCurrentRow();
    return row < 0 ? QSqlRecord() : getRecord(row, false);
}

// Only changes from outside the table's own writes are edits: while a row is
// written its cells briefly show display text (a name in place of an id),
// which must never be taken for a new value.
void QDataTable::onItemChanged(QStandardItem *item)
{
    if (m_ownWrites > 0 || !item || item->column() >= m_columns.size())
        return;
    const int row = item->row();
    const QVariant edited = item->data(Qt::EditRole);
    const QVariant current = item->data(CurrentValueRole);
    if (edited != current)
        emit dataChanged(m_columns.at(item->column()).fieldName, current, edited, objectName());
    const int state = getRowState(row);
    if (state != RowNew && state != RowDeleted)
        setRowState(row, RowModified);
    if (m_directEdit && getRowState(row) != RowDeleted) {
        m_model->blockSignals(true);
        setItemValue(item, edited, CurrentValueRole);
        setRow(row, getRecord(row, false), false);
        m_model->blockSignals(false);
        refreshRow(row);
    }
}

void QDataTable::onIDRequest()
{
    if (!m_view || m_view->currentIndex().row() < 0)
        return;
    const QSqlRecord record = getRecord(m_view->currentIndex().row(), false);
    const qlonglong id = record.value(QStringLiteral("id")).toLongLong();
    QMessageBox::information(nullptr, QStringLiteral("Отладка"),
                             QStringLiteral("Таблица '%1'\nID = %2").arg(objectName()).arg(id),
                             QMessageBox::Ok);
}
