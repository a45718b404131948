#include <QCoreApplication>
#include <QIcon>
#include <QPixmap>
#include <QRect>
#include <QVariant>
#include <QWidget>

// A sibling module as the loader and the cross-module calls see it. Each
// entry point notes its call and arguments in the application property
// "siblingCalls", for the test to read.

namespace {

void note(const char *call, const QWidget *widget, const QString &rest, QRect area = QRect())
{
    QString text = QString(call) + ' ' + (widget ? widget->objectName() : QStringLiteral("-")) + ' ' + rest;
    if (area.isValid())
        text += QStringLiteral(" %1,%2,%3,%4").arg(area.x()).arg(area.y()).arg(area.width()).arg(area.height());
    qApp->setProperty("siblingCalls", qApp->property("siblingCalls").toStringList() << text);
}

} // namespace

extern "C" {

Q_DECL_EXPORT void showPelmarin(qlonglong id, QWidget *parent, QRect area)
{
    note("showPelmarin", parent, QString::number(id), area);
}

Q_DECL_EXPORT QWidget *getOlvestra(QWidget *parent)
{
    auto *panel = new QWidget(parent);
    panel->setObjectName("olvestra");
    return panel;
}

Q_DECL_EXPORT void setIDVersionOlvestra(QWidget *panel, qlonglong id)
{
    note("setIDVersionOlvestra", panel, QString::number(id));
}

Q_DECL_EXPORT void setIDProductOlvestra(QWidget *panel, qlonglong id)
{
    note("setIDProductOlvestra", panel, QString::number(id));
}

Q_DECL_EXPORT void showDravenikDialog(qlonglong first, qlonglong second, QWidget *parent, QRect area)
{
    note("showDravenikDialog", parent, QStringLiteral("%1 %2").arg(first).arg(second), area);
}

Q_DECL_EXPORT QIcon getIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::red);
    return QIcon(pixmap);
}

#ifdef SIBLING_SYS_NAME
Q_DECL_EXPORT QString getSysName()
{
    return QStringLiteral(SIBLING_SYS_NAME);
}
#endif

} // extern "C"
