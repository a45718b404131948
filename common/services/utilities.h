#pragma once

#include "varkolin_export.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>

#include <functional>

class QAction;
class QDataSet;
class QObject;
class QWidget;
class QSqlQuery;

// Small shared helpers of every module: text helpers, named scripts in one
// call, files of the shared file store. None keeps state.

// A new separator action owned by the parent.
VARKOLIN_EXPORT QAction *separator(QObject *parent);
// Returns after the time, serving events meanwhile: callers must expect re-entrant calls.
VARKOLIN_EXPORT void delayMs(unsigned int milliseconds);
// The number in groups by its length (4, 5, 6, 7 or 11 characters); any other length unchanged.
VARKOLIN_EXPORT QString formatPhone(const QString &phone);
// A new random UUID, upper case, without braces (36 characters).
VARKOLIN_EXPORT QString newUUID();
// MD5 of the text's UTF-8 bytes, 32 lower-case hexadecimal digits.
VARKOLIN_EXPORT QString makeMD5(const QString &text);
// CRC-32 (zlib, IEEE 802.3) of the bytes from start up to start + length
// (length 0: to the end); 0 when start is at or past the end.
VARKOLIN_EXPORT quint32 crc32(const QByteArray &data, qulonglong start, qulonglong length);
// Upper-case hexadecimal bytes separated by single spaces.
VARKOLIN_EXPORT QString toHexString(const QByteArray &data);

// Runs the named script with positional values on the host's connection;
// failures are reported by the connection. Without a connection nothing runs.
VARKOLIN_EXPORT void runScript(const QString &scriptName, const QList<QVariant> &values);
VARKOLIN_EXPORT void runScript(const QString &scriptName, QSqlQuery *query, const QList<QVariant> &values);

// Opens a file of the shared file store with its program. A name that is
// missing, or that leads out of the store, gets the "not found" warning.
VARKOLIN_EXPORT void openFileFromBase(const QString &file);
// Copies a file of the store to a directory the user picks, then opens the copy.
VARKOLIN_EXPORT void loadFileFromBase(const QString &file);

// Adds the tables of another module's document (its getDocument, reached
// through the host's library cache) to the set. False when the host has no
// cache, or the library or its getDocument is missing.
VARKOLIN_EXPORT bool mergeDocument(const QString &libraryName, QDataSet *set, QWidget *parent);

// How the store functions ask for a directory and open a file; tests and
// hosts without a desktop replace them. Null restores the defaults.
struct VARKOLIN_EXPORT FileStoreHands
{
    std::function<QString()> chooseDirectory;
    std::function<void(const QString &path)> openFile;
};
VARKOLIN_EXPORT void setFileStoreHands(const FileStoreHands &hands);
