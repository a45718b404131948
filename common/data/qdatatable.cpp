#include "qdatatable.h"
#include "datacell.h"
#include "hostcontract.h"
#include "qsqlconnection.h"
#include "rowindex.h"
#include "viewbinding.h"

#include <QCoreApplication>
#include <QDebug>
#include <QElapsedTimer>
#include <QMetaMethod>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QStandardItemModel>

#include <typeinfo>

namespace {

// Nearly every cell is exactly a DataCell: the exact type spares the
// dynamic cast's search of the class tree.
DataCell *asDataCell(QStandardItem *item)
{
    return typeid(*item) == typeid(DataCell) ? static_cast<DataCell *>(item) : dynamic_cast<DataCell *>(item);
}

// Scripts and other modules call the slots by name, so the type names in
// their signatures must be known to the meta-type system.
const int registeredTypes = [] {
    qRegisterMetaType<rowState>("rowState");
    qRegisterMetaType<lockState>("lockState");
    qRegisterMetaType<idxType>("idxType");
    qRegisterMetaType<filterType>("filterType");
    return 0;
}();

// Rows usually come with the columns in their order: the expected place is
// tried first.
int exactIndex(const QSqlRecord &record, const QString &name, int expected = -1)
{
    if (expected >= 0 && expected < record.count() && record.fieldName(expected) == name)
        return expected;
    for (int i = 0; i < record.count(); ++i) {
        if (record.fieldName(i) == name)
            return i;
    }
    return -1;
}

} // namespace

QDataTable::OwnWrite::OwnWrite(QDataTable *table, Mode mode) : m_table(table), m_quiet(mode == Quiet)
{
    ++m_table->m_ownWrites;
    if (m_quiet && m_table->m_quietWrites++ == 0)
        m_table->m_blockedBefore = m_table->m_model->blockSignals(true);
}

QDataTable::OwnWrite::~OwnWrite()
{
    if (m_quiet && --m_table->m_quietWrites == 0)
        m_table->m_model->blockSignals(m_table->m_blockedBefore);
    --m_table->m_ownWrites;
}

QDataTable::QDataTable(const QString &name, QSqlConnection *connection, QObject *parent)
    : QObject(parent)
{
    Q_UNUSED(registeredTypes);
    setObjectName(name);
    setConnection(connection);
    m_model = new QStandardItemModel(0, 0, this);
    m_model->setObjectName(name + QStringLiteral("_data_"));
    m_model->setSortRole(CurrentValueRole);
    m_index = std::make_unique<RowIndex>(*m_model, m_columns);
    m_binding = std::make_unique<ViewBinding>(*m_model, m_columns, *m_index);
    // Row numbers held by the indexes go stale when rows move or go.
    const auto forget = [this] { m_index->forgetRowNumbers(); };
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, forget);
    connect(m_model, &QAbstractItemModel::rowsMoved, this, forget);
    connect(m_model, &QAbstractItemModel::layoutChanged, this, forget);
    connect(m_model, &QAbstractItemModel::modelReset, this, forget);
    connect(m_model, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex &, int, int last) {
        if (last < m_model->rowCount() - 1)
            m_index->forgetRowNumbers();
    });
    // Rows removed past the table (through getModel) take their identities along.
    connect(m_model, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex &, int first, int last) { forgetRowIds(first, last); });
    connect(m_model, &QAbstractItemModel::modelAboutToBeReset, this, [this] { m_rowItems.clear(); });
    connect(m_model, &QStandardItemModel::itemChanged, this, &QDataTable::onItemChanged);
}

QDataTable::~QDataTable() = default;

// QStandardItem ignores a value that compares equal to the one it holds,
// and Qt 5 finds a null value equal to false or 0 of its type: without the
// clearing, a false from the server would never replace a null.
void QDataTable::setItemValue(QStandardItem *item, const QVariant &value, int role)
{
    if (item->data(role).isNull() != value.isNull())
        item->setData(QVariant(), role);
    item->setData(value, role);
}

