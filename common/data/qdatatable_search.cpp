// Searching, copying rows, loading more rows by key, and filters of QDataTable.

#include "qdatatable.h"
#include "datacell.h"
#include "qsqlconnection.h"
#include "rowindex.h"
#include "viewbinding.h"

#include <QSqlQuery>
#include <QStandardItemModel>

#include <algorithm>
#include <numeric>

int QDataTable::columnOf(const QString &fldName) const
{
    for (int i = 0; i < m_columns.size(); ++i) {
        if (m_columns.at(i).fieldName == fldName)
            return i;
    }
    return -1;
}

QVariant QDataTable::cellValue(int row, int column) const
{
    const QStandardItem *item = m_model->item(row, column);
    return item ? item->data(CurrentValueRole) : QVariant();
}

namespace {

// Qt 5 finds a null number equal to 0 and a null text equal to "": a row
// whose parent is null must not turn up among the children of parent 0.
bool sameValue(const QVariant &held, const QVariant &wanted)
{
    if (wanted.isNull())
        return held.isNull();
    if (held.isNull())
        return false;
    // Keys are mostly 64-bit integers on both sides: compared as such
    // without QVariant's general comparison.
    if (held.userType() == QMetaType::LongLong && wanted.userType() == QMetaType::LongLong)
        return held.toLongLong() == wanted.toLongLong();
    return held == wanted;
}

} // namespace

// The comparison of match(), read straight from the cells.
bool QDataTable::rowMatches(int row, const QVector<int> &columns, const QList<QVariant> &values) const
{
    for (int i = 0; i < columns.size(); ++i) {
        if (!sameValue(cellValue(row, columns.at(i)), values.at(i)))
            return false;
    }
    return true;
}

bool QDataTable::match(const QSqlRecord &record, const QStringList &fldNames, const QList<QVariant> &fldValues)
{
    if (fldNames.size() != fldValues.size())
        return false;
    for (int i = 0; i < fldNames.size(); ++i) {
        if (!sameValue(record.value(fldNames.at(i)), fldValues.at(i)))
            return false;
    }
    return true;
}

QVector<int> QDataTable::matchingRows(const QVector<int> &columns, const QList<QVariant> &values, int limit)
{
    QVector<int> found;
    const QVector<int> candidates = m_index->candidateRows(columns, values);
    for (const int row : candidates) {
        if (getRowState(row) == RowDeleted || !rowMatches(row, columns, values))
            continue;
        found.append(row);
        if (found.size() == limit)
            break;
    }
    return found;
}

// A look-up by one hashed field, the common case, builds no lists, and reads
// no cell when the index entry proves the value and no row waits for its
// delete (only such a row has the deleted state): the cells are what make a
// look-up slow, each read a likely cache miss in a big table.
int QDataTable::locate(const QString &fldName, const QVariant &fldValue)
{
    if (m_state == TableClosed)
        return -1;
    const int rows = m_model->rowCount();
    const bool anyDeleted = !m_pendingDelete.isEmpty();
    int column = -1;
    const auto holdsValue = [&](int row, bool valueProven) {
        if (row >= rows)
            return false;
        if (valueProven && !anyDeleted)
            return true;
        if (column < 0)
            column = columnOf(fldName);
        const QStandardItem *first = m_model->item(row, 0);
        const QStandardItem *cell = column == 0 ? first : m_model->item(row, column);
        return first && cell && first->data(RowStateRole).toInt() != RowDeleted
                && sameValue(cell->data(CurrentValueRole), fldValue);
    };
    // One captured reference keeps the check in std::function's own storage: no allocation per call.
    const int row = m_index->firstHashedRow(fldName, fldValue, [&holdsValue](int row, bool proven) {
        return holdsValue(row, proven);
    });
    if (row < 0)
        return locate(QStringList{fldName}, QList<QVariant>{fldValue});
    m_currentRow = row;
    return row;
}

int QDataTable::locate(const QStringList &fldNames, const QList<QVariant> &fldValues)
{
    if (fldNames.size() != fldValues.size() || m_state == TableClosed)
        return -1;
    QVector<int> columns;
    for (const QString &name : fldNames) {
        const int column = columnOf(name);
        if (column < 0)
            return -1;
        columns.append(column);
    }
    // The indexed path skips deleted rows like the scan does: a data link
    // that found a deleted row again and again would never end.
    if (m_index->allHashed(fldNames)) {
        const QVector<int> hits = m_index->hashedRows(fldNames, fldValues);
        for (const int row : hits) {
            if (row < m_model->rowCount() && getRowState(row) != RowDeleted && rowMatches(row, columns, fldValues)) {
                m_currentRow = row;
                return row;
            }
        }
    }
    const QVector<int> found = matchingRows(columns, fldValues, 1);
    if (found.isEmpty())
        return -1;
    m_currentRow = found.first();
    return found.first();
}

void QDataTable::getRows(QDataTable *target, const QString &fldName, const QVariant &fldValue)
{
    getRows(target, QStringList{fldName}, QList<QVariant>{fldValue});
}

