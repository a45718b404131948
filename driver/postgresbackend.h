#pragma once

#include "backend.h"

// A PostgreSQL database shared by several users; "sys" and "dirs" are schemas.
class PostgresBackend : public Backend
{
public:
    using Backend::Backend;

    QString dialect() const override { return QStringLiteral("postgres"); }
    QString qtDriverName() const override { return QStringLiteral("QPSQL"); }
    QString configure(QSqlDatabase &db) const override;
    QString openError(const QSqlDatabase &db) const override;
    QString prepare(QSqlDatabase &db) const override;
    QString identitySelect(const QString &table) const override;

protected:
    QString tableListQuery() const override;

private:
    QString server() const;
};