void QDataTable::setConnection(QSqlConnection *connection)
{
    m_connection = connection;
    if (connection)
        setScripts(m_selectKey, m_updateKey, m_insertKey, m_deleteKey, m_native);
}

QSqlConnection *QDataTable::connection() const
{
    return m_connection;
}

QSqlDatabase *QDataTable::database() const
{
    return m_connection ? &m_connection->db : nullptr;
}

void QDataTable::setScripts(QString aSelect, QString aUpdate, QString aInsert, QString aDelete, bool bNative)
{
    m_selectKey = aSelect;
    m_updateKey = aUpdate;
    m_insertKey = aInsert;
    m_deleteKey = aDelete;
    m_native = bNative;
    if (bNative) {
        m_selectText = aSelect;
        m_updateText = aUpdate;
        m_insertText = aInsert;
        m_deleteText = aDelete;
    } else if (m_connection) {
        m_selectText = m_connection->getScript(aSelect);
        m_updateText = m_connection->getScript(aUpdate);
        m_insertText = m_connection->getScript(aInsert);
        m_deleteText = m_connection->getScript(aDelete);
    } else {
        qWarning() << "Connection not defined";
    }
}

void QDataTable::setNativeScripts(QString aSelect, QString aUpdate, QString aInsert, QString aDelete)
{
    m_selectText = aSelect;
    m_updateText = aUpdate;
    m_insertText = aInsert;
    m_deleteText = aDelete;
}

void QDataTable::resolveScripts()
{
    if (m_connection)
        setScripts(m_selectKey, m_updateKey, m_insertKey, m_deleteKey, m_native);
}

bool QDataTable::setSelectParam(QString paramName, QVariant paramValue)
{
    const int index = m_selectParams.indexOf(paramName);
    if (paramValue.isNull()) {
        if (index >= 0)
            m_selectParams.remove(index);
        return true;
    }
    if (index < 0)
        m_selectParams.append(QSqlField(paramName, paramValue.type()));
    m_selectParams.setValue(paramName, paramValue);
    return true;
}

void QDataTable::addColumn(QString aFieldName, int aDataType, bool aVisible, QString aLabel, int nAutoInc,
                           int aWidth, QVariant aDefValue, int aFlg, QString aToolTip, QIcon *aHeaderIcon)
{
    colInfo column;
    column.fieldName = aFieldName;
    column.label = aLabel;
    column.toolTip = aToolTip;
    column.dataType = aDataType;
    column.defValue = aDefValue;
    column.width = aWidth;
    column.visible = aVisible;
    column.flags = aFlg;
    column.autoInc = nAutoInc;
    column.headerIcon = aHeaderIcon;
    m_columns.append(column);
    if (aFlg & ColumnHashIndex)
        addSearchIndex(aFieldName, IndexHash);
}

void QDataTable::generateColumns(const QSqlRecord &record)
{
    if (!m_columns.isEmpty())
        return;
    for (int i = 0; i < record.count(); ++i) {
        colInfo column;
        column.fieldName = record.fieldName(i);
        column.label = column.fieldName;
        column.dataType = int(record.field(i).type());
        column.width = 100;
        column.visible = true;
        column.flags = ColumnHashIndex;
        m_columns.append(column);
    }
}

void QDataTable::dropColumns()
{
    if (m_state != TableClosed)
        return;
    m_columns.clear();
    close();
    m_model->clear();
    m_index->dropKinds();
}

void QDataTable::setKeyField(QString aField)
{
    m_keyField = aField;
    addSearchIndex(aField, IndexHash);
}

void QDataTable::addSearchIndex(QString fld, idxType method)
{
    m_index->addKind(fld, method);
}

bool QDataTable::open(bool backGround, bool printQuery)
{
    if (m_state == TableClosed) {
        if (fillTable(backGround, printQuery)) {
            m_state = TableOpenWithData;
            m_currentRow = 0;
        } else {
            if (!m_columns.isEmpty())
                installHeader();
            m_state = TableOpenWithoutData;
        }
        for (const colInfo &column : qAsConst(m_columns)) {
            if (column.autoInc != 0)
                m_autoIncrement.insert(column.fieldName, 0);
        }
    }
    m_binding->prepare(m_binding->view());
    return true;
}

