#include "liblist.h"
#include "fileversion.h"
#include "hostcontract.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibrary>
#include <QSaveFile>
#include <QTranslator>

#include <dlfcn.h>

namespace {

#if defined(Q_OS_WIN)
const char librarySuffix[] = "dll";
#elif defined(Q_OS_MACOS)
const char librarySuffix[] = "dylib";
#else
const char librarySuffix[] = "so";
#endif

// The new file takes the old one's place in one rename: a copy that fails
// half way leaves the old library whole and loadable.
bool replaceByCopy(const QString &source, const QString &target)
{
    QFile in(source);
    QSaveFile out(target);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly))
        return false;
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(1 << 20);
        if (chunk.isEmpty() || out.write(chunk) != chunk.size())
            return false;
    }
    if (!out.commit())
        return false;
    QFile::setPermissions(target, in.permissions());
    return true;
}

} // namespace

QString libList::libraryFileName(const QString &name)
{
    if (QFileInfo(name).suffix().toLower() == QLatin1String(librarySuffix))
        return name;
    return name + QLatin1Char('.') + QLatin1String(librarySuffix);
}

QLibrary *libList::getLibrary(const QString &name, bool flag)
{
    if (name.isEmpty())
        return nullptr;
    if (QLibrary *library = loaded(name))
        return library;
    const QString libDir = hostLibDir();
    const QString repoPath = hostRepoPath();
    const QString fileName = libraryFileName(name);
    if (!repoPath.isEmpty())
        updateFromRepository(fileName, libDir, repoPath);
    auto *library = new QLibrary(QDir(libDir).absoluteFilePath(name));
    if (!library->load()) {
        qDebug().noquote() << "ERROR LOADING LIBRARY: " + library->fileName() + " :: " + library->errorString();
        delete library;
        return nullptr;
    }
    append({name, libDir, flag, library});
    installTranslation(library, name);
    library->setProperty("version", stringVersion(fileVersion(QDir(libDir).filePath(fileName))));
    return library;
}

QLibrary *libList::loaded(const QString &name) const
{
    for (const libInfo &info : *this) {
        if (info.name.compare(name, Qt::CaseInsensitive) == 0)
            return info.library;
    }
    return nullptr;
}

// A missing local file counts as version 0, so a library that only the
// repository has is copied in first.
void libList::updateFromRepository(const QString &fileName, const QString &libDir, const QString &repoPath)
{
    const QString local = QDir(libDir).filePath(fileName);
    const QString repository = QDir(repoPath).filePath(fileName);
    if (quint64(fileVersion(repository)) <= quint64(fileVersion(local)))
        return;
    qDebug().noquote() << "UPDATING: " + fileName;
    if (!replaceByCopy(repository, local))
        qWarning().noquote() << "Cannot copy" << repository << "to" << local << "; the old library stays";
}

void libList::installTranslation(QLibrary *library, const QString &name)
{
    const QString locale = hostLocale();
    if (locale.isEmpty() || locale.toUpper() == QLatin1String("DEFAULT"))
        return;
    if (QTranslator *translator = loadTranslation(translationBase(library, name), locale, hostLocaleDir()))
        QCoreApplication::installTranslator(translator);
}

QFunctionPointer libList::ownEntry(QLibrary &library, const char *name)
{
    const QFunctionPointer entry = library.resolve(name);
    Dl_info info;
    if (!entry || !dladdr(reinterpret_cast<void *>(entry), &info) || !info.dli_fname)
        return nullptr;
    const QString file = QFileInfo(QFile::decodeName(info.dli_fname)).canonicalFilePath();
    return file == QFileInfo(library.fileName()).canonicalFilePath() ? entry : nullptr;
}

QString libList::translationBase(QLibrary *library, const QString &name)
{
    typedef QString (*SysNameFn)();
    const auto getSysName = library ? reinterpret_cast<SysNameFn>(ownEntry(*library, "getSysName")) : nullptr;
    return getSysName ? getSysName() : name.section(QLatin1Char('.'), 0, 0);
}

QTranslator *libList::loadTranslation(const QString &base, const QString &locale, const QString &folder)
{
    const QString path = QStringLiteral("%3/%1_%2").arg(base, locale, folder);
    auto *translator = new QTranslator;
    if (translator->load(path))
        return translator;
    qDebug().noquote() << path + " can not load";
    delete translator;
    return nullptr;
}
