// The one place that knows every back end, so that the base class and the
// back ends do not include each other.

#include "backend.h"
#include "postgresbackend.h"
#include "sqlitebackend.h"

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
