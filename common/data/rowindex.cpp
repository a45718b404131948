#include "rowindex.h"
#include "tabletypes.h"

#include <QSqlRecord>
#include <QStandardItemModel>

#include <algorithm>
#include <iterator>
#include <limits>
#include <numeric>

namespace {

// Values of one class compare equal exactly when their keys are equal, the
// way QVariant compares them; nulls are left out (they equal only a null).
enum ValueClass { NoClass, IntegerClass, RealClass, TextClass, BoolClass };

ValueClass classOf(const QVariant &value)
{
    switch (value.userType()) {
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong:
    case QMetaType::Short: case QMetaType::UShort: case QMetaType::Long: case QMetaType::ULong:
        return IntegerClass;
    case QMetaType::Double: case QMetaType::Float:
        return RealClass;
    case QMetaType::QString:
        return TextClass;
    case QMetaType::Bool:
        return BoolClass;
    default:
        return NoClass;
    }
}

void insertSorted(QVector<int> &rows, int row)
{
    rows.insert(std::lower_bound(rows.begin(), rows.end(), row), row);
}

void removeSorted(QVector<int> &rows, int row)
{
    const auto it = std::lower_bound(rows.begin(), rows.end(), row);
    if (it != rows.end() && *it == row)
        rows.erase(it);
}

} // namespace

// A null number reads as "0" in Qt 5: a null must have the key a search for
// null asks with, and never the key of 0.
RowIndex::HashKey RowIndex::hashKey(const QVariant &value)
{
    HashKey key;
    if (value.isNull())
        return key;
    const int type = value.userType();
    const bool fitsLongLong = (type != QMetaType::ULongLong && type != QMetaType::ULong)
            || value.toULongLong() <= qulonglong(std::numeric_limits<qlonglong>::max());
    if (classOf(value) == IntegerClass && fitsLongLong) {
        key.number = value.toLongLong();
        key.numeric = true;
        key.fromLongLong = type == QMetaType::LongLong;
        return key;
    }
    key.text = value.toString();
    // Any text that reads as an integer ("5", "05", "+5") shares that number's
    // key, as QVariant finds them equal to it; texts that differ are told
    // apart by the row check every user of the index makes.
    bool isNumber = false;
    key.number = key.text.toLongLong(&isNumber);
    key.numeric = isNumber;
    if (key.numeric)
        key.text.clear();
    return key;
}

// The key of a value of the scan index's class; integers make no string.
RowIndex::HashKey RowIndex::scanKey(int valueClass, const QVariant &value)
{
    HashKey key;
    switch (valueClass) {
    case IntegerClass:
        key.number = value.toLongLong();
        key.numeric = true;
        break;
    case RealClass: {
        const double number = value.toDouble();
        key.text = QString::number(number == 0 ? 0.0 : number, 'g', 17);
        break;
    }
    case BoolClass:
        key.text = value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
        break;
    default:
        key.text = value.toString();
        break;
    }
    return key;
}

void RowIndex::KeyRows::add(int row, bool longLong)
{
    fromLongLong = fromLongLong && longLong;
    if (first < 0) {
        first = row;
        return;
    }
    if (row == first)
        return;
    if (row < first)
        std::swap(row, first);
    // Rows come in ascending order when the index is built: an append.
    if (more.isEmpty() || row > more.last()) {
        more.append(row);
        return;
    }
    const auto it = std::lower_bound(more.begin(), more.end(), row);
    if (*it != row)
        more.insert(it, row);
}

bool RowIndex::KeyRows::remove(int row)
{
    if (row == first) {
        first = more.isEmpty() ? -1 : more.takeFirst();
        return !isEmpty();
    }
    removeSorted(more, row);
    return true;
}

QVector<int> RowIndex::KeyRows::rows() const
{
    QVector<int> all;
    if (isEmpty())
        return all;
    all.reserve(more.size() + 1);
    all.append(first);
    all.append(more);
    return all;
}

void RowIndex::addRow(HashIndex &index, const HashKey &key, int row)
{
    index[key].add(row, key.fromLongLong);
}

