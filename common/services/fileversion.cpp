#include "fileversion.h"
#include "versionrecord.h"

#include <QFile>

#include <climits>

verInfo::verInfo(quint64 value)
    : d(quint16(value))
    , c(quint16(value >> 16))
    , b(quint16(value >> 32))
    , a(quint16(value >> 48))
{
}

verInfo::operator quint64() const
{
    return (quint64(a) << 48) | (quint64(b) << 32) | (quint64(c) << 16) | quint64(d);
}

namespace {

// Libraries with debug information run to tens of megabytes: the file is
// mapped, not read.
bool readRecord(const QString &fileName, VersionRecord *record)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly) || file.size() <= 0 || file.size() > INT_MAX)
        return false;
    const uchar *mapped = file.map(0, file.size());
    if (!mapped)
        return false;
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(mapped), int(file.size()));
    return readElfVersion(bytes, record) || readPeVersion(bytes, record);
}

} // namespace

verInfo fileVersionW(const QString &fileName)
{
    VersionRecord record;
    return readRecord(fileName, &record) ? verInfo(record.fixedVersion) : verInfo();
}

verInfo fileVersion(const QString &fileName)
{
    return fileVersionW(fileName);
}

QString stringVersion(verInfo version)
{
    return QStringLiteral("%1.%2.%3.%4").arg(version.a).arg(version.b).arg(version.c).arg(version.d);
}

// Windows finds blocks and names whatever their letter case; so do we.
QMap<QString, QVariant> strFileInfoW(const QString &fileName, const QString &langCodePage, const QStringList &names)
{
    QMap<QString, QVariant> entries;
    VersionRecord record;
    if (!readRecord(fileName, &record))
        return entries;
    const QHash<QString, QString> table = record.strings.value(langCodePage.toUpper());
    for (const QString &name : names) {
        const auto found = table.constFind(name.toLower());
        if (found != table.constEnd())
            entries.insert(name, found.value());
    }
    return entries;
}

QMap<QString, QVariant> stringFileInfoVar(const QString &fileName, const QString &langCodePage,
                                          const QStringList &names)
{
    return strFileInfoW(fileName, langCodePage, names);
}
