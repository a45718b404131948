#pragma once

#include <QCoreApplication>
#include <QLibrary>
#include <QString>

#include <memory>

class HostOptions;
class QSqlConnection;
class QWaitDialog;

// Loads the driver and opens the database as the connection "MainConnection",
// with a wait window up while the server is reached and a database is made.
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
    bool reachServer();
    bool connect(bool newDemo);
    bool seedWhenNobodyCanLogIn(bool newDemo);
    bool fail(const QString &text);
    // Shows the wait window with the step's text, painted before the step
    // blocks; hideWait takes it away for a question or at the end.
    void showStep(const QString &text);
    void hideWait();

    const HostOptions &m_options;
    QLibrary m_driver;
    std::unique_ptr<QSqlConnection> m_connection;
    std::unique_ptr<QWaitDialog> m_wait;
    QString m_error;
};