// A key whose last row goes leaves the index, so that what it says of its
// rows' values starts afresh.
void RowIndex::removeRow(HashIndex &index, const HashKey &key, int row)
{
    const auto it = index.find(key);
    if (it != index.end() && !it->remove(row))
        index.erase(it);
}

RowIndex::RowIndex(const QStandardItemModel &model, const infoList &columns)
    : m_model(model), m_columns(columns)
{
}

bool RowIndex::addKind(const QString &field, int kind)
{
    if (m_kinds.contains(field))
        return false;
    m_kinds.insert(field, kind);
    if (kind == IndexHash) {
        m_hashes.insert(field, HashIndex());
        // Rows already loaded are indexed before the index is first used.
        m_hashesStale = m_hashesStale || m_model.rowCount() > 0;
    }
    return true;
}

bool RowIndex::allHashed(const QStringList &fields) const
{
    for (const QString &name : fields) {
        if (kind(name) != IndexHash)
            return false;
    }
    return !fields.isEmpty();
}

void RowIndex::dropKinds()
{
    m_kinds.clear();
    m_hashes.clear();
}

void RowIndex::clear()
{
    for (auto it = m_hashes.begin(); it != m_hashes.end(); ++it)
        it.value().clear();
    m_texts.clear();
    m_textsBuilt = false;
    m_scans.clear();
    m_hashesStale = false;
}

void RowIndex::forgetRowNumbers()
{
    m_scans.clear();
    m_hashesStale = true;
}

QVariant RowIndex::cellValue(int row, int column) const
{
    const QStandardItem *item = m_model.item(row, column);
    return item ? item->data(CurrentValueRole) : QVariant();
}

int RowIndex::columnOf(const QString &field) const
{
    for (int i = 0; i < m_columns.size(); ++i) {
        if (m_columns.at(i).fieldName == field)
            return i;
    }
    return -1;
}

// The previous hash entry goes whatever the row's state: a stale entry would
// make index users that trust their candidates find rows that no longer match.
void RowIndex::valueWritten(int row, int column, const QVariant &previous, bool hadPrevious, const QVariant &value)
{
    if (!m_scans.isEmpty())
        updateScanIndex(column, row, previous, value);
    // Rebuilt from the cells before their next use: nothing to keep now.
    if (m_hashesStale)
        return;
    // Only fields of the hash kind have an index here.
    const auto found = m_hashes.find(m_columns.at(column).fieldName);
    if (found == m_hashes.end())
        return;
    HashIndex &index = found.value();
    if (hadPrevious)
        removeRow(index, hashKey(previous), row);
    addRow(index, hashKey(value), row);
}

void RowIndex::textWritten(int column, QStandardItem *first, const QString &previousText, bool hadPrevious,
                           const QString &text)
{
    if (!m_textsBuilt)
        return;
    QMultiHash<QString, QStandardItem *> &index = m_texts[column];
    if (hadPrevious)
        index.remove(previousText, first);
    index.insert(text, first);
}

void RowIndex::rowRemoved(int row, const QSqlRecord &record)
{
    for (auto it = m_hashes.begin(); it != m_hashes.end(); ++it) {
        if (kind(it.key()) == IndexHash && record.contains(it.key()))
            removeRow(it.value(), hashKey(record.value(it.key())), row);
    }
    QStandardItem *first = m_model.item(row, 0);
    for (auto it = m_texts.begin(); m_textsBuilt && it != m_texts.end(); ++it) {
        const QStandardItem *cell = m_model.item(row, int(it.key()));
        if (cell)
            it.value().remove(cell->data(Qt::DisplayRole).toString(), first);
    }
}

void RowIndex::rebuildTexts()
{
    m_texts.clear();
    m_textsBuilt = false;
}

QStringList RowIndex::texts(int column) const
{
    buildTexts();
    return m_texts.value(column).uniqueKeys();
}

QMultiHash<QString, QStandardItem *> RowIndex::textIndex(int column) const
{
    buildTexts();
    return m_texts.value(column);
}

void RowIndex::buildTexts() const
{
    if (m_textsBuilt)
        return;
    m_textsBuilt = true;
    m_texts.clear();
    for (int column = 0; column < m_columns.size(); ++column) {
        if (!(m_columns.at(column).flags & ColumnTextIndex))
            continue;
        QMultiHash<QString, QStandardItem *> &index = m_texts[column];
        for (int row = 0; row < m_model.rowCount(); ++row) {
            if (const QStandardItem *item = m_model.item(row, column))
                index.insert(item->text(), m_model.item(row, 0));
        }
    }
}

