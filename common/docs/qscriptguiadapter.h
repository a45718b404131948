#pragma once

#include "varkolin_export.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>
#include <QWidget>

// Lets a script fill and read the combo boxes and list widgets of a form,
// found by object name at any depth. Without a form, or without a widget of
// that name and class, a slot does nothing and gives an empty result.
class VARKOLIN_EXPORT QScriptGUIAdapter : public QObject
{
    Q_OBJECT
public:
    explicit QScriptGUIAdapter(QObject *parent = nullptr);

    // The adapter does not own the form.
    void setForm(QWidget *form);

public slots:
    void addToCombo(QString comboName, QString data, QVariant val);
    void addToCombo(QString comboName, QString data);
    // The user data of the current item.
    QVariant getComboData(QString comboName);
    void addToList(QString listName, QString data, QVariant val);
    void addToList(QString listName, QString data);
    // The user data and the text of the current item.
    QVariant getListData(QString listName);
    QString getListText(QString listName);

private:
    template<typename T>
    T *find(const QString &name) const;

    // The form belongs to its window, which may close while a script runs.
    QPointer<QWidget> m_form;
};
