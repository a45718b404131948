// A driver library that answers what a test tells it through environment
// variables, for the answers a real database never gives: "LOGIN ERROR", a
// missing or empty create script, a create script that fails, a name query
// that fails after a successful login.
//   FAKE_CONNECT_ANSWER   what Connect answers ("Ok" by default)
//   FAKE_START_SCRIPT     what getStart gives
//   FAKE_BATCH_FAILS      "1": batchExec answers false

#include <QString>
#include <QVariant>

#include <QSqlDatabase>

#define FAKE_API extern "C" __attribute__((visibility("default")))

FAKE_API QVariant Connect(QString connectionName, bool)
{
    if (!QSqlDatabase::contains(connectionName)) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
        db.setDatabaseName(QStringLiteral(":memory:"));
    }
    return qEnvironmentVariable("FAKE_CONNECT_ANSWER", QStringLiteral("Ok"));
}

#ifndef FAKE_WITHOUT_START
FAKE_API QString getStart()
{
    return qEnvironmentVariable("FAKE_START_SCRIPT");
}
#endif

FAKE_API QString getScript(QString)
{
    return QString();
}

FAKE_API bool canDo(QString)
{
    return false;
}

FAKE_API QVariant getSystemAttr(QString name)
{
    return name == QLatin1String("superAdminId") ? QVariant(QStringLiteral("super-admin")) : QVariant();
}

FAKE_API QString bindQueryParam(QString sql, QString name, QVariant value)
{
    return sql.replace(QLatin1Char(':') + name, QLatin1Char('\'') + value.toString() + QLatin1Char('\''));
}

FAKE_API QVariant convert(QVariant, int)
{
    return QVariant();
}

FAKE_API bool login(QString, QString)
{
    return true;
}

FAKE_API bool batchExec(QString, void *, void *)
{
    return qEnvironmentVariable("FAKE_BATCH_FAILS") != QLatin1String("1");
}