void QDataTable::installHeader()
{
    m_model->setColumnCount(m_columns.size());
    for (int i = 0; i < m_columns.size(); ++i)
        m_model->setHorizontalHeaderItem(i, headerItem(m_columns.at(i)));
}

QStandardItem *QDataTable::headerItem(const colInfo &column) const
{
    auto *header = column.headerIcon ? new QStandardItem(*column.headerIcon, column.label)
                                     : new QStandardItem(column.label);
    header->setData(column.toolTip.isEmpty() ? column.label : column.toolTip, Qt::ToolTipRole);
    return header;
}

bool QDataTable::setColumnLabel(const QString &fieldName, const QString &label, const QString &toolTip)
{
    const int column = columnOf(fieldName);
    if (column < 0)
        return false;
    m_columns[column].label = label;
    m_columns[column].toolTip = toolTip;
    // A table never opened has no header yet; opening it makes one from the columns.
    if (column < m_model->columnCount())
        m_model->setHorizontalHeaderItem(column, headerItem(m_columns.at(column)));
    return true;
}

bool QDataTable::fillTable(bool backGround, bool printQuery)
{
    m_lastError.clear();
    resolveScripts();
    QSqlDatabase *db = database();
    if (m_selectText.isEmpty() || !db)
        return false;
    QSqlQuery query(*db);
    const bool streamed = streamsRows(*db);
    // Rows are read once, in order, so SQLite need not keep them a second time.
    query.setForwardOnly(streamed || (db->driver() && db->driver()->dbmsType() == QSqlDriver::SQLite));
    if (backGround)
        QCoreApplication::processEvents();
    m_connection->execScript(m_selectText, &query, m_selectParams, printQuery);
    if (!query.isSelect())
        return loadFailed(query);
    clear();
    if (m_columns.isEmpty())
        generateColumns(query.record());
    installHeader();
    // The hash indexes are built from the loaded cells on first use, once,
    // rather than entry by entry while the rows come in.
    m_index->forgetRowNumbers();
    // Rows cut short by a read error would pass for the whole table.
    if (!loadRows(query, backGround) && !(streamed && reloadWhole(query, backGround, printQuery))) {
        clear();
        m_modified = false;
        return loadFailed(query);
    }
    query.finish();
    m_model->setSortRole(CurrentValueRole);
    m_modified = false;
    return true;
}

// On PostgreSQL a forward-only result streams from the server instead of
// being held whole in memory first. Any query run on the connection while
// the rows load cuts the stream short; a display listener may well run
// one, so a table with a listener takes its result whole.
bool QDataTable::streamsRows(const QSqlDatabase &db) const
{
    return db.driver() && db.driver()->dbmsType() == QSqlDriver::PostgreSQL && !hearsDispInfo();
}

// Something else did run a query meanwhile (the driver then fails the read):
// the rows are read again, from a result held whole.
bool QDataTable::reloadWhole(QSqlQuery &query, bool backGround, bool printQuery)
{
    clear();
    if (!database())
        return false;
    query = QSqlQuery(*database());
    m_connection->execScript(m_selectText, &query, m_selectParams, printQuery);
    return query.isSelect() && loadRows(query, backGround);
}

bool QDataTable::loadFailed(QSqlQuery &query)
{
    m_lastError = query.lastError().text().trimmed();
    // A statement on a closed database fails without a word.
    if (m_lastError.isEmpty())
        m_lastError = m_connection && m_connection->isConnected() && m_connection->db.isOpen()
                ? tr("the select gave no result set")
                : QSqlConnection::noConnectionText();
    query.finish();
    qWarning().noquote() << QStringLiteral("Table %1 not loaded: %2").arg(objectName(), m_lastError);
    return false;
}

