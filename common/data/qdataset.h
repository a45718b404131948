#pragma once

#include "varkolin_export.h"

#include <QList>
#include <QObject>
#include <QStringList>
#include <QVariant>

class QDataTable;
class QSqlConnection;

// A watched field of a master table and the field of a detail table that
// holds its values; the detail may be the master itself.
struct VARKOLIN_EXPORT dataLink
{
    QDataTable *masterTable = nullptr;
    QString masterField;
    QDataTable *detailTable = nullptr;
    QString detailField;
};

// Tables of one module, committed together in one transaction and linked
// master to detail. The set does not own its tables.
class VARKOLIN_EXPORT QDataSet : public QObject
{
    Q_OBJECT
public:
    explicit QDataSet(QObject *parent = nullptr);

    // Appends the table; false when a member already has its name.
    bool addTable(QDataTable *table);
    // The member of that name; null and a debug line "table not found [" when none.
    QDataTable *getTable(const QString &name) const;
    QStringList tables() const;
    void closeAll();
    bool isModified() const;
    // Links two members given by name; nothing when either is not a member.
    void createDataLink(const QString &masterTable, const QString &masterField,
                        const QString &detailTable, const QString &detailField);
    void createDataLink(const QString &table, const QString &keyField, const QString &refField);
    QList<dataLink> links() const { return m_links; }
    // The tables commit and rollback touch, in order; empty means all members.
    void setChangingOrder(const QStringList &order);
    // Commits the chosen tables in one transaction. When one fails, or no
    // transaction can be begun (no connection), nothing is written and every
    // chosen table is as it was before. A null connection commits the tables
    // one by one without a transaction.
    bool commit(QSqlConnection *connection);
    // Why the last commit failed: the failing table's error or the database's; empty after a success.
    QString lastError() const { return m_lastError; }
    // Rolls back the chosen tables that have changes; the database is not touched.
    void rollback();
    // Adds the tables of the other set whose names are not members yet (shared, not copied).
    void intersect(QDataSet *other);
    // Writes the members' dumps to "dataset_<name>_<yyyy_MM_dd hh_mm>.csv" in the folder.
    void dump(const QString &dir, bool bFullInfo = false, const QString &name = QString(),
              const QStringList &tableNames = QStringList());

private slots:
    void linkedDataChanged(QString fldName, QVariant oldVal, QVariant newVal, QString tabName);

private:
    QList<QDataTable *> chosenTables() const;
    QList<QDataTable *> tablesToKeep(const QList<QDataTable *> &chosen) const;
    bool commitTables(const QList<QDataTable *> &tables);
    // Compared by address only: the table is being destroyed.
    void forgetTable(const void *table);

    QList<QDataTable *> m_tables;
    QList<dataLink> m_links;
    QStringList m_changingOrder;
    QString m_lastError;
};
