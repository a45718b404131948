#pragma once

#include "databaseurl.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

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
    // The tables the schema script creates, named as it names them
    // ("sys.t_user", "t_prod_units"), in its order.
    QStringList requiredTables() const;
    // Those required tables that the database lacks: all of them for a new
    // database. Sets error when the database cannot tell.
    QStringList missingTables(const QSqlDatabase &db, QString *error) const;
    // Set-up that needs the schema and lasts only for the session.
    virtual QString sessionScript() const { return QString(); }
    // The script that creates the schema on an empty database.
    virtual QString startScript() const;
    // Creates the tables later versions added, where they are missing.
    QString upgradeScript() const;
    // A select of the row just inserted into the table (a validated name).
    virtual QString identitySelect(const QString &table) const = 0;

    const DatabaseUrl &url() const { return m_url; }

protected:
    static QString resourceText(const QString &path);
    // A select of the names of the tables present, in the form requiredTables() uses.
    virtual QString tableListQuery() const = 0;

private:
    QString schemaScript() const;

    DatabaseUrl m_url;
};
