#pragma once

#include "varkolin_export.h"

#include <QList>
#include <QString>

class QLibrary;
class QTranslator;

// One library of the cache; the cache never unloads or deletes it.
struct VARKOLIN_EXPORT libInfo
{
    QString name;      // as first requested
    QString directory; // "libDir" when it was loaded
    bool flag = false; // as given to getLibrary; nothing reads it
    QLibrary *library = nullptr;
};

// The shared cache of sibling libraries, in loading order. The host owns one
// and publishes it as "libList"; every module reaches its siblings through it.
class VARKOLIN_EXPORT libList : public QList<libInfo>
{
public:
    // The library of that name (letter case ignored), loaded from "libDir" on
    // first use: refreshed from "repoPath" when the repository holds a newer
    // version, translated for "Locale", stamped with its version in the
    // property "version". Null for an empty name or a library that does not
    // load; a later request tries again.
    QLibrary *getLibrary(const QString &name, bool flag);

    // The file name the versions are compared under: the name with this
    // platform's library suffix when it has another one.
    static QString libraryFileName(const QString &name);

    // The entry point of that name when the library itself defines it. A
    // plain look-up also searches the libraries it links, and every module
    // links this one, which carries the production sites module's entry
    // points: those are not the library's own.
    static QFunctionPointer ownEntry(QLibrary &library, const char *name);
    // The base name of the library's translation files: what its getSysName
    // returns, else the name up to its first ".".
    static QString translationBase(QLibrary *library, const QString &name);
    // The translation of that base name for the locale, from the folder
    // ("folder/base_locale"), loaded but not installed; null when it does not
    // load. The caller owns it.
    static QTranslator *loadTranslation(const QString &base, const QString &locale, const QString &folder);

private:
    QLibrary *loaded(const QString &name) const;
    static void updateFromRepository(const QString &fileName, const QString &libDir, const QString &repoPath);
    static void installTranslation(QLibrary *library, const QString &name);
};
