#pragma once

#include "varkolin_export.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QVariant>

class QSettings;
class libList;
struct eventHandlerInfo;
class QSqlConnection;
class QWidget;

// The host publishes objects as dynamic properties of the application object,
// each one a pointer carried as a 64-bit signed integer.

// Wraps a pointer for an application property.
VARKOLIN_EXPORT QVariant objToVar(void *object);

// Reads a pointer back; null for an invalid or non-numeric value.
VARKOLIN_EXPORT void *varToObj(const QVariant &value);

// The names of the application properties of the host contract.
namespace HostProperty {
constexpr char connection[] = "Connection";
constexpr char sqlTraceFile[] = "SQLTraceFile";
constexpr char debugDb[] = "bDebugDB";
constexpr char noGui[] = "bNoGUI";
constexpr char noStoredProc[] = "bNoStoredProc";
constexpr char loggedInName[] = "LogedIn";
constexpr char loggedUser[] = "LogedUser";
constexpr char loggedPassword[] = "LogedPass";
constexpr char libDir[] = "libDir";
constexpr char repoPath[] = "repoPath";
constexpr char locale[] = "Locale";
constexpr char localeDir[] = "LocaleDir";
constexpr char libList[] = "libList";
constexpr char eventHandlers[] = "EventHandlers";
constexpr char popupList[] = "popupList";
constexpr char settings[] = "Settings";
} // namespace HostProperty

// Typed access to those properties. Without an application object, or when
// the host has not set a property, a getter gives null, an empty text or
// false, and a setter does nothing. A null pointer or an invalid value
// removes a property.

VARKOLIN_EXPORT QSqlConnection *hostConnection();
VARKOLIN_EXPORT void setHostConnection(QSqlConnection *connection);
VARKOLIN_EXPORT QString hostSqlTraceFile();
VARKOLIN_EXPORT void setHostSqlTraceFile(const QString &fileName);
VARKOLIN_EXPORT bool hostDebugDb();
VARKOLIN_EXPORT void setHostDebugDb(bool on);
VARKOLIN_EXPORT bool hostNoGui();
VARKOLIN_EXPORT void setHostNoGui(bool on);
VARKOLIN_EXPORT bool hostNoStoredProc();
VARKOLIN_EXPORT void setHostNoStoredProc(bool on);
// The logged-in user: display name, login and password, as the login published them.
VARKOLIN_EXPORT QString hostLoggedInName();
VARKOLIN_EXPORT QString hostLoggedUser();
VARKOLIN_EXPORT QString hostLoggedPassword();
VARKOLIN_EXPORT void setHostLoggedIn(const QString &displayName, const QString &login,
                                     const QString &password);
VARKOLIN_EXPORT QString hostLibDir();
VARKOLIN_EXPORT void setHostLibDir(const QString &dir);
VARKOLIN_EXPORT QString hostRepoPath();
VARKOLIN_EXPORT void setHostRepoPath(const QString &path);
VARKOLIN_EXPORT QString hostLocale();
VARKOLIN_EXPORT void setHostLocale(const QString &locale);
VARKOLIN_EXPORT QString hostLocaleDir();
VARKOLIN_EXPORT void setHostLocaleDir(const QString &dir);
VARKOLIN_EXPORT QList<QWidget *> *hostPopupList();
VARKOLIN_EXPORT void setHostPopupList(QList<QWidget *> *popups);
VARKOLIN_EXPORT QSettings *hostSettings();
VARKOLIN_EXPORT void setHostSettings(QSettings *settings);
VARKOLIN_EXPORT libList *hostLibList();
VARKOLIN_EXPORT void setHostLibList(libList *libraries);
VARKOLIN_EXPORT QMap<QString, eventHandlerInfo> *hostEventHandlers();
VARKOLIN_EXPORT void setHostEventHandlers(QMap<QString, eventHandlerInfo> *handlers);
