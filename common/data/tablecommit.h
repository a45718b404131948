#pragma once

#include "qdatatable.h"

#include <QString>
#include <QVector>

#include <functional>

class PendingList;
class PreparedScript;
class QSqlQuery;
class QSqlRecord;

// One commit of a data table: the delete, insert and update passes, each
// running the table's script for the rows waiting for it, in the order they
// were queued. The first row that fails stops the commit; the rows not yet
// written stay pending and the table's lastError says why.
class TableCommit
{
public:
    TableCommit(QDataTable &table, bool backGround);
    // Runs the three passes; false at the first failure.
    bool run();

private:
    // Takes a row on after its statement ran; false fails the commit.
    using RowDone = std::function<bool(qlonglong id, int row, const QSqlRecord &record, QSqlQuery &query)>;
    // A reusable script is prepared once for the pass where the database allows.
    bool runPass(PendingList &list, const QString &script, const char *pass, const RowDone &done,
                 bool reusable = true);
    // Runs the row's statement; an optimistic delete outside a transaction
    // gets one of its own, so that a conflict can undo it.
    bool runRow(const QString &script, const char *pass, qlonglong id, int row, const RowDone &done,
                PreparedScript *prepared);
    bool deletePass();
    bool insertPass();
    bool updatePass();
    // Writes the server's row into the table; its key, as the query
    // returned it, goes to serverKey when given.
    bool takeServerRow(int row, QSqlQuery &query, const char *pass, QVariant *serverKey = nullptr);
    // The row's values were written as they are: they become its original
    // values, which the next commit of the row must find in the database.
    void markSaved(int row);
    // Keeps the reason of the failure; always false.
    bool fail(QSqlQuery &query);
    QString keyText(const QSqlRecord &record) const;
    // Someone else changed or deleted the row since it was read; always false.
    bool conflict(int row);
    // The record a script binds: the row's values and, when the script asks
    // for them, each column's original value under "old_" and its name.
    QSqlRecord boundRecord(int row, const QSqlRecord &record) const;

    QDataTable &m_table;
    const bool m_backGround;
    // The row's statement runs in a transaction of its own, to be ended by done().
    bool m_rowTransaction = false;
    // Whether the pass's script reads the rows' original values: asked
    // once a pass, as the script is long and the same for every row.
    bool m_readsOriginals = false;
    // Whether the row's statement was the pass's prepared one.
    bool m_ranPrepared = false;
    // Where the prepared statement's columns sit, found at its first row.
    QVector<QDataTable::RecordField> m_serverFields;
    int m_serverKey = -1;
};
