#include "qwaitdialog.h"

#include "qchasewidget.h"

#include <QEvent>

QWaitDialog::QWaitDialog(const QString &text, QWidget *parent)
    : QWidget(parent)
    , m_chase(new QChaseWidget(this))
{
    setupUi(this);
    if (text.isEmpty())
        lbText->hide();
    lbText->setText(text);
    m_chase->setMaximumHeight(60);
    verticalLayout->addWidget(m_chase);
    m_chase->setAnimated(true);
    setWindowFlags(windowFlags() | Qt::SplashScreen | Qt::WindowStaysOnTopHint);
}

void QWaitDialog::setText(const QString &text)
{
    lbText->setText(text);
}

void QWaitDialog::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslateUi(this);
    QWidget::changeEvent(event);
}
