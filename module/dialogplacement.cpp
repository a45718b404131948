#include "dialogplacement.h"

#include <QPointer>
#include <QWidget>

namespace {

// Guarded: dialogs opened after the content is gone are simply not placed.
QPointer<QWidget> dialogArea;

} // namespace

void setDialogArea(QWidget *area)
{
    dialogArea = area;
}

QRect dialogBounds()
{
    if (!dialogArea)
        return QRect(0, 0, 0, 0);
    const QRect g = dialogArea->geometry();
    const qint64 x1 = g.left(), y1 = g.top(), x2 = g.right(), y2 = g.bottom();
    const QPoint centre = dialogArea->mapToGlobal(QPoint(int((x1 + x2) / 2), int((y1 + y2) / 2)));
    const int w = int(x2 - x1 - 20);
    const int h = int(y2 - y1);
    const int left = centre.x() - w / 2;
    const int top = centre.y() - h / 2;
    return QRect(QPoint(left, top), QPoint(left + w, top + h));
}
