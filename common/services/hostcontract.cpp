#include "hostcontract.h"

#include <QCoreApplication>

namespace {

QVariant hostProperty(const char *name)
{
    QCoreApplication *app = QCoreApplication::instance();
    return app ? app->property(name) : QVariant();
}

void setHostProperty(const char *name, const QVariant &value)
{
    if (QCoreApplication::instance())
        qApp->setProperty(name, value);
}

// A null pointer leaves no property behind, as if the host had never set one.
void setHostObject(const char *name, void *object)
{
    setHostProperty(name, object ? objToVar(object) : QVariant());
}

} // namespace

QVariant objToVar(void *object)
{
    return QVariant(static_cast<qlonglong>(reinterpret_cast<quintptr>(object)));
}

void *varToObj(const QVariant &value)
{
    bool ok = false;
    const qlonglong address = value.toLongLong(&ok);
    if (!ok)
        return nullptr;
    return reinterpret_cast<void *>(static_cast<quintptr>(address));
}

QSqlConnection *hostConnection()
{
    return static_cast<QSqlConnection *>(varToObj(hostProperty(HostProperty::connection)));
}

void setHostConnection(QSqlConnection *connection)
{
    setHostObject(HostProperty::connection, connection);
}

QString hostSqlTraceFile()
{
    return hostProperty(HostProperty::sqlTraceFile).toString();
}

void setHostSqlTraceFile(const QString &fileName)
{
    setHostProperty(HostProperty::sqlTraceFile, fileName);
}

bool hostDebugDb()
{
    return hostProperty(HostProperty::debugDb).toBool();
}

void setHostDebugDb(bool on)
{
    setHostProperty(HostProperty::debugDb, on);
}

bool hostNoGui()
{
    return hostProperty(HostProperty::noGui).toBool();
}

void setHostNoGui(bool on)
{
    setHostProperty(HostProperty::noGui, on);
}

bool hostNoStoredProc()
{
    return hostProperty(HostProperty::noStoredProc).toBool();
}

void setHostNoStoredProc(bool on)
{
    setHostProperty(HostProperty::noStoredProc, on);
}

QString hostLoggedInName()
{
    return hostProperty(HostProperty::loggedInName).toString();
}

QString hostLoggedUser()
{
    return hostProperty(HostProperty::loggedUser).toString();
}

QString hostLoggedPassword()
{
    return hostProperty(HostProperty::loggedPassword).toString();
}

void setHostLoggedIn(const QString &displayName, const QString &login, const QString &password)
{
    setHostProperty(HostProperty::loggedInName, displayName);
    setHostProperty(HostProperty::loggedUser, login);
    setHostProperty(HostProperty::loggedPassword, password);
}

QString hostLibDir()
{
    return hostProperty(HostProperty::libDir).toString();
}

void setHostLibDir(const QString &dir)
{
    setHostProperty(HostProperty::libDir, dir);
}

QString hostRepoPath()
{
    return hostProperty(HostProperty::repoPath).toString();
}

void setHostRepoPath(const QString &path)
{
    setHostProperty(HostProperty::repoPath, path);
}

QString hostLocale()
{
    return hostProperty(HostProperty::locale).toString();
}

void setHostLocale(const QString &locale)
{
    setHostProperty(HostProperty::locale, locale);
}

QString hostLocaleDir()
{
    return hostProperty(HostProperty::localeDir).toString();
}

void setHostLocaleDir(const QString &dir)
{
    setHostProperty(HostProperty::localeDir, dir);
}

QList<QWidget *> *hostPopupList()
{
    return static_cast<QList<QWidget *> *>(varToObj(hostProperty(HostProperty::popupList)));
}

void setHostPopupList(QList<QWidget *> *popups)
{
    setHostObject(HostProperty::popupList, popups);
}

QSettings *hostSettings()
{
    return static_cast<QSettings *>(varToObj(hostProperty(HostProperty::settings)));
}

void setHostSettings(QSettings *settings)
{
    setHostObject(HostProperty::settings, settings);
}

libList *hostLibList()
{
    return static_cast<libList *>(varToObj(hostProperty(HostProperty::libList)));
}

void setHostLibList(libList *libraries)
{
    setHostObject(HostProperty::libList, libraries);
}

QMap<QString, eventHandlerInfo> *hostEventHandlers()
{
    return static_cast<QMap<QString, eventHandlerInfo> *>(varToObj(hostProperty(HostProperty::eventHandlers)));
}

void setHostEventHandlers(QMap<QString, eventHandlerInfo> *handlers)
{
    setHostObject(HostProperty::eventHandlers, handlers);
}
