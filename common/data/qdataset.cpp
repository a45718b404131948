#include "qdataset.h"
#include "qdatatable.h"
#include "qsqlconnection.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFile>

#include <memory>

QDataSet::QDataSet(QObject *parent)
    : QObject(parent)
{
}

bool QDataSet::addTable(QDataTable *table)
{
    if (!table)
        return false;
    for (const QDataTable *member : qAsConst(m_tables)) {
        if (member->objectName() == table->objectName())
            return false;
    }
    m_tables.append(table);
    // The set does not own its members: one deleted elsewhere leaves the set
    // and its links instead of staying behind as a dangling pointer.
    const void *member = table;
    connect(table, &QObject::destroyed, this, [this, member] { forgetTable(member); });
    return true;
}

void QDataSet::forgetTable(const void *table)
{
    for (int i = m_tables.size() - 1; i >= 0; --i) {
        if (static_cast<const void *>(m_tables.at(i)) == table)
            m_tables.removeAt(i);
    }
    for (int i = m_links.size() - 1; i >= 0; --i) {
        const dataLink &link = m_links.at(i);
        if (static_cast<const void *>(link.masterTable) == table || static_cast<const void *>(link.detailTable) == table)
            m_links.removeAt(i);
    }
}

QDataTable *QDataSet::getTable(const QString &name) const
{
    for (QDataTable *member : m_tables) {
        if (member->objectName() == name)
            return member;
    }
    qDebug() << "table not found [" << name << "]";
    return nullptr;
}

QStringList QDataSet::tables() const
{
    QStringList names;
    for (const QDataTable *member : m_tables)
        names << member->objectName();
    return names;
}

void QDataSet::closeAll()
{
    for (QDataTable *member : qAsConst(m_tables))
        member->close();
}

bool QDataSet::isModified() const
{
    for (const QDataTable *member : m_tables) {
        if (member->isModified())
            return true;
    }
    return false;
}

void QDataSet::createDataLink(const QString &masterTable, const QString &masterField,
                              const QString &detailTable, const QString &detailField)
{
    QDataTable *master = getTable(masterTable);
    QDataTable *detail = getTable(detailTable);
    if (!master || !detail)
        return;
    m_links.append({master, masterField, detail, detailField});
    connect(master, SIGNAL(dataChanged(QString, QVariant, QVariant, QString)),
            this, SLOT(linkedDataChanged(QString, QVariant, QVariant, QString)));
}

void QDataSet::createDataLink(const QString &table, const QString &keyField, const QString &refField)
{
    createDataLink(table, keyField, table, refField);
}

void QDataSet::setChangingOrder(const QStringList &order)
{
    m_changingOrder = order;
}

void QDataSet::linkedDataChanged(QString fldName, QVariant oldVal, QVariant newVal, QString tabName)
{
    if (oldVal == newVal)
        return;
    for (const dataLink &link : qAsConst(m_links)) {
        if (link.masterTable->objectName() != tabName || link.masterField != fldName)
            continue;
        QDataTable *detail = link.detailTable;
        if (!detail || detail->getTableState() == TableClosed)
            continue;
        // A refused write would leave the row holding the old value, to be
        // found again forever.
        for (int row = detail->locate(link.detailField, oldVal); row >= 0;
             row = detail->locate(link.detailField, oldVal)) {
            if (!detail->setField(link.detailField, newVal))
                break;
        }
    }
}

QList<QDataTable *> QDataSet::chosenTables() const
{
    if (m_changingOrder.isEmpty())
        return m_tables;
    QList<QDataTable *> chosen;
    for (const QString &name : m_changingOrder) {
        if (QDataTable *table = getTable(name))
            chosen.append(table);
    }
    return chosen;
}

// The tables a commit may change: the chosen ones and the details that
// their links rewrite.
QList<QDataTable *> QDataSet::tablesToKeep(const QList<QDataTable *> &chosen) const
{
    QList<QDataTable *> tables = chosen;
    for (const dataLink &link : m_links) {
        if (!tables.contains(link.detailTable))
            tables.append(link.detailTable);
    }
    return tables;
}

bool QDataSet::commit(QSqlConnection *connection)
{
    m_lastError.clear();
    const QList<QDataTable *> chosen = chosenTables();
    if (!connection)
        return commitTables(chosen);
    // Without a transaction nothing is written: a failure halfway could not
    // be undone, and the tables would claim rows the database never got.
    if (!connection->beginTransaction(&m_lastError)) {
        qWarning().noquote() << "Data set commit: no transaction could be begun:" << m_lastError;
        return false;
    }
    // Taken before anything is written: when the transaction is rolled back,
    // the tables must show again what the database still holds.
    QList<QPair<QDataTable *, std::shared_ptr<QDataTable::Snapshot>>> kept;
    const QList<QDataTable *> tables = tablesToKeep(chosen);
    for (QDataTable *table : tables)
        kept.append({table, table->saveSnapshot()});
    if (commitTables(chosen) && connection->commitTransaction(&m_lastError))
        return true;
    connection->rollbackTransaction();
    if (!connection->isAlive())
        m_lastError = QSqlConnection::noConnectionText(m_lastError);
    qWarning().noquote() << "Data set commit failed, nothing was saved:" << m_lastError;
    for (const auto &entry : qAsConst(kept))
        entry.first->restoreSnapshot(*entry.second);
    return false;
}

// Commits the tables one after the other; stops at the first that fails.
bool QDataSet::commitTables(const QList<QDataTable *> &tables)
{
    for (QDataTable *table : tables) {
        if (!table->commit(false)) {
            m_lastError = table->lastError();
            return false;
        }
    }
    return true;
}

void QDataSet::rollback()
{
    const QList<QDataTable *> chosen = chosenTables();
    for (QDataTable *table : chosen) {
        if (table->isModified())
            table->rollback();
    }
}

void QDataSet::intersect(QDataSet *other)
{
    if (!other)
        return;
    const QStringList theirs = other->tables();
    const QStringList ours = tables();
    for (const QString &name : theirs) {
        if (!ours.contains(name))
            addTable(other->getTable(name));
    }
}

void QDataSet::dump(const QString &dir, bool bFullInfo, const QString &name, const QStringList &tableNames)
{
    QString text;
    for (QDataTable *member : qAsConst(m_tables)) {
        if (!tableNames.isEmpty() && !tableNames.contains(member->objectName()))
            continue;
        text += QStringLiteral("\"TABLE:\";\"%1\";\n").arg(member->objectName());
        text += member->prepareDump(bFullInfo);
        text += QStringLiteral(";\n;\n;\n");
    }
    if (!QDir(dir).exists())
        QDir().mkdir(dir);
    const QString fileName = QStringLiteral("dataset_") + (name.isEmpty() ? objectName() : name)
            + QLatin1Char('_') + QDateTime::currentDateTime().toString(QStringLiteral("yyyy_MM_dd hh_mm"))
            + QStringLiteral(".csv");
    QFile file(QDir(dir).absoluteFilePath(fileName));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    file.write(text.toLocal8Bit());
}
