#pragma once

#include <functional>

#include "colinfo.h"

#include <QHash>
#include <QMap>
#include <QMultiHash>
#include <QStringList>
#include <QVariant>
#include <QVector>

class QSqlRecord;
class QStandardItem;
class QStandardItemModel;

// The search indexes of a data table's rows, kept beside its model:
// - hash indexes (value -> row numbers) of the fields given index kind IndexHash;
// - display-text indexes (text -> the row's first item) of the columns flagged for them, which filters use;
// - scan indexes (value -> sorted row numbers), built on first use, for searches on other columns.
// Row numbers go stale when rows move or go; the owner says so with forgetRowNumbers().
class RowIndex
{
public:
    RowIndex(const QStandardItemModel &model, const infoList &columns);

    // False when the field already has an index kind.
    bool addKind(const QString &field, int kind);
    int kind(const QString &field) const { return m_kinds.value(field, 0); }
    // True when every field has a hash index (and there is a field).
    bool allHashed(const QStringList &fields) const;
    // Forgets the index kinds along with the entries.
    void dropKinds();
    // Empties every index; the kinds stay.
    void clear();
    void forgetRowNumbers();

    // Upkeep of a cell write: its value, and its display text when the column
    // keeps a display-text index and the text indexes are built.
    void valueWritten(int row, int column, const QVariant &previous, bool hadPrevious, const QVariant &value);
    void textWritten(int column, QStandardItem *first, const QString &previousText, bool hadPrevious,
                     const QString &text);
    // Takes out the entries of a row about to go.
    void rowRemoved(int row, const QSqlRecord &record);
    // The display-text indexes are built from the cells on first use: a
    // table loaded or copied and never filtered does not pay for them.
    void rebuildTexts();
    bool textsBuilt() const { return m_textsBuilt; }

    // The distinct display texts of a column.
    QStringList texts(int column) const;
    QMultiHash<QString, QStandardItem *> textIndex(int column) const;
    // Rows that the hash indexes of all the fields hold under the values, in order.
    QVector<int> hashedRows(const QStringList &fields, const QList<QVariant> &values);
    // The first row (lowest number) of the value in the field's hash index
    // that passes the check; -1 for none. The check learns whether the entry
    // proves the cell holds the value (a 64-bit integer sought, and stored),
    // so that it need not read the cell. A look-up by key is the common
    // case, and builds no lists.
    using RowCheck = std::function<bool(int row, bool valueProven)>;
    int firstHashedRow(const QString &field, const QVariant &value, const RowCheck &passes);
    // The rows, in order, that may hold the values: all rows, or those the
    // first searchable column lists under its value.
    QVector<int> candidateRows(const QVector<int> &columns, const QList<QVariant> &values);

private:
    // A value as the hash indexes key it: an integer, or a text that reads
    // as one, is keyed by its number, so that the common look-up by id makes
    // no string; other values by their text. Values with the same text share
    // a key; a key may hold unequal values ("05" and 5), which users check.
    struct HashKey
    {
        qlonglong number = 0;
        QString text;
        bool numeric = false;
        // Made from a 64-bit integer value: equal keys then mean equal
        // values when both were. Not part of the key.
        bool fromLongLong = false;
        bool operator==(const HashKey &other) const
        {
            return numeric == other.numeric && (numeric ? number == other.number : text == other.text);
        }
    };
    friend uint qHash(const HashKey &key, uint seed) { return key.numeric ? qHash(key.number, seed) : qHash(key.text, seed); }
    static HashKey hashKey(const QVariant &value);
    static HashKey scanKey(int valueClass, const QVariant &value);
    // The rows one key holds, in ascending order. Most keys hold one row,
    // kept in the hash node itself: a look-up by key then reads the bucket
    // and the node, as a hand-built QHash does, and no more.
    struct KeyRows
    {
        int first = -1;
        // Whether every row's value was a 64-bit integer.
        bool fromLongLong = true;
        QVector<int> more;
        void add(int row, bool longLong);
        // False when the row was the last one.
        bool remove(int row);
        bool isEmpty() const { return first < 0; }
        QVector<int> rows() const;
    };
    using HashIndex = QHash<HashKey, KeyRows>;
    static void addRow(HashIndex &index, const HashKey &key, int row);
    static void removeRow(HashIndex &index, const HashKey &key, int row);

    struct ScanIndex
    {
        int valueClass = 0;
        QHash<HashKey, QVector<int>> rows;
    };
    QVariant cellValue(int row, int column) const;
    int columnOf(const QString &field) const;
    void rebuildHashes();
    const ScanIndex *scanIndex(int column);
    void updateScanIndex(int column, int row, const QVariant &previous, const QVariant &value);

    const QStandardItemModel &m_model;
    const infoList &m_columns;
    QMap<QString, int> m_kinds;
    QHash<QString, HashIndex> m_hashes;
    // Rows moved or removed: the hash indexes' row numbers are rebuilt before use.
    bool m_hashesStale = false;
    void buildTexts() const;
    mutable QMap<qlonglong, QMultiHash<QString, QStandardItem *>> m_texts;
    mutable bool m_textsBuilt = false;
    QHash<int, ScanIndex> m_scans;
};
