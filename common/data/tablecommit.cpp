#include "tablecommit.h"
#include "hostcontract.h"
#include "preparedscript.h"
#include "qdatatable.h"
#include "qsqlconnection.h"

#include <QCoreApplication>
#include <QDebug>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QStandardItemModel>

#include <memory>
#include <optional>

TableCommit::TableCommit(QDataTable &table, bool backGround) : m_table(table), m_backGround(backGround)
{
}

bool TableCommit::run()
{
    return deletePass() && insertPass() && updatePass();
}

bool TableCommit::fail(QSqlQuery &query)
{
    if (m_table.m_lastError.isEmpty())
        m_table.m_lastError = m_table.m_connection ? m_table.m_connection->failureText(query)
                                                   : QSqlConnection::noConnectionText();
    query.finish();
    return false;
}

QString TableCommit::keyText(const QSqlRecord &record) const
{
    const QString &keyField = m_table.m_keyField;
    const QString key = keyField.isEmpty() && record.count() > 0 ? record.fieldName(0) : keyField;
    return QStringLiteral("%1 = %2").arg(key, record.value(key).toString());
}

namespace {

// A script that reads the row's original values matches the row as it was
// read; when it finds the row otherwise, the row is in conflict.
bool isOptimistic(const QString &script)
{
    return script.contains(QLatin1String(":old_"));
}

// QDebug writes such a text between quotes as it is.
bool isPlain(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7e || c == QLatin1Char('"') || c == QLatin1Char('\\'))
            return false;
    }
    return true;
}

bool isIntegerKey(const QVariant &key)
{
    return key.userType() == QMetaType::LongLong || key.userType() == QMetaType::Int;
}

