#include "qscriptguiadapter.h"

#include <QComboBox>
#include <QListWidget>

QScriptGUIAdapter::QScriptGUIAdapter(QObject *parent)
    : QObject(parent)
{
}

void QScriptGUIAdapter::setForm(QWidget *form)
{
    m_form = form;
}

template<typename T>
T *QScriptGUIAdapter::find(const QString &name) const
{
    return m_form ? m_form->findChild<T *>(name) : nullptr;
}

void QScriptGUIAdapter::addToCombo(QString comboName, QString data, QVariant val)
{
    if (auto *combo = find<QComboBox>(comboName))
        combo->addItem(data, val);
}

void QScriptGUIAdapter::addToCombo(QString comboName, QString data)
{
    addToCombo(comboName, data, QVariant());
}

QVariant QScriptGUIAdapter::getComboData(QString comboName)
{
    auto *combo = find<QComboBox>(comboName);
    return combo ? combo->currentData() : QVariant();
}

void QScriptGUIAdapter::addToList(QString listName, QString data, QVariant val)
{
    auto *list = find<QListWidget>(listName);
    if (!list)
        return;
    auto *item = new QListWidgetItem(data, list);
    item->setData(Qt::UserRole, val);
}

void QScriptGUIAdapter::addToList(QString listName, QString data)
{
    addToList(listName, data, QVariant());
}

QVariant QScriptGUIAdapter::getListData(QString listName)
{
    auto *list = find<QListWidget>(listName);
    return list && list->currentItem() ? list->currentItem()->data(Qt::UserRole) : QVariant();
}

QString QScriptGUIAdapter::getListText(QString listName)
{
    auto *list = find<QListWidget>(listName);
    return list && list->currentItem() ? list->currentItem()->text() : QString();
}
