#pragma once

#include "colinfo.h"
#include "pendinglist.h"
#include "tabletypes.h"
#include "varkolin_export.h"

#include <QBrush>
#include <QFont>
#include <QHash>
#include <QIcon>
#include <QMap>
#include <QMultiHash>
#include <QMultiMap>
#include <QObject>
#include <QPointer>
#include <QSqlDatabase>
#include <QSqlRecord>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <functional>
#include <memory>
#include <optional>

class DataCell;
class QSqlConnection;
class QSqlQuery;
class QStandardItem;
class QStandardItemModel;
class QTableView;
class RowIndex;
class ViewBinding;

// The client-side cache of one result set, named by its object name (the
// table name). Rows live in a QStandardItemModel with a state each; edits stay
// on the client until commit runs the table's scripts.
class VARKOLIN_EXPORT QDataTable : public QObject
{
    Q_OBJECT
public:
    QDataTable(const QString &name, QSqlConnection *connection, QObject *parent = nullptr);
    ~QDataTable() override;

    // Takes the connection and resolves the scripts again; null lets go of it.
    void setConnection(QSqlConnection *connection);
    QSqlConnection *connection() const;
    // Columns from the record's fields; nothing when the table has columns.
    void generateColumns(const QSqlRecord &record);
    const infoList &columns() const { return m_columns; }
    // Gives the column of that field a new header caption and tool tip (the
    // caption when empty), in the view at once: labels made from translated
    // texts are set again when the language changes. False without such a column.
    bool setColumnLabel(const QString &fieldName, const QString &label, const QString &toolTip = QString());
    QString keyField() const { return m_keyField; }

    // Runs the select and loads its rows; false when no result set came back.
    bool fillTable(bool backGround = false, bool printQuery = false);
    // Removes every row and empties the pending lists.
    void clear();

    // Writes the record's fields into the row; the one way values enter the model.
    bool setRow(int row, QSqlRecord record, bool bFill);
    // The row's current values; empty out of range, for a deleted row when
    // skipping deleted ones, or for a row not new while nothing was loaded.
    QSqlRecord getRecord(int row, bool bSkipDeleted = false) const;
    QStringList getValuesList(int column) const;
    QStringList getValuesList(const QString &fldName) const;
    int getTableState() const { return m_state; }
    int getRowState(int row) const;
    int getLock(int row) const;
    bool setRowState(int row, rowState state);
    bool setLock(int row, lockState lock);
    QStandardItemModel *getModel() const { return m_model; }
    bool isModified() const { return m_modified; }
    // Why the last load or commit failed, as the database or the table put it;
    // empty after a success, and after a load without a connection or select script.
    QString lastError() const { return m_lastError; }
    int currentRow() const { return int(m_currentRow); }

    QSqlRecord newRow(bool bFill);
    bool deleteRow(int row);
    bool killRow(int row);
    void forceInsert(int row);
    void forceUpdate(int row);
    void resetOriginalData(int row, bool bKeepValues);
    void setDirectEdit(bool directEdit) { m_directEdit = directEdit; }

    // Identities of rows waiting for each commit pass, in order.
    QList<qlonglong> pendingInserts() const { return m_pendingInsert.toList(); }
    QList<qlonglong> pendingUpdates() const { return m_pendingUpdate.toList(); }
    QList<qlonglong> pendingDeletes() const { return m_pendingDelete.toList(); }
    // The row's identity, 0 when it has none; the row of an identity, -1 when gone.
    qlonglong rowId(int row) const;
    int rowOf(qlonglong id) const;

    // The row holding the values (the first one not deleted), made current; -1 when none.
    int locate(const QString &fldName, const QVariant &fldValue);
    int locate(const QStringList &fldNames, const QList<QVariant> &fldValues);
    // Whether the record holds the values; a null value asks for a null field.
    static bool match(const QSqlRecord &record, const QStringList &fldNames, const QList<QVariant> &fldValues);
    // Replaces the target's rows by copies (new rows) of the rows holding the values.
    void getRows(QDataTable *target, const QString &fldName, const QVariant &fldValue);
    void getRows(QDataTable *target, const QStringList &fldNames, const QList<QVariant> &fldValues);
    // The numbers, in order, of the rows getRows would copy (deleted rows
    // left out); valid until rows move or go.
    QVector<int> findRows(const QStringList &fldNames, const QList<QVariant> &fldValues);
    // Shows in the bound view only the rows whose display text passes the filters.
    void setFilter(const QString &fldName, const QStringList &values, filterType type);
    void setFilter(const QString &fldName, const QString &value, filterType type);
    void clearFilter(const QString &fldName);
    void clearFilter(const QStringList &fldNames);
    void clearAllFilters();
    void applyFilters();

