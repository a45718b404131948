#pragma once

#include "varkolin_export.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>

// A file version a.b.c.d of four 16-bit numbers. Laid out d, c, b, a in
// memory, so that it reads as the 64-bit number (a << 48) | (b << 32) |
// (c << 16) | d; 0 means that there is no version.
struct VARKOLIN_EXPORT verInfo
{
    quint16 d = 0;
    quint16 c = 0;
    quint16 b = 0;
    quint16 a = 0;

    verInfo() = default;
    verInfo(quint64 value);
    operator quint64() const;
};
static_assert(sizeof(verInfo) == 8, "verInfo must stay an 8-byte value");

// The fixed file version of a library or program: the version record this
// project's build writes into its ELF files, or a Windows PE file's version
// resource. 0 for any other file, a missing one or one that cannot be read.
VARKOLIN_EXPORT verInfo fileVersionW(const QString &fileName);
VARKOLIN_EXPORT verInfo fileVersion(const QString &fileName);
// "a.b.c.d" in decimal.
VARKOLIN_EXPORT QString stringVersion(verInfo version);
// The named entries of the file's string table for the language and code
// page (eight hexadecimal digits, such as "040904B0"); names the file does
// not have are left out, and a file without a version gives an empty map.
VARKOLIN_EXPORT QMap<QString, QVariant> strFileInfoW(const QString &fileName, const QString &langCodePage,
                                                     const QStringList &names);
VARKOLIN_EXPORT QMap<QString, QVariant> stringFileInfoVar(const QString &fileName, const QString &langCodePage,
                                                          const QStringList &names);