// Every new cell starts as a copy of one that answers the default display
// without holding it.
const DataCell &QDataTable::cellPrototype()
{
    static const DataCell prototype;
    return prototype;
}

// A row's first cell also holds the row's identity, lock and state: made
// with room for them, it takes them without growing its list of roles
// three times. The values are those of a loaded row until written.
const DataCell &QDataTable::firstCellPrototype()
{
    static const DataCell &prototype = *[] {
        static DataCell cell;
        cell.setData(qlonglong(0), RowIdRole);
        cell.setData(0, LockRole);
        cell.setData(int(RowUnchanged), RowStateRole);
        return &cell;
    }();
    return prototype;
}

// Appends a row written from the record as loaded values (current and
// original, lock 0) in the given state. The row is built before it joins the
// model, so a bound view hears of it once instead of once per cell and role.
int QDataTable::appendFilledRow(QSqlRecord &record, int state, bool inColumnOrder, const QVector<QVariant> *values)
{
    const int row = m_model->rowCount();
    QList<QStandardItem *> items;
    items.reserve(m_columns.size());
    for (int i = 0; i < m_columns.size(); ++i)
        items.append(i == 0 ? firstCellPrototype().clone() : cellPrototype().clone());
    const bool heard = hearsDispInfo();
    // A listener is handed the whole record.
    for (int i = 0; heard && values && i < values->size(); ++i)
        record.setValue(i, values->at(i));
    if (heard)
        values = nullptr;
    for (int i = 0; i < m_columns.size(); ++i) {
        int field = inColumnOrder || values ? i : exactIndex(record, m_columns.at(i).fieldName, i);
        if (field < 0)
            field = record.indexOf(m_columns.at(i).fieldName);
        if (field >= 0)
            writeCell(row, i, field, {items.at(i), items.first(), true, heard, values ? &values->at(i) : nullptr},
                      record, true, state);
    }
    // The state goes in with the row, like its values: written afterwards it
    // would tell the views of every loaded row a second time. The first
    // cell starts unchanged.
    if (state != RowDeleted && state != RowUnchanged)
        items.first()->setData(state, RowStateRole);
    m_model->appendRow(stampRow(items));
    // A new identity is on no pending list yet.
    if (state == RowDeleted)
        setRowState(row, RowDeleted);
    else if (state != RowUnchanged)
        keepPendingLists(row, rowState(state));
    m_modified = true;
    return row;
}

// One record takes every row in turn, its fields found once by name.
bool QDataTable::loadRows(QSqlQuery &query, bool backGround)
{
    QVector<int> fields;
    for (int i = 0; i < m_columns.size(); ++i)
        fields.append(exactIndex(query.record(), m_columns.at(i).fieldName, i));
    QSqlRecord shaped = m_connection ? m_connection->convert(QSqlRecord(), m_columns) : QSqlRecord();
    // The values go into the record only for a getDispInfo listener: a
    // record's fields cost several times a vector's to write and read.
    QVector<QVariant> values(shaped.count());
    const bool wasEmpty = m_model->rowCount() == 0;
    // In the background the event loop runs every few milliseconds: after
    // every row it would cost more than the rows.
    QElapsedTimer sinceEvents;
    while (query.isValid() && m_connection && !shaped.isEmpty()) {
        shapeLoadedRow(query, fields, values);
        appendFilledRow(shaped, RowUnchanged, true, &values);
        // Once the first row is in: the view needs its columns set up only once.
        if (wasEmpty && m_model->rowCount() == 1)
            m_binding->prepare(m_binding->view());
        if (backGround && (!sinceEvents.isValid() || sinceEvents.elapsed() >= 10)) {
            QCoreApplication::processEvents();
            sinceEvents.start();
        }
        if (!query.next())
            break;
    }
    return !query.lastError().isValid();
}

