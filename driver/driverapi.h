#pragma once

#include "qsqlconnection.h"

#include <QList>
#include <QSqlQuery>
#include <QString>
#include <QVariant>

class QPlainTextEdit;

#define VARKOLIN_DRIVER_API extern "C" __attribute__((visibility("default")))

// The driver library's entry points, found by their plain names.

// Registers and opens the Qt SQL connection; "Ok", "INVALID" for a database
// without schema, or an error text a person can act on.
VARKOLIN_DRIVER_API QVariant Connect(QString connectionName, bool consoleMode);
// The script that creates the schema on an empty database; empty before Connect.
VARKOLIN_DRIVER_API QString getStart();
// The SQL text of a named script; empty for an unknown name.
VARKOLIN_DRIVER_API QString getScript(QString scriptName);
// Whether the logged-in user may do the action; administrators may do everything.
VARKOLIN_DRIVER_API bool canDo(QString name);
// The value of a system attribute; invalid when there is none.
VARKOLIN_DRIVER_API QVariant getSystemAttr(QString name);
// The SQL text with each whole ":name" outside quotes replaced by the value as a literal.
VARKOLIN_DRIVER_API QString bindQueryParam(QString sql, QString name, QVariant value);
// Appends the panels the database lists; false when they cannot be read.
VARKOLIN_DRIVER_API bool GetPanels(QPanelList *list);
// The value as the QVariant type; a null QVariant when it cannot be converted.
VARKOLIN_DRIVER_API QVariant convert(QVariant value, int type);
// Whether the credentials are those of a user of the database.
VARKOLIN_DRIVER_API bool login(QString login, QString password);
// Runs a multi-statement script, stopping at the first failure.
VARKOLIN_DRIVER_API bool batchExec(QString script, QPlainTextEdit *log, QList<QSqlQuery> *results);
// The single value a statement yields; invalid on failure or without rows.
VARKOLIN_DRIVER_API QVariant resultExecSQL(QString script, QString unused);
// Leaves in the query a select of the row just inserted into the table.
VARKOLIN_DRIVER_API void scopeIdentity(QString tableName, QSqlQuery *query);
// The driver's name for lists of drivers.
VARKOLIN_DRIVER_API QString fullName();
