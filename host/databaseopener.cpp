#include "databaseopener.h"
#include "driverinterface.h"
#include "driverscan.h"
#include "hostoptions.h"
#include "qconnectionprompts.h"
#include "qsqlconnection.h"
#include "qwaitdialog.h"
#include "databaseurl.h"

#include <QApplication>
#include <QScreen>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QThread>
#include <QVariant>

#include <algorithm>

const char DatabaseOpener::connectionName[] = "MainConnection";

namespace {

const char demoDataScript[] = "DEMO_DATA_INSERT";
const char probeConnection[] = "VarkolinServerProbe";

// Opens and closes a connection of its own to the server; the reason when it
// cannot. Runs in a thread of its own, which the connection belongs to.
QString probe(const DatabaseUrl &url)
{
    QString error;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QLatin1String(probeConnection));
        db.setHostName(url.host());
        db.setPort(url.port());
        db.setUserName(url.user());
        db.setPassword(url.password());
        db.setDatabaseName(url.databaseName());
        db.setConnectOptions(QStringLiteral("connect_timeout=10"));
        if (!db.open())
            error = db.lastError().text();
        db.close();
    }
    QSqlDatabase::removeDatabase(QLatin1String(probeConnection));
    return error;
}

} // namespace

// Answers for the person what the program knows itself, so that the driver is
// asked to connect only once: a new demo database is made without a question,
// nobody is asked in screenshot mode, and the driver's reason for a failure
// goes into the program's own message instead of a box of the connection's.
class DatabaseOpener::Prompts : public QConnectionPrompts
{
public:
    Prompts(DatabaseOpener *opener, bool newDemo, bool askNobody)
        : m_opener(opener)
        , m_newDemo(newDemo)
        , m_askNobody(askNobody)
        , m_previous(install(this))
    {
    }
    ~Prompts() override { install(m_previous); }

    void connectFailed(const QString &answer, bool) override
    {
        failed = true;
        answerText = answer;
    }

    bool confirmCreate(bool consoleMode) override
    {
        if (m_newDemo) {
            m_opener->showStep(DatabaseOpener::tr("Creating the demo database…"));
            return creatingDemo = true;
        }
        if (m_askNobody) {
            noSchema = true;
            return false;
        }
        m_opener->hideWait();
        const bool create = QConnectionPrompts::confirmCreate(consoleMode);
        if (create)
            m_opener->showStep(DatabaseOpener::tr("Creating the tables…"));
        return create;
    }

    void internalError(int code, bool consoleMode) override
    {
        if (creatingDemo) {
            demoError = code;
            return;
        }
        m_opener->hideWait();
        QConnectionPrompts::internalError(code, consoleMode);
    }

    bool failed = false;
    QString answerText;
    bool noSchema = false;
    bool creatingDemo = false;
    int demoError = 0;

private:
    DatabaseOpener *const m_opener;
    const bool m_newDemo;
    const bool m_askNobody;
    QConnectionPrompts *const m_previous;
};

DatabaseOpener::DatabaseOpener(const HostOptions &options)
    : m_options(options)
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
    showStep(tr("Connecting to %1…").arg(m_options.databaseDisplay()));
    const bool opened = reachServer() && connect(newDemo);
    hideWait();
    return opened;
}

// Reaching a server may take long, and an open connection blocks the thread
// that opens it: the first contact is made from a thread of its own, so
// that the wait window keeps turning, and a server that cannot be reached
// is reported without a second wait.
bool DatabaseOpener::reachServer()
{
    const DatabaseUrl url = DatabaseUrl::parse(m_options.databaseUrl());
    if (url.kind() != DatabaseUrl::Postgres)
        return true;
    QString error;
    std::unique_ptr<QThread> thread(QThread::create([&url, &error] { error = probe(url); }));
    QEventLoop loop;
    // Queued from the thread: a quit that comes before exec() still ends it.
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    thread->start();
    loop.exec();
    thread->wait();
    return error.isEmpty() || fail(tr("Cannot open the database %1:\n%2").arg(m_options.databaseDisplay(), error));
}

void DatabaseOpener::showStep(const QString &text)
{
    if (!m_wait)
        m_wait.reset(new QWaitDialog(text));
    m_wait->setText(text);
    m_wait->adjustSize();
    // Splash windows are not placed by every window manager.
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    m_wait->move(screen.center() - m_wait->rect().center());
    m_wait->show();
    m_wait->raise();
    // Painted now: the step that follows blocks the event loop.
    QApplication::processEvents();
}

