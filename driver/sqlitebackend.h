#pragma once

#include "backend.h"

// An SQLite main file with the schemas "sys" and "dirs" attached as files
// beside it, so statements naming sys.* and dirs.* run as on a server.
class SqliteBackend : public Backend
{
public:
    using Backend::Backend;

    QString dialect() const override { return QStringLiteral("sqlite"); }
    QString qtDriverName() const override { return QStringLiteral("QSQLITE"); }
    QString configure(QSqlDatabase &db) const override;
    QString openError(const QSqlDatabase &db) const override;
    QString prepare(QSqlDatabase &db) const override;
    QString sessionScript() const override;
    QString identitySelect(const QString &table) const override;

    // The file that holds an attached schema: "/data/app.db" gives "/data/app.sys.db".
    static QString schemaFile(const QString &mainFile, const QString &schema);

protected:
    QString tableListQuery() const override;

private:
    QString attach(QSqlDatabase &db, const QString &schema) const;
    QString damage(QSqlDatabase &db, const QString &schema) const;
};