// The loaded row's values in the column types, through the driver; columns
// the select left out keep their defaults.
void QDataTable::shapeLoadedRow(const QSqlQuery &query, const QVector<int> &fields, QVector<QVariant> &shaped)
{
    for (int i = 0; i < fields.size(); ++i) {
        if (fields.at(i) < 0) {
            shaped[i] = m_columns.at(i).defValue;
            continue;
        }
        shaped[i] = shapedValue(query.value(fields.at(i)), i);
    }
}

// Gives the row about to join the model its identity.
QList<QStandardItem *> QDataTable::stampRow(const QList<QStandardItem *> &items)
{
    if (!items.isEmpty()) {
        items.constFirst()->setData(++m_lastRowId, RowIdRole);
        m_rowItems.insert(m_lastRowId, items.constFirst());
    }
    return items;
}

// The identities go first, so that no freed item is ever looked up by one.
void QDataTable::removeModelRows(int first, int count)
{
    forgetRowIds(first, first + count - 1);
    m_model->removeRows(first, count);
}

void QDataTable::forgetRowIds(int first, int last)
{
    if (first <= 0 && last >= m_model->rowCount() - 1) {
        m_rowItems.clear();
        return;
    }
    for (int row = first; row <= last; ++row)
        m_rowItems.remove(rowId(row));
}

// Every row from the database takes the column types through the driver
// (SQLite returns its booleans as integers), matched by exact field name. A
// loaded row has every column, those the select left out at their defaults;
// a server row names what it stored, and the columns it leaves out keep the
// client's values.
QSqlRecord QDataTable::shapeRow(const QSqlRecord &record, RowSource source)
{
    if (!m_connection)
        return source == ServerRow ? record : QSqlRecord();
    if (source == LoadedRow)
        return m_connection->convert(record, m_columns);
    // Converted in place: a commit shapes every row it sends back.
    QSqlRecord shaped = record;
    for (int i = 0; i < m_columns.size(); ++i) {
        const colInfo &column = m_columns.at(i);
        const int field = exactIndex(shaped, column.fieldName, i);
        if (field < 0)
            continue;
        // Each read of a record's value copies its field: read once.
        const QVariant value = shaped.value(field);
        if (!value.isNull() && value.userType() != column.dataType)
            shaped.setValue(field, shapedValue(value, i));
    }
    return shaped;
}

// The driver hands back a value of the column's type as it is, and a null
// as no value: not asking spares a call a cell, and a record a copy of its
// fields. A value the driver cannot convert stays as the database sent it.
QVariant QDataTable::shapedValue(const QVariant &value, int column) const
{
    const int type = m_columns.at(column).dataType;
    if (!m_connection || value.isNull() || value.userType() == type)
        return value;
    const QVariant converted = m_connection->convert(value, QVariant::Type(type));
    return converted.isNull() ? value : converted;
}

void QDataTable::clear()
{
    removeModelRows(0, m_model->rowCount());
    m_pendingInsert.clear();
    m_pendingUpdate.clear();
    m_pendingDelete.clear();
}

void QDataTable::close()
{
    clear();
    m_state = TableClosed;
    m_autoIncrement.clear();
    m_modified = false;
    m_currentRow = -1;
    m_index->clear();
    m_binding->clearFilters();
    m_binding->apply();
    m_loadedValues.clear();
}

QList<QStandardItem *> QDataTable::rowItems(int row, bool create)
{
    QList<QStandardItem *> items;
    for (int i = 0; i < m_columns.size(); ++i) {
        QStandardItem *item = m_model->item(row, i);
        if (!item && create) {
            item = cellPrototype().clone();
            m_model->setItem(row, i, i == 0 ? stampRow({item}).first() : item);
        }
        items.append(item);
    }
    return items;
}

bool QDataTable::setRow(int row, QSqlRecord record, bool bFill)
{
    return writeRow(row, bFill, [&](int column, const Cell &cell, int state) {
        const int field = fieldOf(record, column).index;
        if (field >= 0)
            writeCell(row, column, field, cell, record, bFill, state);
    });
}

