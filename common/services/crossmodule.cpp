#include "crossmodule.h"
#include "hostcontract.h"
#include "liblist.h"
#include "qsqlconnection.h"

#include <QDebug>
#include <QLibrary>

namespace {

// The QLibrary object goes at the end of the call, the library stays
// loaded: what the sibling made (a panel, an open report) still runs its code.
template<typename Fn>
Fn siblingEntry(const char *module, const char *entryPoint)
{
    QLibrary library(getLibDirFile(QLatin1String(module)));
    return reinterpret_cast<Fn>(libList::ownEntry(library, entryPoint));
}

} // namespace

QString getLibDirFile(const QString &file)
{
    const QString libDir = hostLibDir();
    return libDir.isEmpty() ? file : libDir + QLatin1Char('/') + file;
}

QIcon getLibIcon(const QString &libraryName)
{
    typedef QIcon (*IconFn)();
    QLibrary library(getLibDirFile(libraryName));
    const auto getIcon = reinterpret_cast<IconFn>(libList::ownEntry(library, "getIcon"));
    return getIcon ? getIcon() : QIcon();
}

void showPelmarin(qlonglong id, QWidget *parent, QRect area)
{
    typedef void (*Fn)(qlonglong, QWidget *, QRect);
    if (const auto call = siblingEntry<Fn>("Pelmarin", "showPelmarin"))
        call(id, parent, area);
}

void showPelmarinByItem(qlonglong itemId, QWidget *parent, QRect area)
{
    QSqlConnection *connection = hostConnection();
    if (!connection) {
        qWarning() << "showPelmarinByItem: the host has no connection";
        return;
    }
    const QVariant family = connection->execScript(
            QStringLiteral("SELECT id_item_family FROM dirs.t_item WHERE id = %1 ;").arg(itemId));
    showPelmarin(family.toLongLong(), parent, area);
}

QWidget *getOlvestra(QWidget *parent)
{
    typedef QWidget *(*Fn)(QWidget *);
    const auto call = siblingEntry<Fn>("Olvestra", "getOlvestra");
    return call ? call(parent) : nullptr;
}

void setIDVersionOlvestra(QWidget *panel, qlonglong id)
{
    typedef void (*Fn)(QWidget *, qlonglong);
    if (const auto call = siblingEntry<Fn>("Olvestra", "setIDVersionOlvestra"))
        call(panel, id);
}

void setIDProductOlvestra(QWidget *panel, qlonglong id)
{
    typedef void (*Fn)(QWidget *, qlonglong);
    if (const auto call = siblingEntry<Fn>("Olvestra", "setIDProductOlvestra"))
        call(panel, id);
}

void showDravenikEditor(qlonglong firstId, qlonglong secondId, QWidget *parent, QRect area)
{
    typedef void (*Fn)(qlonglong, qlonglong, QWidget *, QRect);
    if (const auto call = siblingEntry<Fn>("DravenikEditor", "showDravenikDialog"))
        call(firstId, secondId, parent, area);
}
