#include "postgresbackend.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

QString PostgresBackend::configure(QSqlDatabase &db) const
{
    db.setHostName(url().host());
    db.setPort(url().port());
    db.setUserName(url().user());
    db.setPassword(url().password());
    db.setDatabaseName(url().databaseName());
    // An unreachable server must not freeze the application for minutes.
    db.setConnectOptions(QStringLiteral("connect_timeout=10"));
    return QString();
}

QString PostgresBackend::server() const
{
    return QStringLiteral("%1:%2").arg(url().host()).arg(url().port());
}

QString PostgresBackend::openError(const QSqlDatabase &db) const
{
    const QString detail = db.lastError().text().simplified();
    const QString lower = detail.toLower();
    if (lower.contains(QLatin1String("password authentication failed"))
            || lower.contains(QLatin1String("no password supplied"))
            || lower.contains(QLatin1String("authentication failed")))
        return QStringLiteral("Authentication failed for user \"%1\" on the PostgreSQL server %2; check the user name and password. (%3)")
                .arg(url().user(), server(), detail);
    if (lower.contains(QLatin1String("database")) && lower.contains(QLatin1String("does not exist")))
        return QStringLiteral("The database \"%1\" does not exist on the PostgreSQL server %2; create it (an empty one will be set up) or correct the URL. (%3)")
                .arg(url().databaseName(), server(), detail);
    if (lower.contains(QLatin1String("role")) && lower.contains(QLatin1String("does not exist")))
        return QStringLiteral("The user \"%1\" is not known to the PostgreSQL server %2. (%3)")
                .arg(url().user(), server(), detail);
    return QStringLiteral("Cannot reach the PostgreSQL server %1; check that it runs and accepts connections. (%2)")
            .arg(server(), detail);
}

QString PostgresBackend::prepare(QSqlDatabase &db) const
{
    QSqlQuery query(db);
    // Notices such as "there is already a transaction in progress" are noise
    // in the application's log.
    if (!query.exec(QStringLiteral("SET client_min_messages = warning")))
        return QStringLiteral("Cannot set up the session on %1: %2").arg(server(), query.lastError().text());
    return QString();
}

QString PostgresBackend::tableListQuery() const
{
    // pg_tables lists tables whatever the user's privileges, unlike the
    // information schema; unqualified names live in the current schema.
    return QStringLiteral(
            "SELECT CASE WHEN schemaname IN ('sys', 'dirs') THEN schemaname || '.' || tablename "
            "ELSE tablename END FROM pg_catalog.pg_tables "
            "WHERE schemaname IN ('sys', 'dirs') OR schemaname = current_schema()");
}

QString PostgresBackend::identitySelect(const QString &table) const
{
    return QStringLiteral("SELECT * FROM %1 WHERE id = currval(pg_get_serial_sequence('%1', 'id'))")
            .arg(table);
}