// Reads the values straight from the query, as a load does: the record of
// a server row, and its shaped copy, cost a fifth of a commit.
bool QDataTable::setServerRow(int row, const QSqlQuery &query, const QVector<RecordField> &fields)
{
    QSqlRecord none;
    return writeRow(row, true, [&](int column, Cell cell, int state) {
        const RecordField &field = fields.at(column);
        if (field.index < 0)
            return;
        const QVariant read = query.value(field.index);
        const QVariant value = field.exact ? shapedValue(read, column) : read;
        cell.dispInfoHeard = false;
        cell.value = &value;
        writeCell(row, column, field.index, cell, none, true, state);
    });
}

// The column's field in a record: by its exact name, where the column's
// place says first (a row usually comes in column order), else by the
// record's own look-up, which ignores case.
QDataTable::RecordField QDataTable::fieldOf(const QSqlRecord &record, int column) const
{
    const int exact = exactIndex(record, m_columns.at(column).fieldName, column);
    return {exact >= 0 ? exact : record.indexOf(m_columns.at(column).fieldName), exact >= 0};
}

// Where each column finds its value in a server row. Only a value found by
// exact name takes the column's type.
QVector<QDataTable::RecordField> QDataTable::serverFields(const QSqlRecord &record) const
{
    QVector<RecordField> fields(m_columns.size());
    for (int i = 0; i < m_columns.size(); ++i)
        fields[i] = fieldOf(record, i);
    return fields;
}

template <typename WriteColumn>
bool QDataTable::writeRow(int row, bool bFill, WriteColumn writeColumn)
{
    if (row < 0 || row >= m_model->rowCount())
        return false;
    if (m_model->columnCount() < m_columns.size())
        m_model->setColumnCount(m_columns.size());
    const QList<QStandardItem *> items = rowItems(row, true);
    // An unlocked row, the usual one, need not be told again.
    if (bFill && getLock(row) != 0)
        setLock(row, 0);
    {
        // One notice for the whole row instead of one per cell and role;
        // a row write touches up to eight roles of every cell.
        const OwnWrite quiet(this, OwnWrite::Quiet);
        const int state = getRowState(row);
        for (int i = 0; i < m_columns.size(); ++i)
            writeColumn(i, Cell{items.at(i), items.first(), false}, state);
    }
    refreshRow(row);
    const int state = getRowState(row);
    if (state != RowNew && state != RowDeleted)
        setRowState(row, bFill ? RowUnchanged : RowModified);
    m_modified = true;
    return true;
}

bool QDataTable::hearsDispInfo() const
{
    static const QMetaMethod dispInfo = QMetaMethod::fromSignal(&QDataTable::getDispInfo);
    return isSignalConnected(dispInfo);
}

void QDataTable::writeCell(int row, int column, int field, const Cell &cell, QSqlRecord &record,
                           bool bFill, int state)
{
    const OwnWrite own(this);
    const colInfo &info = m_columns.at(column);
    QStandardItem *item = cell.item;
    QVariant value = cell.value ? *cell.value : record.value(field);
    const bool heard = info.visible && (cell.dispInfoHeard ? *cell.dispInfoHeard : hearsDispInfo());
    const bool textIndexed = (info.flags & ColumnTextIndex) && state != RowDeleted && m_index->textsBuilt();
    const QVariant previous = cell.fresh ? QVariant() : item->data(CurrentValueRole);
    const QString previousText = cell.fresh || !textIndexed ? QString() : item->data(Qt::DisplayRole).toString();
    const bool hadPrevious = !cell.fresh && (previous.isValid() || item->data(Qt::DisplayRole).isValid());
    // Nobody asks for the text now, and the look is the default: the cell
    // makes its text when shown.
    auto *dataCell = heard || textIndexed ? nullptr : asDataCell(item);
    if (dataCell && !dataCell->hasDefaultLook())
        dataCell = nullptr;
    if (dataCell)
        dataCell->setTextFromValue(false);
    // A value read from the database is the cell's value and its original
    // at once: one write instead of two, none when the server sent back
    // what the cell held.
    if (dataCell && bFill)
        dataCell->setLoadedValue(value);
    else
        storeValue(cell, value, bFill);
    // A look (a font and brushes) is made only for a cell that stores one.
    QString shownText;
    if (dataCell) {
        dataCell->setTextFromValue(true);
    } else {
        cellData display;
        display.text = value.isNull() ? QString() : value.toString();
        if (heard)
            emit getDispInfo(column, &value, &display, &record, state);
        storeDisplay(item, display, cell.fresh);
        shownText = display.text;
    }

    // The listener may have changed its copy of the value; the cell holds the record's.
    m_index->valueWritten(row, column, previous, hadPrevious, heard ? record.value(field) : value);
    if (textIndexed)
        m_index->textWritten(column, cell.first, previousText, hadPrevious, shownText);
}

