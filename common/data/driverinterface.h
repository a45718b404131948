#pragma once

#include "varkolin_export.h"

#include <QList>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>

class QLibrary;
class QPlainTextEdit;

// What a database driver library and its callers agree on. The driver
// declares its exports from these types, so that a driver whose functions
// drift from what the connection calls does not compile.

// One entry of the host's list of plug-in panels, as the driver library lists them.
struct VARKOLIN_EXPORT panelData
{
    QString name;
    QString library;
    QString caption;
    int order = 0;
};
typedef QList<panelData> QPanelList;

// The host names the database for the driver in this application property.
constexpr char databaseUrlProperty[] = "DatabaseUrl";

// The entry points, found by their plain names, as function types.
namespace DriverApi {
// Registers and opens the Qt SQL connection; "Ok", "LOGIN ERROR", "INVALID"
// for a database without schema, or an error text a person can act on.
typedef QVariant ConnectFn(QString connectionName, bool consoleMode);
// The script that creates the schema on an empty database; empty before Connect.
typedef QString GetStartFn();
// The SQL text of a named script; empty for an unknown name.
typedef QString GetScriptFn(QString scriptName);
// Whether the logged-in user may do the action; administrators may do everything.
typedef bool CanDoFn(QString name);
// The value of a system attribute; invalid when there is none.
typedef QVariant GetSystemAttrFn(QString name);
// The SQL text with each whole ":name" outside quotes replaced by the value as a literal.
typedef QString BindQueryParamFn(QString sql, QString name, QVariant value);
// Appends the panels the database lists; false when they cannot be read.
typedef bool GetPanelsFn(QPanelList *list);
// The value as the QVariant type; a null QVariant when it cannot be converted.
typedef QVariant ConvertFn(QVariant value, int type);
// Whether the credentials are those of a user of the database.
typedef bool LoginFn(QString login, QString password);
// Runs a multi-statement script, stopping at the first failure.
typedef bool BatchExecFn(QString script, QPlainTextEdit *log, QList<QSqlQuery> *results);
// The single value a statement yields; invalid on failure or without rows.
typedef QVariant ResultExecSQLFn(QString script, QString unused);
// Leaves in the query a select of the row just inserted into the table.
typedef void ScopeIdentityFn(QString tableName, QSqlQuery *query);
// The driver's name for lists of drivers.
typedef QString FullNameFn();
} // namespace DriverApi

// The entry points of one driver library; null where the library has none.
struct VARKOLIN_EXPORT driverEntryPoints
{
    DriverApi::ConnectFn *Connect = nullptr;
    DriverApi::GetStartFn *getStart = nullptr;
    DriverApi::GetScriptFn *getScript = nullptr;
    DriverApi::CanDoFn *canDo = nullptr;
    DriverApi::GetSystemAttrFn *getSystemAttr = nullptr;
    DriverApi::BindQueryParamFn *bindQueryParam = nullptr;
    DriverApi::GetPanelsFn *GetPanels = nullptr;
    DriverApi::ConvertFn *convert = nullptr;
    DriverApi::LoginFn *login = nullptr;
    DriverApi::BatchExecFn *batchExec = nullptr;
    DriverApi::ResultExecSQLFn *resultExecSQL = nullptr;
    DriverApi::ScopeIdentityFn *scopeIdentity = nullptr;
    DriverApi::FullNameFn *fullName = nullptr;
};

// Looks up every entry point in the loaded library. The names of those it
// lacks go to missing, in the order of driverEntryPoints, when it is given.
VARKOLIN_EXPORT driverEntryPoints resolveDriverEntryPoints(QLibrary &library,
                                                           QStringList *missing = nullptr);
