#include "utilities.h"
#include "hostcontract.h"
#include "liblist.h"
#include "qdataset.h"
#include "qsqlconnection.h"

#include <QAction>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLibrary>
#include <QMessageBox>
#include <QProcess>
#include <QSqlQuery>
#include <QTimer>
#include <QUuid>

#include <array>

namespace {

FileStoreHands &hands()
{
    static FileStoreHands current;
    return current;
}

QString chooseDirectory()
{
    if (hands().chooseDirectory)
        return hands().chooseDirectory();
    return QFileDialog::getExistingDirectory(nullptr, QCoreApplication::translate("Utilities", "Извлечь вложение"), QString(),
                                             QFileDialog::ShowDirsOnly);
}

// The desktop's opener, started without a shell so that no character of the
// name is ever read as a command.
void openFile(const QString &path)
{
    if (hands().openFile)
        hands().openFile(path);
    else
        QProcess::startDetached(QStringLiteral("xdg-open"), {path});
}

const std::array<quint32, 256> &crcTable()
{
    static const std::array<quint32, 256> table = [] {
        std::array<quint32, 256> t{};
        for (quint32 n = 0; n < 256; ++n) {
            quint32 c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    return table;
}

// The file's path in the store; empty when the name leads outside it
// (a name from the database must not reach the user's other files).
QString storePath(const QString &file)
{
    QSqlConnection *connection = hostConnection();
    if (!connection)
        return QString();
    const QString storeDir = connection->execScript(
                QStringLiteral("SELECT c_value FROM sys.t_sys_attr WHERE c_attr = 'FilePath';")).toString();
    const QDir store(storeDir);
    const QString path = QDir::cleanPath(store.absoluteFilePath(file));
    const QString root = QDir::cleanPath(store.absolutePath());
    return path.startsWith(root + QLatin1Char('/')) ? path : QString();
}

// The store path of an existing file, or the warning and an empty path.
QString existingStoreFile(const QString &file)
{
    const QString path = storePath(file);
    if (!path.isEmpty() && QFileInfo(path).isFile())
        return path;
    QMessageBox::warning(nullptr, QCoreApplication::translate("Utilities", "Внимание!"),
                         QCoreApplication::translate("Utilities", "Файл %1 не найден").arg(file),
                         QMessageBox::Ok);
    return QString();
}

} // namespace

QAction *separator(QObject *parent)
{
    auto *action = new QAction(parent);
    action->setSeparator(true);
    return action;
}

void delayMs(unsigned int milliseconds)
{
    QTimer timer;
    QEventLoop loop;
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.setInterval(int(milliseconds));
    timer.start();
    loop.exec();
}

QString formatPhone(const QString &phone)
{
    const QString &p = phone;
    switch (p.size()) {
    case 4:
        return p.left(2) + '-' + p.mid(2);
    case 5:
    case 6:
        return p.left(3) + '-' + p.mid(3);
    case 7:
        return p.left(3) + '-' + p.mid(3, 2) + '-' + p.mid(5);
    case 11:
        return p.left(1) + '(' + p.mid(1, 3) + ')' + p.mid(4, 3) + '-' + p.mid(7, 2) + '-' + p.mid(9);
    default:
        return p;
    }
}

QString newUUID()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

QString makeMD5(const QString &text)
{
    return QString::fromLatin1(QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Md5).toHex());
}

quint32 crc32(const QByteArray &data, qulonglong start, qulonglong length)
{
    const qulonglong size = qulonglong(data.size());
    const qulonglong end = length == 0 ? size : qMin(size, start + length);
    if (start >= end)
        return 0;
    quint32 crc = 0xFFFFFFFFu;
    for (qulonglong i = start; i < end; ++i)
        crc = crcTable()[(crc ^ quint8(data.at(int(i)))) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

QString toHexString(const QByteArray &data)
{
    return QString::fromLatin1(data.toHex(' ').toUpper());
}

void runScript(const QString &scriptName, const QList<QVariant> &values)
{
    QSqlConnection *connection = hostConnection();
    if (!connection)
        return;
    QSqlQuery query(connection->db);
    runScript(scriptName, &query, values);
}

void runScript(const QString &scriptName, QSqlQuery *query, const QList<QVariant> &values)
{
    QSqlConnection *connection = hostConnection();
    if (connection)
        connection->execScript(connection->getScript(scriptName), query, values);
}

void openFileFromBase(const QString &file)
{
    if (file.isEmpty())
        return;
    const QString path = existingStoreFile(file);
    if (!path.isEmpty())
        openFile(path);
}

void loadFileFromBase(const QString &file)
{
    if (file.isEmpty())
        return;
    const QString source = existingStoreFile(file);
    if (source.isEmpty())
        return;
    const QString dir = chooseDirectory();
    if (dir.isEmpty())
        return;
    const QString target = QDir(dir).absoluteFilePath(QFileInfo(source).fileName());
    QFile::copy(source, target);
    openFile(target);
}

void setFileStoreHands(const FileStoreHands &newHands)
{
    hands() = newHands;
}

bool mergeDocument(const QString &libraryName, QDataSet *set, QWidget *parent)
{
    typedef QDataSet *(*DocumentFn)(QObject *);
    libList *libraries = hostLibList();
    QLibrary *library = libraries ? libraries->getLibrary(libraryName, true) : nullptr;
    const auto getDocument = library ? reinterpret_cast<DocumentFn>(libList::ownEntry(*library, "getDocument")) : nullptr;
    if (!getDocument || !set)
        return false;
    set->intersect(getDocument(parent));
    return true;
}
