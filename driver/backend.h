#pragma once

#include "databaseurl.h"

#include <QSqlDatabase>
#include <QString>

// What differs between the database servers the driver speaks to: how a
// connection is opened and prepared, how an empty database is recognised and
// created, and where named scripts of the dialect live.
class Backend
{
public:
    explicit Backend(const DatabaseUrl &url) : m_url(url) {}
    virtual ~Backend() = default;

    // The back end for the URL; null for an invalid URL.
    static Backend *create(const DatabaseUrl &url);

    // Folder of the dialect's scripts among the driver's resources.
    virtual QString dialect() const = 0;
    virtual QString qtDriverName() const = 0;
    // Sets the connection parameters; an error text when the database cannot be opened there.
    virtual QString configure(QSqlDatabase &db) const = 0;
    // A message a person can act on, after open() failed.
    virtual QString openError(const QSqlDatabase &db) const = 0;
    // Session set-up after open; an error text on failure.
    virtual QString prepare(QSqlDatabase &db) const = 0;
    // Whether the database holds the schema (else it is new and must be created).
    virtual bool hasSchema(const QSqlDatabase &db) const = 0;
    // Set-up that needs the schema and lasts only for the session.
    virtual QString sessionScript() const { return QString(); }
    // The script that creates the schema on an empty database.
    virtual QString startScript() const;
    // A select of the row just inserted into the table (a validated name).
    virtual QString identitySelect(const QString &table) const = 0;

    const DatabaseUrl &url() const { return m_url; }

protected:
    static QString resourceText(const QString &path);

private:
    DatabaseUrl m_url;
};
