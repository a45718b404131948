// Commit, rollback and the snapshots a data set restores, of QDataTable.

#include "qdatatable.h"
#include "hostcontract.h"
#include "qsqlconnection.h"
#include "rowindex.h"

#include <QCoreApplication>
#include <QDebug>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardItemModel>
#include <QTableView>

#include <functional>

bool QDataTable::commit(bool backGround)
{
    const bool pending = !m_pendingDelete.isEmpty() || !m_pendingInsert.isEmpty() || !m_pendingUpdate.isEmpty();
    m_lastError.clear();
    if (pending && !database()) {
        m_lastError = QStringLiteral("Connection not defined");
        qWarning() << "Connection not defined";
        return false;
    }
    // The server's rows written back are not edits.
    const OwnWrite own(this);
    resolveScripts();
    if (!deletePass(backGround) || !insertPass(backGround) || !updatePass(backGround))
        return false;
    m_modified = false;
    return true;
}

bool QDataTable::failCommit(QSqlQuery &query)
{
    if (m_lastError.isEmpty())
        m_lastError = m_connection ? m_connection->failureText(query)
                                   : QStringLiteral("no connection to the database");
    query.finish();
    return false;
}

QString QDataTable::keyText(const QSqlRecord &record) const
{
    const QString key = m_keyField.isEmpty() && record.count() > 0 ? record.fieldName(0) : m_keyField;
    return QStringLiteral("%1 = %2").arg(key, record.value(key).toString());
}

// Runs the script for every row of the list, in list order, each row with
// its own query; the handler takes the row on after a statement that ran.
// Stops with false at the first row that fails.
bool QDataTable::runPass(PendingList &list, const QString &script, const char *pass, bool backGround,
                         const std::function<bool(qlonglong, int, const QSqlRecord &, QSqlQuery &)> &handled)
{
    if (list.isEmpty())
        return true;
    if (script.isEmpty()) {
        qDebug() << qPrintable(QStringLiteral("WARNING: %1 script is empty.").arg(QLatin1String(pass))) << objectName();
        return true;
    }
    const QList<qlonglong> ids = list.toList();
    for (const qlonglong id : ids) {
        const int row = rowOf(id);
        if (row < 0) {
            forgetRow(id);
            continue;
        }
        // The event loop (backGround) may have run the connection's deletion.
        if (!database()) {
            m_lastError = QStringLiteral("Connection not defined");
            return false;
        }
        const QSqlRecord record = getRecord(row, false);
        QSqlQuery query(*database());
        m_connection->execScript(script, &query, record, false);
        // A statement that never ran (a closed database) leaves no error
        // text behind: only an active query has run.
        if (!query.isActive() || query.lastError().type() != QSqlError::NoError
                || !handled(id, row, record, query))
            return failCommit(query);
        query.finish();
        if (backGround)
            QCoreApplication::processEvents();
    }
    list.clear();
    return true;
}

bool QDataTable::deletePass(bool backGround)
{
    return runPass(m_pendingDelete, m_deleteText, "delete", backGround,
                   [this](qlonglong, int row, const QSqlRecord &, QSqlQuery &query) {
        query.finish();
        removeRowAt(row);
        return true;
    });
}

// Writes the row the server returned into the table. A script that returns
// a select without a row did not store the row (another user removed it,
// say): the commit fails there and the row keeps the user's values.
bool QDataTable::takeServerRow(int row, QSqlQuery &query, const char *pass)
{
    if (!query.isValid()) {
        m_lastError = QStringLiteral("Commit of table %1 stopped: the %2 script returned no row for %3")
                .arg(objectName(), QLatin1String(pass), keyText(getRecord(row, false)));
        qWarning().noquote() << m_lastError;
        return false;
    }
    setRow(row, shapeRow(query.record(), ServerRow), true);
    setRowState(row, RowUnchanged);
    return true;
}

bool QDataTable::insertPass(bool backGround)
{
    const bool identityFetch = !m_keyField.isEmpty() && hostNoStoredProc();
    return runPass(m_pendingInsert, m_insertText, "insert", backGround,
                   [this, identityFetch](qlonglong id, int row, const QSqlRecord &record, QSqlQuery &query) {
        const QVariant oldKey = record.value(m_keyField);
        if (identityFetch)
            m_connection->scopeIdentity(objectName(), &query);
        if (query.isSelect()) {
            if (!takeServerRow(row, query, "insert"))
                return false;
            const QVariant newKey = query.record().value(m_keyField);
            qDebug() << "emit dataChanged(" << m_keyField << oldKey << newKey << objectName() << ") ";
            emit dataChanged(m_keyField, oldKey, newKey, objectName());
        }
        // Without a returned row the row stays new but is not sent again.
        m_pendingInsert.remove(id);
        return true;
    });
}

