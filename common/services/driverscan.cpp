#include "driverscan.h"

#include <QDebug>
#include <QDir>
#include <QLibrary>

QList<drvInfo> scanForDrivers(const QString &folder)
{
    QList<drvInfo> drivers;
    const QDir dir(folder);
    if (!dir.exists()) {
        qWarning().noquote() << "Folder " + folder + " not found.";
        return drivers;
    }
    typedef QString (*FullNameFn)();
    const QStringList files = dir.entryList(QDir::Files | QDir::NoSymLinks, QDir::Unsorted);
    for (const QString &file : files) {
        if (!QLibrary::isLibrary(file))
            continue;
        QLibrary library(dir.absoluteFilePath(file));
        if (!library.load()) {
            qWarning().noquote() << library.errorString();
            continue;
        }
        // A name the driver makes from a literal lives in the driver's own
        // memory, which the unload takes away: the list keeps a copy.
        if (const auto fullName = reinterpret_cast<FullNameFn>(library.resolve("fullName"))) {
            const QString name = fullName();
            drivers.append({QString(name.constData(), name.size()), file});
        }
        library.unload();
    }
    return drivers;
}
