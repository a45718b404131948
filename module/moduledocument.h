#pragma once

#include <QCoreApplication>
#include <QList>
#include <QObject>
#include <QPointer>

class QDataSet;
class QDataTable;
class QWidget;

// The module's one data set, built with its tables on the first call with
// the given parent and returned unchanged afterwards; built again once that
// parent has destroyed it.
QDataSet *moduleDocument(QObject *parent);

// Adds the module's tables to the set: the units, their workplaces and
// products, and the read-only look-ups of the dialogs, on the host's
// connection, as Qt children of the parent. No table is opened.
void addModuleTables(QDataSet *document, QObject *parent);

// Sets the translated captions and tool tips of the table's columns, as the
// set made them, for the language now installed; other tables keep theirs.
void labelColumns(QDataTable *table);

// Watches tables that are closed now; report() then tells the user of each
// one whose load failed since, with the database's reason, so that an empty
// list only ever means no rows. A table without a connection or select
// script has no reason to give and is not reported.
class TableLoadWatch
{
    Q_DECLARE_TR_FUNCTIONS(TableLoadWatch)
public:
    explicit TableLoadWatch(const QList<QDataTable *> &tables);
    // One warning for all failed loads (only logged when the host has no
    // screen); returns whether every load succeeded.
    bool report(QWidget *parent) const;

private:
    QList<QPointer<QDataTable>> m_closed;
};

// Opens the tables that are closed and reports the loads that failed;
// returns whether none failed.
bool loadTables(const QList<QDataTable *> &tables, QWidget *parent, bool backGround = false);
