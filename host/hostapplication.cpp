#include "hostapplication.h"
#include "driverinterface.h"
#include "hostcontract.h"
#include "hostoptions.h"
#include "layoutkeeper.h"
#include "logindialog.h"
#include "mainwindow.h"
#include "modulelibrary.h"
#include "qsqlconnection.h"
#include "screenshot.h"
#include "unitdocuments.h"
#include "showcase.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QTextStream>
#include <QTimer>

namespace {

const char demoLogin[] = "admin";

} // namespace

HostApplication::HostApplication(const HostOptions &options)
    : m_options(options)
    , m_settings(QStringLiteral("Varkolin"), QStringLiteral("Varkolin"))
    , m_language(options.localeDir())
    , m_database(options)
{
}

HostApplication::~HostApplication()
{
    // The module's widgets go first, while the connection they use is alive;
    // then nothing may find the host's objects through the properties.
    m_showcase.reset();
    m_screenshot.reset();
    m_layouts.reset();
    m_window.reset();
    setHostConnection(nullptr);
    setHostPopupList(nullptr);
    setHostSettings(nullptr);
    setHostLibList(nullptr);
    setHostEventHandlers(nullptr);
}

int HostApplication::run()
{
    publishSettings();
    if (!m_database.open())
        return fail(m_database.errorText());
    switch (logIn()) {
    case LoggedIn:
        break;
    case Refused:
        return 1;
    case Cancelled:
        QTextStream(stderr) << tr("Login cancelled.") << Qt::endl;
        return 1;
    }
    publishConnection();
    if (!showModule())
        return 1;
    arrangeFirstRefresh();
    return runWindow();
}

// The layout is saved however the session ends: the window closed, or the
// picture taken.
int HostApplication::runWindow()
{
    const int status = qApp->exec();
    m_layouts->save();
    return status;
}

// The module speaks Russian and this program English in their sources:
// Russian, the default, translates the program; English translates the module.
void HostApplication::installTranslation()
{
    m_language.setLanguage(m_options.locale());
    m_language.addPart(QStringLiteral("host"), QStringLiteral("en"));
}

// Everything the library reads is there before the first query runs.
void HostApplication::publishSettings()
{
    installTranslation();
    qApp->setProperty(databaseUrlProperty, m_options.databaseUrl());
    setHostSqlTraceFile(m_options.traceFile());
    setHostDebugDb(m_options.debugDb());
    setHostNoGui(m_options.screenshotMode());
    setHostNoStoredProc(m_options.noStoredProc());
    setHostLibDir(QFileInfo(m_options.moduleFile()).absolutePath());
    setHostRepoPath(m_options.repoPath());
    setHostLocaleDir(m_options.localeDir());
    setHostPopupList(&m_popups);
    setHostSettings(&m_settings);
    setHostLibList(&m_libraries);
    setHostEventHandlers(&m_eventHandlers);
}

void HostApplication::publishConnection()
{
    setHostConnection(m_database.connection());
}

HostApplication::LoginOutcome HostApplication::logIn()
{
    if (m_options.screenshotMode())
        return logInUnattended();
    QSqlConnection *connection = m_database.connection();
    LoginDialog dialog([connection](const QString &login, const QString &password) {
        return connection->login(login, password);
    });
    dialog.setCredentials(m_options.user(), m_options.password());
    dialog.setDatabase(m_options.databaseDisplay());
    return dialog.exec() == QDialog::Accepted ? LoggedIn : Cancelled;
}

HostApplication::LoginOutcome HostApplication::logInUnattended()
{
    QString user = m_options.user();
    QString password = m_options.password();
    if (!m_options.hasCredentials()) {
        if (!m_database.isEmbedded()) {
            fail(tr("--screenshot needs --user and --password for the database %1.")
                 .arg(m_options.databaseDisplay()));
            return Refused;
        }
        // The demo administrator of the embedded database.
        user = password = QLatin1String(demoLogin);
    }
    if (m_database.connection()->login(user, password))
        return LoggedIn;
    fail(tr("Wrong login or password: user \"%1\" cannot log in to %2.")
         .arg(user, m_options.databaseDisplay()));
    return Refused;
}

bool HostApplication::showModule()
{
    m_module.reset(new ModuleLibrary(m_options.moduleFile()));
    if (!m_module->load()) {
        fail(m_module->errorText());
        return false;
    }
    m_language.addPart(m_module->translationBase(), QStringLiteral("ru"));
    m_window.reset(new MainWindow(&m_popups));
    QWidget *content = m_module->createContent(m_window.get());
    if (!content) {
        fail(tr("The module %1 did not create its window contents.").arg(m_options.moduleFile()));
        return false;
    }
    // Owned by the window, which it adds its action to.
    auto *documents = new UnitDocuments(content, m_window.get());
    m_window->setContent(content, m_module->toolBarActions(content) << documents->action(), m_module->icon());
    m_window->setSession(hostLoggedInName(), m_options.databaseDisplay());
    m_window->setLanguages(&m_language);
    m_layouts.reset(new LayoutKeeper(m_window.get(), content));
    m_layouts->restoreGeometry();
    m_layouts->restoreTables();
    m_window->show();
    QTimer::singleShot(0, m_window.get(), &MainWindow::refreshContent);
    return true;
}

void HostApplication::arrangeFirstRefresh()
{
    if (m_options.screenshotMode()) {
        m_screenshot.reset(new Screenshot(m_window.get(), m_options.screenshotFile()));
        QObject::connect(m_screenshot.get(), &Screenshot::finished, qApp, &QCoreApplication::exit,
                         Qt::QueuedConnection);
    }
    if (!m_options.showUnit().isEmpty()) {
        m_showcase.reset(new Showcase(m_window.get(), m_options));
        QObject::connect(m_showcase.get(), &Showcase::failed, m_showcase.get(),
                         [this](const QString &text) { showcaseFailed(text); });
        if (m_screenshot) {
            QObject::connect(m_showcase.get(), &Showcase::ready, m_screenshot.get(), [this](QWidget *subject) {
                m_screenshot->setWindow(subject);
                m_screenshot->takeAfter();
            });
            // A modal dialog left open would outlive the main event loop's exit.
            QObject::connect(m_screenshot.get(), &Screenshot::finished, m_showcase.get(), &Showcase::close);
        }
    }
    if (!m_screenshot && !m_showcase)
        return;
    // Later refreshes are the person's own: the unit they chose meanwhile stays.
    auto first = std::make_shared<QMetaObject::Connection>();
    *first = QObject::connect(m_window.get(), &MainWindow::refreshed, m_window.get(), [this, first]() {
        QObject::disconnect(*first);
        afterFirstRefresh();
    });
}

void HostApplication::afterFirstRefresh()
{
    if (m_showcase)
        m_showcase->start();
    else if (m_screenshot)
        m_screenshot->takeAfter();
}

// Without a picture to take, a unit not found is no reason to end the program.
void HostApplication::showcaseFailed(const QString &text)
{
    QTextStream(stderr) << text << Qt::endl;
    if (!m_options.screenshotMode())
        return;
    m_showcase->close();
    QCoreApplication::exit(1);
}

int HostApplication::fail(const QString &text)
{
    QTextStream(stderr) << text << Qt::endl;
    if (!m_options.screenshotMode())
        QMessageBox::critical(nullptr, tr("Varkolin"), text);
    return 1;
}