    void setView(QTableView *view);
    void prepareView(QTableView *view);
    QTableView *getView() const;
    int getViewCurrentRow() const;
    QSqlRecord getViewCurrentRecord() const;
    // Writes the visible columns of the rows not deleted as cp1251 CSV for a
    // spreadsheet program; nothing when the file cannot be opened.
    void makeReport(QString fileName);

signals:
    void getDispInfo(int, QVariant *, QCellData *, QSqlRecord *, int);
    void dataChanged(QString fldName, QVariant oldVal, QVariant newVal, QString tabName);

public slots:
    void setScripts(QString aSelect, QString aUpdate = QString(), QString aInsert = QString(),
                    QString aDelete = QString(), bool bNative = false);
    void setNativeScripts(QString aSelect, QString aUpdate = QString(), QString aInsert = QString(),
                          QString aDelete = QString());
    bool setSelectParam(QString paramName, QVariant paramValue);
    // The whole table as semicolon-separated text; deleted rows and states only with full info.
    QString prepareDump(bool bFullInfo = false);
    // Writes the dump to "<table>_<yyyy_MM_dd hh_mm>.csv" in the folder, made when missing.
    void dumpTable(QString dmpDir, bool bFullInfo = false);
    void addColumn(QString aFieldName, int aDataType = 0, bool aVisible = false, QString aLabel = QString(),
                   int nAutoInc = 0, int aWidth = 100, QVariant aDefValue = QVariant(), int aFlg = 0,
                   QString aToolTip = QString(), QIcon *aHeaderIcon = nullptr);
    int rowCount();
    int visibleRowCount();
    bool open(bool backGround = false, bool printQuery = false);
    // Loads the rows the select returns for more parameter values, merged by the key field.
    bool append(QString fldName, QVariant fldValue, bool overwrite = false);
    bool append(QStringList fldNames, QVariantList fldValues, bool overwrite = false);
    void close();
    bool commit(bool backGround = false);
    bool rollback();
    bool first();
    bool last();
    bool next();
    bool prev();
    QVariant getField(QString fldName, int rowNum = -1);
    bool setField(QString fldName, QVariant fldData);
    bool setNull(QString fldName);
    bool addRow();
    void dropColumns();
    void setKeyField(QString aField);
    void addSearchIndex(QString fld, idxType method);
    int lastRow();

private slots:
    void onItemChanged(QStandardItem *item);
    void onIDRequest();

private:
    friend class QDataSet;
    friend class TableCommit;
    // The client state a failed data-set commit must bring back.
    struct Snapshot
    {
        QList<QList<QStandardItem *>> rows;
        QVector<int> pendingInsert;
        QVector<int> pendingUpdate;
        QVector<int> pendingDelete;
        QMap<QString, int> autoIncrement;
        bool modified = false;
        qint64 currentRow = -1;
        int state = TableClosed;
        int viewRow = -1;
        ~Snapshot();
    };
    std::shared_ptr<Snapshot> saveSnapshot() const;
    void restoreSnapshot(const Snapshot &snapshot);
    QVector<int> rowsOf(const PendingList &list) const;

private:
    // Everything the table writes into its own cells happens inside this
    // guard, so that onItemChanged can tell those writes from edits. A quiet
    // one also keeps the model's signals from the views. Guards nest: only
    // the outermost quiet one gives the signals back, as the caller had them.
    class OwnWrite
    {
    public:
        enum Mode { Heard, Quiet };
        explicit OwnWrite(QDataTable *table, Mode mode = Heard);
        ~OwnWrite();
        OwnWrite(const OwnWrite &) = delete;
        OwnWrite &operator=(const OwnWrite &) = delete;

    private:
        QDataTable *m_table;
        bool m_quiet;
    };

    // A row's identity, under this role of its first item.
    static constexpr int RowIdRole = Qt::UserRole + 5;
    QSqlRecord newRecord();
    // The connection's database; null without a connection.
    QSqlDatabase *database() const;
    void forgetRowIds(int first, int last);

