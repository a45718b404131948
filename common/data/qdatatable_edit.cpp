// Editing and row states of QDataTable.

#include "qdatatable.h"
#include "datacell.h"
#include "rowindex.h"

#include <QSqlField>
#include <QStandardItemModel>

QSqlRecord QDataTable::newRow(bool bFill)
{
    if (m_state == TableClosed)
        return QSqlRecord();
    const int row = m_model->rowCount();
    QList<QStandardItem *> items;
    for (int i = 0; i < qMax(1, m_columns.size()); ++i)
        items.append(cellPrototype().clone());
    m_model->appendRow(stampRow(items));
    setRowState(row, RowNew);
    const QSqlRecord record = newRecord();
    if (bFill) {
        const OwnWrite quiet(this, OwnWrite::Quiet);
        setRow(row, record, false);
    }
    refreshRow(row);
    m_state = TableOpenWithData;
    m_currentRow = row;
    return record;
}

// A new row's values: defaults, and the automatic counters moved on.
QSqlRecord QDataTable::newRecord()
{
    QSqlRecord record;
    for (const colInfo &column : qAsConst(m_columns)) {
        QSqlField field(column.fieldName, QVariant::Type(column.dataType));
        field.clear();
        if (column.autoInc == 0) {
            if (!column.defValue.toString().isEmpty())
                field.setValue(column.defValue);
        } else {
            const int value = m_autoIncrement.value(column.fieldName, 0) + column.autoInc;
            m_autoIncrement.insert(column.fieldName, value);
            field.setValue(value);
        }
        record.append(field);
    }
    return record;
}

bool QDataTable::addRow()
{
    return !newRow(true).isEmpty();
}

bool QDataTable::setField(QString fldName, QVariant fldData)
{
    if (m_state == TableClosed || !m_columns.contains(fldName))
        return false;
    QSqlRecord record = getRecord(int(m_currentRow), true);
    if (record.isEmpty())
        return false;
    record.setValue(fldName, fldData);
    setRow(int(m_currentRow), record, false);
    return true;
}

bool QDataTable::setNull(QString fldName)
{
    if (m_state == TableClosed || !m_columns.contains(fldName))
        return false;
    QSqlRecord record = getRecord(int(m_currentRow), true);
    if (record.isEmpty())
        return false;
    record.setNull(fldName);
    setRow(int(m_currentRow), record, false);
    return true;
}

bool QDataTable::deleteRow(int row)
{
    if (m_state != TableOpenWithData || row < 0 || row >= m_model->rowCount())
        return false;
    {
        const OwnWrite quiet(this, OwnWrite::Quiet);
        setRowState(row, RowDeleted);
        setRow(row, getRecord(row, false), false);
    }
    refreshRow(row);
    return true;
}

bool QDataTable::killRow(int row)
{
    if (m_state != TableOpenWithData)
        return false;
    if (row < 0 || row >= m_model->rowCount())
        return true;
    removeRowAt(row);
    m_modified = true;
    return true;
}

// Takes a row out of the model with everything that refers to it.
void QDataTable::removeRowAt(int row)
{
    m_index->rowRemoved(row, getRecord(row, false));
    forgetRow(rowId(row));
    removeModelRows(row, 1);
}

void QDataTable::forgetRow(qlonglong id)
{
    m_pendingInsert.remove(id);
    m_pendingUpdate.remove(id);
    m_pendingDelete.remove(id);
}

void QDataTable::forceInsert(int row)
{
    if (row >= 0) {
        setRowState(row, RowNew);
        return;
    }
    for (int i = 0; i < m_model->rowCount(); ++i)
        setRowState(i, RowNew);
}

void QDataTable::forceUpdate(int row)
{
    if (row >= 0) {
        setRowState(row, RowModified);
        return;
    }
    for (int i = 0; i < m_model->rowCount(); ++i)
        setRowState(i, RowModified);
}

void QDataTable::resetOriginalData(int row, bool bKeepValues)
{
    if (row < 0 || row >= m_model->rowCount())
        return;
    const OwnWrite own(this);
    // Values change behind the indexes' back; they are rebuilt before use.
    m_index->forgetRowNumbers();
    setRowState(row, RowUnchanged);
    for (int i = 0; i < m_model->columnCount(); ++i) {
        QStandardItem *item = m_model->item(row, i);
        if (!item)
            continue;
        if (!bKeepValues)
            setItemValue(item, item->data(OriginalValueRole), CurrentValueRole);
    }
    QSqlRecord record = getRecord(row, false);
    for (int i = 0; i < m_model->columnCount(); ++i) {
        QStandardItem *item = m_model->item(row, i);
        if (!item)
            continue;
        QVariant value = item->data(CurrentValueRole);
        cellData cell;
        cell.text = value.toString();
        item->setData(QVariant(), Qt::DecorationRole);
        item->setData(QVariant(), Qt::DisplayRole);
        item->setData(QVariant(), Qt::ForegroundRole);
        item->setData(QVariant(), Qt::BackgroundRole);
        emit getDispInfo(i, &value, &cell, &record, 0);
        storeDisplay(item, cell);
    }
}
