#pragma once

#include "qsqlconnection.h"

#include <QLibrary>
#include <QString>
#include <QTemporaryDir>

#include <memory>

// Fresh databases for tests, on the back ends that this run asks for:
// VARKOLIN_TEST_BACKENDS lists them ("sqlite" by default, "postgres", or both
// separated by a comma). PostgreSQL comes from the run's throwaway server.
namespace TestDatabases {

// The back ends of this run.
QStringList backends();
// Adds the column "backend" and one row per back end of the run.
void addBackendRows();
// The URL of a new, empty database; empty with the reason in error when none can be had.
QString freshUrl(const QString &backend, QString *error);
// The URL of the test server's maintenance database; empty when the run has no server.
QString serverUrl(QString *error);
// Stops ("halt") or starts again ("resume") the current PostgreSQL test server; false when it did not.
bool controlServer(const QString &action);

} // namespace TestDatabases

// While it lives, the PostgreSQL test server is one of the test's own, for
// tests that stop and start it: the run's server serves the tests beside.
class PrivateTestServer
{
public:
    PrivateTestServer();
    ~PrivateTestServer();
    bool isRunning() const { return m_running; }

private:
    QTemporaryDir m_folder;
    QByteArray m_sharedState;
    bool m_running = false;
};

// The real driver library and a connection on it, as the host sets them up.
class TestConnection
{
public:
    TestConnection();

    // Connects to a new database of the back end, creating its schema and,
    // when asked, loading the demo data. False with the reason in error().
    bool open(const QString &backend, bool demoData);
    QSqlConnection &connection() { return *m_connection; }
    QLibrary &library() { return m_library; }
    QString url() const { return m_url; }
    QString connectionName() const { return m_name; }
    QString error() const { return m_error; }
    // Connects to the database at the URL as it is (answering the create prompt
    // with OK): a second user of another connection's database.
    bool connectTo(const QString &url);

private:

    // Declared before the connection, which goes first.
    QLibrary m_library;
    std::unique_ptr<QSqlConnection> m_connection;
    QString m_name;
    QString m_url;
    QString m_error;
};

// Fails the current test function when the connection cannot be had.
#define OPEN_TEST_CONNECTION(tc, backend, demo) \
    do { \
        if (!(tc).open((backend), (demo))) \
            QFAIL(qPrintable((tc).error())); \
    } while (false)
