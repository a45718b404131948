#include "databaseopener.h"
#include "hostoptions.h"
#include "qsqlconnection.h"

#include <QFileInfo>
#include <QVariant>

const char DatabaseOpener::connectionName[] = "MainConnection";

namespace {

const char demoDataScript[] = "DEMO_DATA_INSERT";

} // namespace

DatabaseOpener::DatabaseOpener(const HostOptions &options)
    : m_options(options)
    , m_driver(options.driverFile())
{
}

// The connection goes before the driver that it calls into.
DatabaseOpener::~DatabaseOpener() = default;

bool DatabaseOpener::isEmbedded() const
{
    return !m_options.sqliteFile().isEmpty();
}

bool DatabaseOpener::open()
{
    if (!loadDriver())
        return false;
    // Decided before the driver opens the file, which creates it.
    const QString file = m_options.sqliteFile();
    const bool newDemo = m_options.isDefaultDatabase() || (!file.isEmpty() && !QFileInfo::exists(file));
    return probe(newDemo) && connectThroughConnection() && seedWhenNobodyCanLogIn();
}

bool DatabaseOpener::loadDriver()
{
    // QLibrary tries other names for a missing file and then reports the last one.
    if (!QFileInfo::exists(m_driver.fileName()))
        return fail(tr("The database driver %1 does not exist.").arg(m_driver.fileName()));
    if (!m_driver.load())
        return fail(tr("Cannot load the database driver %1:\n%2")
                    .arg(m_driver.fileName(), m_driver.errorString()));
    m_connect = reinterpret_cast<ConnectFn>(m_driver.resolve("Connect"));
    m_getStart = reinterpret_cast<StartFn>(m_driver.resolve("getStart"));
    m_getScript = reinterpret_cast<ScriptFn>(m_driver.resolve("getScript"));
    m_batchExec = reinterpret_cast<BatchFn>(m_driver.resolve("batchExec"));
    // The connection aborts the program when the driver cannot log in.
    const bool canLogIn = m_driver.resolve("login") != nullptr;
    if (!m_connect || !m_getStart || !m_getScript || !m_batchExec || !canLogIn)
        return fail(tr("%1 is not a database driver of Varkolin: some of its functions are missing.")
                    .arg(m_driver.fileName()));
    return true;
}

// Asks the driver itself first, so that a new demo database is made without a
// question and a database without tables is never offered for creation when
// nobody may be asked.
bool DatabaseOpener::probe(bool mayCreateDemo)
{
    const QString answer = m_connect(QLatin1String(connectionName), m_options.screenshotMode()).toString();
    if (answer == QLatin1String("Ok"))
        return true;
    if (answer != QLatin1String("INVALID"))
        return fail(tr("Cannot open the database %1:\n%2").arg(m_options.databaseDisplay(), answer));
    if (mayCreateDemo)
        return createDemo();
    if (m_options.screenshotMode())
        return fail(tr("The database %1 has no Varkolin tables. Start Varkolin without --screenshot "
                       "to create them.").arg(m_options.databaseDisplay()));
    // The connection asks the person whether to create the tables.
    return true;
}

bool DatabaseOpener::createDemo()
{
    const QString schema = m_getStart();
    const QString demo = m_getScript(QLatin1String(demoDataScript));
    if (schema.isEmpty() || demo.isEmpty())
        return fail(tr("The database driver %1 cannot create the demo database.").arg(m_driver.fileName()));
    if (!m_batchExec(schema, nullptr, nullptr) || !m_batchExec(demo, nullptr, nullptr))
        return fail(tr("Cannot create the demo database %1.").arg(m_options.databaseDisplay()));
    return true;
}

bool DatabaseOpener::connectThroughConnection()
{
    m_connection.reset(new QSqlConnection(&m_driver));
    if (m_connection->Connect(QLatin1String(connectionName), m_options.screenshotMode()))
        return true;
    return fail(tr("The database %1 was not opened.").arg(m_options.databaseDisplay()));
}

// Tables created on request come without users; the demo data brings the
// administrator, without whom the new database could never be used.
bool DatabaseOpener::seedWhenNobodyCanLogIn()
{
    const QVariant users = m_connection->execScript(QStringLiteral("SELECT count(*) FROM sys.t_user"));
    if (!users.isValid() || users.toInt() > 0)
        return true;
    if (m_connection->batchExec(m_connection->getScript(QLatin1String(demoDataScript))))
        return true;
    return fail(tr("The database %1 has no users, and the demo data cannot be loaded into it.")
                .arg(m_options.databaseDisplay()));
}

bool DatabaseOpener::fail(const QString &text)
{
    m_error = text;
    return false;
}