// Appends QDebug's form of an integer variant ("QVariant(qlonglong, 5)").
void appendIntegerKey(QString &line, const QVariant &key)
{
    const qlonglong value = key.toLongLong();
    quint64 magnitude = value < 0 ? 0 - quint64(value) : quint64(value);
    char digits[24];
    int at = sizeof digits;
    do {
        digits[--at] = char('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0)
        digits[--at] = '-';
    line += QLatin1String(key.userType() == QMetaType::LongLong ? "QVariant(qlonglong, " : "QVariant(int, ");
    line += QLatin1String(digits + at, int(sizeof digits) - at);
    line += QLatin1Char(')');
}

// The debug line of a stored new row, as QDebug writes its parts. It is made
// by hand for the usual parts (plain names, integer keys): QDebug's way cost
// nearly a tenth of a commit, once for every inserted row.
void writeKeyLine(const QString &keyField, const QVariant &oldKey, const QVariant &newKey, const QString &table)
{
    if (!isPlain(keyField) || !isPlain(table) || !isIntegerKey(oldKey) || !isIntegerKey(newKey)) {
        qDebug() << "emit dataChanged(" << keyField << oldKey << newKey << table << ") ";
        return;
    }
    QString line;
    line.reserve(96);
    line += QLatin1String("emit dataChanged( \"");
    line += keyField;
    line += QLatin1String("\" ");
    appendIntegerKey(line, oldKey);
    line += QLatin1Char(' ');
    appendIntegerKey(line, newKey);
    line += QLatin1String(" \"");
    line += table;
    line += QLatin1String("\" ) ");
    qDebug().noquote() << line;
}

} // namespace

bool TableCommit::conflict(int row)
{
    const QSqlRecord record = m_table.getRecord(row, false);
    const QString name = record.contains(QStringLiteral("c_name")) ? record.value(QStringLiteral("c_name")).toString()
                                                                 : keyText(record);
    m_table.m_lastError = QDataTable::tr("Запись \"%1\" изменена или удалена другим пользователем. "
                                         "Обновите данные и повторите.").arg(name);
    qWarning().noquote() << m_table.objectName() << m_table.m_lastError;
    return false;
}

// A script matches a row as it was read (as loaded or last saved) through
// these names, so that a row someone else changed meanwhile is not written
// over. A field of the row that has such a name itself keeps it: the
// record's own fields come first.
QSqlRecord TableCommit::boundRecord(int row, const QSqlRecord &record) const
{
    if (!m_readsOriginals)
        return record;
    QSqlRecord bound = record;
    for (int column = 0; column < m_table.m_columns.size(); ++column) {
        const QStandardItem *item = m_table.m_model->item(row, column);
        QSqlField field(QStringLiteral("old_") + m_table.m_columns.at(column).fieldName);
        field.setValue(item ? item->data(OriginalValueRole) : QVariant());
        bound.append(field);
    }
    return bound;
}

// Each row gets its own query; done() takes the row on after a statement
// that ran.
bool TableCommit::runPass(PendingList &list, const QString &script, const char *pass, const RowDone &done,
                          bool reusable)
{
    if (list.isEmpty())
        return true;
    if (script.isEmpty()) {
        qDebug() << qPrintable(QStringLiteral("WARNING: %1 script is empty.").arg(QLatin1String(pass)))
                 << m_table.objectName();
        return true;
    }
    const QList<qlonglong> ids = list.toList();
    m_readsOriginals = isOptimistic(script);
    m_serverFields.clear();
    std::unique_ptr<PreparedScript> prepared;
    // Not in the background: the event loop may take the connection away between rows.
    if (reusable && !m_backGround && m_table.m_connection && m_table.database())
        prepared = std::make_unique<PreparedScript>(*m_table.m_connection, script);
    for (const qlonglong id : ids) {
        const int row = m_table.rowOf(id);
        if (row < 0) {
            m_table.forgetRow(id);
            continue;
        }
        // The event loop (backGround) may have run the connection's deletion.
        if (!m_table.database()) {
            m_table.m_lastError = QStringLiteral("Connection not defined");
            return false;
        }
        if (!runRow(script, pass, id, row, done, prepared.get()))
            return false;
        if (m_backGround)
            QCoreApplication::processEvents();
    }
    list.clear();
    return true;
}

bool TableCommit::runRow(const QString &script, const char *pass, qlonglong id, int row, const RowDone &done,
                         PreparedScript *prepared)
{
    QSqlConnection *connection = m_table.m_connection;
    m_rowTransaction = qstrcmp(pass, "delete") == 0 && m_readsOriginals && !connection->inTransaction();
    if (m_rowTransaction && !connection->beginTransaction(&m_table.m_lastError))
        return false;
    const QSqlRecord record = m_table.getRecord(row, false);
    const QSqlRecord bound = boundRecord(row, record);
    // A query of its own only when the prepared one did not run: making one
    // costs a result object of the driver's for every row.
    std::optional<QSqlQuery> own;
    const bool ranPrepared = prepared && prepared->exec(bound);
    if (!ranPrepared) {
        own.emplace(*m_table.database());
        connection->execScript(script, &*own, bound, false);
    }
    QSqlQuery &query = ranPrepared ? prepared->query() : *own;
    m_ranPrepared = ranPrepared;
    // A statement that never ran (a closed database) leaves no error
    // text behind: only an active query has run.
    if (query.isActive() && query.lastError().type() == QSqlError::NoError && done(id, row, record, query)) {
        query.finish();
        return true;
    }
    // The reason is read, and the statement finished, before the undo.
    fail(query);
    if (m_rowTransaction)
        connection->rollbackTransaction();
    return false;
}

bool TableCommit::deletePass()
{
    const bool optimistic = isOptimistic(m_table.m_deleteText);
    return runPass(m_table.m_pendingDelete, m_table.m_deleteText, "delete",
                   [this, optimistic](qlonglong, int row, const QSqlRecord &, QSqlQuery &query) {
        // The removed row says whether it was as read; a row already gone
        // is no conflict: both users wanted it deleted.
        if (optimistic && query.isSelect() && query.isValid() && !query.value(0).toBool())
            return conflict(row);
        query.finish();
        if (m_rowTransaction && !m_table.m_connection->commitTransaction(&m_table.m_lastError))
            return false;
        m_table.removeRowAt(row);
        return true;
    });
}

// Writes the row the server returned into the table. A script that returns
// a select without a row did not store the row (another user removed it,
// say): the commit fails there and the row keeps the user's values.
bool TableCommit::takeServerRow(int row, QSqlQuery &query, const char *pass, QVariant *serverKey)
{
    if (!query.isValid()) {
        m_table.m_lastError = QDataTable::tr("Commit of table %1 stopped: the %2 script returned no row for %3")
                .arg(m_table.objectName(), QLatin1String(pass), keyText(m_table.getRecord(row, false)));
        qWarning().noquote() << m_table.m_lastError;
        return false;
    }
    const QString &keyField = m_table.m_keyField;
    // A prepared statement returns the same columns for every row of the
    // pass: they are looked up once. A display listener is handed the
    // record, which is then built for every row.
    if (m_ranPrepared && !m_table.hearsDispInfo()) {
        if (m_serverFields.isEmpty()) {
            const QSqlRecord shape = query.record();
            m_serverFields = m_table.serverFields(shape);
            m_serverKey = shape.indexOf(keyField);
        }
        m_table.setServerRow(row, query, m_serverFields);
        if (serverKey)
            *serverKey = m_serverKey >= 0 ? query.value(m_serverKey) : QVariant();
    } else {
        // The record is built once: the insert pass reads the new key from it too.
        const QSqlRecord record = query.record();
        m_table.setRow(row, m_table.shapeRow(record, QDataTable::ServerRow), true);
        if (serverKey)
            *serverKey = record.value(keyField);
    }
    m_table.setRowState(row, RowUnchanged);
    return true;
}

void TableCommit::markSaved(int row)
{
    {
        const QDataTable::OwnWrite own(&m_table);
        for (int column = 0; column < m_table.m_model->columnCount(); ++column) {
            if (QStandardItem *item = m_table.m_model->item(row, column))
                QDataTable::setItemValue(item, item->data(CurrentValueRole), OriginalValueRole);
        }
    }
    m_table.setRowState(row, RowUnchanged);
}

bool TableCommit::insertPass()
{
    const QString keyField = m_table.m_keyField;
    const bool identityFetch = !keyField.isEmpty() && hostNoStoredProc();
    // The identity is fetched through the row's query, which then holds another statement.
    return runPass(m_table.m_pendingInsert, m_table.m_insertText, "insert",
                   [this, keyField, identityFetch](qlonglong id, int row, const QSqlRecord &record, QSqlQuery &query) {
        const QVariant oldKey = record.value(keyField);
        if (identityFetch)
            m_table.m_connection->scopeIdentity(m_table.objectName(), &query);
        if (query.isSelect()) {
            QVariant newKey;
            if (!takeServerRow(row, query, "insert", &newKey))
                return false;
            writeKeyLine(keyField, oldKey, newKey, m_table.objectName());
            emit m_table.dataChanged(keyField, oldKey, newKey, m_table.objectName());
        }
        // Without a returned row the row stays new but is not sent again.
        m_table.m_pendingInsert.remove(id);
        return true;
    }, !identityFetch);
}

bool TableCommit::updatePass()
{
    const bool optimistic = isOptimistic(m_table.m_updateText);
    return runPass(m_table.m_pendingUpdate, m_table.m_updateText, "update",
                   [this, optimistic](qlonglong, int row, const QSqlRecord &, QSqlQuery &query) {
        if (optimistic && (query.isSelect() ? !query.isValid() : query.numRowsAffected() == 0))
            return conflict(row);
        if (query.isSelect())
            return takeServerRow(row, query, "update");
        markSaved(row);
        return true;
    });
}
