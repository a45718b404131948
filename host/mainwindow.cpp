#include "mainwindow.h"
#include "hostlanguage.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QDebug>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

MainWindow::MainWindow(QList<QWidget *> *popups, QWidget *parent)
    : QMainWindow(parent)
    , m_popups(popups)
    , m_toolBar(addToolBar(QString()))
    , m_session(new QLabel(this))
{
    m_toolBar->setObjectName(QStringLiteral("tbModule"));
    m_toolBar->setMovable(false);
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    statusBar()->addPermanentWidget(m_session);
    createActions();
    createLanguageMenu();
    retranslate();
    resize(1000, 700);
}

void MainWindow::createActions()
{
    m_refresh = new QAction(QIcon(QStringLiteral(":/host/refresh")), QString(), this);
    m_refresh->setObjectName(QStringLiteral("actRefresh"));
    m_refresh->setShortcut(QKeySequence::Refresh);
    connect(m_refresh, &QAction::triggered, this, &MainWindow::refreshContent);
    m_quit = new QAction(this);
    m_quit->setObjectName(QStringLiteral("actQuit"));
    m_quit->setShortcut(QKeySequence::Quit);
    connect(m_quit, &QAction::triggered, this, &QWidget::close);
    addAction(m_quit);
}

void MainWindow::createLanguageMenu()
{
    m_languageMenu = menuBar()->addMenu(QString());
    m_languageMenu->setObjectName(QStringLiteral("menuLanguage"));
    auto *group = new QActionGroup(this);
    m_russian = group->addAction(QString());
    m_russian->setObjectName(QStringLiteral("actLanguageRu"));
    m_russian->setData(QStringLiteral("ru"));
    m_english = group->addAction(QString());
    m_english->setObjectName(QStringLiteral("actLanguageEn"));
    m_english->setData(QStringLiteral("en"));
    for (QAction *action : group->actions())
        action->setCheckable(true);
    m_languageMenu->addActions(group->actions());
    m_languageMenu->setEnabled(false);
    connect(group, &QActionGroup::triggered, this, &MainWindow::chooseLanguage);
}

void MainWindow::setLanguages(HostLanguage *languages)
{
    m_languages = languages;
    m_languageMenu->setEnabled(languages != nullptr);
    if (languages)
        (languages->language() == QLatin1String("en") ? m_english : m_russian)->setChecked(true);
}

// A part whose translation did not load keeps the texts it is written in;
// the loader has logged which file, the log says the language as well.
void MainWindow::chooseLanguage(QAction *action)
{
    if (!m_languages)
        return;
    if (!m_languages->setLanguage(action->data().toString()))
        qWarning().noquote() << "Not every translation into" << action->data().toString() << "loaded";
}

void MainWindow::setContent(QWidget *content, const QList<QAction *> &actions, const QIcon &icon)
{
    m_content = content;
    setCentralWidget(content);
    m_toolBar->clear();
    m_toolBar->addActions(actions);
    if (!actions.isEmpty())
        m_toolBar->addSeparator();
    m_toolBar->addAction(m_refresh);
    if (!icon.isNull())
        setWindowIcon(icon);
    showTitle(content ? content->windowTitle() : QString());
    // The content names itself anew in another language.
    if (content)
        connect(content, &QWidget::windowTitleChanged, this, &MainWindow::showTitle, Qt::UniqueConnection);
}

void MainWindow::showTitle(const QString &title)
{
    setWindowTitle(title.isEmpty() ? QStringLiteral("Varkolin") : title);
}

void MainWindow::setSession(const QString &user, const QString &database)
{
    m_user = user;
    m_database = database;
    showSession();
}

void MainWindow::refreshContent()
{
    if (m_content)
        QMetaObject::invokeMethod(m_content, "refresh", Qt::DirectConnection);
    emit refreshed();
}

// Editors floated out of the content are top-level windows of their own;
// left open they would keep the program running without its main window.
void MainWindow::closeEvent(QCloseEvent *event)
{
    if (m_popups) {
        const QList<QWidget *> floating = *m_popups;
        for (QWidget *popup : floating)
            popup->close();
    }
    event->accept();
}

void MainWindow::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QMainWindow::changeEvent(event);
}

void MainWindow::retranslate()
{
    m_toolBar->setWindowTitle(tr("Actions"));
    m_refresh->setText(tr("Refresh"));
    m_refresh->setToolTip(tr("Load the list again from the database"));
    m_quit->setText(tr("Quit"));
    m_languageMenu->setTitle(tr("Language"));
    m_russian->setText(tr("Russian"));
    m_english->setText(tr("English"));
    showSession();
}

void MainWindow::showSession()
{
    m_session->setText(m_user.isEmpty() ? QString() : tr("User: %1  ·  Database: %2").arg(m_user, m_database));
}
