#include "driverapi.h"
#include "driversession.h"
#include "sqlliteral.h"

// The exported functions only hand over to the session.

QVariant Connect(QString connectionName, bool consoleMode)
{
    Q_UNUSED(consoleMode);
    return DriverSession::instance().connect(connectionName);
}

QString getStart()
{
    return DriverSession::instance().startScript();
}

QString getScript(QString scriptName)
{
    return DriverSession::instance().script(scriptName);
}

bool canDo(QString name)
{
    return DriverSession::instance().canDo(name);
}

QVariant getSystemAttr(QString name)
{
    return DriverSession::instance().systemAttr(name);
}

QString bindQueryParam(QString sql, QString name, QVariant value)
{
    return DriverSession::instance().bind(sql, name, value);
}

bool GetPanels(QPanelList *list)
{
    return DriverSession::instance().panels(list);
}

QVariant convert(QVariant value, int type)
{
    return convertValue(value, type);
}

bool login(QString login, QString password)
{
    return DriverSession::instance().login(login, password);
}

bool batchExec(QString script, QPlainTextEdit *log, QList<QSqlQuery> *results)
{
    return DriverSession::instance().batchExec(script, log, results);
}

QVariant resultExecSQL(QString script, QString unused)
{
    Q_UNUSED(unused);
    return DriverSession::instance().resultExec(script);
}

void scopeIdentity(QString tableName, QSqlQuery *query)
{
    DriverSession::instance().scopeIdentity(tableName, query);
}

QString fullName()
{
    return QStringLiteral("Varkolin SQL driver (SQLite, PostgreSQL)");
}