    void resolveScripts();
    void installHeader();
    QStandardItem *headerItem(const colInfo &column) const;
    QList<QStandardItem *> stampRow(const QList<QStandardItem *> &items);
    void removeModelRows(int first, int count);
    void keepPendingLists(int row, rowState state);
    // False when reading stopped at an error rather than at the end.
    bool loadRows(QSqlQuery &query, bool backGround);
    bool streamsRows(const QSqlDatabase &db) const;
    bool reloadWhole(QSqlQuery &query, bool backGround, bool printQuery);
    void shapeLoadedRow(const QSqlQuery &query, const QVector<int> &fields, QVector<QVariant> &shaped);
    // Keeps the reason of a failed load; always false.
    bool loadFailed(QSqlQuery &query);
    static const DataCell &cellPrototype();
    static const DataCell &firstCellPrototype();
    // A record in column order has field i for column i. Values, when given,
    // are the row's in column order and the record is only their holder for
    // a getDispInfo listener.
    int appendFilledRow(QSqlRecord &record, int state, bool inColumnOrder = false,
                        const QVector<QVariant> *values = nullptr);
    void appendCopy(QSqlRecord record);
    QList<QStandardItem *> rowItems(int row, bool create);
    // A cell being written: its item, the first item of its row, and
    // whether the item is new and not yet in the model.
    struct Cell
    {
        QStandardItem *item;
        QStandardItem *first;
        bool fresh;
        // Whether getDispInfo has a listener, when the caller asked once for the whole row.
        std::optional<bool> dispInfoHeard = std::nullopt;
        // The field's value, when it is not read from the record.
        const QVariant *value = nullptr;
    };
    void writeCell(int row, int column, int field, const Cell &cell, QSqlRecord &record, bool bFill, int state);
    // Writes the row's cells, each through writeColumn(column, cell, state),
    // then tells the views once and updates the row's state as setRow does.
    template <typename WriteColumn>
    bool writeRow(int row, bool bFill, WriteColumn writeColumn);
    // Where a column's value sits in a record; exact when found by its exact name.
    struct RecordField
    {
        int index = -1;
        bool exact = false;
    };
    RecordField fieldOf(const QSqlRecord &record, int column) const;
    QVector<RecordField> serverFields(const QSqlRecord &record) const;
    // setRow with a server row read from the query's current row, its
    // fields where serverFields found them. Not for a table whose
    // getDispInfo is heard: the listener is handed the row's record.
    bool setServerRow(int row, const QSqlQuery &query, const QVector<RecordField> &fields);
    bool hearsDispInfo() const;
    static void storeValue(const Cell &cell, const QVariant &value, bool bFill);
    void refreshRow(int row);
    static void setItemValue(QStandardItem *item, const QVariant &value, int role);
    void forgetRow(qlonglong id);
    void removeRowAt(int row);
    void storeDisplay(QStandardItem *item, const cellData &cell, bool fresh = false);

    int columnOf(const QString &fldName) const;
    QVariant cellValue(int row, int column) const;
    bool rowMatches(int row, const QVector<int> &columns, const QList<QVariant> &values) const;
    QVector<int> matchingRows(const QVector<int> &columns, const QList<QVariant> &values, int limit);
    // Writes the row's current values into a record that getRecord made.
    void readRow(int row, QSqlRecord &record) const;
    bool mergeRows(QSqlQuery &query);
    static QString reportText(const QVariant &value);
    // Where a row to shape comes from: a load, or a server's answer to a commit script.
    enum RowSource { LoadedRow, ServerRow };
    QSqlRecord shapeRow(const QSqlRecord &record, RowSource source);
    // A value read from the database, in the column's type.
    QVariant shapedValue(const QVariant &value, int column) const;
    // The fields of a row's record, without values.
    const QSqlRecord &recordShape() const;

    infoList m_columns;
    // Made once for as long as the columns keep their names and types:
    // building the fields anew cost more than reading the cells.
    mutable QSqlRecord m_recordShape;
    mutable QStringList m_shapeNames;
    mutable QVector<int> m_shapeTypes;
    QString m_selectText;
    QString m_updateText;
    QString m_insertText;
    QString m_deleteText;
    // The host owns the connection and may delete it before the table.
    QPointer<QSqlConnection> m_connection;
    QStandardItemModel *m_model = nullptr;
    int m_state = TableClosed;
    PendingList m_pendingInsert;
    PendingList m_pendingUpdate;
    PendingList m_pendingDelete;
    QMap<QString, int> m_autoIncrement;
    QSqlRecord m_selectParams;
    bool m_modified = false;
    bool m_directEdit = false;
    qint64 m_currentRow = -1;
    QString m_selectKey;
    QString m_updateKey;
    QString m_insertKey;
    QString m_deleteKey;
    bool m_native = false;
    QString m_keyField;
    // Hash, display-text and scan indexes of the rows.
    std::unique_ptr<RowIndex> m_index;
    // The bound view and its filters.
    std::unique_ptr<ViewBinding> m_binding;
    QMultiMap<QString, QVariant> m_loadedValues;
    // Writes made by the table itself are not edits (see onItemChanged).
    int m_ownWrites = 0;
    int m_quietWrites = 0;
    bool m_blockedBefore = false;
    // Row identities: a counter, never an address that a freed row's
    // successor could get again. Given when first asked for (see rowId).
    mutable qlonglong m_lastRowId = 0;
    mutable QHash<qlonglong, QStandardItem *> m_rowItems;
    QString m_lastError;
};
