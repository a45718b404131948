#pragma once

#include "databaseopener.h"
#include "eventhandlers.h"
#include "hostlanguage.h"
#include "liblist.h"

#include <QCoreApplication>
#include <QList>
#include <QSettings>

#include <memory>

class HostOptions;
class LayoutKeeper;
class MainWindow;
class ModuleLibrary;
class Screenshot;
class Showcase;
class QWidget;

// One run of the program: the database, the login, the module and its window.
class HostApplication
{
    Q_DECLARE_TR_FUNCTIONS(HostApplication)
public:
    explicit HostApplication(const HostOptions &options);
    ~HostApplication();

    // The exit status of the program.
    int run();

private:
    void installTranslation();
    enum LoginOutcome { LoggedIn, Refused, Cancelled };

    void publishSettings();
    void publishConnection();
    LoginOutcome logIn();
    LoginOutcome logInUnattended();
    bool showModule();
    void arrangeFirstRefresh();
    int runWindow();
    void afterFirstRefresh();
    void showcaseFailed(const QString &text);
    int fail(const QString &text);

    const HostOptions &m_options;
    QSettings m_settings;
    HostLanguage m_language;
    QList<QWidget *> m_popups;
    libList m_libraries;
    eventHandlerMap m_eventHandlers;
    DatabaseOpener m_database;
    std::unique_ptr<ModuleLibrary> m_module;
    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<LayoutKeeper> m_layouts;
    std::unique_ptr<Screenshot> m_screenshot;
    std::unique_ptr<Showcase> m_showcase;
};