void QDataTable::storeValue(const Cell &cell, const QVariant &value, bool bFill)
{
    QStandardItem *item = cell.item;
    if (cell.fresh && bFill) {
        static_cast<DataCell *>(item)->setLoadedValue(value);
    } else if (cell.fresh) {
        item->setData(value, CurrentValueRole);
    } else {
        // The text is written with the display, right after.
        setItemValue(item, value, CurrentValueRole);
        if (bFill)
            setItemValue(item, value, OriginalValueRole);
    }
}

// A fresh cell already answers the default foreground and font, so it
// takes only what differs from that.
void QDataTable::storeDisplay(QStandardItem *item, const cellData &cell, bool fresh)
{
    static const cellData defaults;
    // A cell that still answers the default look takes only what differs, as a fresh one.
    const auto *dataCell = dynamic_cast<const DataCell *>(item);
    const bool plain = fresh || (dataCell && dataCell->hasDefaultLook());
    if (!plain || !cell.icon.isNull())
        item->setData(cell.icon, Qt::DecorationRole);
    item->setData(cell.text, Qt::DisplayRole);
    if (!plain || cell.foreground != defaults.foreground)
        item->setData(cell.foreground, Qt::ForegroundRole);
    if (!plain || cell.background != defaults.background)
        item->setData(cell.background, Qt::BackgroundRole);
    // A font's textual description is never empty (it always names a
    // size), so the font is always stored.
    if (!plain || cell.font != defaults.font)
        item->setData(cell.font, Qt::FontRole);
    if (!cell.toolTip.isEmpty())
        item->setData(cell.toolTip, Qt::ToolTipRole);
}

int QDataTable::getRowState(int row) const
{
    const QStandardItem *first = row >= 0 ? m_model->item(row, 0) : nullptr;
    return first ? first->data(RowStateRole).toInt() : RowDeleted;
}

int QDataTable::getLock(int row) const
{
    const QStandardItem *first = row >= 0 ? m_model->item(row, 0) : nullptr;
    return first ? first->data(LockRole).toInt() : 0;
}

bool QDataTable::setLock(int row, lockState lock)
{
    const OwnWrite quiet(this, OwnWrite::Quiet);
    return m_model->setData(m_model->index(row, 0), lock, LockRole);
}

qlonglong QDataTable::rowId(int row) const
{
    const QStandardItem *first = row >= 0 ? m_model->item(row, 0) : nullptr;
    return first ? first->data(RowIdRole).toLongLong() : 0;
}

int QDataTable::rowOf(qlonglong id) const
{
    const QStandardItem *item = m_rowItems.value(id);
    return item ? m_model->indexFromItem(item).row() : -1;
}

bool QDataTable::setRowState(int row, rowState state)
{
    bool written = false;
    {
        const OwnWrite quiet(this, OwnWrite::Quiet);
        written = m_model->setData(m_model->index(row, 0), state, RowStateRole);
        if (written)
            keepPendingLists(row, state);
    }
    if (written && state == RowDeleted)
        refreshRow(row);
    return written;
}