void DatabaseOpener::hideWait()
{
    m_wait.reset();
}

// The first driver by file name, so that two machines with the same files choose alike.
QString DatabaseOpener::findDriver() const
{
    QList<drvInfo> drivers = scanForDrivers(m_options.driverFolder());
    std::sort(drivers.begin(), drivers.end(), [](const drvInfo &a, const drvInfo &b) { return a.file < b.file; });
    return drivers.isEmpty() ? QString() : QDir(m_options.driverFolder()).absoluteFilePath(drivers.first().file);
}

bool DatabaseOpener::loadDriver()
{
    const QString file = m_options.driverFile().isEmpty() ? findDriver() : m_options.driverFile();
    if (file.isEmpty())
        return fail(tr("No database driver of Varkolin was found in %1.").arg(m_options.driverFolder()));
    m_driver.setFileName(file);
    // QLibrary tries other names for a missing file and then reports the last one.
    if (!QFileInfo::exists(m_driver.fileName()))
        return fail(tr("The database driver %1 does not exist.").arg(m_driver.fileName()));
    if (!m_driver.load())
        return fail(tr("Cannot load the database driver %1:\n%2")
                    .arg(m_driver.fileName(), m_driver.errorString()));
    QStringList missing;
    resolveDriverEntryPoints(m_driver, &missing);
    // The connection aborts the program when the driver cannot log in, and
    // cannot create a database without getStart and batchExec.
    for (const char *name : {"Connect", "getStart", "getScript", "batchExec", "login"}) {
        if (missing.contains(QLatin1String(name)))
            return fail(tr("%1 is not a database driver of Varkolin: some of its functions are missing.")
                        .arg(m_driver.fileName()));
    }
    return true;
}

// The connection asks the person whether to create the tables of a database
// that has none, unless the prompts know the answer.
bool DatabaseOpener::connect(bool newDemo)
{
    Prompts prompts(this, newDemo, m_options.screenshotMode());
    m_connection.reset(new QSqlConnection(&m_driver));
    if (m_connection->Connect(QLatin1String(connectionName), m_options.screenshotMode()))
        return seedWhenNobodyCanLogIn(prompts.creatingDemo);
    if (m_connection->hasLoginError() || prompts.failed) {
        const QString answer = prompts.failed ? prompts.answerText : QStringLiteral("LOGIN ERROR");
        return fail(tr("Cannot open the database %1:\n%2").arg(m_options.databaseDisplay(), answer));
    }
    if (prompts.noSchema)
        return fail(tr("The database %1 has no Varkolin tables. Start Varkolin without --screenshot "
                       "to create them.").arg(m_options.databaseDisplay()));
    if (prompts.demoError == 1003)
        return fail(tr("Cannot create the demo database %1.").arg(m_options.databaseDisplay()));
    if (prompts.demoError)
        return fail(tr("The database driver %1 cannot create the demo database.").arg(m_driver.fileName()));
    return fail(tr("The database %1 was not opened.").arg(m_options.databaseDisplay()));
}

// Tables created on request come without users; the demo data brings the
// administrator, without whom the new database could never be used.
bool DatabaseOpener::seedWhenNobodyCanLogIn(bool newDemo)
{
    if (!newDemo) {
        const QVariant users = m_connection->execScript(QStringLiteral("SELECT count(*) FROM sys.t_user"));
        if (!users.isValid() || users.toInt() > 0)
            return true;
    }
    showStep(tr("Loading the demo data…"));
    const QString demo = m_connection->getScript(QLatin1String(demoDataScript));
    if (newDemo && demo.isEmpty())
        return fail(tr("The database driver %1 cannot create the demo database.").arg(m_driver.fileName()));
    if (m_connection->batchExec(demo))
        return true;
    if (newDemo)
        return fail(tr("Cannot create the demo database %1.").arg(m_options.databaseDisplay()));
    return fail(tr("The database %1 has no users, and the demo data cannot be loaded into it.")
                .arg(m_options.databaseDisplay()));
}

bool DatabaseOpener::fail(const QString &text)
{
    m_error = text;
    return false;
}
