#include "sqlitebackend.h"

#include <QDebug>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

// 128 MiB: checking a file this big takes up to a second on a slow disk.
const qint64 quickCheckLimit = qint64(128) << 20;

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

// A program connects more than once at start; a file unchanged since its
// check passed need not be read again.
QSet<QString> &passedChecks()
{
    static QSet<QString> passed;
    return passed;
}

QString fileVersion(const QFileInfo &info)
{
    return QStringLiteral("%1|%2|%3").arg(info.absoluteFilePath()).arg(info.size())
            .arg(info.lastModified().toMSecsSinceEpoch());
}

// What is wrong with the schema's file, naming it; empty when nothing is.
QString quickCheck(QSqlDatabase &db, const QString &schema, const QString &file)
{
    QSqlQuery query(db);
    // A locked file is not a damaged one; either way it cannot be used.
    if (!query.exec(QStringLiteral("PRAGMA %1.quick_check(1)").arg(schema)) || !query.next())
        return QStringLiteral("Cannot check the database file %1: %2").arg(file, query.lastError().text());
    const QString verdict = query.value(0).toString();
    if (verdict == QLatin1String("ok"))
        return QString();
    return QStringLiteral("The database file %1 is damaged (%2); restore it from a backup.")
            .arg(file, verdict.simplified());
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
    for (const QString &schema : {QStringLiteral("main"), QStringLiteral("sys"), QStringLiteral("dirs")}) {
        error = damage(db, schema);
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

QString SqliteBackend::tableListQuery() const
{
    return QStringLiteral(
            "SELECT name FROM main.sqlite_master WHERE type = 'table' "
            "UNION ALL SELECT 'sys.' || name FROM sys.sqlite_master WHERE type = 'table' "
            "UNION ALL SELECT 'dirs.' || name FROM dirs.sqlite_master WHERE type = 'table'");
}

// A damaged page reads as an error only when a statement meets it, and a
// select that meets it shows as an empty list: the files are checked before
// anything is read from them.
QString SqliteBackend::damage(QSqlDatabase &db, const QString &schema) const
{
    const QString file = schema == QLatin1String("main") ? url().path() : schemaFile(url().path(), schema);
    const QFileInfo info(file);
    // quick_check reads every page; on a bigger file opening would keep the
    // user waiting, and damage there is left to the statement that meets it.
    if (info.size() > quickCheckLimit) {
        qInfo().noquote() << "The database file" << file << "is too big for a check at opening.";
        return QString();
    }
    const QString version = fileVersion(info);
    if (passedChecks().contains(version))
        return QString();
    const QString problem = quickCheck(db, schema, file);
    if (problem.isEmpty())
        passedChecks().insert(version);
    return problem;
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
