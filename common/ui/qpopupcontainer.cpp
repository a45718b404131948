#include "qpopupcontainer.h"

#include <QCloseEvent>

QPopupContainer::QPopupContainer(QWidget *parent, Qt::WindowFlags flags)
    : QDialog(parent, flags)
{
}

void QPopupContainer::accept()
{
    emit goBack();
}

void QPopupContainer::reject()
{
    emit goBack();
}

void QPopupContainer::closeEvent(QCloseEvent *event)
{
    // Closing would hide the editor with the window; docking hides the window instead.
    event->ignore();
    emit goBack();
}
