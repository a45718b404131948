#pragma once

#include <QCoreApplication>
#include <QLibrary>
#include <QString>

#include <memory>

class HostOptions;
class QSqlConnection;

// Loads the driver and opens the database as the connection "MainConnection".
// A new embedded demo database is created and filled without asking: there is
// nothing in it to lose, and without the demo data nobody could log in.
class DatabaseOpener
{
    Q_DECLARE_TR_FUNCTIONS(DatabaseOpener)
public:
    static const char connectionName[];

    explicit DatabaseOpener(const HostOptions &options);
    ~DatabaseOpener();

    bool open();
    // True for an SQLite database: the embedded kind that the demo runs on.
    bool isEmbedded() const;
    QSqlConnection *connection() const { return m_connection.get(); }
    QString errorText() const { return m_error; }

private:
    class Prompts;

    QString findDriver() const;
    bool loadDriver();
    bool connect(bool newDemo);
    bool seedWhenNobodyCanLogIn(bool newDemo);
    bool fail(const QString &text);

    const HostOptions &m_options;
    QLibrary m_driver;
    std::unique_ptr<QSqlConnection> m_connection;
    QString m_error;
};
