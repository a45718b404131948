#include "quserinterface.h"

#include "hostcontract.h"
#include "qpopupcontainer.h"

#include <QApplication>
#include <QMenu>
#include <QPointer>
#include <QScreen>
#include <QVBoxLayout>

// The popup window and its one floated widget are shared by every content of
// the module. Guarded pointers: the window dies with the content that created
// it, and a floated widget may be deleted by its owner; neither may be reached
// through a stale address afterwards.
static QPointer<QWidget> popupWidget;
static QPointer<QPopupContainer> popupContainer;
static QPointer<QVBoxLayout> popupLayout;

QUserInterface::QUserInterface(QWidget *parent)
    : QWidget(parent)
{
    setupUi(this);
    editFrame->hide();
    searchFrame->hide();
    addAction(actionFind);
    initSlots();
}

void QUserInterface::initSlots()
{
    connect(btFindFirst, SIGNAL(clicked()), this, SLOT(findFirstClicked()));
    connect(btFindPrev, SIGNAL(clicked()), this, SLOT(findPrevClicked()));
    connect(btFindNext, SIGNAL(clicked()), this, SLOT(findNextClicked()));
    connect(actionFind, SIGNAL(triggered(bool)), this, SLOT(findPanelToggle()));
}

QString QUserInterface::helpContext()
{
    return objectName();
}

void QUserInterface::saveUserData()
{
}

bool QUserInterface::initView()
{
    return false;
}

bool QUserInterface::initDocument()
{
    return false;
}

bool QUserInterface::initEditor()
{
    return false;
}

bool QUserInterface::onConnectPopupEditor()
{
    return false;
}

bool QUserInterface::onConnectSelectionChanged()
{
    return false;
}

bool QUserInterface::onDisconnectPopupEditor()
{
    return false;
}

void QUserInterface::refresh()
{
}

void QUserInterface::addMenuAction(const QString &text, int data, QMenu *menu, bool enabled)
{
    if (!menu)
        return;
    auto *action = new QAction(text, menu);
    action->setData(data);
    action->setEnabled(enabled);
    menu->addAction(action);
}

void QUserInterface::setCaption(const QString &newCaption)
{
    setWindowTitle(newCaption);
    lbCaption->setText(newCaption);
}

void QUserInterface::showFindPanel()
{
    searchFrame->show();
}

void QUserInterface::hideFindPanel()
{
    searchFrame->hide();
}

void QUserInterface::findPanelToggle()
{
    // isHidden(), not isVisible(): the content itself may not be on screen yet.
    searchFrame->setVisible(searchFrame->isHidden());
    if (!searchFrame->isHidden())
        edFind->setFocus(Qt::OtherFocusReason);
}

void QUserInterface::findFirstClicked()
{
    emit findFirst(edFind->text());
}

void QUserInterface::findPrevClicked()
{
    emit findPrev();
}

void QUserInterface::findNextClicked()
{
    emit findNext();
}

void QUserInterface::toggleEditorPopup(QWidget *widget)
{
    if (popupWidget) {
        backToDock();
        return;
    }
    if (!widget)
        return;
    popupWidget = widget;
    editFrame->hide();
    showPopup(widget);
    onDisconnectPopupEditor();
    if (QList<QWidget *> *list = hostPopupList()) {
        list->append(widget);
        // A widget deleted while floated must not stay in the host's list.
        connect(widget, &QObject::destroyed, popupContainer, [widget]() {
            if (QList<QWidget *> *list = hostPopupList())
                list->removeOne(widget);
        });
    }
}

void QUserInterface::showPopup(QWidget *widget)
{
    if (!popupContainer) {
        popupContainer = new QPopupContainer(this, Qt::Window | Qt::WindowTitleHint
                                             | Qt::WindowMaximizeButtonHint
                                             | Qt::WindowCloseButtonHint);
        popupContainer->resize(widget->width(), widget->height());
        QRect frame(QPoint(), popupContainer->size());
        frame.moveCenter(QGuiApplication::primaryScreen()->geometry().center());
        popupContainer->move(frame.topLeft());
    }
    // Contents share the window: going back must dock into the content that
    // floated the widget, not into the one that happened to create the window.
    disconnect(popupContainer, SIGNAL(goBack()), nullptr, nullptr);
    connect(popupContainer, SIGNAL(goBack()), this, SLOT(backToDock()));
    if (!popupLayout)
        popupLayout = new QVBoxLayout(popupContainer);
    popupLayout->addWidget(widget);
    popupContainer->show();
}

void QUserInterface::backToDock()
{
    if (popupContainer)
        popupContainer->hide();
    if (!popupWidget)
        return;
    QWidget *widget = popupWidget;
    if (popupContainer)
        disconnect(widget, &QObject::destroyed, popupContainer, nullptr);
    editLayout->addWidget(widget);
    popupWidget = nullptr;
    editFrame->show();
    onConnectPopupEditor();
    if (QList<QWidget *> *list = hostPopupList())
        list->removeOne(widget);
}

void QUserInterface::changeEvent(QEvent *event)
{
    // The caption is not part of the form's texts, so it survives retranslateUi().
    if (event->type() == QEvent::LanguageChange)
        retranslateUi(this);
    QWidget::changeEvent(event);
}