void QDataTable::keepPendingLists(int row, rowState state)
{
    const qlonglong id = rowId(row);
    switch (state) {
    case RowNew:
        m_pendingDelete.remove(id);
        m_pendingUpdate.remove(id);
        m_pendingInsert.add(id);
        break;
    case RowUnchanged:
        m_pendingUpdate.remove(id);
        m_pendingDelete.remove(id);
        m_pendingInsert.remove(id);
        break;
    case RowModified:
        m_pendingInsert.remove(id);
        m_pendingDelete.remove(id);
        m_pendingUpdate.add(id);
        break;
    case RowDeleted:
        m_pendingDelete.add(id);
        // Written again so that the display callback sees the deleted state.
        setRow(row, getRecord(row, false), false);
        break;
    default:
        break;
    }
}

// Writes made with the model's signals blocked reach no view; this tells
// the views to show the row again. The model answers the signal with
// itemChanged for each cell, which is no edit either.
void QDataTable::refreshRow(int row)
{
    const OwnWrite own(this);
    if (row >= 0 && row < m_model->rowCount() && m_model->columnCount() > 0)
        emit m_model->dataChanged(m_model->index(row, 0), m_model->index(row, m_model->columnCount() - 1));
}

QSqlRecord QDataTable::getRecord(int row, bool bSkipDeleted) const
{
    if (row < 0 || row >= m_model->rowCount())
        return QSqlRecord();
    const int state = getRowState(row);
    if (bSkipDeleted && state == RowDeleted)
        return QSqlRecord();
    if (state != RowNew && m_state == TableOpenWithoutData)
        return QSqlRecord();
    QSqlRecord record = recordShape();
    for (int i = 0; i < m_columns.size(); ++i) {
        if (const QStandardItem *item = m_model->item(row, i))
            record.setValue(i, item->data(CurrentValueRole));
    }
    return record;
}

const QSqlRecord &QDataTable::recordShape() const
{
    bool same = m_shapeNames.size() == m_columns.size();
    for (int i = 0; same && i < m_columns.size(); ++i)
        same = m_shapeNames.at(i) == m_columns.at(i).fieldName && m_shapeTypes.at(i) == m_columns.at(i).dataType;
    if (same)
        return m_recordShape;
    m_recordShape.clear();
    m_shapeNames.clear();
    m_shapeTypes.clear();
    for (const colInfo &column : m_columns) {
        m_recordShape.append(QSqlField(column.fieldName, QVariant::Type(column.dataType)));
        m_shapeNames.append(column.fieldName);
        m_shapeTypes.append(column.dataType);
    }
    return m_recordShape;
}

QVariant QDataTable::getField(QString fldName, int rowNum)
{
    if (m_state == TableClosed || m_model->rowCount() == 0)
        return QVariant();
    const QSqlRecord record = getRecord(rowNum < 0 ? int(m_currentRow) : rowNum, false);
    const int index = record.indexOf(fldName);
    return index < 0 ? QVariant() : record.value(index);
}

QStringList QDataTable::getValuesList(int column) const
{
    return m_index->texts(column);
}

QStringList QDataTable::getValuesList(const QString &fldName) const
{
    for (int i = 0; i < m_columns.size(); ++i) {
        if (m_columns.at(i).fieldName == fldName)
            return getValuesList(i);
    }
    return QStringList();
}

int QDataTable::rowCount()
{
    return m_model->rowCount();
}

int QDataTable::visibleRowCount()
{
    return m_model->rowCount() - m_binding->hiddenRows();
}

int QDataTable::lastRow()
{
    return m_model->rowCount() - 1;
}

bool QDataTable::first()
{
    if (m_state == TableClosed)
        return false;
    m_currentRow = 0;
    return true;
}

bool QDataTable::last()
{
    if (m_state == TableClosed)
        return false;
    m_currentRow = m_model->rowCount() - 1;
    return true;
}

bool QDataTable::next()
{
    if (m_state == TableClosed || m_currentRow + 1 >= m_model->rowCount())
        return false;
    ++m_currentRow;
    return true;
}

bool QDataTable::prev()
{
    if (m_state == TableClosed || m_currentRow <= 0)
        return false;
    --m_currentRow;
    return true;
}
