// A driver library that answers what a test tells it through environment
// variables, for the answers a real database never gives: "LOGIN ERROR", a
// missing or empty create script, a create script that fails, a name query
// that fails after a successful login.
//   FAKE_CONNECT_ANSWER   what Connect answers ("Ok" by default)
//   FAKE_START_SCRIPT     what getStart gives
//   FAKE_BATCH_FAILS      "1": batchExec answers false

#include "driverapi.h"

#include <QSqlDatabase>

QVariant Connect(QString connectionName, bool)
{
    if (!QSqlDatabase::contains(connectionName))
        QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName).setDatabaseName(QStringLiteral(":memory:"));
    return qEnvironmentVariable("FAKE_CONNECT_ANSWER", QStringLiteral("Ok"));
}

#ifndef FAKE_WITHOUT_START
QString getStart() { return qEnvironmentVariable("FAKE_START_SCRIPT"); }
#endif

bool batchExec(QString, QPlainTextEdit *, QList<QSqlQuery> *) { return qgetenv("FAKE_BATCH_FAILS") != "1"; }

// Any login is accepted, but the database behind has no tables: the
// connection finds no script, no right and no conversion, as the fake
// exports none.
bool login(QString, QString) { return true; }

QVariant getSystemAttr(QString name)
{
    return name == QLatin1String("superAdminId") ? QVariant(QStringLiteral("super-admin")) : QVariant();
}
