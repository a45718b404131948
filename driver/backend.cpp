#include "backend.h"
#include "postgresbackend.h"
#include "sqlitebackend.h"

#include <QFile>

Backend *Backend::create(const DatabaseUrl &url)
{
    switch (url.kind()) {
    case DatabaseUrl::Sqlite:
        return new SqliteBackend(url);
    case DatabaseUrl::Postgres:
        return new PostgresBackend(url);
    case DatabaseUrl::Invalid:
        break;
    }
    return nullptr;
}

QString Backend::startScript() const
{
    return resourceText(QStringLiteral(":/sql/%1/schema.sql").arg(dialect()))
            + QLatin1Char('\n') + sessionScript();
}

QString Backend::resourceText(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}
