// Commit, rollback and the snapshots a data set restores, of QDataTable.

#include "qdatatable.h"
#include "qsqlconnection.h"
#include "rowindex.h"
#include "tablecommit.h"
#include "viewbinding.h"

#include <QDebug>
#include <QStandardItemModel>

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
    if (!TableCommit(*this, backGround).run())
        return false;
    m_modified = false;
    return true;
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
    m_binding->apply();
    m_binding->setCurrentRow(snapshot.viewRow);
}