bool QDataTable::updatePass(bool backGround)
{
    return runPass(m_pendingUpdate, m_updateText, "update", backGround,
                   [this](qlonglong, int row, const QSqlRecord &, QSqlQuery &query) {
        query.first();
        if (query.isSelect())
            return takeServerRow(row, query, "update");
        setRowState(row, RowUnchanged);
        return true;
    });
}

bool QDataTable::rollback()
{
    const OwnWrite own(this);
    const QList<qlonglong> inserted = m_pendingInsert.toList();
    for (const qlonglong id : inserted) {
        const int row = rowOf(id);
        m_pendingDelete.remove(id);
        if (row >= 0)
            removeRowAt(row);
    }
    m_pendingInsert.clear();
    const QList<qlonglong> updated = m_pendingUpdate.toList();
    for (const qlonglong id : updated) {
        resetOriginalData(rowOf(id), false);
        m_pendingDelete.remove(id);
    }
    m_pendingUpdate.clear();
    const QList<qlonglong> deleted = m_pendingDelete.toList();
    for (const qlonglong id : deleted)
        resetOriginalData(rowOf(id), false);
    m_pendingDelete.clear();
    m_modified = false;
    return true;
}

QDataTable::Snapshot::~Snapshot()
{
    for (const QList<QStandardItem *> &row : qAsConst(rows))
        qDeleteAll(row);
}

QVector<int> QDataTable::rowsOf(const PendingList &list) const
{
    QVector<int> rows;
    const QList<qlonglong> ids = list.toList();
    for (const qlonglong id : ids)
        rows.append(rowOf(id));
    return rows;
}

std::shared_ptr<QDataTable::Snapshot> QDataTable::saveSnapshot() const
{
    auto snapshot = std::make_shared<Snapshot>();
    for (int row = 0; row < m_model->rowCount(); ++row) {
        QList<QStandardItem *> items;
        for (int column = 0; column < m_model->columnCount(); ++column) {
            const QStandardItem *item = m_model->item(row, column);
            items.append(item ? item->clone() : new QStandardItem);
        }
        snapshot->rows.append(items);
    }
    snapshot->pendingInsert = rowsOf(m_pendingInsert);
    snapshot->pendingUpdate = rowsOf(m_pendingUpdate);
    snapshot->pendingDelete = rowsOf(m_pendingDelete);
    snapshot->autoIncrement = m_autoIncrement;
    snapshot->modified = m_modified;
    snapshot->currentRow = m_currentRow;
    snapshot->state = m_state;
    snapshot->viewRow = getViewCurrentRow();
    return snapshot;
}

void QDataTable::restoreSnapshot(const Snapshot &snapshot)
{
    const OwnWrite own(this);
    removeModelRows(0, m_model->rowCount());
    m_pendingInsert.clear();
    m_pendingUpdate.clear();
    m_pendingDelete.clear();
    for (const QList<QStandardItem *> &row : snapshot.rows) {
        QList<QStandardItem *> items;
        for (const QStandardItem *item : row)
            items.append(item->clone());
        // The copy keeps the row's identity, so that what callers hold
        // still names the same row.
        const qlonglong id = items.isEmpty() ? 0 : items.first()->data(RowIdRole).toLongLong();
        if (id != 0)
            m_rowItems.insert(id, items.first());
        m_model->appendRow(items);
    }
    for (const int row : snapshot.pendingInsert)
        m_pendingInsert.add(rowId(row));
    for (const int row : snapshot.pendingUpdate)
        m_pendingUpdate.add(rowId(row));
    for (const int row : snapshot.pendingDelete)
        m_pendingDelete.add(rowId(row));
    m_autoIncrement = snapshot.autoIncrement;
    m_modified = snapshot.modified;
    m_currentRow = snapshot.currentRow;
    m_state = snapshot.state;
    m_index->forgetRowNumbers();
    m_index->rebuildTexts();
    if (m_view) {
        applyFilters();
        if (snapshot.viewRow >= 0)
            m_view->setCurrentIndex(m_model->index(snapshot.viewRow, 0));
    }
}
