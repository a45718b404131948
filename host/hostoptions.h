#pragma once

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QString>

// What the command line asks for, with the defaults filled in.
class HostOptions
{
    Q_DECLARE_TR_FUNCTIONS(HostOptions)
public:
    enum Outcome { Run, ShowHelp, Invalid };

    HostOptions();

    Outcome parse(const QStringList &arguments);
    QString helpText() const;
    QString errorText() const { return m_error; }

    // The URL handed to the driver.
    QString databaseUrl() const { return m_databaseUrl; }
    // The URL fit for messages: a password in it is masked.
    QString databaseDisplay() const;
    // True when neither the command line nor the environment chose a database.
    bool isDefaultDatabase() const { return m_defaultDatabase; }
    // The main file of an SQLite database; empty for other servers.
    QString sqliteFile() const;

    QString user() const { return m_user; }
    QString password() const { return m_password; }
    bool hasCredentials() const { return m_credentialsGiven; }

    QString locale() const { return m_locale; }
    QString localeDir() const;
    QString traceFile() const { return m_traceFile; }
    bool debugDb() const { return m_debugDb; }
    bool noStoredProc() const { return m_noStoredProc; }

    // The driver given on the command line; empty when the host is to find one.
    QString driverFile() const;
    // Where the host looks for drivers: a folder beside the Varkolin library.
    QString driverFolder() const;
    // The folder with newer copies of the libraries; empty: no updating.
    QString repoPath() const;
    QString moduleFile() const;

    bool screenshotMode() const { return !m_screenshotFile.isEmpty(); }
    QString screenshotFile() const { return m_screenshotFile; }

    // The unit whose editor is opened after the first refresh; empty for none.
    QString showUnit() const { return m_showUnit; }
    // Whether that editor then opens its product dialog.
    bool showProducts() const { return m_showProducts; }

    // True when the arguments ask only for a picture or for help; usable
    // before the application object exists, which must know whether it needs
    // a display.
    static bool needsNoScreen(int argc, char **argv);

private:
    void addOptions();
    bool readValues();
    bool chooseDatabase();

    QCommandLineParser m_parser;
    QString m_error;
    QString m_databaseUrl;
    bool m_defaultDatabase = false;
    QString m_user;
    QString m_password;
    bool m_credentialsGiven = false;
    QString m_locale;
    QString m_traceFile;
    bool m_debugDb = false;
    bool m_noStoredProc = false;
    QString m_driverFile;
    QString m_moduleFile;
    QString m_repoPath;
    QString m_screenshotFile;
    QString m_showUnit;
    bool m_showProducts = false;
};
