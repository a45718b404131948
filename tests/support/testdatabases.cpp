#include "testdatabases.h"
#include "driverinterface.h"
#include "messagecatcher.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <QUrl>
#include <QUuid>

namespace {

QString uniqueName(const QString &prefix)
{
    return prefix + QUuid::createUuid().toString(QUuid::Id128).left(12);
}

// Files of SQLite test databases live until the process ends.
QTemporaryDir &sqliteFolder()
{
    static QTemporaryDir folder;
    return folder;
}

QString createPostgresDatabase(const QString &server, QString *error)
{
    const QString name = uniqueName(QStringLiteral("vt_"));
    const QString admin = uniqueName(QStringLiteral("admin_"));
    QUrl url(server);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), admin);
        db.setHostName(url.host());
        db.setPort(url.port());
        db.setUserName(url.userName());
        db.setPassword(url.password());
        db.setDatabaseName(url.path().mid(1));
        QSqlQuery query(db);
        if (!db.open() || !query.exec(QStringLiteral("CREATE DATABASE %1").arg(name))) {
            *error = QStringLiteral("Cannot create a PostgreSQL test database: %1 %2")
                    .arg(db.lastError().text(), query.lastError().text());
        }
    }
    QSqlDatabase::removeDatabase(admin);
    if (!error->isEmpty())
        return QString();
    url.setPath(QLatin1Char('/') + name);
    return url.toString();
}

} // namespace

namespace TestDatabases {

QStringList backends()
{
    const QString wanted = qEnvironmentVariable("VARKOLIN_TEST_BACKENDS", QStringLiteral("sqlite"));
    return wanted.split(QLatin1Char(','), Qt::SkipEmptyParts);
}

void addBackendRows()
{
    QTest::addColumn<QString>("backend");
    const QStringList names = backends();
    for (const QString &backend : names)
        QTest::newRow(qPrintable(backend)) << backend;
}

QString serverUrl(QString *error)
{
    const QString stateFile = qEnvironmentVariable("VARKOLIN_TEST_PG_STATE");
    QFile state(stateFile);
    if (stateFile.isEmpty() || !state.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("The PostgreSQL test server is not running (no state file \"%1\"); "
                                "run the tests through ctest.").arg(stateFile);
        return QString();
    }
    const QStringList lines = QString::fromUtf8(state.readAll()).split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        if (line.startsWith(QLatin1String("URL=")))
            return line.mid(4);
    }
    *error = QStringLiteral("The state file %1 names no server URL.").arg(stateFile);
    return QString();
}

bool controlServer(const QString &action)
{
    return QProcess::execute(QStringLiteral("bash"),
                             {QStringLiteral(VARKOLIN_PGSERVER_SCRIPT), action,
                              qEnvironmentVariable("VARKOLIN_TEST_PG_STATE")}) == 0;
}

QString freshUrl(const QString &backend, QString *error)
{
    error->clear();
    if (backend == QLatin1String("sqlite")) {
        const QString file = QDir(sqliteFolder().path()).absoluteFilePath(uniqueName(QStringLiteral("db_")) + QStringLiteral(".db"));
        return QStringLiteral("sqlite:") + file;
    }
    if (backend == QLatin1String("postgres")) {
        const QString server = serverUrl(error);
        return server.isEmpty() ? QString() : createPostgresDatabase(server, error);
    }
    *error = QStringLiteral("Unknown test back end \"%1\"").arg(backend);
    return QString();
}

} // namespace TestDatabases

PrivateTestServer::PrivateTestServer()
    : m_sharedState(qgetenv("VARKOLIN_TEST_PG_STATE"))
{
    qputenv("VARKOLIN_TEST_PG_STATE", m_folder.filePath(QStringLiteral("pgserver.env")).toLocal8Bit());
    m_running = TestDatabases::controlServer(QStringLiteral("start"));
}

PrivateTestServer::~PrivateTestServer()
{
    TestDatabases::controlServer(QStringLiteral("stop"));
    qputenv("VARKOLIN_TEST_PG_STATE", m_sharedState);
}

TestConnection::TestConnection()
    : m_library(QStringLiteral(VARKOLIN_DRIVER_FILE))
{
}

bool TestConnection::open(const QString &backend, bool demoData)
{
    const QString url = TestDatabases::freshUrl(backend, &m_error);
    if (url.isEmpty() || !connectTo(url))
        return false;
    if (demoData && !m_connection->batchExec(m_connection->getScript(QStringLiteral("DEMO_DATA_INSERT")))) {
        m_error = QStringLiteral("The demo data did not load into %1").arg(url);
        return false;
    }
    return true;
}

bool TestConnection::connectTo(const QString &url)
{
    if (!m_library.load()) {
        m_error = m_library.errorString();
        return false;
    }
    m_url = url;
    m_name = uniqueName(QStringLiteral("test_"));
    qApp->setProperty(databaseUrlProperty, url);
    m_connection.reset(new QSqlConnection(&m_library));
    BoxAnswerer answerer(QMessageBox::Ok);
    if (!m_connection->Connect(m_name, false)) {
        m_error = QStringLiteral("Cannot connect to %1: %2").arg(url, answerer.texts().join(QLatin1Char(' ')));
        return false;
    }
    return true;
}