void QDataTable::getRows(QDataTable *target, const QStringList &fldNames, const QList<QVariant> &fldValues)
{
    if (!target)
        return;
    target->close();
    target->m_columns = m_columns;
    target->open(false, false);
    QSqlRecord copy;
    for (const int row : findRows(fldNames, fldValues)) {
        // One record takes every row: making one a row cost as much as the copy.
        if (copy.isEmpty() || m_state == TableOpenWithoutData)
            copy = getRecord(row, false);
        else
            readRow(row, copy);
        target->appendCopy(copy);
    }
}

QVector<int> QDataTable::findRows(const QStringList &fldNames, const QList<QVariant> &fldValues)
{
    if (fldNames.size() != fldValues.size())
        return {};
    QVector<int> columns;
    for (const QString &name : fldNames) {
        const int column = columnOf(name);
        if (column < 0)
            return {};
        columns.append(column);
    }
    if (!m_index->allHashed(fldNames))
        return matchingRows(columns, fldValues, -1);
    // Index hits are checked like scanned rows: an index can hold rows that
    // no longer match, and handing them out would give wrong rows.
    QVector<int> found;
    for (const int row : m_index->hashedRows(fldNames, fldValues)) {
        if (row < m_model->rowCount() && getRowState(row) != RowDeleted && rowMatches(row, columns, fldValues))
            found.append(row);
    }
    return found;
}

void QDataTable::readRow(int row, QSqlRecord &record) const
{
    for (int i = 0; i < m_columns.size(); ++i) {
        if (const QStandardItem *item = m_model->item(row, i))
            record.setValue(i, item->data(CurrentValueRole));
        else
            record.setNull(i);
    }
}

// What newRow(false) followed by a filling setRow leaves behind (a new row
// holding the values as loaded ones, the automatic counters moved on), built
// in one go: copying a big catalogue row by row through the model's
// notifications cost more than the rest of the work.
void QDataTable::appendCopy(QSqlRecord record)
{
    for (const colInfo &column : qAsConst(m_columns)) {
        if (column.autoInc != 0)
            m_autoIncrement.insert(column.fieldName, m_autoIncrement.value(column.fieldName, 0) + column.autoInc);
    }
    m_currentRow = appendFilledRow(record, RowNew);
    m_state = TableOpenWithData;
}

bool QDataTable::append(QString fldName, QVariant fldValue, bool overwrite)
{
    return append(QStringList{fldName}, QVariantList{fldValue}, overwrite);
}

bool QDataTable::append(QStringList fldNames, QVariantList fldValues, bool overwrite)
{
    if (m_keyField.isEmpty() || fldNames.size() != fldValues.size())
        return false;
    if (!overwrite) {
        for (int i = 0; i < fldNames.size(); ++i) {
            if (m_loadedValues.values(fldNames.at(i)).contains(fldValues.at(i)))
                return true;
        }
    }
    for (int i = 0; i < fldNames.size(); ++i) {
        setSelectParam(fldNames.at(i), fldValues.at(i));
        m_loadedValues.insert(fldNames.at(i), fldValues.at(i));
    }
    if (m_state == TableClosed)
        return open(false, false);
    resolveScripts();
    if (m_selectText.isEmpty())
        return true;
    if (!database())
        return false;
    QSqlQuery query(*database());
    m_connection->execScript(m_selectText, &query, m_selectParams, false);
    if (!query.isActive()) {
        // A select that did not run loaded nothing: the values must not count
        // as loaded, or the next call would never ask again.
        for (int i = 0; i < fldNames.size(); ++i)
            m_loadedValues.remove(fldNames.at(i), fldValues.at(i));
        return false;
    }
    if (!query.isSelect())
        return true;
    return mergeRows(query);
}

bool QDataTable::mergeRows(QSqlQuery &query)
{
    do {
        if (!query.isValid() || !m_connection)
            return false;
        const QSqlRecord shaped = shapeRow(query.record(), LoadedRow);
        if (!shaped.isEmpty()) {
            int row = locate(m_keyField, shaped.value(m_keyField));
            if (row < 0) {
                row = m_model->rowCount();
                QList<QStandardItem *> items;
                for (int i = 0; i < m_columns.size(); ++i)
                    items.append(cellPrototype().clone());
                m_model->appendRow(stampRow(items));
            }
            setRow(row, shaped, true);
        }
    } while (query.next());
    return true;
}

void QDataTable::setFilter(const QString &fldName, const QStringList &values, filterType type)
{
    const int column = columnOf(fldName);
    if (column < 0)
        return;
    filterStruct filter;
    filter.type = type;
    filter.values = values;
    m_binding->setFilter(column, filter);
    applyFilters();
}

void QDataTable::setFilter(const QString &fldName, const QString &value, filterType type)
{
    setFilter(fldName, QStringList{value}, type);
}

void QDataTable::clearFilter(const QString &fldName)
{
    const int column = columnOf(fldName);
    if (column < 0)
        return;
    m_binding->clearFilter(column);
    applyFilters();
}

void QDataTable::clearFilter(const QStringList &fldNames)
{
    for (const QString &name : fldNames)
        clearFilter(name);
}

void QDataTable::clearAllFilters()
{
    m_binding->clearFilters();
    applyFilters();
}

void QDataTable::applyFilters()
{
    m_binding->apply();
}