void RowIndex::rebuildHashes()
{
    if (!m_hashesStale)
        return;
    m_hashesStale = false;
    for (auto it = m_hashes.begin(); it != m_hashes.end(); ++it) {
        it.value().clear();
        const int column = columnOf(it.key());
        if (column < 0)
            continue;
        for (int row = 0; row < m_model.rowCount(); ++row)
            addRow(it.value(), hashKey(cellValue(row, column)), row);
    }
}

int RowIndex::firstHashedRow(const QString &field, const QVariant &value, const RowCheck &passes)
{
    rebuildHashes();
    const auto index = m_hashes.constFind(field);
    if (index == m_hashes.cend())
        return -1;
    const HashKey key = hashKey(value);
    const auto found = index->constFind(key);
    if (found == index->cend())
        return -1;
    const bool proven = key.fromLongLong && found->fromLongLong;
    if (passes(found->first, proven))
        return found->first;
    for (const int row : found->more) {
        if (passes(row, proven))
            return row;
    }
    return -1;
}

QVector<int> RowIndex::hashedRows(const QStringList &fields, const QList<QVariant> &values)
{
    rebuildHashes();
    QVector<int> rows;
    for (int i = 0; i < fields.size(); ++i) {
        const QVector<int> hits = m_hashes.value(fields.at(i)).value(hashKey(values.at(i))).rows();
        if (i == 0) {
            rows = hits;
            continue;
        }
        QVector<int> both;
        std::set_intersection(rows.cbegin(), rows.cend(), hits.cbegin(), hits.cend(), std::back_inserter(both));
        rows = both;
    }
    return rows;
}

// Rows by value of one column, built on first use for a column whose values
// are all of one class; null when the column mixes classes.
const RowIndex::ScanIndex *RowIndex::scanIndex(int column)
{
    auto it = m_scans.find(column);
    if (it != m_scans.end())
        return it->valueClass == NoClass ? nullptr : &it.value();
    ScanIndex index;
    index.valueClass = NoClass;
    bool mixed = false;
    for (int row = 0; row < m_model.rowCount() && !mixed; ++row) {
        const QVariant value = cellValue(row, column);
        if (!value.isValid())
            continue;
        const int valueClass = classOf(value);
        if (valueClass == NoClass || (index.valueClass != NoClass && valueClass != index.valueClass))
            mixed = true;
        index.valueClass = valueClass;
    }
    if (mixed)
        index.valueClass = NoClass;
    if (index.valueClass != NoClass) {
        for (int row = 0; row < m_model.rowCount(); ++row) {
            const QVariant value = cellValue(row, column);
            if (!value.isNull())
                index.rows[scanKey(index.valueClass, value)].append(row);
        }
    }
    it = m_scans.insert(column, index);
    return index.valueClass == NoClass ? nullptr : &it.value();
}

void RowIndex::updateScanIndex(int column, int row, const QVariant &previous, const QVariant &value)
{
    auto it = m_scans.find(column);
    if (it == m_scans.end())
        return;
    ScanIndex &index = it.value();
    if (index.valueClass == NoClass || (value.isValid() && classOf(value) != index.valueClass)) {
        m_scans.erase(it);
        return;
    }
    if (!previous.isNull())
        removeSorted(index.rows[scanKey(index.valueClass, previous)], row);
    if (!value.isNull())
        insertSorted(index.rows[scanKey(index.valueClass, value)], row);
}

QVector<int> RowIndex::candidateRows(const QVector<int> &columns, const QList<QVariant> &values)
{
    for (int i = 0; i < columns.size(); ++i) {
        if (values.at(i).isNull())
            continue;
        const ScanIndex *index = scanIndex(columns.at(i));
        if (index && classOf(values.at(i)) == index->valueClass)
            return index->rows.value(scanKey(index->valueClass, values.at(i)));
    }
    QVector<int> all(m_model.rowCount());
    std::iota(all.begin(), all.end(), 0);
    return all;
}
