#include "qclicablelabel.h"

#include <QMouseEvent>

QClicableLabel::QClicableLabel(const QString &text, QWidget *parent, Qt::WindowFlags f)
    : QLabel(text, parent, f)
{
}

QClicableLabel::QClicableLabel(QWidget *parent, Qt::WindowFlags f)
    : QLabel(parent, f)
{
}

void QClicableLabel::mouseDoubleClickEvent(QMouseEvent *event)
{
    // Handled here, so that a parent does not act on the same gesture as well.
    event->accept();
    emit doubleClicked();
}
