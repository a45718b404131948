#include "sqlitebackend.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

QString quoted(QString text)
{
    return QLatin1Char('\'') + text.replace(QLatin1Char('\''), QLatin1String("''")) + QLatin1Char('\'');
}

QString execError(QSqlDatabase &db, const QString &sql)
{
    QSqlQuery query(db);
    if (query.exec(sql))
        return QString();
    return query.lastError().text();
}

QString writabilityProblem(const QString &file)
{
    const QFileInfo info(file);
    if (info.exists() && !info.isFile())
        return QStringLiteral("The database path %1 is not a file.").arg(file);
    if (info.exists() && !info.isWritable())
        return QStringLiteral("The database file %1 is not writable; check its permissions.").arg(file);
    return QString();
}

} // namespace

QString SqliteBackend::schemaFile(const QString &mainFile, const QString &schema)
{
    const QFileInfo info(mainFile);
    const QString base = info.completeBaseName().isEmpty() ? info.fileName() : info.completeBaseName();
    return info.dir().absoluteFilePath(base + QLatin1Char('.') + schema + QStringLiteral(".db"));
}

QString SqliteBackend::configure(QSqlDatabase &db) const
{
    const QString file = url().path();
    const QFileInfo info(file);
    if (!QDir().mkpath(info.absolutePath()))
        return QStringLiteral("Cannot create the folder %1 for the database file.").arg(info.absolutePath());
    const QFileInfo folder(info.absolutePath());
    if (!folder.isWritable())
        return QStringLiteral("The folder %1 is not writable; the database file cannot be created or changed there.")
                .arg(info.absolutePath());
    for (const QString &path : {file, schemaFile(file, QStringLiteral("sys")),
                                schemaFile(file, QStringLiteral("dirs"))}) {
        const QString problem = writabilityProblem(path);
        if (!problem.isEmpty())
            return problem;
    }
    db.setDatabaseName(file);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    return QString();
}

QString SqliteBackend::openError(const QSqlDatabase &db) const
{
    return QStringLiteral("Cannot open the database file %1: %2")
            .arg(url().path(), db.lastError().text());
}

QString SqliteBackend::prepare(QSqlDatabase &db) const
{
    // A file that is not a database opens without complaint; the first
    // statement tells.
    QString error = execError(db, QStringLiteral("PRAGMA main.schema_version"));
    if (!error.isEmpty())
        return QStringLiteral("The file %1 is not a usable SQLite database: %2").arg(url().path(), error);
    for (const QString &schema : {QStringLiteral("sys"), QStringLiteral("dirs")}) {
        error = attach(db, schema);
        if (!error.isEmpty())
            return error;
    }
    // Rollback journals keep a transaction over the three files atomic;
    // WAL would not.
    for (const QString &schema : {QStringLiteral("main"), QStringLiteral("sys"), QStringLiteral("dirs")}) {
        error = execError(db, QStringLiteral("PRAGMA %1.journal_mode = DELETE").arg(schema));
        if (!error.isEmpty())
            return QStringLiteral("Cannot set up the database file %1: %2").arg(url().path(), error);
    }
    error = execError(db, QStringLiteral("PRAGMA foreign_keys = ON"));
    if (!error.isEmpty())
        return QStringLiteral("Cannot enable foreign keys on %1: %2").arg(url().path(), error);
    return QString();
}

QString SqliteBackend::attach(QSqlDatabase &db, const QString &schema) const
{
    QSqlQuery probe(db);
    probe.exec(QStringLiteral("PRAGMA database_list"));
    while (probe.next()) {
        if (probe.value(1).toString() == schema)
            return QString();
    }
    const QString file = schemaFile(url().path(), schema);
    const QString error = execError(db, QStringLiteral("ATTACH DATABASE %1 AS %2").arg(quoted(file), schema));
    if (error.isEmpty())
        return QString();
    return QStringLiteral("Cannot attach the database file %1 as \"%2\": %3").arg(file, schema, error);
}

bool SqliteBackend::hasSchema(const QSqlDatabase &db) const
{
    QSqlQuery query(db);
    return query.exec(QStringLiteral(
                   "SELECT 1 FROM sys.sqlite_master WHERE type = 'table' AND name = 't_sys_attr'"))
            && query.next();
}

QString SqliteBackend::sessionScript() const
{
    // Foreign keys cannot cross attached files; temporary triggers can, and
    // they live only as long as the connection.
    return resourceText(QStringLiteral(":/sql/sqlite/crossfile_triggers.sql"));
}

QString SqliteBackend::identitySelect(const QString &table) const
{
    return QStringLiteral("SELECT * FROM %1 WHERE rowid = last_insert_rowid()").arg(table);
}
