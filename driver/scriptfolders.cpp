#include "scriptfolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <dlfcn.h>

namespace {

// Where the dynamic linker found this library: the host may have loaded it
// from anywhere, and only its own place leads to its installation's scripts.
QString libraryFolder()
{
    Dl_info info;
    if (!dladdr(reinterpret_cast<void *>(&libraryFolder), &info) || !info.dli_fname)
        return QString();
    return QFileInfo(QFile::decodeName(info.dli_fname)).absolutePath();
}

} // namespace

QStringList scriptFolders()
{
    QStringList folders = qEnvironmentVariable("VARKOLIN_SQL_PATH").split(QDir::listSeparator(), Qt::SkipEmptyParts);
    const QString library = libraryFolder();
    if (!library.isEmpty())
        folders << QDir::cleanPath(QDir(library).absoluteFilePath(QStringLiteral(VARKOLIN_SQL_FROM_DRIVER)));
    return folders;
}
